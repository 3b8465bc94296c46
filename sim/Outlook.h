// The simulated Outlook: the facade that quillo-sim and the scenario tests use to run the add-in
// inside a profile. It hands out the Application object, plays the host's part towards the
// add-in (connection events, explorer windows, command bar updates and clicks) and gives access
// to the model behind the objects.
//
// Events reach the add-in synchronously, as Outlook raises them. An error that an add-in handler
// lets escape is caught here, at the host boundary, and recorded in EscapedErrors(); the
// simulation goes on. Driver calls with bad arguments (a position without explorer, an unknown
// path or entry ID) throw host::Error to the driver.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/Error.h"
#include "host/Office.h"
#include "host/Outlook.h"
#include "sim/FaultInjector.h"
#include "sim/Profile.h"
#include "sim/SupportLibraryStandIn.h"

namespace sim {

class Session;
class Model;

class Outlook {
 public:
  // sVersionOverride replaces the profile's version ("9.0.0.2711", "10.0.2627", "11.0.5608").
  explicit Outlook(std::shared_ptr<const Profile> pProfile, std::string sVersionOverride = {});
  ~Outlook();
  Outlook(const Outlook&) = delete;
  Outlook& operator=(const Outlook&) = delete;

  std::shared_ptr<host::Application> Application() const;
  FaultInjector& Faults();
  // The caller binds it with host::BindTarvik(SupportLibrary()).
  SupportLibraryStandIn& Support();
  std::shared_ptr<SupportLibraryStandIn> SupportLibrary() const;
  const Profile& ProfileData() const;
  std::string Version() const;

  // --- Outlook driving an add-in ---
  // Opens the profile's start-up explorers (no NewExplorer for them; the first becomes the active
  // explorer without an Activate), then OnConnection(app, ext_cm_Startup, Nothing, custom) and
  // OnStartupComplete. An add-in whose OnConnection fails is not called again.
  void Start(std::shared_ptr<host::AddIn> pAddIn);
  // OnBeginShutdown then OnDisconnection(ext_dm_HostShutdown); the explorers then vanish
  // without events.
  void Quit();
  // The user removes the add-in: OnDisconnection(ext_dm_UserClosed).
  void Disconnect();
  bool AddInConnected() const;
  // Anything an add-in event handler let escape (must stay empty), and where it escaped
  // ("Explorer.Activate", "CommandBarButton.Click", ...), in the same order.
  const std::vector<host::ErrorInfo>& EscapedErrors() const;
  const std::vector<std::string>& EscapedErrorPlaces() const;
  // Called with each escaped error and its place as it is recorded.
  void SetOnEscaped(std::function<void(const std::string& sPlace, const host::ErrorInfo& oError)> fn);

  // --- Explorer windows (1-based positions as in Explorers.Item) ---
  int ExplorerCount() const;
  std::shared_ptr<host::Explorer> ExplorerAt(int n) const;
  // Position of the active explorer, 0 when there is none.
  int ActiveExplorerIndex() const;
  // Appends an explorer, raises Explorers.OnNewExplorer; not activated. Returns its position.
  int OpenExplorer(const std::string& sFolderPath);
  // Becomes the active explorer, raises OnActivate (every time), then CommandBars.OnUpdate.
  void ActivateExplorer(int n);
  // Raises OnClose, then removes the explorer; its temporary command bar controls disappear.
  void CloseExplorer(int n);
  // CurrentFolder and CurrentView change, the selection empties; OnFolderSwitch, then OnUpdate.
  void SwitchFolder(int n, const std::string& sFolderPath);
  // The selection becomes these items; OnSelectionChange, then OnUpdate.
  void Select(int n, const std::vector<std::string>& vecEntryIDs);
  // CommandBars.OnUpdate of explorer n, as when the user opens a menu.
  void RaiseUpdate(int n);

  // --- Command bars, for drivers ---
  // The control reached from bar vecPath[0] of explorer n through the controls named by the
  // following elements (caption without "&" and without regard to case, or tag); Nothing when
  // the path leads nowhere.
  std::shared_ptr<host::CommandBarControl> FindControl(int n, const std::vector<std::string>& vecPath) const;
  // The user clicks a button: Click is raised on it and, as Office does, on every other button
  // with the same non-empty Tag. A popup, a deleted or a hidden control cannot be clicked.
  void Click(const std::shared_ptr<host::CommandBarControl>& oControl);
  // Where PasteFace takes its picture from (the clipboard); without it PasteFace fails.
  void SetClipboardPictureSource(std::function<std::shared_ptr<host::Picture>()> fnPicture);

  // --- Model access for show commands and tests ---
  // "\Mailbox - Jane Doe\Inbox", without regard to case; host::Error when missing.
  std::shared_ptr<host::MAPIFolder> FolderByPath(const std::string& sPath) const;
  std::string PathOf(const std::shared_ptr<host::MAPIFolder>& oFolder) const;
  // Stores in order, each depth first from its top folder.
  std::vector<std::shared_ptr<host::MAPIFolder>> AllFolders() const;
  // host::Error when there is no such item (any more).
  std::shared_ptr<host::OutlookItem> ItemByID(const std::string& sEntryID) const;
  // Deletes an item as the user would; the folder's Items raise ItemRemove.
  void DeleteItem(const std::string& sEntryID);
  // Every item shown with Display, in order.
  std::vector<std::shared_ptr<host::OutlookItem>> DisplayedItems() const;

  // The state behind the objects (for the Redemption and search parts of the simulation).
  Model& Data() const;
  std::shared_ptr<Session> SessionState() const { return m_pSession; }

 private:
  std::shared_ptr<Session> m_pSession;
};

}  // namespace sim
