#include "host/Variant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "host/Text.h"

namespace host {
namespace {

std::string ElementTypeName(VarType e) {
  switch (e) {
    case vbInteger: return "Integer";
    case vbLong: return "Long";
    case vbSingle: return "Single";
    case vbDouble: return "Double";
    case vbDate: return "Date";
    case vbString: return "String";
    case vbObject: return "Object";
    case vbBoolean: return "Boolean";
    case vbByte: return "Byte";
    default: return "Variant";
  }
}

// Round half to even, as CLng and CInt do.
double RoundBankers(double d) {
  double r = std::nearbyint(d);  // default rounding mode is to nearest, ties to even
  return r;
}

// The dates Visual Basic knows: 1 January 100 to 31 December 9999, the whole last day included.
// The time of a day before 1899 counts forwards from its start, so -657434.99 is still 1 January
// 100.
constexpr double kFirstOleDay = -657434.0;
constexpr double kLastOleDay = 2958465.0;

// Civil date from an OLE date (days since 1899-12-30); error 6 (Overflow) outside Visual Basic's
// range, NaN included.
void SplitDate(double dOle, int& y, int& m, int& d, int& hh, int& mm, int& ss) {
  if (!(dOle > kFirstOleDay - 1.0 && dOle < kLastOleDay + 1.0)) Raise(err::Overflow);
  // The day counts away from 30 Dec 1899 and the fraction is the time of that day, also before
  // it: -1.25 is 29 Dec 1899, 6:00.
  double dDays = std::trunc(dOle);
  double dFrac = std::fabs(dOle - dDays);
  long long z = static_cast<long long>(dDays) - 25569 + 719468;  // days since 0000-03-01
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
  long long nSecs = std::llround(dFrac * 86400.0);
  if (nSecs >= 86400) nSecs = 86399;
  hh = static_cast<int>(nSecs / 3600);
  mm = static_cast<int>((nSecs / 60) % 60);
  ss = static_cast<int>(nSecs % 60);
}

}  // namespace

std::string FormatNumber(double d, int nSignificantDigits) {
  if (d == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*G", nSignificantDigits, d);
  std::string s = buf;
  // %G already drops trailing zeros; VB writes "1E+20" rather than "1E+020" and uses "E+"/"E-".
  auto nE = s.find('E');
  if (nE != std::string::npos) {
    std::string sMant = s.substr(0, nE);
    char cSign = s[nE + 1];
    std::string sExp = s.substr(nE + 2);
    while (sExp.size() > 2 && sExp[0] == '0') sExp.erase(0, 1);
    s = sMant + "E" + cSign + sExp;
  }
  return s;
}

bool ParseNumber(const std::string& sIn, double& dOut) {
  std::string s = Trim(sIn);
  while (!s.empty() && (s.back() == '\t')) s.pop_back();
  if (s.empty()) return false;
  if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
    char* pEnd = nullptr;
    unsigned long long n = std::strtoull(s.c_str() + 2, &pEnd, 16);
    if (*pEnd != '\0' || n > 0xFFFFFFFFull) return false;
    dOut = static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(n)));
    return true;
  }
  // Only plain decimal notation: reject what strtod would also take (hex, inf, nan).
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
  }
  char* pEnd = nullptr;
  double d = std::strtod(s.c_str(), &pEnd);
  if (pEnd == s.c_str() || *pEnd != '\0' || !std::isfinite(d)) return false;
  dOut = d;
  return true;
}

Variant Variant::Array(std::vector<Variant> items, int32_t nLowerBound, VarType eElement) {
  VariantArray a;
  a.eElementType = eElement;
  a.nLowerBound = nLowerBound;
  a.items = std::move(items);
  return Variant(std::move(a));
}

Variant Variant::Bytes(const std::vector<uint8_t>& bytes, int32_t nLowerBound) {
  std::vector<Variant> items;
  items.reserve(bytes.size());
  for (uint8_t b : bytes) items.emplace_back(b);
  return Array(std::move(items), nLowerBound, vbByte);
}

int32_t Variant::Type() const {
  switch (m_v.index()) {
    case 0: return vbEmpty;
    case 1: return vbNull;
    case 2: return vbInteger;
    case 3: return vbLong;
    case 4: return vbSingle;
    case 5: return vbDouble;
    case 6: return vbDate;
    case 7: return vbString;
    case 8: return vbObject;
    case 9: return vbBoolean;
    case 10: return vbByte;
    default: return vbArray + std::get<std::shared_ptr<VariantArray>>(m_v)->eElementType;
  }
}

std::string Variant::TypeName() const {
  switch (m_v.index()) {
    case 0: return "Empty";
    case 1: return "Null";
    case 2: return "Integer";
    case 3: return "Long";
    case 4: return "Single";
    case 5: return "Double";
    case 6: return "Date";
    case 7: return "String";
    case 8: {
      const auto& p = std::get<std::shared_ptr<Object>>(m_v);
      return p ? p->TypeName() : "Nothing";
    }
    case 9: return "Boolean";
    case 10: return "Byte";
    default: return ElementTypeName(std::get<std::shared_ptr<VariantArray>>(m_v)->eElementType) + "()";
  }
}

bool Variant::IsNumeric() const {
  switch (m_v.index()) {
    case 0:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 9:
    case 10: return true;
    case 7: {
      double d;
      return ParseNumber(std::get<std::string>(m_v), d);
    }
    default: return false;
  }
}

double Variant::ToDouble() const {
  switch (m_v.index()) {
    case 0: return 0;
    case 1: Raise(err::InvalidUseOfNull);
    case 2: return std::get<int16_t>(m_v);
    case 3: return std::get<int32_t>(m_v);
    case 4: return std::get<float>(m_v);
    case 5: return std::get<double>(m_v);
    case 6: return std::get<DateValue>(m_v).dValue;
    case 7: {
      double d;
      if (!ParseNumber(std::get<std::string>(m_v), d)) {
        const std::string& s = std::get<std::string>(m_v);
        if (EqualsNoCase(Trim(s), "True")) return -1;
        if (EqualsNoCase(Trim(s), "False")) return 0;
        Raise(err::TypeMismatch);
      }
      return d;
    }
    case 9: return std::get<bool>(m_v) ? -1 : 0;
    case 10: return std::get<uint8_t>(m_v);
    default: Raise(err::TypeMismatch);
  }
}

int32_t Variant::ToLong() const {
  if (m_v.index() == 3) return std::get<int32_t>(m_v);
  double d = RoundBankers(ToDouble());
  if (!(d >= -2147483648.0 && d <= 2147483647.0)) Raise(err::Overflow);
  return static_cast<int32_t>(d);
}

int16_t Variant::ToInteger() const {
  double d = RoundBankers(ToDouble());
  if (!(d >= -32768.0 && d <= 32767.0)) Raise(err::Overflow);
  return static_cast<int16_t>(d);
}

bool Variant::ToBool() const {
  if (m_v.index() == 9) return std::get<bool>(m_v);
  return ToDouble() != 0;
}

std::string Variant::ToString() const {
  switch (m_v.index()) {
    case 0: return {};
    case 1: Raise(err::InvalidUseOfNull);
    case 2: return std::to_string(std::get<int16_t>(m_v));
    case 3: return std::to_string(std::get<int32_t>(m_v));
    case 4: return FormatNumber(std::get<float>(m_v), 7);
    case 5: return FormatNumber(std::get<double>(m_v), 15);
    case 6: {
      int y, m, d, hh, mm, ss;
      SplitDate(std::get<DateValue>(m_v).dValue, y, m, d, hh, mm, ss);
      char buf[64];
      if (hh == 0 && mm == 0 && ss == 0)
        std::snprintf(buf, sizeof buf, "%d/%d/%04d", m, d, y);
      else
        std::snprintf(buf, sizeof buf, "%d/%d/%04d %d:%02d:%02d %s", m, d, y, (hh % 12) ? hh % 12 : 12, mm,
                      ss, hh < 12 ? "AM" : "PM");
      return buf;
    }
    case 7: return std::get<std::string>(m_v);
    case 9: return std::get<bool>(m_v) ? "True" : "False";
    case 10: return std::to_string(std::get<uint8_t>(m_v));
    default: Raise(err::TypeMismatch);
  }
}

std::shared_ptr<Object> Variant::ToObject() const {
  if (m_v.index() == 0) return nullptr;
  if (m_v.index() != 8) Raise(err::TypeMismatch);
  return std::get<std::shared_ptr<Object>>(m_v);
}

const VariantArray& Variant::ToArray() const {
  if (!IsArray()) Raise(err::TypeMismatch);
  return *std::get<std::shared_ptr<VariantArray>>(m_v);
}

std::vector<uint8_t> Variant::ToBytes() const {
  std::vector<uint8_t> bytes;
  for (const Variant& v : ToArray().items) {
    int32_t n = v.ToLong();
    if (n < 0 || n > 255) Raise(err::Overflow);
    bytes.push_back(static_cast<uint8_t>(n));
  }
  return bytes;
}

bool Variant::operator==(const Variant& o) const {
  if (m_v.index() != o.m_v.index()) return false;
  if (IsArray()) {
    const auto& a = ToArray();
    const auto& b = o.ToArray();
    return a.eElementType == b.eElementType && a.nLowerBound == b.nLowerBound && a.items == b.items;
  }
  return m_v == o.m_v;
}

}  // namespace host
