// Application.AdvancedSearch in the simulation: the Search object and its Results. A search
// checks its scope and filter at once (a bad one fails the call, as in Outlook), runs later from
// the message pump, and then raises Application.AdvancedSearchComplete with itself, whoever
// started it. A search stopped before that never completes and keeps no results.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/Outlook.h"
#include "sim/DaslFilter.h"
#include "sim/Session.h"

namespace sim {

// How long a search takes on the simulated clock.
constexpr uint32_t kSearchDelayMs = 5;

// The folders a scope names: "'\Store\Folder'", several separated by commas. host::Error for a
// scope that is not written so or names a folder that does not exist.
std::vector<FolderData*> ScopeFolders(const Model& oModel, const std::string& sScope);

// Checks the arguments, starts the search and schedules its completion.
std::shared_ptr<host::Search> StartAdvancedSearch(const std::shared_ptr<Session>& pSession,
                                                  const std::string& sScope, const host::Variant& Filter,
                                                  const host::Variant& SearchSubFolders,
                                                  const host::Variant& Tag);

// What a search found, in scope order (a folder's items, then those of its subfolders), until
// sorted. It keeps the items it was given; later changes of the folders do not reach it.
class ResultsObj : public host::Results {
 public:
  explicit ResultsObj(std::shared_ptr<Session> pSession) : m_pSession(std::move(pSession)) {}
  void Fill(std::vector<ItemPtr> vecItems);

  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  int32_t Count() override;
  std::shared_ptr<host::OutlookItem> Item(const host::Variant& Index) override;
  std::shared_ptr<host::OutlookItem> GetFirst() override;
  std::shared_ptr<host::OutlookItem> GetNext() override;
  void Sort(const std::string& sProperty, const host::Variant& Descending) override;

 private:
  void ApplySort();
  std::shared_ptr<host::OutlookItem> Next();

  std::shared_ptr<Session> m_pSession;
  std::vector<ItemPtr> m_vecItems;
  size_t m_nNext = 0;
  PropertyReader m_fnSort;
  bool m_bDescending = false;
};

class SearchObj : public host::Search {
 public:
  SearchObj(std::shared_ptr<Session> pSession, std::string sScope, std::string sFilter, bool bSubFolders,
            std::string sTag, std::vector<FolderData*> vecFolders, DaslFilter oFilter);

  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  std::string Tag() override;
  std::string Scope() override;
  std::string Filter() override;
  bool SearchSubFolders() override;
  void Stop() override;
  std::shared_ptr<host::Results> Results() override;

  // From the pump: collects the results and raises AdvancedSearchComplete, unless stopped.
  void Complete();
  bool IsComplete() const { return m_bComplete; }
  bool IsStopped() const { return m_bStopped; }

 private:
  std::vector<ItemPtr> Matching();

  std::shared_ptr<Session> m_pSession;
  std::string m_sScope;
  std::string m_sFilter;
  bool m_bSubFolders;
  std::string m_sTag;
  std::vector<FolderData*> m_vecFolders;
  DaslFilter m_oFilter;
  std::shared_ptr<ResultsObj> m_pResults;
  bool m_bComplete = false;
  bool m_bStopped = false;
};

}  // namespace sim
