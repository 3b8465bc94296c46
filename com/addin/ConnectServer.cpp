#include "com/addin/ConnectServer.h"

#include <atomic>
#include <cwchar>

#include "com/Bridge.h"
#include "com/DispatchServer.h"
#include "com/Error.h"
#include "com/Text.h"
#include "com/Variant.h"

namespace com::addin {
namespace {

// The custom array Office passes (an empty array in practice) as the add-in sees it.
host::Variant CustomOf(SAFEARRAY** ppCustom) {
  if (!ppCustom || !*ppCustom) return {};
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&v) = *ppCustom;  // borrowed: not cleared
  host::Variant vOut;
  host::IgnoreErrors([&] { vOut = FromVariant(v); });
  return vOut;
}

class CConnectServer final : public ComObject<_IDTExtensibility2> {
 public:
  explicit CConnectServer(std::shared_ptr<host::AddIn> pAddIn) : m_pAddIn(std::move(pAddIn)) {}

  // IDispatch: the five events by name and by dispatch ID, no type information.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pn) override {
    if (!pn) return E_POINTER;
    *pn = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** pp) override {
    if (pp) *pp = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID,
                                          DISPID* rgDispId) override {
    if (!rgszNames || !rgDispId) return E_POINTER;
    static const struct {
      const wchar_t* sName;
      DISPID nId;
    } kNames[] = {{L"OnConnection", kOnConnection},
                  {L"OnDisconnection", kOnDisconnection},
                  {L"OnAddInsUpdate", kOnAddInsUpdate},
                  {L"OnStartupComplete", kOnStartupComplete},
                  {L"OnBeginShutdown", kOnBeginShutdown}};
    for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
    if (cNames == 0) return S_OK;
    for (const auto& n : kNames)
      if (rgszNames[0] && _wcsicmp(rgszNames[0], n.sName) == 0) {
        rgDispId[0] = n.nId;
        return cNames == 1 ? S_OK : DISP_E_UNKNOWNNAME;
      }
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID nId, REFIID, LCID, WORD wFlags, DISPPARAMS* pParams,
                                   VARIANT* pResult, EXCEPINFO*, UINT* puArgErr) override {
    if (pResult) VariantInit(pResult);
    if (!(wFlags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS dpEmpty{};
    if (!pParams) pParams = &dpEmpty;
    if (pParams->cNamedArgs) return DISP_E_NONAMEDARGS;
    const UINT n = pParams->cArgs;
    // Arguments in declaration order (DISPPARAMS holds them reversed).
    auto At = [&](UINT i) -> VARIANT* { return &pParams->rgvarg[n - 1 - i]; };
    auto Custom = [&](UINT i) -> SAFEARRAY** {
      VARIANT* p = At(i);
      if (V_VT(p) == (VT_BYREF | VT_ARRAY | VT_VARIANT)) return V_ARRAYREF(p);
      if (V_VT(p) == (VT_ARRAY | VT_VARIANT)) return &V_ARRAY(p);
      return nullptr;
    };
    auto Long = [&](UINT i, LONG& nOut) {
      VARIANT v;
      VariantInit(&v);
      if (FAILED(VariantChangeType(&v, At(i), 0, VT_I4))) {
        if (puArgErr) *puArgErr = n - 1 - i;
        return false;
      }
      nOut = V_I4(&v);
      return true;
    };
    auto Object = [&](UINT i, IDispatch*& pOut) {
      VARIANT* p = At(i);
      VARTYPE vt = V_VT(p);
      if (vt == VT_DISPATCH)
        pOut = V_DISPATCH(p);
      else if (vt == (VT_BYREF | VT_DISPATCH))
        pOut = V_DISPATCHREF(p) ? *V_DISPATCHREF(p) : nullptr;
      else if (vt == VT_EMPTY || vt == VT_NULL)
        pOut = nullptr;
      else {
        if (puArgErr) *puArgErr = n - 1 - i;
        return false;
      }
      return true;
    };
    switch (nId) {
      case kOnConnection: {
        if (n != 4) return DISP_E_BADPARAMCOUNT;
        IDispatch* pApp = nullptr;
        IDispatch* pInst = nullptr;
        LONG nMode = 0;
        if (!Object(0, pApp) || !Long(1, nMode) || !Object(2, pInst)) return DISP_E_TYPEMISMATCH;
        return OnConnection(pApp, nMode, pInst, Custom(3));
      }
      case kOnDisconnection: {
        if (n != 2) return DISP_E_BADPARAMCOUNT;
        LONG nMode = 0;
        if (!Long(0, nMode)) return DISP_E_TYPEMISMATCH;
        return OnDisconnection(nMode, Custom(1));
      }
      case kOnAddInsUpdate:
      case kOnStartupComplete:
      case kOnBeginShutdown: {
        if (n != 1) return DISP_E_BADPARAMCOUNT;
        SAFEARRAY** pp = Custom(0);
        return nId == kOnAddInsUpdate      ? OnAddInsUpdate(pp)
               : nId == kOnStartupComplete ? OnStartupComplete(pp)
                                           : OnBeginShutdown(pp);
      }
      default: return DISP_E_MEMBERNOTFOUND;
    }
  }

  // _IDTExtensibility2. Nothing is thrown back into Office: a failure the add-in did not trap
  // becomes the call's HRESULT.
  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, LONG ConnectMode, IDispatch* AddInInst,
                                         SAFEARRAY** custom) override {
    return Trap("OnConnection", [&] {
      // Bound before the add-in sees it: the add-in works on host::Application only.
      std::shared_ptr<host::Object> oApp = Bind<host::Application>(AdoptDispatch(Application));
      std::shared_ptr<host::Object> oInst = AdoptDispatch(AddInInst);
      host::Variant vCustom = CustomOf(custom);
      m_pAddIn->OnConnection(oApp, ConnectMode, oInst, vCustom);
    });
  }
  HRESULT STDMETHODCALLTYPE OnDisconnection(LONG RemoveMode, SAFEARRAY** custom) override {
    return Trap("OnDisconnection", [&] {
      host::Variant vCustom = CustomOf(custom);
      m_pAddIn->OnDisconnection(RemoveMode, vCustom);
    });
  }
  // The add-in has nothing to do when other add-ins come and go.
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override {
    return Trap("OnStartupComplete", [&] {
      host::Variant vCustom = CustomOf(custom);
      m_pAddIn->OnStartupComplete(vCustom);
    });
  }
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override {
    return Trap("OnBeginShutdown", [&] {
      host::Variant vCustom = CustomOf(custom);
      m_pAddIn->OnBeginShutdown(vCustom);
    });
  }

 private:
  ~CConnectServer() = default;

  template <class F>
  HRESULT Trap(const char* sWhat, F&& fn) noexcept {
    // Office may release the add-in from inside an event.
    ComPtr<IDispatch> pSelf(static_cast<IDispatch*>(this));
    try {
      fn();
      return S_OK;
    } catch (...) {
      return HResultFromCurrentError(sWhat);
    }
  }

  bool Answers(REFIID riid) const override { return riid == IID_IDispatch || riid == IID__IDTExtensibility2; }

  std::shared_ptr<host::AddIn> m_pAddIn;
};

}  // namespace

ComPtr<IDispatch> CreateConnectServer(std::shared_ptr<host::AddIn> pAddIn) {
  host::Deref(pAddIn);
  return ComPtr<IDispatch>::Attach(static_cast<IDispatch*>(new CConnectServer(std::move(pAddIn))));
}

}  // namespace com::addin
