// Our objects as IDispatch servers: each class declares its members once in a table (name,
// dispatch ID, kind, argument counts, handler), and a server object answers GetIDsOfNames and
// Invoke from it, with type information for clients that ask. A server may also be an event
// source (IConnectionPointContainer) for the event interfaces its class names.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "host/Event.h"
#include "host/Object.h"
#include "host/Variant.h"

namespace com {

// Live COM objects of this module (servers, connection points, sinks, class factories): a
// module may unload at zero, and tests check that every run comes back to where it started.
long LiveObjects();
class Counted {
 public:
  Counted();
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;
  ~Counted();
};

// The IUnknown of a COM class of ours that implements the one interface I: QueryInterface
// answers IUnknown and the interfaces Answers accepts, all as I; the reference count starts at
// 1 (the creator's) and the object deletes itself when it drops to 0.
template <class I>
class ComObject : public I, Counted {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || Answers(riid)) {
      *ppv = static_cast<I*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_nRefs; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --m_nRefs;
    if (n == 0) delete this;
    return n;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;
  virtual bool Answers(REFIID riid) const = 0;

 private:
  std::atomic<ULONG> m_nRefs{1};
};

// The arguments of one Invoke, in the order the member declares them (DISPPARAMS holds them
// reversed). Reading an argument of the wrong type fails the call with DISP_E_TYPEMISMATCH and
// the argument's position; Set writes back through an argument passed by reference.
class Args {
 public:
  explicit Args(DISPPARAMS* pParams);
  size_t Count() const { return m_nPositional; }
  // Absent or passed as "missing": Empty.
  host::Variant operator[](size_t i) const;
  bool IsMissing(size_t i) const;
  // The value of a property put.
  host::Variant PutValue() const;

  int32_t Long(size_t i) const;
  int16_t Integer(size_t i) const;
  std::string String(size_t i) const;
  bool Bool(size_t i) const;
  std::shared_ptr<host::Object> Object(size_t i) const;
  template <class T>
  std::shared_ptr<T> ObjectAs(size_t i) const;

  void Set(size_t i, const host::Variant& v) const;

  // Thrown by the typed readers; Invoke turns it into DISP_E_TYPEMISMATCH.
  struct Mismatch {
    UINT nArgErr;
  };

 private:
  const VARIANT* At(size_t i) const;
  [[noreturn]] void Fail(size_t i) const;
  DISPPARAMS* m_pParams;
  size_t m_nPositional;
};

struct Member {
  enum Kind : WORD { Method = DISPATCH_METHOD, Get = DISPATCH_PROPERTYGET, Put = DISPATCH_PROPERTYPUT };
  std::string sName;
  DISPID nId;
  Kind eKind;
  int nMinArgs;
  int nMaxArgs;
  std::function<host::Variant(host::Object& o, const Args& a)> fnInvoke;
};

// One event interface of a class: its ID and the dispatch IDs of the events it has.
struct EventInterface {
  IID diid;
  std::vector<DISPID> vecEvents;
};

struct ServerClass {
  std::string sName;
  std::vector<Member> vecMembers;
  std::vector<EventInterface> vecEvents;
  // Connects the host object's events to the server (Raise) while the server lives.
  std::function<std::vector<host::Connection>(class CServer& oServer, host::Object& o)> fnConnectEvents;
  // Extra interfaces the objects of this class answer besides IDispatch.
  std::vector<IID> vecInterfaces;

  // Built on first request, then shared by every object of the class.
  mutable ComPtr<ITypeInfo> pTypeInfo;
  ITypeInfo* TypeInfo() const;
  const Member* Find(DISPID nId, WORD wFlags) const;
  const Member* FindName(const std::string& sName) const;
};

// The private interface through which a module recognises its own servers: only a server made
// by the same module hands out its host object.
// {5B0B7B58-4E0C-4F5B-9D3A-2C2E6F1D8A11}
inline constexpr IID IID_IQuilloHostObject = {
    0x5b0b7b58, 0x4e0c, 0x4f5b, {0x9d, 0x3a, 0x2c, 0x2e, 0x6f, 0x1d, 0x8a, 0x11}};
struct IQuilloHostObject : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetHostObject(const void* pModuleToken, void** ppObject) = 0;
};
const void* ModuleToken();

class CConnectionPoint;

class CServer final : public IDispatch, public IConnectionPointContainer, public IQuilloHostObject, Counted {
 public:
  // The server of a host object: the existing one while it lives, so COM identity holds.
  static ComPtr<IDispatch> For(const std::shared_ptr<host::Object>& p,
                               std::shared_ptr<const ServerClass> pClass);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pn) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT n, LCID, ITypeInfo** pp) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID,
                                          DISPID* rgDispId) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID nId, REFIID, LCID, WORD wFlags, DISPPARAMS* pParams,
                                   VARIANT* pResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;
  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** pp) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** pp) override;
  // IQuilloHostObject
  HRESULT STDMETHODCALLTYPE GetHostObject(const void* pModuleToken, void** ppObject) override;

  // Calls the event on every sink of the interfaces that have it. Arguments listed in
  // vecByRef go by reference and come back with what the sinks wrote. A sink that fails does
  // not keep the others from their event; the first failure is then raised as host::Error.
  void Raise(DISPID nId, std::vector<host::Variant>& args, const std::vector<size_t>& vecByRef = {});
  const std::shared_ptr<host::Object>& HostObject() const { return m_pObject; }

 private:
  CServer(std::shared_ptr<host::Object> p, std::shared_ptr<const ServerClass> pClass);
  ~CServer();
  std::atomic<ULONG> m_nRefs{1};
  std::shared_ptr<host::Object> m_pObject;
  std::shared_ptr<const ServerClass> m_pClass;
  std::vector<ComPtr<CConnectionPoint>> m_vecPoints;
  std::vector<host::Connection> m_vecHostEvents;
};

// A COM object of our own with IDispatch only, as the class factory hands it out: a host
// object (made by fnCreate) behind the class's member table.
ComPtr<IDispatch> CreateServer(std::shared_ptr<host::Object> p, std::shared_ptr<const ServerClass> pClass);

}  // namespace com

#include "com/Bridge.h"

template <class T>
std::shared_ptr<T> com::Args::ObjectAs(size_t i) const {
  auto p = Object(i);
  try {
    return Bind<T>(p);
  } catch (const host::Error&) {
    Fail(i);
  }
}
