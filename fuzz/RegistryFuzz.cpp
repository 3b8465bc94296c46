// Random sequences of registry operations on the portable store, checked against a model: keys
// and values found without regard to case, names kept exactly as first written (bytes without
// a code-page character included), data as written, deletions as Windows does them.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "platform/portable/SqliteRegistry.h"

namespace {

using namespace platform::reg;

// Names from a small alphabet, so that operations meet: letters in both cases, '?' and two
// bytes without a character in code page 1252.
std::string Name(FuzzInput& in) {
  static const char kAlphabet[] = {'a', 'A', 'b', 'B', '?', '\x81', '\x9D'};
  std::string s;
  const int nLen = 1 + in.Byte() % 3;
  for (int i = 0; i < nLen; ++i) s += kAlphabet[in.Byte() % sizeof kAlphabet];
  return s;
}

std::string Fold(const std::string& s) {
  std::string sFolded = s;
  for (char& c : sFolded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return sFolded;
}

struct ModelKey {
  std::string sName;
  std::map<std::string, std::pair<std::string, std::string>> mapValues;  // folded -> name, data
  std::map<std::string, ModelKey> mapKeys;                               // folded -> key
};

void Check(bool b) {
  if (!b) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  FuzzInput in(pData, nSize);
  auto pReg = platform::portable::SqliteRegistry::OpenMemory();
  Check(pReg->IsUsable());
  HKEY hRoot{};
  Check(pReg->CreateKeyEx(CurrentUser, "Fuzz", 0, nullptr, 0, KeyAllAccess, nullptr, &hRoot, nullptr) ==
        Success);
  ModelKey oRoot;
  for (int nStep = 0; nStep < 64 && !in.Empty(); ++nStep) {
    const int nOp = in.Byte() % 6;
    const std::string sKey = Name(in);
    ModelKey* pModel = nullptr;
    if (auto it = oRoot.mapKeys.find(Fold(sKey)); it != oRoot.mapKeys.end()) pModel = &it->second;
    HKEY hKey{};
    if (nOp == 0) {  // create a key
      DWORD nDisposition = 0;
      Check(pReg->CreateKeyEx(hRoot, sKey.c_str(), 0, nullptr, 0, KeyAllAccess, nullptr, &hKey,
                              &nDisposition) == Success);
      Check(nDisposition == (pModel ? OpenedExistingKey : CreatedNewKey));
      if (!pModel) oRoot.mapKeys[Fold(sKey)].sName = sKey;
      pReg->CloseKey(hKey);
      continue;
    }
    LSTATUS nOpen = pReg->OpenKeyEx(hRoot, sKey.c_str(), 0, KeyAllAccess, &hKey);
    Check((nOpen == Success) == (pModel != nullptr));
    if (!pModel) continue;
    const std::string sValue = Name(in);
    const std::string sFolded = Fold(sValue);
    auto itValue = pModel->mapValues.find(sFolded);
    switch (nOp) {
      case 1: {  // set a value
        const std::string sData = in.Text(8);
        Check(pReg->SetValueEx(hKey, sValue.c_str(), 0, TypeBinary,
                               reinterpret_cast<const BYTE*>(sData.data()),
                               static_cast<DWORD>(sData.size())) == Success);
        if (itValue == pModel->mapValues.end())
          pModel->mapValues[sFolded] = {sValue, sData};
        else
          itValue->second.second = sData;
        break;
      }
      case 2: {  // read a value
        BYTE abData[16];
        DWORD cbData = sizeof abData;
        LSTATUS n = pReg->QueryValueEx(hKey, sValue.c_str(), nullptr, nullptr, abData, &cbData);
        Check((n == Success) == (itValue != pModel->mapValues.end()));
        if (n == Success)
          Check(std::string(reinterpret_cast<char*>(abData), cbData) == itValue->second.second);
        break;
      }
      case 3: {  // delete a value
        LSTATUS n = pReg->DeleteValue(hKey, sValue.c_str());
        Check((n == Success) == (itValue != pModel->mapValues.end()));
        if (n == Success) pModel->mapValues.erase(itValue);
        break;
      }
      case 4: {  // enumerate the values: every name exactly as first written
        std::map<std::string, std::string> mapSeen;
        for (DWORD i = 0;; ++i) {
          char achName[16];
          DWORD cchName = sizeof achName;
          if (pReg->EnumValue(hKey, i, achName, &cchName, nullptr, nullptr, nullptr, nullptr) != Success)
            break;
          std::string sName(achName, cchName);
          mapSeen[Fold(sName)] = sName;
        }
        Check(mapSeen.size() == pModel->mapValues.size());
        for (const auto& [sKeyFolded, oValue] : pModel->mapValues) Check(mapSeen[sKeyFolded] == oValue.first);
        break;
      }
      default: {  // delete the key (it has no sub-keys here)
        pReg->CloseKey(hKey);
        hKey = HKEY{};
        Check(pReg->DeleteKey(hRoot, sKey.c_str()) == Success);
        oRoot.mapKeys.erase(Fold(sKey));
        break;
      }
    }
    if (hKey != HKEY{}) pReg->CloseKey(hKey);
  }
  pReg->CloseKey(hRoot);
  return 0;
}
