// The command set of one explorer window. Connect creates one per usable explorer and the
// explorer's wrapper keeps it under "Menu".
//
// Create builds the add-in's own toolbar: a button that repeats the last command used for the
// folder's item type and a popup with all the commands. The popups in the Actions menu, the item
// context menu and the folder context menu are added on the command bars' OnUpdate, whenever
// Outlook has rebuilt those menus without them; each is found again by a tag that carries this
// set's identifier, so two explorers never take each other's popups.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/Event.h"
#include "host/Office.h"
#include "host/Outlook.h"
#include "recipients/mQuillo.h"

class CRecipients;

class CExplorerMenu : public host::Object {
 public:
  CExplorerMenu() = default;
  CExplorerMenu(const CExplorerMenu&) = delete;
  CExplorerMenu& operator=(const CExplorerMenu&) = delete;
  // Stores the toolbar position and the cached action, then lets go of every reference; the
  // controls themselves are temporary and Outlook discards them.
  ~CExplorerMenu() override;

  std::string TypeName() const override { return "CExplorerMenu"; }

  void Create(const std::shared_ptr<host::Explorer>& oExplorer);
  void OnFolderSwitch(const std::shared_ptr<host::MAPIFolder>& oFolder);

  // DefaultItemType of the folder the explorer shows (0 when it could not be read).
  int32_t ItemType() const { return m_nItemType; }

  // --- For quillo-sim and tests: the buttons as the command set holds them ---
  enum EButtonSet : int32_t { bsToolbar = 0, bsActions = 1, bsContext = 2, bsFolderContext = 3 };
  enum EButton : int32_t { btTO, btCC, btBCC, btNewDL, btExistingDL, btOptions, btCachedAction, btDebug };
  // The most recently built button of a kind in a set (the cached-action and debug buttons are in
  // the toolbar set only); Nothing when there is none.
  std::shared_ptr<host::CommandBarButton> ButtonOf(EButtonSet eSet, EButton eButton) const;
  std::shared_ptr<host::CommandBar> Toolbar() const { return m_cbToolbar; }
  const std::string& MenuID() const { return m_sMenuID; }
  int32_t CachedAction() const { return m_nCachedAction; }

 private:
  // A button field "with events": the reference and its Click subscription, released together.
  struct CButtonRef {
    std::shared_ptr<host::CommandBarButton> o;
    host::Connection cClick;
    void reset() {
      cClick.reset();
      o.reset();
    }
  };
  using ClickHandler = void (CExplorerMenu::*)(const std::shared_ptr<host::CommandBarButton>&, bool&);

  // The commands behind the buttons. The new-mail commands live in CExplorerMenuMail.cpp, the
  // distribution-list commands in CExplorerMenuLists.cpp.
  void DisplayNewMail(int32_t nType, ERecipientsFrom eFrom);
  void TurnOnBCCField();
  void DisplayDL(ERecipientsFrom eFrom, bool bNew);
  void NewDL(ERecipientsFrom eFrom);
  void ExistingDL(ERecipientsFrom eFrom);
  std::shared_ptr<host::Recipients> CreateRecipients2K(CRecipients& oRecipients, bool bUseProgressWND);

  // Where every set's buttons meet their command: one routine per command.
  void RunNewMail(int32_t nType, ERecipientsFrom eFrom);
  void RunNewDL(ERecipientsFrom eFrom);
  void RunExistingDL(ERecipientsFrom eFrom);
  void RunOptions();

  // Toolbar and cached action.
  void UpdateCachedAction(int32_t nCode);
  int32_t GetCurrentAction() const { return m_nCachedAction; }
  bool IsOutlook2000();
  void SetButtonFace(const std::shared_ptr<host::CommandBarButton>& oButton, int32_t nPictureID,
                     int32_t nMaskID);
  void SaveToolbarPos();
  void RestoreToolbarPos();
  static std::string MakeMenuID();

  // The six menu buttons, each added to the popup's own bar with its tag (empty for none).
  using Popup = std::shared_ptr<host::CommandBarPopup>;
  using Button = std::shared_ptr<host::CommandBarButton>;
  Button AddToButton(const Popup& oPopup, const std::string& sTag);
  Button AddCcButton(const Popup& oPopup, const std::string& sTag);
  Button AddBccButton(const Popup& oPopup, const std::string& sTag);
  Button AddNewDLButton(const Popup& oPopup, const std::string& sTag);
  Button AddExistingDLButton(const Popup& oPopup, const std::string& sTag);
  Button AddOptionsButton(const Popup& oPopup, const std::string& sTag);
  Button AddMenuButton(const Popup& oPopup, const std::string& sTag, const std::string& sCaption,
                       int32_t nPictureID, int32_t nMaskID, bool bBeginGroup);
  // Fills a popup with the six buttons into one set; sTagSuffix empty for untagged buttons.
  void FillPopup(const Popup& oPopup, EButtonSet eSet, bool bTagged);
  void Bind(CButtonRef& ref, Button oButton, ClickHandler fnHandler);
  // A popup of the add-in in a built-in menu, before position nBefore.
  Popup AddMenuPopup(const std::shared_ptr<host::CommandBarControls>& oControls, int32_t nBefore,
                     const std::string& sTag);
  // The item type of the explorer's folder; -1 when it cannot be read.
  int32_t ReadItemType();

  // Office's command bar refresh: adds whichever menu popup is missing.
  void m_OutlookBars_OnUpdate();
  void AddActionsMenu(int32_t nItemType);
  void AddContextMenu();
  void AddFolderContextMenu(int32_t nItemType);

  // Clicks. Ctrl and CancelDefault are not used.
  void m_btnCachedAction_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnDebug_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnTO_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnCC_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnBCC_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnNewDL_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnExistingDL_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnOptions_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnTO1_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnCC1_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnBCC1_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnNewDL1_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnExistingDL1_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnOptions1_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnTO2_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnCC2_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnBCC2_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnNewDL2_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnExistingDL2_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnOptions2_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnTO3_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnCC3_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnBCC3_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnNewDL3_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnExistingDL3_Click(const Button& Ctrl, bool& CancelDefault);
  void m_btnOptions3_Click(const Button& Ctrl, bool& CancelDefault);

  int32_t m_nItemType = 0;
  int32_t m_nCachedAction = 0;
  std::string m_sMenuID;
  std::shared_ptr<host::CommandBar> m_cbToolbar;
  bool m_bAboutAdded = false;
  // Outlook's major version once read (it does not change while Outlook runs); 0 until then.
  int32_t m_nOutlookVersion = 0;
  std::shared_ptr<host::Explorer> m_oExplorer;

  // Event-receiving references, in the order they are released.
  std::shared_ptr<host::CommandBars> m_OutlookBars;
  host::Connection m_cOutlookBarsUpdate;
  CButtonRef m_btnCachedAction;
  // Per set (toolbar, Actions, item context, folder context): TO, CC, BCC, new list, existing
  // list, options; m_btnTO = m_btn[0][0], m_btnTO1 = m_btn[1][0], ...
  CButtonRef m_btn[4][6];
  CButtonRef m_btnDebug;
};
