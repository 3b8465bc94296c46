#include "com/Events.h"

#include <utility>

#include "com/Error.h"

namespace com {

CConnectionPoint::CConnectionPoint(IConnectionPointContainer* pContainer, const IID& iid)
    : m_pContainer(pContainer), m_iid(iid) {}

void CConnectionPoint::Close() {
  m_pContainer = nullptr;
  auto mapOld = std::move(m_mapSinks);
  m_mapSinks.clear();
  // mapOld releases the sinks here, after the point no longer lists them.
}

std::vector<ComPtr<IDispatch>> CConnectionPoint::Sinks() const {
  std::vector<ComPtr<IDispatch>> vec;
  vec.reserve(m_mapSinks.size());
  for (const auto& [nCookie, pSink] : m_mapSinks) vec.push_back(pSink);
  return vec;
}

HRESULT CConnectionPoint::GetConnectionInterface(IID* pIID) {
  if (!pIID) return E_POINTER;
  *pIID = m_iid;
  return S_OK;
}

HRESULT CConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** pp) {
  if (!pp) return E_POINTER;
  *pp = m_pContainer;
  if (!m_pContainer) return E_UNEXPECTED;
  m_pContainer->AddRef();
  return S_OK;
}

HRESULT CConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
  if (!pdwCookie) return E_POINTER;
  *pdwCookie = 0;
  if (!pUnkSink) return E_POINTER;
  if (!m_pContainer) return E_UNEXPECTED;
  // Sinks are called through IDispatch; a sink must at least claim the event interface or
  // IDispatch.
  ComPtr<IDispatch> pSink;
  if (FAILED(pUnkSink->QueryInterface(m_iid, pSink.put_void())) || !pSink) {
    if (FAILED(pUnkSink->QueryInterface(IID_IDispatch, pSink.put_void())) || !pSink)
      return CONNECT_E_CANNOTCONNECT;
  }
  DWORD nCookie = m_nNextCookie++;
  m_mapSinks.emplace(nCookie, std::move(pSink));
  *pdwCookie = nCookie;
  return S_OK;
}

HRESULT CConnectionPoint::Unadvise(DWORD dwCookie) {
  auto it = m_mapSinks.find(dwCookie);
  if (it == m_mapSinks.end()) return CONNECT_E_NOCONNECTION;
  ComPtr<IDispatch> pSink = std::move(it->second);
  m_mapSinks.erase(it);
  return S_OK;  // pSink goes last, after the point forgot it
}

HRESULT CConnectionPoint::EnumConnections(IEnumConnections** pp) {
  if (pp) *pp = nullptr;
  return E_NOTIMPL;
}

namespace {

// A client's sink: an IDispatch that answers to the event interface and calls the handler of
// each event it knows. Once disabled, it ignores every call.
class CSink final : public ComObject<IDispatch> {
 public:
  CSink(const IID& diid, std::map<DISPID, EventHandler> handlers)
      : m_diid(diid), m_mapHandlers(std::move(handlers)) {}
  void Disable() { m_mapHandlers.clear(); }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pn) override {
    if (pn) *pn = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** pp) override {
    if (pp) *pp = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT cNames, LCID, DISPID* rgDispId) override {
    for (UINT i = 0; rgDispId && i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID nId, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT* pResult,
                                   EXCEPINFO* pExcepInfo, UINT*) override {
    if (pResult) VariantInit(pResult);
    // The handler may drop the handle that owns this sink: both live to the end of the call.
    ComPtr<CSink> pSelf(this);
    auto it = m_mapHandlers.find(nId);
    if (it == m_mapHandlers.end()) return S_OK;  // events nobody listens to are fine
    EventHandler fnHandler = it->second;
    DISPPARAMS dpEmpty{};
    try {
      fnHandler(Args(pParams ? pParams : &dpEmpty));
    } catch (const Args::Mismatch&) {
      return DISP_E_TYPEMISMATCH;
    } catch (...) {
      return ExcepInfoFromCurrentError(pExcepInfo, "event sink");
    }
    return S_OK;
  }

 private:
  ~CSink() override = default;
  bool Answers(REFIID riid) const override { return riid == IID_IDispatch || riid == m_diid; }

  IID m_diid;
  std::map<DISPID, EventHandler> m_mapHandlers;
};

}  // namespace

SinkConnection::SinkConnection(SinkConnection&& o) noexcept
    : m_pPoint(std::move(o.m_pPoint)),
      m_nCookie(std::exchange(o.m_nCookie, 0)),
      m_pSink(std::move(o.m_pSink)) {}

SinkConnection& SinkConnection::operator=(SinkConnection&& o) noexcept {
  if (this != &o) {
    reset();
    m_pPoint = std::move(o.m_pPoint);
    m_nCookie = std::exchange(o.m_nCookie, 0);
    m_pSink = std::move(o.m_pSink);
  }
  return *this;
}

void SinkConnection::reset() noexcept {
  ComPtr<IConnectionPoint> pPoint = std::move(m_pPoint);
  ComPtr<IDispatch> pSink = std::move(m_pSink);
  if (pSink) static_cast<CSink*>(pSink.get())->Disable();
  if (pPoint) pPoint->Unadvise(std::exchange(m_nCookie, 0));
}

SinkConnection Advise(IUnknown* pSource, const IID& diid, std::map<DISPID, EventHandler> handlers) {
  if (!pSource) host::Raise(host::err::ObjectNotSet);
  ComPtr<IConnectionPointContainer> pContainer;
  Check(pSource->QueryInterface(IID_IConnectionPointContainer, pContainer.put_void()), "events");
  SinkConnection o;
  Check(pContainer->FindConnectionPoint(diid, o.m_pPoint.put()), "events");
  auto pSink = ComPtr<CSink>::Attach(new CSink(diid, std::move(handlers)));
  DWORD nCookie = 0;
  HRESULT hr = o.m_pPoint->Advise(static_cast<IDispatch*>(pSink.get()), &nCookie);
  if (FAILED(hr)) {
    o.m_pPoint.reset();
    Check(hr, "events");
  }
  o.m_nCookie = nCookie;
  o.m_pSink = ComPtr<IDispatch>(static_cast<IDispatch*>(pSink.get()));
  return o;
}

}  // namespace com
