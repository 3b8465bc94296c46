#include "com/DispatchServer.h"

#include <algorithm>
#include <unordered_map>

#include "com/Error.h"
#include "com/Events.h"
#include "com/Text.h"
#include "com/Variant.h"
#include "host/Text.h"

namespace com {
namespace {

std::atomic<long> g_nLiveObjects{0};

// The live server of each exposed host object.
std::unordered_map<const host::Object*, CServer*>& Servers() {
  static std::unordered_map<const host::Object*, CServer*> s_map;
  return s_map;
}

}  // namespace

long LiveObjects() {
  return g_nLiveObjects.load();
}
Counted::Counted() {
  ++g_nLiveObjects;
}
Counted::~Counted() {
  --g_nLiveObjects;
}

const void* ModuleToken() {
  static const char s_cToken = 0;
  return &s_cToken;
}

// ---- Args -------------------------------------------------------------------------------------

Args::Args(DISPPARAMS* pParams) : m_pParams(pParams), m_nPositional(pParams->cArgs - pParams->cNamedArgs) {}

const VARIANT* Args::At(size_t i) const {
  if (i >= m_nPositional) return nullptr;
  return &m_pParams->rgvarg[m_pParams->cArgs - 1 - i];
}

bool Args::IsMissing(size_t i) const {
  const VARIANT* p = At(i);
  return !p || (V_VT(p) == VT_ERROR && V_ERROR(p) == DISP_E_PARAMNOTFOUND);
}

void Args::Fail(size_t i) const {
  throw Mismatch{static_cast<UINT>(m_pParams->cArgs - 1 - i)};
}

host::Variant Args::operator[](size_t i) const {
  const VARIANT* p = At(i);
  if (!p) return {};
  try {
    return FromVariant(*p);
  } catch (const host::Error&) {
    Fail(i);
  }
}

host::Variant Args::PutValue() const {
  for (UINT i = 0; i < m_pParams->cNamedArgs; ++i)
    if (m_pParams->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT) return FromVariant(m_pParams->rgvarg[i]);
  return {};
}

int32_t Args::Long(size_t i) const {
  try {
    return (*this)[i].ToLong();
  } catch (const host::Error&) {
    Fail(i);
  }
}

int16_t Args::Integer(size_t i) const {
  try {
    return (*this)[i].ToInteger();
  } catch (const host::Error&) {
    Fail(i);
  }
}

std::string Args::String(size_t i) const {
  try {
    host::Variant v = (*this)[i];
    if (v.IsObject() || v.IsArray()) Fail(i);
    return v.ToString();
  } catch (const host::Error&) {
    Fail(i);
  }
}

bool Args::Bool(size_t i) const {
  try {
    return (*this)[i].ToBool();
  } catch (const host::Error&) {
    Fail(i);
  }
}

std::shared_ptr<host::Object> Args::Object(size_t i) const {
  host::Variant v = (*this)[i];
  if (v.IsEmpty()) return nullptr;
  if (!v.IsObject()) Fail(i);
  return v.ToObject();
}

void Args::Set(size_t i, const host::Variant& v) const {
  if (const VARIANT* p = At(i)) AssignByRef(*p, v);
}

// ---- ServerClass ------------------------------------------------------------------------------

const Member* ServerClass::Find(DISPID nId, WORD wFlags) const {
  const Member* pAny = nullptr;
  for (const auto& m : vecMembers) {
    if (m.nId != nId) continue;
    pAny = &m;
    if (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
      if (m.eKind == Member::Put) return &m;
    } else if (m.eKind == Member::Method || m.eKind == Member::Get) {
      return &m;
    }
  }
  (void)pAny;
  return nullptr;
}

const Member* ServerClass::FindName(const std::string& sName) const {
  std::string sFolded = host::FoldCase(sName);
  for (const auto& m : vecMembers)
    if (host::FoldCase(m.sName) == sFolded) return &m;
  return nullptr;
}

ITypeInfo* ServerClass::TypeInfo() const {
  if (pTypeInfo) return pTypeInfo.get();
  // One function per member, every argument and result a VARIANT: what late-bound clients
  // need to browse the object. The interface typeinfo is the one to hand out: it is the one
  // that lists the functions.
  std::vector<std::wstring> vecNames;
  vecNames.reserve(vecMembers.size());
  std::vector<std::vector<PARAMDATA>> vecParams(vecMembers.size());
  std::vector<METHODDATA> vecMethods;
  static wchar_t s_szArg[] = L"Arg";
  for (const auto& m : vecMembers) vecNames.push_back(Wide(m.sName));
  for (size_t i = 0; i < vecMembers.size(); ++i) {
    const auto& m = vecMembers[i];
    int nArgs = m.eKind == Member::Put ? 1 : m.nMaxArgs;
    vecParams[i].assign(static_cast<size_t>(nArgs), PARAMDATA{s_szArg, VT_VARIANT});
    METHODDATA md{};
    md.szName = vecNames[i].data();
    md.ppdata = vecParams[i].empty() ? nullptr : vecParams[i].data();
    md.dispid = m.nId;
    md.iMeth = static_cast<UINT>(i);
    md.cc = CC_STDCALL;
    md.cArgs = static_cast<UINT>(nArgs);
    md.wFlags = static_cast<WORD>(m.eKind);
    md.vtReturn = m.eKind == Member::Put ? VT_EMPTY : VT_VARIANT;
    vecMethods.push_back(md);
  }
  INTERFACEDATA id{vecMethods.data(), static_cast<UINT>(vecMethods.size())};
  ComPtr<ITypeInfo> pClassInfo;
  if (FAILED(CreateDispTypeInfo(&id, LOCALE_USER_DEFAULT, pClassInfo.put())) || !pClassInfo) return nullptr;
  HREFTYPE hRef = 0;
  ComPtr<ITypeInfo> pInterface;
  if (SUCCEEDED(pClassInfo->GetRefTypeOfImplType(0, &hRef)) &&
      SUCCEEDED(pClassInfo->GetRefTypeInfo(hRef, pInterface.put())) && pInterface)
    pTypeInfo = pInterface;
  else
    pTypeInfo = pClassInfo;
  return pTypeInfo.get();
}

// ---- CServer ----------------------------------------------------------------------------------

CServer::CServer(std::shared_ptr<host::Object> p, std::shared_ptr<const ServerClass> pClass)
    : m_pObject(std::move(p)), m_pClass(std::move(pClass)) {
  for (const auto& e : m_pClass->vecEvents)
    m_vecPoints.push_back(ComPtr<CConnectionPoint>::Attach(
        new CConnectionPoint(static_cast<IConnectionPointContainer*>(this), e.diid)));
  Servers()[m_pObject.get()] = this;
  if (m_pClass->fnConnectEvents) m_vecHostEvents = m_pClass->fnConnectEvents(*this, *m_pObject);
}

CServer::~CServer() {
  for (auto& c : m_vecHostEvents) c.reset();
  for (auto& p : m_vecPoints) p->Close();
  auto it = Servers().find(m_pObject.get());
  if (it != Servers().end() && it->second == this) Servers().erase(it);
}

ComPtr<IDispatch> CServer::For(const std::shared_ptr<host::Object>& p,
                               std::shared_ptr<const ServerClass> pClass) {
  if (!p) return {};
  auto it = Servers().find(p.get());
  if (it != Servers().end()) return ComPtr<IDispatch>(static_cast<IDispatch*>(it->second));
  return ComPtr<IDispatch>::Attach(static_cast<IDispatch*>(new CServer(p, std::move(pClass))));
}

ComPtr<IDispatch> CreateServer(std::shared_ptr<host::Object> p, std::shared_ptr<const ServerClass> pClass) {
  return CServer::For(p, std::move(pClass));
}

HRESULT CServer::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDispatch) {
    *ppv = static_cast<IDispatch*>(this);
  } else if (riid == IID_IConnectionPointContainer && !m_vecPoints.empty()) {
    *ppv = static_cast<IConnectionPointContainer*>(this);
  } else if (riid == IID_IQuilloHostObject) {
    *ppv = static_cast<IQuilloHostObject*>(this);
  } else {
    for (const auto& iid : m_pClass->vecInterfaces)
      if (riid == iid) *ppv = static_cast<IDispatch*>(this);
  }
  if (!*ppv) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG CServer::AddRef() {
  return ++m_nRefs;
}

ULONG CServer::Release() {
  ULONG n = --m_nRefs;
  if (n == 0) delete this;
  return n;
}

HRESULT CServer::GetTypeInfoCount(UINT* pn) {
  if (!pn) return E_POINTER;
  *pn = 1;
  return S_OK;
}

HRESULT CServer::GetTypeInfo(UINT n, LCID, ITypeInfo** pp) {
  if (!pp) return E_POINTER;
  *pp = nullptr;
  if (n != 0) return DISP_E_BADINDEX;
  ITypeInfo* p = m_pClass->TypeInfo();
  if (!p) return E_OUTOFMEMORY;
  p->AddRef();
  *pp = p;
  return S_OK;
}

HRESULT CServer::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
  if (!rgszNames || !rgDispId) return E_POINTER;
  if (cNames == 0) return S_OK;
  for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
  try {
    const Member* m = m_pClass->FindName(Utf8(rgszNames[0], rgszNames[0] ? wcslen(rgszNames[0]) : 0));
    if (!m) return DISP_E_UNKNOWNNAME;
    rgDispId[0] = m->nId;
    return cNames == 1 ? S_OK : DISP_E_UNKNOWNNAME;  // arguments are positional only
  } catch (...) {
    return DISP_E_UNKNOWNNAME;
  }
}

HRESULT CServer::Invoke(DISPID nId, REFIID, LCID, WORD wFlags, DISPPARAMS* pParams, VARIANT* pResult,
                        EXCEPINFO* pExcepInfo, UINT* puArgErr) {
  if (pResult) VariantInit(pResult);
  DISPPARAMS dpEmpty{};
  if (!pParams) pParams = &dpEmpty;
  const Member* m = m_pClass->Find(nId, wFlags);
  if (!m) return DISP_E_MEMBERNOTFOUND;
  bool bPut = (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  for (UINT i = 0; i < pParams->cNamedArgs; ++i)
    if (!(bPut && pParams->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT)) return DISP_E_NONAMEDARGS;
  if (pParams->cArgs < pParams->cNamedArgs || (pParams->cArgs && !pParams->rgvarg)) return E_INVALIDARG;
  if (bPut && pParams->cNamedArgs != 1) return DISP_E_PARAMNOTOPTIONAL;
  Args a(pParams);
  if (static_cast<int>(a.Count()) < m->nMinArgs || static_cast<int>(a.Count()) > m->nMaxArgs)
    return DISP_E_BADPARAMCOUNT;
  // A handler may release the last outside reference to this server.
  ComPtr<IDispatch> pSelf(static_cast<IDispatch*>(this));
  std::shared_ptr<host::Object> pObject = m_pObject;
  try {
    host::Variant vResult = m->fnInvoke(*pObject, a);
    if (pResult && !bPut) ToVariant(vResult, pResult);
    return S_OK;
  } catch (const Args::Mismatch& e) {
    if (puArgErr) *puArgErr = e.nArgErr;
    return DISP_E_TYPEMISMATCH;
  } catch (...) {
    return ExcepInfoFromCurrentError(pExcepInfo, m_pClass->sName.c_str());
  }
}

HRESULT CServer::EnumConnectionPoints(IEnumConnectionPoints** pp) {
  if (pp) *pp = nullptr;
  return E_NOTIMPL;
}

HRESULT CServer::FindConnectionPoint(REFIID riid, IConnectionPoint** pp) {
  if (!pp) return E_POINTER;
  *pp = nullptr;
  for (auto& p : m_vecPoints)
    if (p->Iid() == riid) {
      *pp = p.get();
      p->AddRef();
      return S_OK;
    }
  return CONNECT_E_NOCONNECTION;
}

HRESULT CServer::GetHostObject(const void* pModuleToken, void** ppObject) {
  if (!ppObject) return E_POINTER;
  *ppObject = nullptr;
  if (pModuleToken != ModuleToken()) return E_NOINTERFACE;
  *ppObject = &m_pObject;
  return S_OK;
}

void CServer::Raise(DISPID nId, std::vector<host::Variant>& args, const std::vector<size_t>& vecByRef) {
  ComPtr<IDispatch> pSelf(static_cast<IDispatch*>(this));
  std::vector<ComPtr<IDispatch>> vecSinks;
  for (size_t i = 0; i < m_pClass->vecEvents.size() && i < m_vecPoints.size(); ++i) {
    const auto& vecIds = m_pClass->vecEvents[i].vecEvents;
    if (std::find(vecIds.begin(), vecIds.end(), nId) == vecIds.end()) continue;
    for (auto& p : m_vecPoints[i]->Sinks()) vecSinks.push_back(p);
  }
  auto IsByRef = [&](size_t i) { return std::find(vecByRef.begin(), vecByRef.end(), i) != vecByRef.end(); };
  size_t n = args.size();
  std::unique_ptr<host::Error> pFailure;
  for (auto& pSink : vecSinks) {
    std::vector<VARIANT> vecValues(n), vecArgs(n);
    std::vector<VARIANT_BOOL> vecBools(n, VARIANT_FALSE);
    struct Cleanup {
      std::vector<VARIANT>& v;
      ~Cleanup() {
        for (auto& x : v) VariantClear(&x);
      }
    } oCleanup{vecValues};
    for (auto& v : vecValues) VariantInit(&v);
    try {
      for (size_t i = 0; i < n; ++i) {
        size_t r = n - 1 - i;
        ToVariant(args[i], &vecValues[r]);
        VariantInit(&vecArgs[r]);
        if (!IsByRef(i)) {
          vecArgs[r] = vecValues[r];  // a shallow view; vecValues owns it
        } else if (V_VT(&vecValues[r]) == VT_BOOL) {
          // Outlook's Cancel arguments: a Boolean by reference.
          vecBools[i] = V_BOOL(&vecValues[r]);
          V_VT(&vecArgs[r]) = VT_BYREF | VT_BOOL;
          V_BOOLREF(&vecArgs[r]) = &vecBools[i];
        } else {
          V_VT(&vecArgs[r]) = VT_BYREF | VT_VARIANT;
          V_VARIANTREF(&vecArgs[r]) = &vecValues[r];
        }
      }
    } catch (...) {
      continue;  // an argument that cannot go out: this sink does not get the event
    }
    DISPPARAMS dp{n ? vecArgs.data() : nullptr, nullptr, static_cast<UINT>(n), 0};
    EXCEPINFO ei{};
    VariantHolder vResult;
    HRESULT hr =
        pSink->Invoke(nId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, vResult.get(), &ei, nullptr);
    // What a sink let escape goes on to whoever raised the event once every sink had it, as an
    // error escaping an event handler reaches the code that raised it.
    if (hr == DISP_E_EXCEPTION) {
      host::Error e = ErrorFromExcepInfo(ei);  // frees its strings
      if (!pFailure) pFailure = std::make_unique<host::Error>(std::move(e));
    } else if (FAILED(hr) && hr != DISP_E_MEMBERNOTFOUND && !pFailure) {
      pFailure = std::make_unique<host::Error>(ErrorNumberOf(hr), DescriptionOfHResult(hr));
    }
    for (size_t i = 0; i < n; ++i) {
      if (!IsByRef(i)) continue;
      size_t r = n - 1 - i;
      host::IgnoreErrors([&] {
        args[i] = V_VT(&vecArgs[r]) == (VT_BYREF | VT_BOOL) ? host::Variant(vecBools[i] != VARIANT_FALSE)
                                                            : FromVariant(vecValues[r]);
      });
    }
  }
  if (pFailure) throw host::Error(*pFailure);
}

}  // namespace com
