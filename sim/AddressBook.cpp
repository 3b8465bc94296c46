#include "sim/AddressBook.h"

#include <algorithm>

#include "host/Text.h"
#include "sim/EntryIds.h"

namespace sim {

bool IsSmtpAddress(std::string_view s) {
  if (s.find_first_of(" \t\r\n<>,;\"") != std::string_view::npos) return false;
  size_t nAt = s.find('@');
  if (nAt == std::string_view::npos || nAt == 0 || s.find('@', nAt + 1) != std::string_view::npos)
    return false;
  std::string_view sDomain = s.substr(nAt + 1);
  size_t nDot = sDomain.find('.');
  return nDot != std::string_view::npos && nDot > 0 && sDomain.back() != '.';
}

bool SplitNameAndAddress(std::string_view s, std::string& sName, std::string& sAddress) {
  std::string sText = host::Trim(s);
  size_t nOpen = sText.rfind('<');
  if (sText.empty() || sText.back() != '>' || nOpen == std::string::npos) return false;
  std::string sFront = host::Trim(std::string_view(sText).substr(0, nOpen));
  if (sFront.size() >= 2 && sFront.front() == '"' && sFront.back() == '"')
    sFront = sFront.substr(1, sFront.size() - 2);
  sName = std::move(sFront);
  sAddress = host::Trim(std::string_view(sText).substr(nOpen + 1, sText.size() - nOpen - 2));
  return true;
}

AddressBook::AddressBook(const std::vector<AddressBookEntry>& vecEntries) {
  m_vecEntries.reserve(vecEntries.size());
  for (const auto& oEntry : vecEntries) {
    size_t n = m_vecEntries.size();
    m_vecEntries.push_back(std::make_shared<const AddressBookEntry>(oEntry));
    m_mapByID.emplace(NormalEntryID(oEntry.sEntryID), n);
    for (const std::string* pText : {&oEntry.sName, &oEntry.sAddress, &oEntry.sSmtpAddress}) {
      if (pText->empty()) continue;
      auto& vec = m_mapByText[host::FoldCase(*pText)];
      if (std::find(vec.begin(), vec.end(), n) == vec.end()) vec.push_back(n);
    }
  }
}

AddressBook::EntryPtr AddressBook::FindByID(std::string_view sEntryID) const {
  std::string sNormal = NormalEntryID(sEntryID);
  auto it = m_mapByID.find(sNormal);
  if (it != m_mapByID.end()) return m_vecEntries[it->second];
  auto itOneOff = m_mapOneOffs.find(sNormal);
  if (itOneOff != m_mapOneOffs.end()) return itOneOff->second;
  auto pEntry = std::make_shared<AddressBookEntry>();
  if (!ReadOneOffID(sEntryID, pEntry->sName, pEntry->sType, pEntry->sAddress)) return nullptr;
  pEntry->sEntryID = sNormal;
  if (pEntry->sType == "SMTP") pEntry->sSmtpAddress = pEntry->sAddress;
  m_mapOneOffs.emplace(std::move(sNormal), pEntry);
  return pEntry;
}

std::vector<AddressBook::EntryPtr> AddressBook::Matches(std::string_view sText) const {
  std::vector<EntryPtr> vec;
  auto it = m_mapByText.find(host::FoldCase(host::Trim(sText)));
  if (it != m_mapByText.end())
    for (size_t n : it->second) vec.push_back(m_vecEntries[n]);
  return vec;
}

AddressBook::EntryPtr AddressBook::Resolve(std::string_view sText) const {
  std::string sTrimmed = host::Trim(sText);
  if (sTrimmed.empty()) return nullptr;
  auto vec = Matches(sTrimmed);
  if (vec.size() == 1) return vec.front();
  if (!vec.empty()) return nullptr;
  if (IsSmtpAddress(sTrimmed)) return OneOff(sTrimmed, sTrimmed);
  // Outlook takes "Name <address>" as a one-off address shown under that name.
  std::string sName, sAddress;
  if (SplitNameAndAddress(sTrimmed, sName, sAddress) && IsSmtpAddress(sAddress))
    return OneOff(sName.empty() ? sAddress : sName, sAddress);
  return nullptr;
}

AddressBook::EntryPtr AddressBook::OneOff(const std::string& sName, const std::string& sAddress) {
  auto pEntry = std::make_shared<AddressBookEntry>();
  pEntry->sName = sName;
  pEntry->sType = "SMTP";
  pEntry->sAddress = sAddress;
  pEntry->sSmtpAddress = sAddress;
  pEntry->sEntryID = MakeOneOffID(sName, "SMTP", sAddress);
  return pEntry;
}

}  // namespace sim
