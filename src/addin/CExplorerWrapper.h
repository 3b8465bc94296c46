// One wrapper per Outlook explorer window: follows the explorer's events, reports them upward
// by name (never holding its owner), and keeps the objects other parts hang on the explorer
// (the command set under "Menu").
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/CKeyedCollection.h"
#include "host/Event.h"
#include "host/Outlook.h"
#include "host/Variant.h"

// Arguments of an explorer event by position (1-based), as the wrapper hands them upward.
using CEventArgs = CKeyedCollection<host::Variant>;

class CExplorerWrapper : public host::Object {
 public:
  ~CExplorerWrapper() override;
  std::string TypeName() const override { return "CExplorerWrapper"; }

  bool WaitingActivateEvent() const { return m_bWaitActivate; }
  std::shared_ptr<host::Explorer> GetObject() const { return m_oExplorer; }
  // Full tracking; raises "OnExplorer" upward. Errors go to the caller.
  void Init(const std::shared_ptr<host::Explorer>& oExplorer, bool bNewExplorer);
  // An explorer that Outlook announced but that is not usable until its first activation.
  void InitWaitActivate(const std::shared_ptr<host::Explorer>& oExplorer);
  void Done();

  void AddAssociatedObject(const std::shared_ptr<host::Object>& oObject, const std::string& sKey);
  std::shared_ptr<host::Object> GetAssociatedObject(const std::string& sKey);
  void RemoveAssociatedObject(const std::string& sKey);

 private:
  void SetExplorer(const std::shared_ptr<host::Explorer>& oExplorer);
  std::shared_ptr<CEventArgs> ArgsWithSelf();

  void m_oExplorer_Activate();
  void m_oExplorer_Close();
  void m_oExplorer_FolderSwitch();
  void m_oExplorer_SelectionChange();

  std::shared_ptr<host::Explorer> m_oExplorer;
  std::vector<host::Connection> m_vecExplorerEvents;  // released with m_oExplorer
  std::unique_ptr<CKeyedCollection<std::shared_ptr<host::Object>>> m_colAssociated;
  bool m_bWaitActivate = false;
};
