#include "chooser/COutlookItems.h"

#include "common/mGlobals.h"
#include "host/Error.h"

using mGlobals::Trace;
using mGlobals::TraceError;
using mGlobals::TraceWarning;

namespace {

// Single quotes enclose each folder path of a search scope; Outlook reads a doubled one inside
// as part of the name, so a folder named "Jane's" cannot end the path early.
std::string QuotedScope(const std::string& sPath) {
  std::string s = "'";
  for (char c : sPath) {
    s += c;
    if (c == '\'') s += '\'';
  }
  return s + "'";
}

constexpr const char* kAlwaysLoaded = "в режиме фильтрации через AdvancedSearch итемы всегда загружены";

}  // namespace

bool COutlookItems::Init(const std::shared_ptr<host::MAPIFolder>& oFolder, const std::string& sRestrict,
                         const std::string& sSort, const std::string& sAdvancedSort, bool bDescending) {
  try {
    Done();
    Trace("COutlookItems::Init", "USE_EVENTS = 1", 2);
    m_folder = oFolder;
    m_oAdvSearch = std::make_shared<CAdvancedSearch>();
    m_nFilter = FILTER_RESTRICT;
    StartEvents();
    m_sRestrict = sRestrict;
    m_sSort = sSort;
    m_bDescending = bDescending;
    m_sAdvancedSort = sAdvancedSort;
    return true;
  } catch (...) {
    TraceError("COutlookItems::Init");
  }
  return false;
}

void COutlookItems::Done() {
  host::IgnoreErrors([&] { m_folder.reset(); });
  host::IgnoreErrors([&] { m_oItems.reset(); });
  host::IgnoreErrors([&] { StopEvents(); });
  host::IgnoreErrors([&] { m_oAdvSearch.reset(); });
}

void COutlookItems::StartEvents() {
  auto oItems = host::Deref(m_folder).Items();
  StopEvents();
  m_events = oItems;
  if (!m_events) return;
  // Done drops the connections, so no handler outlives this object.
  auto* pThis = this;
  m_cnItemAdd = m_events->OnItemAdd.Connect([pThis](std::shared_ptr<host::OutlookItem>) {
    pThis->m_events_Changed("COutlookItems::m_events_ItemAdd");
  });
  m_cnItemChange = m_events->OnItemChange.Connect([pThis](std::shared_ptr<host::OutlookItem>) {
    pThis->m_events_Changed("COutlookItems::m_events_ItemChange");
  });
  m_cnItemRemove = m_events->OnItemRemove.Connect(
      [pThis] { pThis->m_events_Changed("COutlookItems::m_events_ItemRemove"); });
}

void COutlookItems::StopEvents() {
  m_cnItemAdd.reset();
  m_cnItemChange.reset();
  m_cnItemRemove.reset();
  m_events.reset();
}

void COutlookItems::m_events_Changed(const char* sSource) {
  // The receiver of OnChange may release this object; keep it until the handler ends.
  auto pSelf = weak_from_this().lock();
  host::IgnoreErrors([&] { Trace(sSource, "->", 3); });
  host::IgnoreErrors([&] {
    if (m_oItems) m_oItems = GetItems();
  });
  host::IgnoreErrors([&] { OnChange.Raise(); });
}

void COutlookItems::SetFilterMode(int32_t nNewMode) {
  if (nNewMode == m_nFilter) return;
  if (m_nFilter == FILTER_ADVANCED) {
    if (m_oAdvSearch) m_oAdvSearch->Done();
  } else if (m_nFilter == FILTER_RESTRICT) {
    UnLoadItems();
  }
  m_nFilter = nNewMode;
}

std::shared_ptr<host::Items> COutlookItems::GetItems() {
  std::shared_ptr<host::Items> oItems;
  try {
    if (m_nFilter != FILTER_RESTRICT) {
      TraceError("COutlookItems::GetItems", 0,
                 "to use this function you need m_nFilter to be equal 'FILTER_RESTRICT'");
      return nullptr;
    }
    if (m_sRestrict.empty())
      oItems = host::Deref(m_folder).Items();
    else
      oItems = host::Deref(host::Deref(m_folder).Items()).Restrict(m_sRestrict);
    if (!m_sSort.empty()) host::Deref(oItems).Sort(m_sSort, host::Variant(m_bDescending));
  } catch (...) {
    TraceError("COutlookItems::GetItems");
  }
  return oItems;
}

void COutlookItems::LoadItems() {
  if (m_nFilter == FILTER_RESTRICT)
    m_oItems = GetItems();
  else
    TraceWarning("COutlookItems::LoadItems", kAlwaysLoaded);
}

void COutlookItems::UnLoadItems() {
  if (m_nFilter == FILTER_RESTRICT)
    m_oItems.reset();
  else
    TraceWarning("COutlookItems::UnLoadItems", kAlwaysLoaded);
}

int32_t COutlookItems::Count() {
  if (m_nFilter == FILTER_ADVANCED) return host::Deref(host::Deref(m_oAdvSearch).GetResults()).Count();
  if (!m_oItems) return host::Deref(GetItems()).Count();
  return m_oItems->Count();
}

std::shared_ptr<host::OutlookItem> COutlookItems::Item(int32_t nItem) {
  if (m_nFilter == FILTER_ADVANCED)
    return host::Deref(host::Deref(m_oAdvSearch).GetResults()).Item(host::Variant(nItem));
  if (!m_oItems) return host::Deref(GetItems()).Item(host::Variant(nItem));
  return m_oItems->Item(host::Variant(nItem));
}

std::shared_ptr<host::OutlookItem> COutlookItems::NewItem(int32_t nType) {
  Trace("COutlookItems::NewItem", "->", 3);
  return host::Deref(host::Deref(m_folder).Items()).Add(host::Variant(nType));
}

void COutlookItems::SetRestrict(const std::string& sRestrict) {
  if (m_nFilter == FILTER_ADVANCED) SetFilterMode(FILTER_RESTRICT);
  m_sRestrict = sRestrict;
  if (m_oItems) m_oItems = GetItems();
}

void COutlookItems::SetSort(const std::string& sSort) {
  m_sSort = sSort;
  if (m_nFilter == FILTER_RESTRICT && m_oItems) m_oItems = GetItems();
}

void COutlookItems::SetSortDescending(bool bDescending) {
  m_bDescending = bDescending;
  if (m_nFilter == FILTER_ADVANCED)
    host::Deref(host::Deref(m_oAdvSearch).GetResults()).Sort(m_sAdvancedSort, host::Variant(m_bDescending));
  else if (m_oItems)
    m_oItems = GetItems();
}

void COutlookItems::SetAdvancedSort(const std::string& sSort) {
  m_sAdvancedSort = sSort;
  if (m_oAdvSearch && m_oAdvSearch->HasObject()) m_oAdvSearch->Resort(m_sAdvancedSort, m_bDescending);
}

void COutlookItems::SetAdvancedRestrict(const std::string& sRestrict) {
  // The search pumps messages: a handler may release this object or its search client meanwhile.
  auto pSelf = weak_from_this().lock();
  if (m_nFilter != FILTER_ADVANCED) SetFilterMode(FILTER_ADVANCED);
  auto oFolder = m_folder;
  if (host::Deref(host::Deref(oFolder).Parent()).Class() == host::olNamespace) {
    TraceError("COutlookItems::AdvancedRestrict", 0, "m_folder is personal folder!");
    return;
  }
  std::string sPath = CAdvancedSearch::FolderPath(oFolder);
  m_sAdvancedRestrict = sRestrict;
  Trace("COutlookItems::AdvancedRestrict",
        mGlobals::sprintf("Scope = '%s', sFilter = '%s', sSort = '%s', bDescending = '%d'", sPath,
                          m_sAdvancedRestrict, m_sAdvancedSort, m_bDescending),
        3);
  auto oAdvSearch = m_oAdvSearch;
  host::Deref(oAdvSearch)
      .SyncSearch(g_oApp, QuotedScope(sPath), m_sAdvancedRestrict, false, kSearchTag, m_sAdvancedSort,
                  m_bDescending);
  Trace("COutlookItems::AdvancedRestrict",
        mGlobals::sprintf("m_oAdvSearch.GetResults.Count = '%d'",
                          host::Deref(oAdvSearch->GetResults()).Count()),
        3);
}
