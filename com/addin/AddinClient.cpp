#include "com/addin/AddinClient.h"

#include "com/Bridge.h"
#include "com/Error.h"
#include "com/Text.h"
#include "com/Variant.h"
#include "com/addin/AddinIds.h"

namespace com::addin {
namespace {

// What Office passes as custom: an empty array of variants.
class CEmptyCustom {
 public:
  CEmptyCustom() : m_p(SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
  ~CEmptyCustom() {
    if (m_p) SafeArrayDestroy(m_p);
  }
  CEmptyCustom(const CEmptyCustom&) = delete;
  CEmptyCustom& operator=(const CEmptyCustom&) = delete;
  SAFEARRAY** get() { return &m_p; }

 private:
  SAFEARRAY* m_p;
};

class CAddinClient : public host::AddIn {
 public:
  explicit CAddinClient(ComPtr<_IDTExtensibility2> p) : m_p(std::move(p)) {}
  std::string TypeName() const override { return "Connect"; }

  void OnConnection(const std::shared_ptr<host::Object>& Application, int32_t ConnectMode,
                    const std::shared_ptr<host::Object>& AddInInst, host::Variant&) override {
    auto pApp = ComPtr<IDispatch>::Attach(ExposeObject(Application));
    auto pInst = ComPtr<IDispatch>::Attach(ExposeObject(AddInInst));
    CEmptyCustom oCustom;
    Check(Live()->OnConnection(pApp.get(), ConnectMode, pInst.get(), oCustom.get()), "OnConnection");
  }
  void OnStartupComplete(host::Variant&) override {
    CEmptyCustom oCustom;
    Check(Live()->OnStartupComplete(oCustom.get()), "OnStartupComplete");
  }
  void OnBeginShutdown(host::Variant&) override {
    CEmptyCustom oCustom;
    Check(Live()->OnBeginShutdown(oCustom.get()), "OnBeginShutdown");
  }
  void OnDisconnection(int32_t RemoveMode, host::Variant&) override {
    CEmptyCustom oCustom;
    // The add-in stays loaded: Outlook may connect it again.
    Check(Live()->OnDisconnection(RemoveMode, oCustom.get()), "OnDisconnection");
  }

 private:
  _IDTExtensibility2* Live() {
    if (!m_p) host::Raise(host::err::ObjectNotSet);
    return m_p.get();
  }
  ComPtr<_IDTExtensibility2> m_p;
};

}  // namespace

std::shared_ptr<host::AddIn> CreateAddinByProgId(const std::string& sProgId) {
  EnsureComInitialized();
  std::wstring wProgId = Wide(sProgId);
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(wProgId.c_str(), &clsid)))
    host::Raise(host::err::CantCreateObject, "The add-in " + sProgId + " is not registered.");
  ComPtr<_IDTExtensibility2> p;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__IDTExtensibility2, p.put_void());
  if (FAILED(hr) || !p) {
    // The add-in's own account of the failure, when it left one.
    std::string sWhy = DescriptionOfHResult(hr);
    ComPtr<IErrorInfo> pInfo;
    BSTR b = nullptr;
    if (GetErrorInfo(0, pInfo.put()) == S_OK && pInfo && SUCCEEDED(pInfo->GetDescription(&b)) && b)
      sWhy = FromBstr(b);
    SysFreeString(b);
    host::Raise(host::err::CantCreateObject, "The add-in " + sProgId + " cannot be created (" + sWhy + ").");
  }
  return std::make_shared<CAddinClient>(std::move(p));
}

}  // namespace com::addin
