#include "chooser/CAdvancedSearch.h"

#include "common/mGlobals.h"
#include "host/AdvSearch.h"
#include "host/Error.h"

using mGlobals::Trace;
using mGlobals::TraceError;

void CAdvancedSearch::SyncSearch(const std::shared_ptr<host::Application>& oApp, const std::string& sScope,
                                 const std::string& sFilter, bool SearchSubFolder, const std::string& Tag,
                                 const std::string& Sort, bool DescendingSort) {
  // The wait lets other handlers run; this object must outlive the call whatever they release.
  auto pSelf = weak_from_this().lock();
  try {
    std::shared_ptr<host::Search> oSearch;
    {
      auto oAdvSearch = host::CreateObject<host::_CAdvSearch>(host::kAdvSearchProgId);
      oSearch = host::Deref(oAdvSearch).SyncSearch(oApp, sScope, sFilter, SearchSubFolder, Tag);
    }
    m_oSearch = oSearch;
    if (!Sort.empty())
      host::Deref(host::Deref(m_oSearch).Results()).Sort(Sort, host::Variant(DescendingSort));
  } catch (...) {
    TraceError("CAdvancedSearch::SyncSearch");
  }
}

std::string CAdvancedSearch::FolderPath(const std::shared_ptr<host::MAPIFolder>& oFolder) {
  std::string sPath;
  auto oCurrent = oFolder;
  for (;;) {
    sPath = host::Deref(oCurrent).Name() + (sPath.empty() ? "" : "\\") + sPath;
    auto oParent = oCurrent->Parent();
    if (host::Deref(oParent).Class() != host::olFolder) break;
    oCurrent = host::As<host::MAPIFolder>(oParent);
  }
  return "\\" + sPath;
}

std::string CAdvancedSearch::CalcScope(const std::shared_ptr<host::MAPIFolder>& oFolder) {
  try {
    auto oCalendar = host::Deref(host::Deref(g_oApp).Session()).GetDefaultFolder(host::olFolderCalendar);
    std::string sPersonalID =
        host::Deref(host::As<host::MAPIFolder>(host::Deref(oCalendar).Parent())).EntryID();
    if (host::Deref(oFolder).EntryID() == sPersonalID) {
      TraceError("CAdvancedSearch::CalcScope", 0, "oFolder is personal folder!");
      return {};
    }
    std::string sPath = FolderPath(oFolder);
    Trace("CAdvancedSearch::CalcScope", "Scope = '" + sPath + "'", 3);
    return sPath;
  } catch (...) {
    TraceError("CAdvancedSearch::CalcScope");
  }
  return {};
}

std::shared_ptr<host::Results> CAdvancedSearch::GetResults() {
  std::shared_ptr<host::Results> oResults;
  host::IgnoreErrors([&] {
    if (m_oSearch) oResults = m_oSearch->Results();
  });
  return oResults;
}

void CAdvancedSearch::Resort(const std::string& sNewSort, bool bDescending) {
  try {
    mGlobals::Assert(HasObject(), "CAdvancedSearch::Resort", "HasObject");
    host::Deref(GetResults()).Sort(sNewSort, host::Variant(bDescending));
  } catch (...) {
    TraceError("CAdvancedSearch::Resort");
  }
}

void CAdvancedSearch::Done() {
  host::IgnoreErrors([&] { m_oSearch.reset(); });
}
