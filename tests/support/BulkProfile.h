// The demo profile grown for tests and benchmarks that need many items: a mail folder of n
// received mails from distinct senders ("Sender 1" <sender1@bulk.example.com>, ...).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/Outlook.h"
#include "sim/Model.h"
#include "sim/Outlook.h"
#include "sim/Profile.h"

namespace testsupport {

inline const std::string kInbox = "\\Mailbox - Jane Doe\\Inbox";
inline const std::string kBulk = "\\Mailbox - Jane Doe\\Bulk";

// The folder is "Bulk" in the first store unless named otherwise; one explorer starts on
// sStartupPath.
inline std::shared_ptr<const sim::Profile> DemoWithBulk(int n, const std::string& sStartupPath = kInbox,
                                                        const std::string& sVersion = "11.0.5608",
                                                        const std::string& sFolderName = "Bulk") {
  sim::Profile oProfile = *sim::DemoProfile();
  oProfile.sVersion = sVersion;
  sim::ProfileFolder oBulk;
  oBulk.sName = sFolderName;
  oBulk.vecItems.reserve(static_cast<size_t>(n));
  for (int i = 1; i <= n; ++i) {
    sim::ProfileItem oMail;
    oMail.nClass = host::olMail;
    oMail.sSubject = "Bulk " + std::to_string(i);
    sim::AddressRef oSender;
    oSender.sName = "Sender " + std::to_string(i);
    oSender.sType = "SMTP";
    oSender.sAddress = "sender" + std::to_string(i) + "@bulk.example.com";
    oMail.oSender = oSender;
    oBulk.vecItems.push_back(std::move(oMail));
  }
  oProfile.vecStores[0].vecFolders.push_back(std::move(oBulk));
  oProfile.vecStartupExplorers = {sStartupPath};
  return sim::CheckProfile(std::move(oProfile));
}

// Entry IDs of every item of a folder in the folder's order, read from the model itself so
// that no fault rule or call count sees the reading.
inline std::vector<std::string> EntryIDsOf(sim::Outlook& oOutlook, const std::string& sPath) {
  std::vector<std::string> vecIDs;
  for (const auto& p : oOutlook.Data().FolderByPath(sPath)->vecItems) vecIDs.push_back(p->sEntryID);
  return vecIDs;
}

}  // namespace testsupport
