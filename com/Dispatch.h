// Calls a member of any IDispatch by name: method, property get, put and put-by-reference.
// Dispatch IDs are looked up once per object type (objects that describe their type share one
// table) and once per object otherwise.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "host/Variant.h"

namespace com {

class Dispatch {
 public:
  Dispatch() = default;
  explicit Dispatch(ComPtr<IDispatch> p);

  IDispatch* get() const { return m_p.get(); }
  explicit operator bool() const { return static_cast<bool>(m_p); }

  // Error 438 when the object has no such member.
  DISPID IdOf(const std::string& sName);

  // A method or a property read, as Visual Basic calls "obj.Name(args)".
  host::Variant Call(const std::string& sName, std::vector<host::Variant> args = {});
  host::Variant Get(const std::string& sName, std::vector<host::Variant> args = {});
  void Put(const std::string& sName, const host::Variant& value);
  void PutRef(const std::string& sName, const host::Variant& value);
  // A method whose arguments go by reference: what the member writes into them comes back in
  // args.
  host::Variant CallByRef(const std::string& sName, std::vector<host::Variant>& args);

  host::Variant Invoke(DISPID nId, WORD wFlags, std::vector<host::Variant>& args, bool bByRef,
                       const std::string& sName);

  struct NameCache;

 private:
  ComPtr<IDispatch> m_p;
  std::shared_ptr<NameCache> m_pCache;
};

}  // namespace com
