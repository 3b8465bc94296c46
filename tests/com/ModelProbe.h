// A client of the Outlook model that writes down everything it does and sees, one line per call:
// the value a member gave or the error it raised, and every event that arrived. Built twice,
// into the tests (calling the simulation directly) and into a DLL of its own (calling it through
// the COM binding, across a module boundary as the add-in does), so the two transcripts can be
// compared line by line.
#pragma once

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/Event.h"
#include "host/Outlook.h"

namespace probe {

// Walks every interface of the model from the Application: reads every member, follows every
// object, walks at most nItemLimit items of each folder, then writes (new mail, new list,
// recipients, members, subjects) and tries the calls that must fail.
std::string WalkModel(const std::shared_ptr<host::Application>& oApp, int nItemLimit);

// Listens to every event of the model: Explorers.NewExplorer, the four events of every
// explorer (new ones as they come), ItemAdd/ItemChange/ItemRemove of the default folders, the
// AdvancedSearchComplete of the Application, and Write/Close/Send of the mails it creates.
// Handlers read the model while the event runs. The handler of the event named sFailOn raises
// error 1234 after writing its line; a mail whose subject holds "[cancel]" has its Send
// cancelled.
class CEventLog {
 public:
  void Start(const std::shared_ptr<host::Application>& oApp, const std::string& sFailOn);
  // A new mail to sName with this subject, displayed (an inspector opens) and listened to.
  void NewMail(const std::string& sSubject, const std::string& sName);
  // Disconnects everything and releases every object of the model it holds.
  void Stop();
  std::string Text() const { return m_out.str(); }

 private:
  void Line(const std::string& s);
  void Handler(const char* sEvent, const std::function<std::string()>& fnText);
  void ListenToExplorer(const std::shared_ptr<host::Explorer>& oExplorer);
  void ListenToItems(int32_t nFolder);

  std::ostringstream m_out;
  std::string m_sFailOn;
  std::shared_ptr<host::Application> m_oApp;
  std::shared_ptr<host::Explorers> m_oExplorers;
  std::vector<std::shared_ptr<host::Object>> m_vecHeld;
  std::vector<host::Connection> m_vecConnections;
};

}  // namespace probe
