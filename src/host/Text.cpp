#include "host/Text.h"

#include <array>
#include <cstring>

namespace host {
namespace {}  // namespace

int32_t DecodeUtf8(std::string_view s, size_t& i) {
  auto c = static_cast<unsigned char>(s[i]);
  int nLen = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
  if (nLen == 0 || i + nLen > s.size()) {
    ++i;
    return -1;
  }
  int32_t cp = nLen == 1 ? c : nLen == 2 ? (c & 0x1F) : nLen == 3 ? (c & 0x0F) : (c & 0x07);
  for (int k = 1; k < nLen; ++k) {
    auto cc = static_cast<unsigned char>(s[i + k]);
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return -1;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  i += nLen;
  return cp;
}

size_t Utf8CharLength(std::string_view s, size_t nPos) {
  if (nPos >= s.size()) return 0;
  size_t i = nPos;
  return DecodeUtf8(s, i) < 0 ? 1 : i - nPos;
}

void AppendUtf8(int32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

namespace {

int32_t LowerOf(int32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 0x20;
  if (cp < 0xC0) return cp;
  if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) return cp + 0x20;
  if (cp >= 0x100 && cp <= 0x17F) {
    if (cp == 0x130) return 'i';
    if (cp == 0x178) return 0xFF;
    bool bOddUpper = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
    if (bOddUpper) return (cp % 2 == 1) ? cp + 1 : cp;
    if (cp == 0x131 || cp == 0x138 || cp == 0x149 || cp == 0x17F) return cp;
    return (cp % 2 == 0) ? cp + 1 : cp;
  }
  if (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) return cp + 0x20;
  if (cp == 0x3C2) return 0x3C3;  // final sigma is the same letter as sigma
  if (cp == 0x386) return 0x3AC;
  if (cp >= 0x388 && cp <= 0x38A) return cp + 0x25;
  if (cp == 0x38C) return 0x3CC;
  if (cp == 0x38E || cp == 0x38F) return cp + 0x3F;
  if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;
  if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;
  // U+04C0..U+04CF break the even/odd pattern: palochka pairs with U+04CF, the rest pair odd/even.
  if (cp == 0x4C0) return 0x4CF;
  if (cp >= 0x4C1 && cp <= 0x4CE) return (cp % 2 == 1) ? cp + 1 : cp;
  if (cp >= 0x460 && cp <= 0x4FF && cp % 2 == 0 && !(cp >= 0x482 && cp <= 0x489)) return cp + 1;
  // U+1E96..U+1E9F are lower-case letters without a pair, except capital sharp s.
  if (cp == 0x1E9E) return 0xDF;
  if (cp >= 0x1E96 && cp <= 0x1E9F) return cp;
  if (cp >= 0x1E00 && cp <= 0x1EFF && cp % 2 == 0) return cp + 1;
  return cp;
}

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned ones.
constexpr std::array<uint16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
}

}  // namespace

std::string FoldCase(std::string_view s) {
  // Most keys and addresses are plain ASCII: checked and folded in two straight passes, which
  // the compiler turns into vector code.
  std::string out(s.size(), '\0');
  unsigned char nAll = 0;
  for (char c : s) nAll |= static_cast<unsigned char>(c);
  if (nAll < 0x80) {
    for (size_t k = 0; k < s.size(); ++k) {
      auto c = static_cast<unsigned char>(s[k]);
      out[k] = static_cast<char>(c + (static_cast<unsigned char>(c - 'A') < 26 ? 0x20 : 0));
    }
    return out;
  }
  size_t i = 0;
  for (; i < s.size() && static_cast<unsigned char>(s[i]) < 0x80; ++i) out[i] = LowerAscii(s[i]);
  out.resize(i);
  while (i < s.size()) {
    size_t nStart = i;
    int32_t cp = DecodeUtf8(s, i);
    if (cp < 0) {
      out += s[nStart];
    } else if (cp < 0x80) {
      out += static_cast<char>(LowerOf(cp));
    } else {
      AppendUtf8(LowerOf(cp), out);
    }
  }
  return out;
}

namespace {

constexpr uint64_t kEveryByte = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;

// Eight bytes of text from p (fewer at the end, the rest zero), in memory order.
uint64_t WordAt(const char* p, size_t n) {
  uint64_t w = 0;
  std::memcpy(&w, p, n < 8 ? n : 8);
  return w;
}

// The ASCII capitals of eight ASCII bytes lowered at once: a byte gets 0x20 where it lies
// between 'A' and 'Z'.
uint64_t LowerAsciiWord(uint64_t w) {
  const uint64_t nFromA = w + kEveryByte * (0x80 - 'A');
  const uint64_t nPastZ = w + kEveryByte * (0x80 - 'Z' - 1);
  return w | (((nFromA & ~nPastZ) & kHighBits) >> 2);
}

// A hash of a text eight bytes at a time; bLower lowers ASCII capitals on the way (the text is
// then ASCII). Texts alike after lowering hash alike.
size_t HashWords(std::string_view s, bool bLower) {
  uint64_t h = 0xCBF29CE484222325ull ^ s.size();
  for (size_t i = 0; i < s.size(); i += 8) {
    uint64_t w = WordAt(s.data() + i, s.size() - i);
    if (bLower) w = LowerAsciiWord(w);
    h = (h ^ w) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
  }
  h *= 0xBF58476D1CE4E5B9ull;
  return static_cast<size_t>(h ^ (h >> 32));
}

}  // namespace

size_t HashNoCase(std::string_view s) {
  // ASCII (nearly every key: addresses, entry IDs) is lowered in place; anything else is folded
  // first, which gives the same words for ASCII text.
  for (size_t i = 0; i < s.size(); i += 8)
    if (WordAt(s.data() + i, s.size() - i) & kHighBits) return HashWords(FoldCase(s), false);
  return HashWords(s, true);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() == b.size() && a == b) return true;
  if (IsAscii(a) && IsAscii(b)) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
  }
  return FoldCase(a) == FoldCase(b);
}

std::string ToUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  return out;
}

size_t InStrNoCase(size_t nStart, std::string_view s, std::string_view sFind) {
  if (nStart < 1) nStart = 1;
  if (sFind.empty()) return nStart <= s.size() + 1 ? nStart : 0;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c; };
  for (size_t i = nStart - 1; i + sFind.size() <= s.size(); ++i) {
    size_t k = 0;
    while (k < sFind.size() && lower(s[i + k]) == lower(sFind[k])) ++k;
    if (k == sFind.size()) return i + 1;
  }
  return 0;
}

std::string Trim(std::string_view s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return std::string(s.substr(b, e - b + 1));
}

std::string HexOfBytes(const std::vector<uint8_t>& vecBytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string s(vecBytes.size() * 2, '\0');
  for (size_t i = 0; i < vecBytes.size(); ++i) {
    s[2 * i] = kDigits[vecBytes[i] >> 4];
    s[2 * i + 1] = kDigits[vecBytes[i] & 0xF];
  }
  return s;
}

std::string Utf8ToAnsi(std::string_view s) {
  // ASCII is the same in both.
  if (IsAscii(s)) return std::string(s);
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    int32_t cp = DecodeUtf8(s, i);
    if (cp < 0) {
      out += '?';
    } else if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out += static_cast<char>(cp);
    } else {
      char c = '?';
      for (size_t k = 0; k < kCp1252High.size(); ++k)
        if (kCp1252High[k] != 0 && kCp1252High[k] == cp) c = static_cast<char>(0x80 + k);
      out += c;
    }
  }
  return out;
}

std::string AnsiToUtf8(std::string_view s) {
  if (IsAscii(s)) return std::string(s);
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else if (c < 0xA0) {
      uint16_t cp = kCp1252High[c - 0x80];
      AppendUtf8(cp ? cp : '?', out);
    } else {
      AppendUtf8(c, out);
    }
  }
  return out;
}

}  // namespace host
