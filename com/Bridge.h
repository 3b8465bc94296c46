// Objects across the COM boundary. Our own host objects go out as IDispatch servers (one
// server per object, so COM identity holds) and come back as themselves; a client wrapper goes
// out as the IDispatch it wraps. Any other IDispatch comes in as a generic late-bound object,
// which Bind turns into the typed host interface a caller asks for.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <functional>
#include <memory>
#include <string>
#include <typeindex>

#include "com/ComPtr.h"
#include "com/Dispatch.h"
#include "host/AdvSearch.h"
#include "host/Object.h"
#include "host/Variant.h"

namespace com {

// What every client-side wrapper of a COM object is.
class DispatchHolder {
 public:
  virtual ~DispatchHolder() = default;
  virtual IDispatch* GetDispatch() const = 0;
};

// An IDispatch of no known host interface; callable by name. Also what the search component
// needs of the object it notifies.
class CDispatchObject : public host::Object, public DispatchHolder, public host::ASyncSearchNotify {
 public:
  explicit CDispatchObject(ComPtr<IDispatch> p) : m_oDisp(std::move(p)) {}
  std::string TypeName() const override;
  IDispatch* GetDispatch() const override { return m_oDisp.get(); }
  Dispatch& Disp() { return m_oDisp; }
  void ASyncSearchDone() override { m_oDisp.Call("ASyncSearchDone"); }

 private:
  Dispatch m_oDisp;
};

// A host object as an IDispatch the caller owns one reference of; nullptr for Nothing.
// Error 13 when the object is of no kind that can be exposed.
IDispatch* ExposeObject(const std::shared_ptr<host::Object>& p);
// An IDispatch as a host object: our own server's object, or a CDispatchObject.
std::shared_ptr<host::Object> AdoptDispatch(IDispatch* p);

// Makes host objects of one kind exposable: the function returns nullptr for objects of other
// kinds. Exposers are tried in the order added, so the more specific kinds come first.
using Exposer = std::function<IDispatch*(const std::shared_ptr<host::Object>&)>;
void AddExposer(Exposer fn);

// Makes COM objects bindable to one host interface.
using Binder = std::function<std::shared_ptr<host::Object>(ComPtr<IDispatch>)>;
void AddBinder(std::type_index type, Binder fn);

// The object as the host interface `type`: itself when it already is one, a bound wrapper of
// its IDispatch otherwise (one per COM object and interface while it lives). Nothing stays
// Nothing; error 13 when it cannot be had as that interface.
std::shared_ptr<host::Object> BindAs(const std::shared_ptr<host::Object>& p, const std::type_info& type);
template <class T>
std::shared_ptr<T> Bind(const std::shared_ptr<host::Object>& p) {
  return host::As<T>(BindAs(p, typeid(T)));
}
template <class T>
std::shared_ptr<T> Bind(const host::Variant& v) {
  return Bind<T>(v.ToObject());
}

// host::CreateObject falls back to COM for ProgIDs the process's own registry lacks:
// CLSIDFromProgID, CoCreateInstance, and the object bound to the interface asked for.
void InstallCreateObjectFallback();
// Creates a COM object from an already found class factory and binds it.
std::shared_ptr<host::Object> BindCreated(ComPtr<IDispatch> p, const std::type_info& type);

// COM on this thread (apartment-threaded), once; host::Error when COM refuses.
void EnsureComInitialized();

}  // namespace com
