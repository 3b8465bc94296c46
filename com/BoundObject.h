// What the client-side wrappers of every binding share: the wrapped IDispatch, reading its
// properties as host values, binding the objects it returns, and the binder of a wrapper.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <typeindex>
#include <utility>
#include <vector>

#include "com/Bridge.h"
#include "com/ComPtr.h"
#include "com/Dispatch.h"
#include "host/Variant.h"

namespace com {

using Vars = std::vector<host::Variant>;

// Optional arguments left out at the end go as missing, so the server applies its defaults.
inline Vars Trim(Vars v) {
  while (!v.empty() && v.back().IsEmpty()) v.pop_back();
  return v;
}

class BoundObject : public DispatchHolder {
 public:
  explicit BoundObject(ComPtr<IDispatch> p) : m_d(std::move(p)) {}
  IDispatch* GetDispatch() const override { return m_d.get(); }

 protected:
  std::string Str(const char* sName) const { return m_d.Get(sName).ToString(); }
  int32_t Long(const char* sName) const { return m_d.Get(sName).ToLong(); }
  bool Bool(const char* sName) const { return m_d.Get(sName).ToBool(); }
  template <class T>
  std::shared_ptr<T> Obj(const char* sName, Vars args = {}) const {
    return Bind<T>(m_d.Call(sName, std::move(args)));
  }
  mutable Dispatch m_d;
};

// Binds COM objects asked for as Interface with a Wrapper around their IDispatch.
template <class Interface, class Wrapper>
void AddBound() {
  AddBinder(typeid(Interface), [](ComPtr<IDispatch> p) -> std::shared_ptr<host::Object> {
    return std::make_shared<Wrapper>(std::move(p));
  });
}

}  // namespace com
