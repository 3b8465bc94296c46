// The command set of one explorer window. Connect creates one per usable explorer and the
// explorer's wrapper keeps it under "Menu".
//
// The toolbar, the menu popups and the commands behind them are not built yet: until they are,
// Create only remembers the explorer and the folder's item type, so that folder switches can
// be followed, and nothing appears in Outlook.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/Outlook.h"
#include "recipients/mQuillo.h"

class CRecipients;

class CExplorerMenu : public host::Object {
 public:
  std::string TypeName() const override { return "CExplorerMenu"; }

  void Create(const std::shared_ptr<host::Explorer>& oExplorer);
  void OnFolderSwitch(const std::shared_ptr<host::MAPIFolder>& oFolder);

  // DefaultItemType of the folder the explorer shows (0 when it could not be read).
  int32_t ItemType() const { return m_nItemType; }

 private:
  // The commands behind the buttons. The new-mail commands live in CExplorerMenuMail.cpp, the
  // distribution-list commands in CExplorerMenuLists.cpp.
  void DisplayNewMail(int32_t nType, ERecipientsFrom eFrom);
  void TurnOnBCCField();
  void DisplayDL(ERecipientsFrom eFrom, bool bNew);
  void NewDL(ERecipientsFrom eFrom);
  void ExistingDL(ERecipientsFrom eFrom);
  std::shared_ptr<host::Recipients> CreateRecipients2K(CRecipients& oRecipients, bool bUseProgressWND);

  int32_t m_nItemType = 0;
  std::shared_ptr<host::Explorer> m_oExplorer;
};
