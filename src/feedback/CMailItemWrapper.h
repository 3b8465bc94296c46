// Follows one new mail that the new-mail command composed. The first time the mail is sent or
// saved, the received mails whose senders it addresses are marked as replied (the icon index
// that the "exclude replied" option tests), and the tracker lets go of the mail. A mail closed
// without sending or saving marks nothing; its tracker keeps it until the next purge.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/Event.h"
#include "host/Outlook.h"
#include "recipients/CRecipients.h"

class CMailItemWrapper {
 public:
  CMailItemWrapper() = default;
  ~CMailItemWrapper();
  CMailItemWrapper(const CMailItemWrapper&) = delete;
  CMailItemWrapper& operator=(const CMailItemWrapper&) = delete;

  // Starts listening to oItem and copies the identifiers. Errors are ignored.
  void Init(const std::shared_ptr<host::OutlookItem>& oItem,
            const CStringCollection& colEntryIDsMakeRepliedOnSend);
  // True when no mail is held any more; a mail whose window was closed is released first.
  bool IsEmpty();
  // Stops listening and drops the identifiers.
  void Done();

  // For diagnostics: the mail followed (Nothing once released) and the mails it will mark.
  const std::shared_ptr<host::MailItem>& Item() const { return m_oItem; }
  const std::vector<std::string>& EntryIDs() const { return m_colEntryIDs; }
  bool Closed() const { return m_bClosed; }

 private:
  void m_oItem_Close(bool& Cancel);
  void m_oItem_Send(bool& Cancel);
  void m_oItem_Write(bool& Cancel);
  void Reply();

  std::shared_ptr<host::MailItem> m_oItem;
  std::vector<host::Connection> m_vecItemEvents;  // released with m_oItem
  std::vector<std::string> m_colEntryIDs;
  bool m_bClosed = false;
};
