// Our own servers as another module would see them: a forwarding IDispatch that hides the
// private interface by which a module recognises its own objects, so that a test in one process
// goes through the binding at every step, as Quillo.dll does against Outlook. Objects that come
// out are wrapped the same way (one wrapper per object, so COM identity holds); wrapped objects
// that go back in are unwrapped.
#pragma once

#include <map>

#include "com/Bridge.h"
#include "com/ComPtr.h"
#include "com/DispatchServer.h"

namespace comtest {

// {3C0B1E54-2F6A-4D8B-8E77-5A9D0C1B2E63}
inline constexpr IID IID_IForeignObject = {
    0x3c0b1e54, 0x2f6a, 0x4d8b, {0x8e, 0x77, 0x5a, 0x9d, 0x0c, 0x1b, 0x2e, 0x63}};

class CForeign final : public IDispatch {
 public:
  static com::ComPtr<IDispatch> Wrap(IDispatch* pInner) {
    if (!pInner) return {};
    if (CForeign* p = Of(pInner)) return com::ComPtr<IDispatch>(p);
    auto it = Live().find(pInner);
    if (it != Live().end()) return com::ComPtr<IDispatch>(it->second);
    return com::ComPtr<IDispatch>::Attach(new CForeign(pInner));
  }
  static CForeign* Of(IUnknown* p) {
    CForeign* pOut = nullptr;
    if (p && SUCCEEDED(p->QueryInterface(IID_IForeignObject, reinterpret_cast<void**>(&pOut))) && pOut) {
      pOut->Release();
      return pOut;
    }
    return nullptr;
  }
  IDispatch* Inner() const { return m_pInner.get(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IForeignObject) {
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    if (riid == com::IID_IQuilloHostObject) return E_NOINTERFACE;
    return m_pInner->QueryInterface(riid, ppv);  // the connection points, for one
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_nRefs; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --m_nRefs;
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pn) override { return m_pInner->GetTypeInfoCount(pn); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT n, LCID lcid, ITypeInfo** pp) override {
    return m_pInner->GetTypeInfo(n, lcid, pp);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                          DISPID* rgDispId) override {
    return m_pInner->GetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID nId, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pParams,
                                   VARIANT* pResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override {
    // Wrapped objects go back in as themselves (the argument keeps its reference: a shallow swap).
    std::vector<std::pair<VARIANT*, IDispatch*>> vecSwapped;
    for (UINT i = 0; pParams && i < pParams->cArgs; ++i) {
      VARIANT* p = &pParams->rgvarg[i];
      if (V_VT(p) == VT_DISPATCH)
        if (CForeign* pForeign = Of(V_DISPATCH(p))) {
          vecSwapped.emplace_back(p, V_DISPATCH(p));
          V_DISPATCH(p) = pForeign->Inner();
        }
    }
    HRESULT hr = m_pInner->Invoke(nId, riid, lcid, wFlags, pParams, pResult, pExcepInfo, puArgErr);
    for (auto& [p, pOld] : vecSwapped) V_DISPATCH(p) = pOld;
    if (SUCCEEDED(hr) && pResult && V_VT(pResult) == VT_DISPATCH && V_DISPATCH(pResult)) {
      com::ComPtr<IDispatch> pInner = com::ComPtr<IDispatch>::Attach(V_DISPATCH(pResult));
      V_DISPATCH(pResult) = Wrap(pInner.get()).Detach();
    }
    return hr;
  }

 private:
  explicit CForeign(IDispatch* pInner) : m_pInner(pInner) { Live()[pInner] = this; }
  ~CForeign() { Live().erase(m_pInner.get()); }
  static std::map<IDispatch*, CForeign*>& Live() {
    static std::map<IDispatch*, CForeign*> s_map;
    return s_map;
  }
  ULONG m_nRefs = 1;
  com::ComPtr<IDispatch> m_pInner;
};

// One of our servers bound to host interface T as another module would bind it.
template <class T>
std::shared_ptr<T> BindForeign(IDispatch* pServer) {
  std::shared_ptr<host::Object> p = std::make_shared<com::CDispatchObject>(CForeign::Wrap(pServer));
  return com::Bind<T>(p);
}

}  // namespace comtest
