#include "com/Error.h"

#include "com/Text.h"

namespace com {
namespace {

constexpr uint32_t kControlBase = 0x800A0000u;

bool IsVbNumber(int32_t n) {
  return n > 0 && n <= 0xFFFF;
}

void SetThreadErrorInfo(const char* sSource, const std::string& sDescription) {
  ICreateErrorInfo* pCreate = nullptr;
  if (FAILED(CreateErrorInfo(&pCreate)) || !pCreate) return;
  std::wstring wSource = Wide(sSource ? sSource : "");
  std::wstring wDescription = Wide(sDescription);
  pCreate->SetSource(wSource.data());
  pCreate->SetDescription(wDescription.data());
  IErrorInfo* pInfo = nullptr;
  if (SUCCEEDED(pCreate->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&pInfo))) && pInfo) {
    SetErrorInfo(0, pInfo);
    pInfo->Release();
  }
  pCreate->Release();
}

}  // namespace

HRESULT HResultOf(int32_t nNumber) {
  if (IsVbNumber(nNumber)) return static_cast<HRESULT>(kControlBase + static_cast<uint32_t>(nNumber));
  if (nNumber == 0) return E_FAIL;  // an error without a number still failed
  return static_cast<HRESULT>(nNumber);
}

int32_t ErrorNumberOf(HRESULT hr) {
  uint32_t u = static_cast<uint32_t>(hr);
  if ((u & 0xFFFF0000u) == kControlBase && (u & 0xFFFFu) != 0) return static_cast<int32_t>(u & 0xFFFFu);
  return static_cast<int32_t>(hr);
}

std::string DescriptionOfHResult(HRESULT hr) {
  int32_t n = ErrorNumberOf(hr);
  if (IsVbNumber(n)) return host::DescriptionOf(n);
  wchar_t* p = nullptr;
  DWORD nLen = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&p), 0, nullptr);
  std::string s;
  if (nLen && p) {
    s = Utf8(p, nLen);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  }
  if (p) LocalFree(p);
  if (s.empty()) {
    char sz[32];
    wsprintfA(sz, "Automation error 0x%08lX", static_cast<unsigned long>(hr));
    s = sz;
  }
  return s;
}

void Check(HRESULT hr, const char* sWhat) {
  if (FAILED(hr))
    RaiseHResult(hr, sWhat ? std::string(sWhat) + ": " + DescriptionOfHResult(hr) : std::string());
}

void RaiseHResult(HRESULT hr, const std::string& sDescription) {
  throw host::Error(ErrorNumberOf(hr), sDescription.empty() ? DescriptionOfHResult(hr) : sDescription);
}

host::Error ErrorFromExcepInfo(EXCEPINFO& ei) {
  if (ei.pfnDeferredFillIn) {
    ei.pfnDeferredFillIn(&ei);
    ei.pfnDeferredFillIn = nullptr;
  }
  HRESULT hr = ei.scode != 0 ? ei.scode : (ei.wCode != 0 ? HResultOf(ei.wCode) : DISP_E_EXCEPTION);
  std::string sDescription = FromBstr(ei.bstrDescription);
  SysFreeString(ei.bstrDescription);
  SysFreeString(ei.bstrSource);
  SysFreeString(ei.bstrHelpFile);
  ei.bstrDescription = ei.bstrSource = ei.bstrHelpFile = nullptr;
  if (sDescription.empty()) sDescription = DescriptionOfHResult(hr);
  return host::Error(ErrorNumberOf(hr), sDescription);
}

HRESULT ExcepInfoFromCurrentError(EXCEPINFO* pExcepInfo, const char* sSource) {
  host::ErrorInfo e = host::CurrentError();
  HRESULT hr = HResultOf(e.nNumber);
  if (!pExcepInfo) {
    SetThreadErrorInfo(sSource, e.sDescription);
    return hr;
  }
  *pExcepInfo = EXCEPINFO{};
  pExcepInfo->scode = hr;
  try {
    pExcepInfo->bstrDescription = ToBstr(e.sDescription);
    pExcepInfo->bstrSource = ToBstr(sSource ? sSource : "");
  } catch (...) {
  }
  return DISP_E_EXCEPTION;
}

HRESULT HResultFromCurrentError(const char* sSource) {
  host::ErrorInfo e = host::CurrentError();
  SetThreadErrorInfo(sSource, e.sDescription);
  return HResultOf(e.nNumber);
}

}  // namespace com
