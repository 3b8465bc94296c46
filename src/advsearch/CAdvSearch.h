// The one creatable class of the search component: it runs an Outlook advanced search and
// hands back the Search object, either once Outlook has reported that very search finished
// (SyncSearch, which keeps the thread's messages running while it waits) or at once
// (ASyncSearch, which later calls the caller's ASyncSearchDone).
//
// Outlook reports every advanced search of the session through the Application's
// AdvancedSearchComplete, so a completion counts only when its Tag is the running search's.
// One instance runs one search at a time: a new call, and the instance's end, stop a search
// that has not finished.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/AdvSearch.h"
#include "host/Event.h"
#include "host/Object.h"
#include "host/Outlook.h"

class CAdvSearch : public host::_CAdvSearch {
 public:
  CAdvSearch();
  ~CAdvSearch() override;
  std::string TypeName() const override { return "CAdvSearch"; }

  std::shared_ptr<host::Search> SyncSearch(const std::shared_ptr<host::Application>& oApp,
                                           const std::string& sScope, const std::string& sFilter,
                                           bool SearchSubFolder, const std::string& Tag) override;
  std::shared_ptr<host::Search> ASyncSearch(const std::shared_ptr<host::Application>& oApp,
                                            const std::string& sScope, const std::string& sFilter,
                                            bool SearchSubFolder, const std::string& Tag,
                                            const std::shared_ptr<host::Object>& oNotifyedObj) override;

 private:
  void ResetSearch() noexcept;
  // m_oApp with its completion event sunk.
  void SetApp(const std::shared_ptr<host::Application>& oApp);
  void StartSearch(const std::string& sScope, const std::string& sFilter, bool SearchSubFolder,
                   const std::string& Tag);
  void m_oApp_AdvancedSearchComplete(const std::shared_ptr<host::Search>& SearchObject) noexcept;

  std::shared_ptr<host::Application> m_oApp;
  host::Connection m_oAppEvents;  // released with m_oApp
  std::shared_ptr<host::Search> m_oSearch;
  bool m_bDone = false;
  std::shared_ptr<host::Object> m_oNotify;
  int32_t m_bSync = 0;
};

// Makes the class creatable by its ProgID in a registry, as the library's self-registration
// does; the reverse removes it.
void RegisterCAdvSearch(host::ObjectRegistry& oRegistry);
void UnregisterCAdvSearch(host::ObjectRegistry& oRegistry);
