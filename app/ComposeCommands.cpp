#include "ComposeCommands.h"

#include <string>
#include <vector>

#include "feedback/CMailItemWrapperColl.h"
#include "host/Error.h"
#include "sim/Inspectors.h"

namespace app {
namespace {

int InspectorNumber(const sim::Inspectors& oInspectors, const std::string& s) {
  const int n = ParseInt(s, "inspector number");
  if (n < 1 || n > oInspectors.Count())
    throw UsageError{"there is no inspector " + s +
                     " (open inspectors: " + std::to_string(oInspectors.Count()) + ")"};
  return n;
}

void ListInspectors(SimSession& oSession) {
  sim::Inspectors oInspectors(oSession.Outlook());
  std::ostream& out = oSession.Out();
  out << "Inspectors: " << oInspectors.Count() << "\n";
  for (int n = 1; n <= oInspectors.Count(); ++n) out << "  " << n << "  " << oInspectors.Summary(n) << "\n";
}

void ShowInspector(SimSession& oSession, int n) {
  sim::Inspectors oInspectors(oSession.Outlook());
  for (const auto& sLine : oInspectors.Describe(n)) oSession.Out() << "  " << sLine << "\n";
}

// The user's action in the window; Outlook's refusals are printed, not script errors.
void Act(SimSession& oSession, int n, const std::string& sAction) {
  sim::Inspectors oInspectors(oSession.Outlook());
  std::ostream& out = oSession.Out();
  const std::string sWhat = oInspectors.Summary(n);
  try {
    bool bDone = sAction == "send"   ? oInspectors.Send(n)
                 : sAction == "save" ? oInspectors.Save(n)
                                     : oInspectors.Close(n);
    static const std::pair<const char*, const char*> kPast[] = {
        {"send", "sent"}, {"save", "saved"}, {"close", "closed"}};
    for (const auto& [sVerb, sPast] : kPast)
      if (sAction == sVerb)
        out << "inspector " << n
            << (bDone ? std::string(" ") + sPast : " " + sAction + " cancelled by a handler") << ": " << sWhat
            << "\n";
  } catch (const host::Error& e) {
    out << "inspector " << n << ": Outlook refuses to " << sAction << ": " << e.Description() << "\n";
  }
}

void ShowTrackers(SimSession& oSession) {
  std::ostream& out = oSession.Out();
  if (!g_colMailWrappers.IsCreated()) {
    out << "Reply trackers: none\n";
    return;
  }
  const CMailItemWrapperColl& oColl = *g_colMailWrappers;
  out << "Reply trackers: " << oColl.Count() << "\n";
  for (int32_t i = 1; i <= oColl.Count(); ++i) {
    const CMailItemWrapper& oWrapper = oColl.Item(i);
    out << "  " << i << "  ";
    if (!oWrapper.Item()) {
      out << "released\n";
      continue;
    }
    std::string sSubject = "?";
    host::IgnoreErrors([&] { sSubject = oWrapper.Item()->Subject(); });
    out << "follows \"" << sSubject << "\"" << (oWrapper.Closed() ? " (window closed)" : "") << ", marks";
    for (const auto& sID : oWrapper.EntryIDs()) out << " " << sID;
    out << "\n";
  }
}

void RunInspectors(SimSession& oSession, const Args& a) {
  NeedArgs(a, 0, 0);
  ListInspectors(oSession);
}

void RunInspector(SimSession& oSession, const Args& a) {
  NeedArgs(a, 1, 3);
  sim::Inspectors oInspectors(oSession.Outlook());
  const int n = InspectorNumber(oInspectors, a[0]);
  if (a.size() == 1) {
    ShowInspector(oSession, n);
  } else if (a.size() == 2 && (a[1] == "send" || a[1] == "save" || a[1] == "close")) {
    Act(oSession, n, a[1]);
  } else if (a.size() == 3 && a[1] == "subject") {
    oInspectors.SetSubject(n, a[2]);
    oSession.Out() << "inspector " << n << ": subject \"" << a[2] << "\"\n";
  } else {
    ThrowUsage();
  }
}

void RunTrackers(SimSession& oSession, const Args& a) {
  NeedArgs(a, 0, 0);
  ShowTrackers(oSession);
}

}  // namespace

void RegisterComposeCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  oTable.Add({"inspectors", "", "lists the open message and list windows", On(pSession, RunInspectors)});
  oTable.Add({"inspector", "N [send|save|close|subject TEXT]",
              "shows inspector N as the user reads it (Bcc only while Outlook shows that line), or the user "
              "sends, saves or closes it, or types its subject",
              On(pSession, RunInspector)});
  oTable.Add({"trackers", "",
              "lists the add-in's trackers of composed mails and what each will mark as replied",
              On(pSession, RunTrackers)});
}

}  // namespace app
