// The add-in's view of Outlook's Explorers collection: one CExplorerWrapper per explorer, the
// decision which explorer counts as the first one, and the detection of the last one closing.
#pragma once

#include <memory>
#include <string>

#include "addin/CExplorerWrapper.h"
#include "common/CKeyedCollection.h"
#include "host/Event.h"
#include "host/Outlook.h"

class CExplorersWrapper : public host::Object {
 public:
  CExplorersWrapper();
  ~CExplorersWrapper() override;
  std::string TypeName() const override { return "CExplorersWrapper"; }

  int32_t Count();
  std::shared_ptr<CExplorerWrapper> Item(int32_t nIndex);
  void Init(const std::shared_ptr<host::Explorers>& oExplorers);
  // bCloseEventer False keeps listening for new explorers ("wait new explorer").
  void Done(bool bCloseEventer = false);
  void EventFromExplorer(const std::string& strName, const std::shared_ptr<CEventArgs>& colArgs);

  host::Event<> OnCloseAllExplorers;
  host::Event<std::shared_ptr<CExplorerWrapper>, bool, bool> OnExplorer;
  host::Event<std::shared_ptr<CExplorerWrapper>> OnExplorerSelectionChange;
  host::Event<std::shared_ptr<CExplorerWrapper>> OnExplorerFolderSwitch;

 private:
  using CExplorerList = CKeyedCollection<std::shared_ptr<CExplorerWrapper>>;

  void m_oExplorers_NewExplorer(const std::shared_ptr<host::Explorer>& Explorer);
  void DispatchExplorerEvent(const std::string& strName, const std::shared_ptr<CEventArgs>& colArgs);
  bool IsFirstExplorer(const std::shared_ptr<host::Object>& oCandidate);
  void RemoveClosedExplorers();

  std::unique_ptr<CExplorerList> m_colExplorers;
  std::shared_ptr<host::Explorers> m_oExplorers;
  host::Connection m_cnNewExplorer;  // released with m_oExplorers
};
