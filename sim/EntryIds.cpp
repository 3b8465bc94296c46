#include "sim/EntryIds.h"

#include "host/Text.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace sim {
namespace {

// Provider identifiers that start each kind of ID, so an ID tells what it names.
constexpr std::string_view kStorePrefix = "0000000038A1BB1005E5101AA1BB08002B2A56C2";
constexpr std::string_view kMessagePrefix = "00000000517549C0534D1DA4B0C5000000000000";
constexpr std::string_view kAddressBookPrefix = "00000000DCA740C8C042101AB4B908002B2FE182";
// MAPI_ONE_OFF_UID, then version 0 and the flags MAPI_ONE_OFF_UNICODE | MAPI_ONE_OFF_NO_RICH_INFO.
constexpr std::array<uint8_t, 24> kOneOffHead = {0x00, 0x00, 0x00, 0x00, 0x81, 0x2B, 0x1F, 0xA4,
                                                 0xBE, 0xA3, 0x10, 0x19, 0x9D, 0x6E, 0x00, 0xDD,
                                                 0x01, 0x0F, 0x54, 0x02, 0x00, 0x00, 0x01, 0x80};

std::string Hex64(uint64_t n) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(n));
  return buf;
}

std::string Make(std::string_view sPrefix, std::string_view sKind, std::string_view sSeed, uint32_t nSalt) {
  uint64_t nA = StableHash(sSeed, nSalt);
  uint64_t nB = StableHash(sSeed, nA ^ 0x9E3779B97F4A7C15ull);
  return std::string(sPrefix) + std::string(sKind) + Hex64(nA) + Hex64(nB);
}

void AppendUtf16(std::string_view s, std::vector<uint8_t>& out) {
  auto put = [&](uint32_t u) {
    out.push_back(static_cast<uint8_t>(u & 0xFF));
    out.push_back(static_cast<uint8_t>(u >> 8));
  };
  for (size_t i = 0; i < s.size();) {
    size_t nStart = i;
    int32_t nDecoded = host::DecodeUtf8(s, i);
    // A malformed byte is carried over as it is, as a Latin-1 character.
    uint32_t cp = nDecoded < 0 ? static_cast<unsigned char>(s[nStart]) : static_cast<uint32_t>(nDecoded);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp);
    }
  }
  put(0);
}

// Reads one zero-terminated UTF-16 string at nPos; false when the bytes end first.
bool ReadUtf16(const std::vector<uint8_t>& v, size_t& nPos, std::string& out) {
  while (nPos + 1 < v.size()) {
    uint32_t u = v[nPos] | (static_cast<uint32_t>(v[nPos + 1]) << 8);
    nPos += 2;
    if (u == 0) return true;
    if (u >= 0xD800 && u < 0xDC00 && nPos + 1 < v.size()) {
      uint32_t u2 = v[nPos] | (static_cast<uint32_t>(v[nPos + 1]) << 8);
      if (u2 >= 0xDC00 && u2 < 0xE000) {
        nPos += 2;
        u = 0x10000 + ((u - 0xD800) << 10) + (u2 - 0xDC00);
      }
    }
    host::AppendUtf8(static_cast<int32_t>(u), out);
  }
  return false;
}

}  // namespace

std::vector<uint8_t> BytesOfHex(std::string_view sHex) {
  if (!IsHexEntryID(sHex)) throw std::invalid_argument("not an even number of hexadecimal digits");
  auto digit = [](char c) -> uint8_t {
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
    return static_cast<uint8_t>(c - 'A' + 10);
  };
  std::vector<uint8_t> v;
  v.reserve(sHex.size() / 2);
  for (size_t i = 0; i < sHex.size(); i += 2)
    v.push_back(static_cast<uint8_t>((digit(sHex[i]) << 4) | digit(sHex[i + 1])));
  return v;
}

bool IsHexEntryID(std::string_view s) {
  if (s.empty() || s.size() % 2 != 0) return false;
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

std::string NormalEntryID(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

uint64_t StableHash(std::string_view s, uint64_t nSeed) {
  // FNV-1a, seeded, with a final mix so near-identical seeds spread over all digits.
  uint64_t h = 0xCBF29CE484222325ull ^ (nSeed * 0x100000001B3ull);
  for (char c : s) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001B3ull;
  }
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  return h;
}

std::string MakeStoreID(std::string_view sSeed, uint32_t nSalt) {
  return Make(kStorePrefix, "0000", sSeed, nSalt);
}
std::string MakeFolderID(std::string_view sSeed, uint32_t nSalt) {
  return Make(kMessagePrefix, "0100", sSeed, nSalt);
}
std::string MakeItemID(std::string_view sSeed, uint32_t nSalt) {
  return Make(kMessagePrefix, "0700", sSeed, nSalt);
}
std::string MakeAddressBookID(std::string_view sSeed, uint32_t nSalt) {
  return Make(kAddressBookPrefix, "0100", sSeed, nSalt);
}

std::string MakeOneOffID(std::string_view sName, std::string_view sType, std::string_view sAddress) {
  std::vector<uint8_t> v(kOneOffHead.begin(), kOneOffHead.end());
  AppendUtf16(sName, v);
  AppendUtf16(sType, v);
  AppendUtf16(sAddress, v);
  return host::HexOfBytes(v);
}

bool ReadOneOffID(std::string_view sEntryID, std::string& sName, std::string& sType, std::string& sAddress) {
  if (!IsHexEntryID(sEntryID) || sEntryID.size() < kOneOffHead.size() * 2) return false;
  std::vector<uint8_t> v = BytesOfHex(sEntryID);
  for (size_t i = 0; i < 20; ++i)
    if (v[i] != kOneOffHead[i]) return false;
  size_t nPos = kOneOffHead.size();
  std::string sN, sT, sA;
  if (!ReadUtf16(v, nPos, sN) || !ReadUtf16(v, nPos, sT) || !ReadUtf16(v, nPos, sA)) return false;
  sName = std::move(sN);
  sType = std::move(sT);
  sAddress = std::move(sA);
  return true;
}

}  // namespace sim
