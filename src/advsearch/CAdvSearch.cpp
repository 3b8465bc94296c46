#include "advsearch/CAdvSearch.h"

#include "advsearch/CDebug.h"
#include "host/Error.h"
#include "platform/Ui.h"

namespace {

// Writes the error being handled; a log that cannot be written must not turn it into another.
void ReportError(const char* sWhere) noexcept {
  host::IgnoreErrors([&] { g_debug().OutError(sWhere); });
}

}  // namespace

CAdvSearch::CAdvSearch() {
  g_debug().Out("->CAdvSearch.Class_Initialize");
}

CAdvSearch::~CAdvSearch() {
  host::IgnoreErrors([&] { g_debug().Out("->CAdvSearch.Class_Terminate"); });
  ResetSearch();
}

void CAdvSearch::ResetSearch() noexcept {
  host::IgnoreErrors([&] { m_oNotify.reset(); });
  host::IgnoreErrors([&] {
    m_oAppEvents.reset();
    m_oApp.reset();
  });
  host::IgnoreErrors([&] {
    if (m_oSearch && !m_bDone) m_oSearch->Stop();
  });
  host::IgnoreErrors([&] { m_oSearch.reset(); });
}

void CAdvSearch::SetApp(const std::shared_ptr<host::Application>& oApp) {
  m_oAppEvents.reset();
  m_oApp = oApp;
  m_oAppEvents = host::Deref(m_oApp).OnAdvancedSearchComplete.Connect(
      [this](std::shared_ptr<host::Search> SearchObject) { m_oApp_AdvancedSearchComplete(SearchObject); });
}

void CAdvSearch::StartSearch(const std::string& sScope, const std::string& sFilter, bool SearchSubFolder,
                             const std::string& Tag) {
  m_oSearch = host::Deref(m_oApp).AdvancedSearch(sScope, host::Variant(sFilter),
                                                 host::Variant(SearchSubFolder), host::Variant(Tag));
}

std::shared_ptr<host::Search> CAdvSearch::SyncSearch(const std::shared_ptr<host::Application>& oApp,
                                                     const std::string& sScope, const std::string& sFilter,
                                                     bool SearchSubFolder, const std::string& Tag) {
  // Handlers run inside the wait; whatever they release, this instance lives to the end.
  auto pSelf = weak_from_this().lock();
  std::shared_ptr<host::Search> oResult;
  try {
    ResetSearch();
    m_bSync = 1;
    m_bDone = false;
    SetApp(oApp);
    StartSearch(sScope, sFilter, SearchSubFolder, Tag);
    while (!m_bDone) {
      platform::DoEvents();
      platform::Sleep(1);
    }
    m_oAppEvents.reset();
    m_oApp.reset();
    oResult = m_oSearch;
    ResetSearch();
  } catch (...) {
    ReportError("CAdvSearch.SyncSearch");
  }
  return oResult;
}

std::shared_ptr<host::Search> CAdvSearch::ASyncSearch(const std::shared_ptr<host::Application>& oApp,
                                                      const std::string& sScope, const std::string& sFilter,
                                                      bool SearchSubFolder, const std::string& Tag,
                                                      const std::shared_ptr<host::Object>& oNotifyedObj) {
  try {
    ResetSearch();
    m_bDone = false;
    m_bSync = 0;
    m_oNotify = oNotifyedObj;
    SetApp(oApp);
    StartSearch(sScope, sFilter, SearchSubFolder, Tag);
    return m_oSearch;
  } catch (...) {
    ReportError("CAdvSearch.ASyncSearch");
  }
  return nullptr;
}

void CAdvSearch::m_oApp_AdvancedSearchComplete(const std::shared_ptr<host::Search>& SearchObject) noexcept {
  // The notified object may release this instance.
  auto pSelf = weak_from_this().lock();
  host::IgnoreErrors(
      [&] { g_debug().Out("->CAdvSearch.AdvancedSearchComplete " + host::Deref(SearchObject).Tag()); });
  // Our own Search object is ours even when its tag cannot be read: the wait must not go on
  // forever over a failing property. Any other search counts by its tag alone.
  bool bOurs = m_oSearch && SearchObject == m_oSearch;
  host::IgnoreErrors([&] {
    if (!bOurs) bOurs = host::Deref(m_oSearch).Tag() == host::Deref(SearchObject).Tag();
  });
  if (!bOurs) return;
  m_bDone = true;
  if (m_bSync == 0) {
    host::IgnoreErrors([&] {
      auto oNotify = std::dynamic_pointer_cast<host::ASyncSearchNotify>(m_oNotify);
      if (!oNotify) host::Raise(host::err::NoSuchMember);
      oNotify->ASyncSearchDone();
    });
    ResetSearch();
  }
}

void RegisterCAdvSearch(host::ObjectRegistry& oRegistry) {
  oRegistry.Register(host::kAdvSearchProgId, [] { return std::make_shared<CAdvSearch>(); });
}

void UnregisterCAdvSearch(host::ObjectRegistry& oRegistry) {
  oRegistry.Unregister(host::kAdvSearchProgId);
}
