// The Automation variant as Visual Basic sees it: the value type of sprintf, the logger, MAPI
// property values and every optional argument of the host's members.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "host/Object.h"

namespace host {

// VarType codes.
enum VarType : int32_t {
  vbEmpty = 0,
  vbNull = 1,
  vbInteger = 2,
  vbLong = 3,
  vbSingle = 4,
  vbDouble = 5,
  vbDate = 7,
  vbString = 8,
  vbObject = 9,
  vbBoolean = 11,
  vbVariant = 12,
  vbByte = 17,
  vbArray = 8192,
};

class Variant;

// A one-dimensional array with its element type and lower bound ("Variant()", "Byte()", ...).
// A Byte() made by Variant::Bytes keeps its bytes as bytes (entry IDs and other binary
// properties are numerous); its items exist only once somebody asks for them (ToArray).
struct VariantArray {
  VarType eElementType = vbVariant;
  int32_t nLowerBound = 0;
  std::vector<Variant> items;
  bool bCompact = false;  // the contents are in vecBytes
  std::vector<uint8_t> vecBytes;
};

class Variant {
 public:
  struct NullValue {
    bool operator==(const NullValue&) const = default;
  };
  struct DateValue {
    double dValue = 0;  // OLE date: days since 30 Dec 1899, time as the fraction
    bool operator==(const DateValue&) const = default;
  };

  Variant() = default;  // Empty
  Variant(int16_t n) : m_v(n) {}
  Variant(int32_t n) : m_v(n) {}
  Variant(float f) : m_v(f) {}
  Variant(double d) : m_v(d) {}
  Variant(bool b) : m_v(b) {}
  Variant(uint8_t n) : m_v(n) {}
  Variant(const char* s) : m_v(std::string(s ? s : "")) {}
  Variant(std::string s) : m_v(std::move(s)) {}
  Variant(std::shared_ptr<Object> p) : m_v(std::move(p)) {}
  template <class T, class = std::enable_if_t<std::is_base_of_v<Object, T>>>
  Variant(std::shared_ptr<T> p) : m_v(std::shared_ptr<Object>(std::move(p))) {}
  Variant(VariantArray a) : m_v(std::make_shared<VariantArray>(std::move(a))) {}

  static Variant Null() { return Variant(NullValue{}); }
  static Variant Date(double dOleDate) { return Variant(DateValue{dOleDate}); }
  static Variant Array(std::vector<Variant> items, int32_t nLowerBound = 0, VarType eElement = vbVariant);
  static Variant Bytes(const std::vector<uint8_t>& bytes, int32_t nLowerBound = 0);

  // VarType(): element type + vbArray for arrays, vbObject for objects (also Nothing).
  int32_t Type() const;
  // TypeName(): "Empty", "Long", "Variant()", the class name of an object, "Nothing".
  std::string TypeName() const;

  bool IsEmpty() const { return std::holds_alternative<std::monostate>(m_v); }
  bool IsNull() const { return std::holds_alternative<NullValue>(m_v); }
  bool IsString() const { return std::holds_alternative<std::string>(m_v); }
  bool IsObject() const { return std::holds_alternative<std::shared_ptr<Object>>(m_v); }
  bool IsArray() const { return std::holds_alternative<std::shared_ptr<VariantArray>>(m_v); }
  // IsNumeric(): numbers, booleans, Empty, dates, and strings that read as a number.
  bool IsNumeric() const;

  // Conversions with Visual Basic's rules and errors (13 type mismatch, 6 overflow, 94 Null).
  std::string ToString() const;              // CStr
  int32_t ToLong() const;                    // CLng: halves to even, True is -1
  int16_t ToInteger() const;                 // CInt
  double ToDouble() const;                   // CDbl
  bool ToBool() const;                       // CBool
  std::shared_ptr<Object> ToObject() const;  // Nothing for Empty; 13 for other non-objects
  template <class T>
  std::shared_ptr<T> ToObject() const {
    return As<T>(ToObject());
  }
  const VariantArray& ToArray() const;  // 13 when not an array
  std::vector<uint8_t> ToBytes() const;

  // Strict equality of type and value (objects by identity); used by tests and the simulation.
  bool operator==(const Variant& o) const;

 private:
  explicit Variant(NullValue n) : m_v(n) {}
  explicit Variant(DateValue d) : m_v(d) {}

  std::variant<std::monostate, NullValue, int16_t, int32_t, float, double, DateValue, std::string,
               std::shared_ptr<Object>, bool, uint8_t, std::shared_ptr<VariantArray>>
      m_v;
};

// Numbers as CStr writes them (15 significant digits for doubles, 7 for singles).
std::string FormatNumber(double d, int nSignificantDigits = 15);
// Parses a number the way Val/CDbl read a string ("  12 ", "1.5e3", "&H1F"); false when it is not one.
bool ParseNumber(const std::string& s, double& dOut);

}  // namespace host
