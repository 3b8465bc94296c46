#include "feedback/CMailItemWrapperColl.h"

#include <algorithm>

#include "common/mGlobals.h"

constinit CAutoNew<CMailItemWrapperColl> g_colMailWrappers;

CMailItemWrapperColl::~CMailItemWrapperColl() {
  Done();
}

void CMailItemWrapperColl::Add(const std::shared_ptr<host::OutlookItem>& oItem,
                               const CStringCollection& colEntryIDsMakeRepliedOnSend) {
  host::IgnoreErrors([&] {
    auto oWrapper = std::make_unique<CMailItemWrapper>();
    oWrapper->Init(oItem, colEntryIDsMakeRepliedOnSend);
    m_colWrappers.push_back(std::move(oWrapper));
  });
}

const CMailItemWrapper& CMailItemWrapperColl::Item(int32_t nIndex) const {
  if (nIndex < 1 || nIndex > Count()) host::Raise(host::err::SubscriptOutOfRange);
  return *m_colWrappers[static_cast<size_t>(nIndex - 1)];
}

void CMailItemWrapperColl::Done() {
  host::IgnoreErrors([&] {
    // From the last to the first, as the trackers were handed over; the empty ones are removed in
    // one pass afterwards, so a large collection is purged in linear time.
    std::vector<bool> vecEmpty(m_colWrappers.size());
    for (size_t i = m_colWrappers.size(); i-- > 0;) vecEmpty[i] = m_colWrappers[i]->IsEmpty();
    size_t nKept = 0;
    for (size_t i = 0; i < m_colWrappers.size(); ++i)
      if (!vecEmpty[i]) m_colWrappers[nKept++] = std::move(m_colWrappers[i]);
    m_colWrappers.resize(nKept);
  });
  host::IgnoreErrors([&] {
    if (!m_colWrappers.empty())
      mGlobals::TraceWarning("CMailItemWrapperColl::Done", "collection is not empty");
  });
  for (auto& oWrapper : m_colWrappers) host::IgnoreErrors([&] { oWrapper->Done(); });
}
