// BSTR and UTF-16 <-> the add-in's UTF-8 strings, in one place.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>

namespace com {

std::wstring Wide(const std::string& s);
std::string Utf8(const wchar_t* p, size_t nLength);
std::string Utf8(const std::wstring& s);
// A BSTR may be null (an empty string) and may hold embedded zeros: its length counts.
std::string FromBstr(BSTR b);
// A new BSTR the caller owns (SysFreeString); throws host::Error 7 when out of memory.
BSTR ToBstr(const std::string& s);

// Owns one BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::string& s) : m_b(ToBstr(s)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(m_b); }
  BSTR get() const { return m_b; }
  BSTR Detach() {
    BSTR b = m_b;
    m_b = nullptr;
    return b;
  }

 private:
  BSTR m_b = nullptr;
};

}  // namespace com
