// Reading a fuzzer's bytes as the pieces a target needs; past the end every read gives zero or
// nothing, so any input is a valid one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class FuzzInput {
 public:
  FuzzInput(const uint8_t* pData, size_t nSize) : m_p(pData), m_n(nSize) {}
  bool Empty() const { return m_n == 0; }
  uint8_t Byte() {
    if (m_n == 0) return 0;
    --m_n;
    return *m_p++;
  }
  double Double() {
    double d = 0;
    uint8_t ab[sizeof d] = {};
    for (auto& b : ab) b = Byte();
    std::memcpy(&d, ab, sizeof d);
    return d;
  }
  int32_t Long() {
    return static_cast<int32_t>(Byte() | Byte() << 8 | Byte() << 16 | uint32_t(Byte()) << 24);
  }
  // A text of up to nMax bytes, its length read first.
  std::string Text(size_t nMax) {
    size_t nLen = std::min<size_t>(Byte() % (nMax + 1), m_n);
    std::string s(reinterpret_cast<const char*>(m_p), nLen);
    m_p += nLen;
    m_n -= nLen;
    return s;
  }
  std::string Rest() {
    std::string s(reinterpret_cast<const char*>(m_p), m_n);
    m_p += m_n;
    m_n = 0;
    return s;
  }

 private:
  const uint8_t* m_p;
  size_t m_n;
};
