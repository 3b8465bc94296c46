// Inspector windows of the simulated Outlook. Display of an item opens one (or brings back the
// one already open for that item); the user then sends, saves or closes it here, and the item
// raises its events on every listener, one after another, as Outlook does:
//  - Send (messages only): the names must all resolve, Send is raised, then the message moves to
//    Sent Items with its recipients and the window closes;
//  - Save: Write is raised (messages), then the item is saved in its folder (a new message in
//    Drafts, a new distribution list in Contacts); the window stays open;
//  - Close: Close is raised (messages); a new item that was never saved is discarded.
// A handler that sets Cancel stops the action and leaves the window open.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/Outlook.h"

namespace sim {

class Outlook;
class Session;

// For the items' Display: opens the item's inspector unless one is already open for it.
void OpenInspector(Session& oSession, const std::shared_ptr<host::OutlookItem>& oItem);

class Inspectors {
 public:
  explicit Inspectors(const Outlook& oOutlook);

  int Count() const;
  // Positions count from 1 in the order the windows opened; host::Error for a bad position.
  std::shared_ptr<host::OutlookItem> ItemAt(int n) const;

  // The user's actions. Each returns false when a handler cancelled it; a refusal (a name that
  // does not resolve, a list without a name, nothing to send to) throws host::Error.
  bool Send(int n);
  bool Save(int n);
  bool Close(int n);
  // The user types a subject (the name box of a distribution list).
  void SetSubject(int n, const std::string& sSubject);

  // Outlook shows the Bcc line of a new message only while "ShowBcc" is 1 under the running
  // version's preferences key.
  bool BccShown() const;
  // The window as the user reads it: a title line, then one line per address line.
  std::vector<std::string> Describe(int n) const;
  // One line for the list of open windows.
  std::string Summary(int n) const;

 private:
  std::shared_ptr<Session> m_pSession;
};

}  // namespace sim
