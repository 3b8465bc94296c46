#include "commands/CExplorerMenu.h"

#include "host/Error.h"

void CExplorerMenu::Create(const std::shared_ptr<host::Explorer>& oExplorer) {
  // Errors are ignored step by step: a missing folder leaves the rest of the set working.
  m_oExplorer = oExplorer;
  m_nItemType = 0;
  host::IgnoreErrors(
      [&] { m_nItemType = host::Deref(host::Deref(oExplorer).CurrentFolder()).DefaultItemType(); });
}

void CExplorerMenu::OnFolderSwitch(const std::shared_ptr<host::MAPIFolder>& oFolder) {
  host::IgnoreErrors([&] {
    int32_t nItemType = host::Deref(oFolder).DefaultItemType();
    if (nItemType == m_nItemType) return;
    m_nItemType = nItemType;
  });
}
