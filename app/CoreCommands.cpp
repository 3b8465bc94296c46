#include "CoreCommands.h"

#include <algorithm>

#include "addin/Connect.h"
#include "host/Error.h"
#include "host/Text.h"
#include "platform/Ui.h"
#include "sim/SimMembers.h"

namespace app {
namespace {

std::string FolderPathOf(SimSession& oSession, const std::shared_ptr<host::MAPIFolder>& oFolder) {
  std::string sPath = "(none)";
  host::IgnoreErrors([&] { sPath = oSession.Outlook().PathOf(oFolder); });
  return sPath;
}

// What the add-in knows of the explorer: its wrapper's state and whether it has a command set.
std::string AddinViewOf(const std::shared_ptr<host::Explorer>& oExplorer) {
  std::string sView = "not tracked";
  host::IgnoreErrors([&] {
    auto oWrappers = host::Deref(g_oConnect).GetExplorers();
    for (int32_t i = 1; i <= host::Deref(oWrappers).Count(); ++i) {
      auto oWrapper = oWrappers->Item(i);
      if (oWrapper->GetObject() != oExplorer) continue;
      if (oWrapper->WaitingActivateEvent()) {
        sView = "waiting for its first activation";
      } else {
        sView = "tracked, no command set";
        host::IgnoreErrors([&] {
          oWrapper->GetAssociatedObject("Menu");
          sView = "tracked, command set \"Menu\"";
        });
      }
    }
  });
  return sView;
}

std::string AddinState() {
  if (!g_oConnect) return "not connected";
  auto oWrappers = g_oConnect->GetExplorers();
  if (!oWrappers) return "connected, not tracking explorers";
  int32_t nCount = -1;
  host::IgnoreErrors([&] { nCount = oWrappers->Count(); });
  if (nCount == 0) return "waiting for an explorer";
  return "tracking " + std::to_string(nCount) + " explorer(s)";
}

void ShowExplorers(SimSession& oSession) {
  auto& oOutlook = oSession.Outlook();
  std::ostream& out = oSession.Out();
  std::shared_ptr<host::Explorer> oActive;
  host::IgnoreErrors([&] { oActive = oOutlook.Application()->ActiveExplorer(); });
  out << "Explorers: " << oOutlook.ExplorerCount() << "; add-in: " << AddinState() << "\n";
  for (int i = 1; i <= oOutlook.ExplorerCount(); ++i) {
    auto oExplorer = oOutlook.ExplorerAt(i);
    std::shared_ptr<host::MAPIFolder> oFolder;
    host::IgnoreErrors([&] { oFolder = oExplorer->CurrentFolder(); });
    out << "  " << i << "  " << FolderPathOf(oSession, oFolder) << (oExplorer == oActive ? "  [active]" : "")
        << "  add-in: " << AddinViewOf(oExplorer) << "\n";
  }
}

void ShowFolders(SimSession& oSession) {
  std::ostream& out = oSession.Out();
  for (const auto& oFolder : oSession.Outlook().AllFolders()) {
    int32_t nType = -1, nCount = 0;
    std::string sId;
    host::IgnoreErrors([&] {
      nType = oFolder->DefaultItemType();
      nCount = oFolder->Items()->Count();
      sId = oFolder->EntryID();
    });
    out << "  " << FolderPathOf(oSession, oFolder) << "  (type " << nType << ", " << nCount << " items, id "
        << sId << ")\n";
  }
}

void ShowItems(SimSession& oSession, const std::string& sPath) {
  std::ostream& out = oSession.Out();
  auto oFolder = oSession.Outlook().FolderByPath(sPath);
  auto oItems = oFolder->Items();
  out << "Items of " << FolderPathOf(oSession, oFolder) << ": " << oItems->Count() << "\n";
  for (auto oItem = oItems->GetFirst(); oItem; oItem = oItems->GetNext()) {
    out << "  " << oItem->EntryID() << "  class " << oItem->Class() << "  " << oItem->MessageClass() << "  \""
        << oItem->Subject() << "\"\n";
  }
}

void ShowLog(SimSession& oSession) {
  std::ostream& out = oSession.Out();
  const auto& vecLines = oSession.Outlook().Support().Lines();
  out << "Diagnostic lines: " << vecLines.size() << "\n";
  for (const auto& oLine : vecLines) out << "  " << SimSession::FormatLine(oLine) << "\n";
}

// A rule for a member the simulation does not have would never fire: the line fails instead,
// naming what was probably meant.
void RequireSimulatedMember(const std::string& sMember) {
  if (sMember == sim::FaultInjector::kAnyMember) return;
  const auto& vecMembers = sim::SimulatedMembers();
  if (std::binary_search(vecMembers.begin(), vecMembers.end(), sMember)) return;
  std::string sClosest;
  for (const std::string& s : sim::ClosestMembers(sMember)) sClosest += (sClosest.empty() ? "" : ", ") + s;
  throw UsageError{"the simulation has no member '" + sMember + "' (closest: " + sClosest + ")"};
}

int32_t AnswerCode(const std::string& sAnswer) {
  static const std::pair<const char*, int32_t> kAnswers[] = {
      {"ok", platform::vbOK},       {"cancel", platform::vbCancel}, {"abort", platform::vbAbort},
      {"retry", platform::vbRetry}, {"ignore", platform::vbIgnore}, {"yes", platform::vbYes},
      {"no", platform::vbNo}};
  for (const auto& [sName, nCode] : kAnswers)
    if (host::EqualsNoCase(sAnswer, sName)) return nCode;
  throw UsageError{"unknown answer '" + sAnswer + "' (ok, cancel, abort, retry, ignore, yes, no)"};
}

void RunStart(SimSession& oSession, const Args& a) {
  NeedArgs(a, 0, 0);
  oSession.Start();
}

void RunExplorer(SimSession& oSession, const Args& a) {
  auto& oOutlook = oSession.Outlook();
  std::ostream& out = oSession.Out();
  const std::string sVerb = a.empty() ? "" : a[0];
  if (sVerb == "open") {
    NeedArgs(a, 2, 3, sVerb);
    if (a.size() == 3 && a[2] != "--activate") throw UsageError{"unknown option '" + a[2] + "'"};
    oOutlook.FolderByPath(a[1]);  // a clear error for a bad path, before any event
    int n = oOutlook.OpenExplorer(a[1]);
    out << "explorer " << n << " opened on " << a[1] << " (NewExplorer)\n";
    if (a.size() == 3) {
      oOutlook.ActivateExplorer(n);
      out << "explorer " << n << " activated\n";
    }
  } else if (sVerb == "activate") {
    NeedArgs(a, 2, 2, sVerb);
    int n = oSession.ExplorerNumber(a[1]);
    oOutlook.ActivateExplorer(n);
    out << "explorer " << n << " activated\n";
  } else if (sVerb == "close") {
    NeedArgs(a, 2, 2, sVerb);
    int n = oSession.ExplorerNumber(a[1]);
    oOutlook.CloseExplorer(n);
    out << "explorer " << n << " closed\n";
  } else if (sVerb == "switch") {
    NeedArgs(a, 3, 3, sVerb);
    int n = oSession.ExplorerNumber(a[1]);
    oOutlook.FolderByPath(a[2]);
    oOutlook.SwitchFolder(n, a[2]);
    out << "explorer " << n << " now shows " << a[2] << "\n";
  } else {
    ThrowUsage();
  }
}

void RunSelect(SimSession& oSession, const Args& a) {
  if (a.empty()) ThrowUsage();
  int n = oSession.ExplorerNumber(a[0]);
  std::vector<std::string> vecIds(a.begin() + 1, a.end());
  for (const auto& sId : vecIds) oSession.Outlook().ItemByID(sId);
  oSession.Outlook().Select(n, vecIds);
  oSession.Out() << "explorer " << n << ": " << vecIds.size() << " item(s) selected\n";
}

void RunShutdown(SimSession& oSession, const Args& a) {
  NeedArgs(a, 0, 1);
  oSession.NeedStarted();
  std::string sMode = a.empty() ? "quit" : a[0];
  if (sMode == "quit") {
    oSession.Outlook().Quit();
    oSession.Out() << "Outlook quit\n";
  } else if (sMode == "disconnect") {
    oSession.Outlook().Disconnect();
    oSession.Out() << "add-in disconnected\n";
  } else {
    ThrowUsage();
  }
}

void RunAnswer(SimSession& oSession, const Args& a) {
  NeedArgs(a, 1, 1);
  oSession.Boxes().QueueAnswer(AnswerCode(a[0]));
}

void RunFault(SimSession& oSession, const Args& a) {
  auto& oFaults = oSession.Outlook().Faults();
  if (a.size() == 1 && a[0] == "clear") {
    oFaults.Clear();
    return;
  }
  if (a.empty()) ThrowUsage();
  int32_t nError = host::err::E_FAIL;
  std::string sMode = "--call";
  int nValue = 1;
  for (size_t i = 1; i < a.size(); ++i) {
    if (a[i] == "--always") {
      sMode = "--always";
    } else if (i + 1 < a.size() && (a[i] == "--call" || a[i] == "--every")) {
      sMode = a[i];
      nValue = ParseInt(a[i + 1], sMode);
      ++i;
    } else if (i + 1 < a.size() && a[i] == "--error") {
      nError = ParseInt(a[i + 1], "--error");
      ++i;
    } else {
      throw UsageError{"unknown option '" + a[i] + "'"};
    }
  }
  RequireSimulatedMember(a[0]);
  if (sMode == "--always")
    oFaults.FailAlways(a[0], nError);
  else if (sMode == "--every")
    oFaults.FailEvery(a[0], nValue, nError);
  else
    oFaults.FailNth(a[0], nValue, nError);
}

void RunShow(SimSession& oSession, const Args& a) {
  const std::string sWhat = a.empty() ? "" : a[0];
  if (sWhat == "items" && a.size() == 2) return ShowItems(oSession, a[1]);
  if (a.size() != 1) ThrowUsage();
  if (sWhat == "log") {
    ShowLog(oSession);
  } else if (sWhat == "explorers") {
    ShowExplorers(oSession);
  } else if (sWhat == "folders") {
    ShowFolders(oSession);
  } else if (sWhat == "escapes") {
    oSession.ShowEscapes();
  } else if (sWhat == "boxes") {
    for (const auto& oBox : oSession.Boxes().History())
      oSession.Out() << "  \"" << oBox.sTitle << "\": " << oBox.sPrompt << " -> " << oBox.nAnswer << "\n";
  } else {
    ThrowUsage();
  }
}

void RunLog(SimSession& oSession, const Args& a) {
  if (a.size() != 1 || (a[0] != "on" && a[0] != "off")) ThrowUsage();
  oSession.SetEchoLog(a[0] == "on");
}

void RunWait(SimSession& oSession, const Args& a) {
  NeedArgs(a, 1, 1);
  int n = ParseInt(a[0], "milliseconds");
  if (n < 0) throw UsageError{"milliseconds must not be negative"};
  oSession.Loop().Advance(static_cast<uint64_t>(n));
}

}  // namespace

void RegisterCoreCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  oTable.Add({"start", "", "Outlook starts on the profile and loads the add-in", On(pSession, RunStart)});
  oTable.Add({"explorer", "open PATH [--activate] | activate N | close N | switch N PATH",
              "opens, activates, closes an explorer window or shows another folder in it",
              On(pSession, RunExplorer)});
  oTable.Add(
      {"select", "N ENTRYID...", "selects items (by entry ID) in explorer N", On(pSession, RunSelect)});
  oTable.Add({"shutdown", "[quit|disconnect]",
              "Outlook quits (shut-down, then disconnection) or the user removes the add-in",
              On(pSession, RunShutdown)});
  oTable.Add({"answer", "ok|cancel|yes|no|abort|retry|ignore", "queues the answer to the next message box",
              On(pSession, RunAnswer)});
  oTable.Add({"fault", "MEMBER [--call N | --every N | --always] [--error NUMBER] | clear",
              "makes a simulated Outlook member fail (\"*\" for every member)", On(pSession, RunFault)});
  oTable.Add({"show", "log|explorers|folders|items PATH|boxes|escapes",
              "prints what the simulation and the add-in hold", On(pSession, RunShow)});
  oTable.Add({"log", "on|off", "prints diagnostic lines as they are written (on) or only on 'show log'",
              On(pSession, RunLog)});
  oTable.Add({"wait", "MILLISECONDS", "lets the simulated clock run, handling what falls due",
              On(pSession, RunWait)});
}

}  // namespace app
