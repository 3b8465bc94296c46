#include "com/Text.h"

#include "host/Error.h"

namespace com {

std::wstring Wide(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) host::Raise(host::err::InvalidProcedureCall, "not a UTF-8 text");
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string Utf8(const wchar_t* p, size_t nLength) {
  if (!p || nLength == 0) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, p, static_cast<int>(nLength), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, p, static_cast<int>(nLength), s.data(), n, nullptr, nullptr);
  return s;
}

std::string Utf8(const std::wstring& s) {
  return Utf8(s.data(), s.size());
}

std::string FromBstr(BSTR b) {
  return b ? Utf8(b, SysStringLen(b)) : std::string();
}

BSTR ToBstr(const std::string& s) {
  std::wstring w = Wide(s);
  BSTR b = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
  if (!b) host::Raise(host::err::OutOfMemory);
  return b;
}

}  // namespace com
