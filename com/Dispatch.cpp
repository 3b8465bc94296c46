#include "com/Dispatch.h"

#include <map>
#include <mutex>
#include <unordered_map>

#include "com/Error.h"
#include "com/Text.h"
#include "com/Variant.h"
#include "host/Text.h"

namespace com {

struct Dispatch::NameCache {
  std::unordered_map<std::string, DISPID> mapIds;  // by folded name
};

namespace {

// Tables shared by every object of one described type, by the type's GUID or name.
std::map<std::string, std::weak_ptr<Dispatch::NameCache>>& SharedCaches() {
  static std::map<std::string, std::weak_ptr<Dispatch::NameCache>> s_map;
  return s_map;
}

std::string TypeKeyOf(IDispatch* p) {
  UINT nCount = 0;
  if (FAILED(p->GetTypeInfoCount(&nCount)) || nCount == 0) return {};
  ComPtr<ITypeInfo> pInfo;
  if (FAILED(p->GetTypeInfo(0, LOCALE_USER_DEFAULT, pInfo.put())) || !pInfo) return {};
  std::string sKey;
  TYPEATTR* pAttr = nullptr;
  if (SUCCEEDED(pInfo->GetTypeAttr(&pAttr)) && pAttr) {
    if (pAttr->guid != GUID_NULL) {
      wchar_t sz[40] = {};
      StringFromGUID2(pAttr->guid, sz, 40);
      sKey = "{guid}" + Utf8(sz, wcslen(sz));
    }
    pInfo->ReleaseTypeAttr(pAttr);
  }
  if (sKey.empty()) {
    BSTR bName = nullptr;
    if (SUCCEEDED(pInfo->GetDocumentation(MEMBERID_NIL, &bName, nullptr, nullptr, nullptr)) && bName &&
        SysStringLen(bName) > 0)
      sKey = "{name}" + FromBstr(bName);
    SysFreeString(bName);
  }
  return sKey;
}

}  // namespace

Dispatch::Dispatch(ComPtr<IDispatch> p) : m_p(std::move(p)) {}

DISPID Dispatch::IdOf(const std::string& sName) {
  if (!m_p) host::Raise(host::err::ObjectNotSet);
  if (!m_pCache) {
    std::string sKey = TypeKeyOf(m_p.get());
    if (!sKey.empty()) {
      auto& w = SharedCaches()[sKey];
      m_pCache = w.lock();
      if (!m_pCache) {
        m_pCache = std::make_shared<NameCache>();
        w = m_pCache;
      }
    } else {
      m_pCache = std::make_shared<NameCache>();
    }
  }
  std::string sFolded = host::FoldCase(sName);
  auto it = m_pCache->mapIds.find(sFolded);
  if (it != m_pCache->mapIds.end()) return it->second;
  std::wstring wName = Wide(sName);
  LPOLESTR pName = wName.data();
  DISPID nId = DISPID_UNKNOWN;
  HRESULT hr = m_p->GetIDsOfNames(IID_NULL, &pName, 1, LOCALE_USER_DEFAULT, &nId);
  if (FAILED(hr)) {
    if (hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND)
      host::Raise(host::err::NoSuchMember, "Object doesn't support this property or method: " + sName);
    RaiseHResult(hr);
  }
  m_pCache->mapIds.emplace(std::move(sFolded), nId);
  return nId;
}

host::Variant Dispatch::Call(const std::string& sName, std::vector<host::Variant> args) {
  return Invoke(IdOf(sName), DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, false, sName);
}

host::Variant Dispatch::Get(const std::string& sName, std::vector<host::Variant> args) {
  return Invoke(IdOf(sName), DISPATCH_PROPERTYGET, args, false, sName);
}

void Dispatch::Put(const std::string& sName, const host::Variant& value) {
  std::vector<host::Variant> args{value};
  Invoke(IdOf(sName), DISPATCH_PROPERTYPUT, args, false, sName);
}

void Dispatch::PutRef(const std::string& sName, const host::Variant& value) {
  std::vector<host::Variant> args{value};
  Invoke(IdOf(sName), DISPATCH_PROPERTYPUTREF, args, false, sName);
}

host::Variant Dispatch::CallByRef(const std::string& sName, std::vector<host::Variant>& args) {
  return Invoke(IdOf(sName), DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, true, sName);
}

host::Variant Dispatch::Invoke(DISPID nId, WORD wFlags, std::vector<host::Variant>& args, bool bByRef,
                               const std::string& sName) {
  if (!m_p) host::Raise(host::err::ObjectNotSet);
  size_t n = args.size();
  // The values, and for by-reference calls the VARIANTs that point at them; both in reverse
  // order, as DISPPARAMS wants.
  std::vector<VARIANT> vecValues(n), vecRefs(bByRef ? n : 0);
  for (auto& v : vecValues) VariantInit(&v);
  struct Cleanup {
    std::vector<VARIANT>& v;
    ~Cleanup() {
      for (auto& x : v) VariantClear(&x);
    }
  } oCleanup{vecValues};
  for (size_t i = 0; i < n; ++i) {
    ToVariant(args[i], &vecValues[n - 1 - i]);
    if (bByRef) {
      VariantInit(&vecRefs[n - 1 - i]);
      V_VT(&vecRefs[n - 1 - i]) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&vecRefs[n - 1 - i]) = &vecValues[n - 1 - i];
    }
  }
  DISPID nPut = DISPID_PROPERTYPUT;
  DISPPARAMS dp{};
  dp.cArgs = static_cast<UINT>(n);
  dp.rgvarg = n ? (bByRef ? vecRefs.data() : vecValues.data()) : nullptr;
  if (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    dp.cNamedArgs = 1;
    dp.rgdispidNamedArgs = &nPut;
  }
  VariantHolder vResult;
  EXCEPINFO ei{};
  UINT nArgErr = 0;
  HRESULT hr = m_p->Invoke(nId, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &dp, vResult.get(), &ei, &nArgErr);
  if (hr == DISP_E_EXCEPTION) throw ErrorFromExcepInfo(ei);
  if (FAILED(hr)) {
    if (hr == DISP_E_MEMBERNOTFOUND)
      host::Raise(host::err::NoSuchMember, "Object doesn't support this property or method: " + sName);
    RaiseHResult(hr);
  }
  if (bByRef)
    for (size_t i = 0; i < n; ++i) args[i] = FromVariant(vecValues[n - 1 - i]);
  return FromVariant(vResult.ref());
}

}  // namespace com
