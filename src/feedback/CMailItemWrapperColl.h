// Every tracker the new-mail command handed over: one per recipient that came from received
// mails, several of them possibly on one new mail. Nothing is removed before Done, which the
// add-in runs when it shuts down fully.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "feedback/CMailItemWrapper.h"
#include "host/Outlook.h"
#include "recipients/CRecipients.h"
#include "settings/COptions.h"

class CMailItemWrapperColl {
 public:
  CMailItemWrapperColl() = default;
  ~CMailItemWrapperColl();
  CMailItemWrapperColl(const CMailItemWrapperColl&) = delete;
  CMailItemWrapperColl& operator=(const CMailItemWrapperColl&) = delete;

  // A new tracker of oItem for these identifiers. Errors are ignored.
  void Add(const std::shared_ptr<host::OutlookItem>& oItem,
           const CStringCollection& colEntryIDsMakeRepliedOnSend);
  // Drops the trackers that hold nothing any more, warns when some are still listening and ends
  // those (they stay in the collection).
  void Done();

  // For diagnostics: the trackers in the order they were added (position from 1).
  int32_t Count() const { return static_cast<int32_t>(m_colWrappers.size()); }
  const CMailItemWrapper& Item(int32_t nIndex) const;

 private:
  std::vector<std::unique_ptr<CMailItemWrapper>> m_colWrappers;
};

// The add-in's one tracker collection, created on first use by the new-mail command and ended
// by the full shut-down.
extern constinit CAutoNew<CMailItemWrapperColl> g_colMailWrappers;
