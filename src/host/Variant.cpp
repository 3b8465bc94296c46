#include "host/Variant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <variant>

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

// A date as CStr writes it: the time only when there is one.
std::string FormatDate(double dOleDate) {
  int y, m, d, hh, mm, ss;
  SplitDate(dOleDate, y, m, d, hh, mm, ss);
  char buf[64];
  if (hh == 0 && mm == 0 && ss == 0)
    std::snprintf(buf, sizeof buf, "%d/%d/%04d", m, d, y);
  else
    std::snprintf(buf, sizeof buf, "%d/%d/%04d %d:%02d:%02d %s", m, d, y, (hh % 12) ? hh % 12 : 12, mm, ss,
                  hh < 12 ? "AM" : "PM");
  return buf;
}

// One function object from several lambdas, for std::visit: each alternative of the variant is
// handled by name of its type, so that reordering the alternatives changes nothing.
template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

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
  VariantArray a;
  a.eElementType = vbByte;
  a.nLowerBound = nLowerBound;
  a.bCompact = true;
  a.vecBytes = bytes;
  return Variant(std::move(a));
}

int32_t Variant::Type() const {
  return std::visit(
      Overloaded{
          [](std::monostate) -> int32_t { return vbEmpty; },
          [](NullValue) -> int32_t { return vbNull; },
          [](int16_t) -> int32_t { return vbInteger; },
          [](int32_t) -> int32_t { return vbLong; },
          [](float) -> int32_t { return vbSingle; },
          [](double) -> int32_t { return vbDouble; },
          [](DateValue) -> int32_t { return vbDate; },
          [](const std::string&) -> int32_t { return vbString; },
          [](const std::shared_ptr<Object>&) -> int32_t { return vbObject; },
          [](bool) -> int32_t { return vbBoolean; },
          [](uint8_t) -> int32_t { return vbByte; },
          [](const std::shared_ptr<VariantArray>& p) -> int32_t { return vbArray + p->eElementType; },
      },
      m_v);
}

std::string Variant::TypeName() const {
  return std::visit(
      Overloaded{
          [](std::monostate) -> std::string { return "Empty"; },
          [](NullValue) -> std::string { return "Null"; },
          [](int16_t) -> std::string { return "Integer"; },
          [](int32_t) -> std::string { return "Long"; },
          [](float) -> std::string { return "Single"; },
          [](double) -> std::string { return "Double"; },
          [](DateValue) -> std::string { return "Date"; },
          [](const std::string&) -> std::string { return "String"; },
          [](const std::shared_ptr<Object>& p) -> std::string { return p ? p->TypeName() : "Nothing"; },
          [](bool) -> std::string { return "Boolean"; },
          [](uint8_t) -> std::string { return "Byte"; },
          [](const std::shared_ptr<VariantArray>& p) -> std::string {
            return ElementTypeName(p->eElementType) + "()";
          },
      },
      m_v);
}

bool Variant::IsNumeric() const {
  return std::visit(Overloaded{
                        [](std::monostate) { return true; },
                        [](NullValue) { return false; },
                        [](int16_t) { return true; },
                        [](int32_t) { return true; },
                        [](float) { return true; },
                        [](double) { return true; },
                        [](DateValue) { return true; },
                        [](const std::string& s) {
                          double d;
                          return ParseNumber(s, d);
                        },
                        [](const std::shared_ptr<Object>&) { return false; },
                        [](bool) { return true; },
                        [](uint8_t) { return true; },
                        [](const std::shared_ptr<VariantArray>&) { return false; },
                    },
                    m_v);
}

double Variant::ToDouble() const {
  return std::visit(Overloaded{
                        [](std::monostate) -> double { return 0; },
                        [](NullValue) -> double { Raise(err::InvalidUseOfNull); },
                        [](int16_t n) -> double { return n; },
                        [](int32_t n) -> double { return n; },
                        [](float f) -> double { return f; },
                        [](double d) -> double { return d; },
                        [](DateValue d) -> double { return d.dValue; },
                        [](const std::string& s) -> double {
                          double d;
                          if (ParseNumber(s, d)) return d;
                          if (EqualsNoCase(Trim(s), "True")) return -1;
                          if (EqualsNoCase(Trim(s), "False")) return 0;
                          Raise(err::TypeMismatch);
                        },
                        [](const std::shared_ptr<Object>&) -> double { Raise(err::TypeMismatch); },
                        [](bool b) -> double { return b ? -1 : 0; },
                        [](uint8_t n) -> double { return n; },
                        [](const std::shared_ptr<VariantArray>&) -> double { Raise(err::TypeMismatch); },
                    },
                    m_v);
}

int32_t Variant::ToLong() const {
  if (const int32_t* pn = std::get_if<int32_t>(&m_v)) return *pn;
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
  if (const bool* pb = std::get_if<bool>(&m_v)) return *pb;
  return ToDouble() != 0;
}

std::string Variant::ToString() const {
  return std::visit(Overloaded{
                        [](std::monostate) -> std::string { return {}; },
                        [](NullValue) -> std::string { Raise(err::InvalidUseOfNull); },
                        [](int16_t n) -> std::string { return std::to_string(n); },
                        [](int32_t n) -> std::string { return std::to_string(n); },
                        [](float f) -> std::string { return FormatNumber(f, 7); },
                        [](double d) -> std::string { return FormatNumber(d, 15); },
                        [](DateValue oDate) -> std::string { return FormatDate(oDate.dValue); },
                        [](const std::string& s) -> std::string { return s; },
                        [](const std::shared_ptr<Object>&) -> std::string { Raise(err::TypeMismatch); },
                        [](bool b) -> std::string { return b ? "True" : "False"; },
                        [](uint8_t n) -> std::string { return std::to_string(n); },
                        [](const std::shared_ptr<VariantArray>&) -> std::string { Raise(err::TypeMismatch); },
                    },
                    m_v);
}

std::shared_ptr<Object> Variant::ToObject() const {
  if (IsEmpty()) return nullptr;
  if (!IsObject()) Raise(err::TypeMismatch);
  return std::get<std::shared_ptr<Object>>(m_v);
}

const VariantArray& Variant::ToArray() const {
  if (!IsArray()) Raise(err::TypeMismatch);
  VariantArray& a = *std::get<std::shared_ptr<VariantArray>>(m_v);
  // The items of compact bytes, made once for the callers that walk items.
  if (a.bCompact && a.items.size() != a.vecBytes.size()) {
    a.items.clear();
    a.items.reserve(a.vecBytes.size());
    for (uint8_t b : a.vecBytes) a.items.emplace_back(b);
  }
  return a;
}

std::vector<uint8_t> Variant::ToBytes() const {
  if (!IsArray()) Raise(err::TypeMismatch);
  if (const VariantArray& a = *std::get<std::shared_ptr<VariantArray>>(m_v); a.bCompact) return a.vecBytes;
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
    const auto& pA = std::get<std::shared_ptr<VariantArray>>(m_v);
    const auto& pB = std::get<std::shared_ptr<VariantArray>>(o.m_v);
    if (pA->bCompact && pB->bCompact)
      return pA->nLowerBound == pB->nLowerBound && pA->vecBytes == pB->vecBytes;
    const auto& a = ToArray();
    const auto& b = o.ToArray();
    return a.eElementType == b.eElementType && a.nLowerBound == b.nLowerBound && a.items == b.items;
  }
  return m_v == o.m_v;
}

}  // namespace host
