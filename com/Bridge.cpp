#include "com/Bridge.h"

#include <map>
#include <utility>
#include <vector>

#include "com/DispatchServer.h"
#include "com/Error.h"
#include "com/Text.h"

namespace com {
namespace {

std::vector<Exposer>& Exposers() {
  static std::vector<Exposer> s_vec;
  return s_vec;
}

std::map<std::type_index, Binder>& Binders() {
  static std::map<std::type_index, Binder> s_map;
  return s_map;
}

// One wrapper per COM object and interface while it lives: identity comparisons of host
// objects then mean what they mean for COM objects.
std::map<std::pair<IUnknown*, std::type_index>, std::weak_ptr<host::Object>>& Wrappers() {
  static std::map<std::pair<IUnknown*, std::type_index>, std::weak_ptr<host::Object>> s_map;
  return s_map;
}

ComPtr<IUnknown> IdentityOf(IDispatch* p) {
  ComPtr<IUnknown> pUnk;
  p->QueryInterface(IID_IUnknown, pUnk.put_void());
  return pUnk;
}

template <class F>
std::shared_ptr<host::Object> CachedWrapper(IDispatch* p, std::type_index type, F&& fnMake) {
  ComPtr<IUnknown> pIdentity = IdentityOf(p);
  auto key = std::make_pair(pIdentity.get(), type);
  auto& map = Wrappers();
  auto it = map.find(key);
  if (it != map.end()) {
    if (auto pExisting = it->second.lock()) return pExisting;
  }
  // Sweep the dead entries now and then, so the table does not grow with every object seen.
  if (map.size() > 256)
    for (auto i = map.begin(); i != map.end();) i = i->second.expired() ? map.erase(i) : std::next(i);
  std::shared_ptr<host::Object> pNew = fnMake();
  map[key] = pNew;
  return pNew;
}

}  // namespace

std::string CDispatchObject::TypeName() const {
  std::string sName = "Object";
  host::IgnoreErrors([&] {
    UINT nCount = 0;
    if (FAILED(m_oDisp.get()->GetTypeInfoCount(&nCount)) || nCount == 0) return;
    ComPtr<ITypeInfo> pInfo;
    if (FAILED(m_oDisp.get()->GetTypeInfo(0, LOCALE_USER_DEFAULT, pInfo.put())) || !pInfo) return;
    BSTR b = nullptr;
    if (SUCCEEDED(pInfo->GetDocumentation(MEMBERID_NIL, &b, nullptr, nullptr, nullptr)) && b &&
        SysStringLen(b) > 0) {
      sName = FromBstr(b);
      // Visual Basic shows the class, not its default interface's leading underscore.
      if (sName.size() > 1 && sName[0] == '_') sName.erase(0, 1);
    }
    SysFreeString(b);
  });
  return sName;
}

void AddExposer(Exposer fn) {
  Exposers().push_back(std::move(fn));
}

void AddBinder(std::type_index type, Binder fn) {
  Binders()[type] = std::move(fn);
}

IDispatch* ExposeObject(const std::shared_ptr<host::Object>& p) {
  if (!p) return nullptr;
  if (auto* pHolder = dynamic_cast<const DispatchHolder*>(p.get())) {
    IDispatch* pDisp = pHolder->GetDispatch();
    if (pDisp) pDisp->AddRef();
    return pDisp;
  }
  for (const auto& fn : Exposers())
    if (IDispatch* pDisp = fn(p)) return pDisp;
  host::Raise(host::err::TypeMismatch,
              "an object of type " + p->TypeName() + " cannot be passed through COM");
}

std::shared_ptr<host::Object> AdoptDispatch(IDispatch* p) {
  if (!p) return nullptr;
  ComPtr<IQuilloHostObject> pOwn;
  if (SUCCEEDED(p->QueryInterface(IID_IQuilloHostObject, pOwn.put_void())) && pOwn) {
    void* pObject = nullptr;
    if (SUCCEEDED(pOwn->GetHostObject(ModuleToken(), &pObject)) && pObject)
      return *static_cast<std::shared_ptr<host::Object>*>(pObject);
  }
  return CachedWrapper(p, typeid(CDispatchObject),
                       [&] { return std::make_shared<CDispatchObject>(ComPtr<IDispatch>(p)); });
}

std::shared_ptr<host::Object> BindAs(const std::shared_ptr<host::Object>& p, const std::type_info& type) {
  if (!p) return nullptr;
  if (type == typeid(host::Object)) return p;
  auto* pGeneric = dynamic_cast<CDispatchObject*>(p.get());
  if (!pGeneric) return p;  // already a host object of some kind; the caller's cast decides
  auto it = Binders().find(type);
  if (it == Binders().end())
    host::Raise(host::err::TypeMismatch, std::string("no COM binding for the interface ") + type.name());
  IDispatch* pDisp = pGeneric->GetDispatch();
  Binder fnBind = it->second;
  return CachedWrapper(pDisp, type, [&] { return fnBind(ComPtr<IDispatch>(pDisp)); });
}

std::shared_ptr<host::Object> BindCreated(ComPtr<IDispatch> p, const std::type_info& type) {
  return BindAs(AdoptDispatch(p.get()), type);
}

void EnsureComInitialized() {
  thread_local bool t_bDone = false;
  if (t_bDone) return;
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // S_FALSE: already initialised; RPC_E_CHANGED_MODE: initialised differently by the
  // process, which still lets in-process objects run.
  if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) Check(hr, "CoInitializeEx");
  t_bDone = true;
}

void InstallCreateObjectFallback() {
  host::ObjectRegistry::Instance().SetFallback(
      [](const std::string& sProgId, const std::type_info& type) -> std::shared_ptr<host::Object> {
        EnsureComInitialized();
        std::wstring wProgId = Wide(sProgId);
        CLSID clsid{};
        HRESULT hr = CLSIDFromProgID(wProgId.c_str(), &clsid);
        if (FAILED(hr)) host::Raise(host::err::CantCreateObject);
        ComPtr<IDispatch> pDisp;
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                              pDisp.put_void());
        if (FAILED(hr)) {
          if (hr == REGDB_E_CLASSNOTREG || hr == CO_E_DLLNOTFOUND || hr == CO_E_ERRORINDLL ||
              hr == E_NOINTERFACE || hr == CLASS_E_CLASSNOTAVAILABLE)
            host::Raise(host::err::CantCreateObject, host::DescriptionOf(host::err::CantCreateObject) + " (" +
                                                         DescriptionOfHResult(hr) + ")");
          RaiseHResult(hr);
        }
        return BindCreated(std::move(pDisp), type);
      });
}

}  // namespace com
