#include "sim/SearchObjects.h"

#include <algorithm>
#include <unordered_set>

#include "host/Error.h"
#include "host/Text.h"
#include "platform/Ui.h"
#include "sim/ItemProperties.h"
#include "sim/OutlookObjects.h"

namespace sim {
namespace {

[[noreturn]] void BadScope(const std::string& sScope) {
  host::Raise(host::err::E_FAIL,
              "The search scope is not valid: folder paths go in single quotes, separated by "
              "commas ('\\Mailbox\\Inbox', '\\Mailbox\\Sent Items'). Scope: " +
                  sScope);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// One quoted path from position n on; a doubled quote inside stands for itself.
std::string QuotedPath(const std::string& sScope, size_t& n) {
  if (n >= sScope.size() || sScope[n] != '\'') BadScope(sScope);
  std::string sPath;
  for (size_t i = n + 1; i < sScope.size(); ++i) {
    if (sScope[i] != '\'') {
      sPath += sScope[i];
    } else if (i + 1 < sScope.size() && sScope[i + 1] == '\'') {
      sPath += '\'';
      ++i;
    } else {
      n = i + 1;
      return sPath;
    }
  }
  BadScope(sScope);
}

// The folder and, when asked, every folder below it, each once.
void AddFolder(FolderData* pFolder, bool bSubFolders, std::vector<FolderData*>& vecOut,
               std::unordered_set<FolderData*>& setSeen) {
  if (setSeen.insert(pFolder).second) vecOut.push_back(pFolder);
  if (!bSubFolders) return;
  for (const auto& p : pFolder->vecFolders) AddFolder(p.get(), true, vecOut, setSeen);
}

}  // namespace

std::vector<FolderData*> ScopeFolders(const Model& oModel, const std::string& sScope) {
  std::vector<FolderData*> vecFolders;
  size_t n = 0;
  auto SkipBlanks = [&] {
    while (n < sScope.size() && IsBlank(sScope[n])) ++n;
  };
  for (;;) {
    SkipBlanks();
    std::string sPath = QuotedPath(sScope, n);
    FolderData* pFolder = host::Trim(sPath).empty() ? nullptr : oModel.FolderByPath(sPath);
    if (!pFolder) host::Raise(kErrNotFound, "The folder '" + sPath + "' of the search scope does not exist.");
    vecFolders.push_back(pFolder);
    SkipBlanks();
    if (n == sScope.size()) return vecFolders;
    if (sScope[n] != ',') BadScope(sScope);
    ++n;
  }
}

std::shared_ptr<host::Search> StartAdvancedSearch(const std::shared_ptr<Session>& pSession,
                                                  const std::string& sScope, const host::Variant& Filter,
                                                  const host::Variant& SearchSubFolders,
                                                  const host::Variant& Tag) {
  // Outlook 2000 has no advanced search.
  if (pSession->nMajorVersion < 10) host::Raise(host::err::NoSuchMember);
  std::string sFilter = Filter.IsEmpty() ? std::string() : Filter.ToString();
  bool bSubFolders = !SearchSubFolders.IsEmpty() && SearchSubFolders.ToBool();
  std::string sTag = Tag.IsEmpty() ? std::string() : Tag.ToString();
  std::vector<FolderData*> vecFolders = ScopeFolders(pSession->oModel, sScope);
  DaslFilter oFilter(sFilter);
  auto pSearch = std::make_shared<SearchObj>(pSession, sScope, sFilter, bSubFolders, sTag,
                                             std::move(vecFolders), std::move(oFilter));
  platform::Loop().Post([pSearch] { pSearch->Complete(); }, kSearchDelayMs);
  return pSearch;
}

// --- Search ---

SearchObj::SearchObj(std::shared_ptr<Session> pSession, std::string sScope, std::string sFilter,
                     bool bSubFolders, std::string sTag, std::vector<FolderData*> vecFolders,
                     DaslFilter oFilter)
    : m_pSession(std::move(pSession)),
      m_sScope(std::move(sScope)),
      m_sFilter(std::move(sFilter)),
      m_bSubFolders(bSubFolders),
      m_sTag(std::move(sTag)),
      m_vecFolders(std::move(vecFolders)),
      m_oFilter(std::move(oFilter)),
      m_pResults(std::make_shared<ResultsObj>(m_pSession)) {}

int32_t SearchObj::Class() {
  return Hooked<"Search.Class">(*m_pSession, host::olSearch);
}

std::shared_ptr<host::OutlookObject> SearchObj::Parent() {
  return Hooked<"Search.Parent">(*m_pSession, m_pSession->pApp);
}

std::string SearchObj::Tag() {
  return Hooked<"Search.Tag">(*m_pSession, m_sTag);
}

std::string SearchObj::Scope() {
  return Hooked<"Search.Scope">(*m_pSession, m_sScope);
}

std::string SearchObj::Filter() {
  return Hooked<"Search.Filter">(*m_pSession, m_sFilter);
}

bool SearchObj::SearchSubFolders() {
  return Hooked<"Search.SearchSubFolders">(*m_pSession, m_bSubFolders);
}

void SearchObj::Stop() {
  m_pSession->Hit<"Search.Stop">();
  if (!m_bComplete) m_bStopped = true;
}

std::shared_ptr<host::Results> SearchObj::Results() {
  return Hooked<"Search.Results">(*m_pSession, m_pResults);
}

std::vector<ItemPtr> SearchObj::Matching() {
  std::vector<FolderData*> vecFolders;
  std::unordered_set<FolderData*> setSeen;
  for (FolderData* p : m_vecFolders) AddFolder(p, m_bSubFolders, vecFolders, setSeen);
  std::vector<ItemPtr> vecItems;
  for (FolderData* pFolder : vecFolders)
    for (const auto& pItem : pFolder->vecItems)
      if (m_oFilter.Matches(m_pSession->oModel, *pItem)) vecItems.push_back(pItem);
  return vecItems;
}

void SearchObj::Complete() {
  if (m_bStopped || m_bComplete) return;
  m_bComplete = true;
  auto pApp = m_pSession->pApp;
  if (!pApp) return;  // Outlook has gone meanwhile
  m_pResults->Fill(Matching());
  auto pSelf = std::static_pointer_cast<SearchObj>(shared_from_this());
  m_pSession->RaiseAtBoundary("Application.AdvancedSearchComplete", pApp->OnAdvancedSearchComplete, pSelf);
}

// --- Results ---

void ResultsObj::Fill(std::vector<ItemPtr> vecItems) {
  m_vecItems = std::move(vecItems);
  m_nNext = 0;
  ApplySort();
}

void ResultsObj::ApplySort() {
  if (!m_fnSort) return;
  Model& oModel = m_pSession->oModel;
  std::vector<std::pair<host::Variant, ItemPtr>> vecKeyed;
  vecKeyed.reserve(m_vecItems.size());
  for (auto& p : m_vecItems) vecKeyed.emplace_back(OrderKey(m_fnSort(oModel, *p)), std::move(p));
  std::stable_sort(vecKeyed.begin(), vecKeyed.end(), [&](const auto& a, const auto& b) {
    int n = CompareKeys(a.first, b.first);
    return m_bDescending ? n > 0 : n < 0;
  });
  m_vecItems.clear();
  for (auto& [v, p] : vecKeyed) m_vecItems.push_back(std::move(p));
}

int32_t ResultsObj::Class() {
  return Hooked<"Results.Class">(*m_pSession, host::olResults);
}

std::shared_ptr<host::OutlookObject> ResultsObj::Parent() {
  return Hooked<"Results.Parent">(*m_pSession, m_pSession->pApp);
}

int32_t ResultsObj::Count() {
  return HookedCount<"Results.Count">(*m_pSession, m_vecItems);
}

std::shared_ptr<host::OutlookItem> ResultsObj::Item(const host::Variant& Index) {
  m_pSession->Hit<"Results.Item">();
  return m_pSession->ItemObject(AtPosition(m_vecItems, Index.ToLong()));
}

std::shared_ptr<host::OutlookItem> ResultsObj::Next() {
  return m_nNext < m_vecItems.size() ? m_pSession->ItemObject(m_vecItems[m_nNext++]) : nullptr;
}

std::shared_ptr<host::OutlookItem> ResultsObj::GetFirst() {
  m_pSession->Hit<"Results.GetFirst">();
  m_nNext = 0;
  return Next();
}

std::shared_ptr<host::OutlookItem> ResultsObj::GetNext() {
  m_pSession->Hit<"Results.GetNext">();
  return Next();
}

void ResultsObj::Sort(const std::string& sProperty, const host::Variant& Descending) {
  m_pSession->Hit<"Results.Sort">();
  m_fnSort = SortProperty(sProperty);
  m_bDescending = !Descending.IsEmpty() && Descending.ToBool();
  m_nNext = 0;
  ApplySort();
}

}  // namespace sim
