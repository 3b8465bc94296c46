#include "CoreCommands.h"

#include <algorithm>
#include <charconv>

#include "addin/Connect.h"
#include "host/Error.h"
#include "host/Text.h"
#include "platform/Ui.h"
#include "sim/SimMembers.h"

namespace app {
namespace {

using Args = std::vector<std::string>;

int ParseInt(const std::string& s, const std::string& sWhat) {
  int n = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc() || p != s.data() + s.size())
    throw UsageError{sWhat + " must be a number, not '" + s + "'"};
  return n;
}

void NeedArgs(const Args& vecArgs, size_t nMin, size_t nMax, const std::string& sUsage) {
  if (vecArgs.size() < nMin || vecArgs.size() > nMax) throw UsageError{"usage: " + sUsage};
}

int ExplorerNumber(SimSession& oSession, const std::string& s) {
  int n = ParseInt(s, "explorer number");
  if (n < 1 || n > oSession.Outlook().ExplorerCount())
    throw UsageError{"there is no explorer " + s +
                     " (open explorers: " + std::to_string(oSession.Outlook().ExplorerCount()) + ")"};
  return n;
}

void NeedStarted(SimSession& oSession) {
  if (!oSession.Started()) throw UsageError{"Outlook has not started yet (use 'start')"};
}

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

}  // namespace

void RegisterCoreCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  oTable.Add({"start", "", "Outlook starts on the profile and loads the add-in",
              [pSession](CommandContext&, const Args& a) {
                NeedArgs(a, 0, 0, "start");
                pSession->Start();
              }});

  oTable.Add({"explorer", "open PATH [--activate] | activate N | close N | switch N PATH",
              "opens, activates, closes an explorer window or shows another folder in it",
              [pSession](CommandContext&, const Args& a) {
                const std::string sUsage =
                    "explorer open PATH [--activate] | activate N | close N | switch N PATH";
                if (a.empty()) throw UsageError{"usage: " + sUsage};
                auto& oOutlook = pSession->Outlook();
                std::ostream& out = pSession->Out();
                if (a[0] == "open") {
                  NeedArgs(a, 2, 3, "explorer open PATH [--activate]");
                  if (a.size() == 3 && a[2] != "--activate")
                    throw UsageError{"unknown option '" + a[2] + "'"};
                  oOutlook.FolderByPath(a[1]);  // a clear error for a bad path, before any event
                  int n = oOutlook.OpenExplorer(a[1]);
                  out << "explorer " << n << " opened on " << a[1] << " (NewExplorer)\n";
                  if (a.size() == 3) {
                    oOutlook.ActivateExplorer(n);
                    out << "explorer " << n << " activated\n";
                  }
                } else if (a[0] == "activate") {
                  NeedArgs(a, 2, 2, "explorer activate N");
                  int n = ExplorerNumber(*pSession, a[1]);
                  oOutlook.ActivateExplorer(n);
                  out << "explorer " << n << " activated\n";
                } else if (a[0] == "close") {
                  NeedArgs(a, 2, 2, "explorer close N");
                  int n = ExplorerNumber(*pSession, a[1]);
                  oOutlook.CloseExplorer(n);
                  out << "explorer " << n << " closed\n";
                } else if (a[0] == "switch") {
                  NeedArgs(a, 3, 3, "explorer switch N PATH");
                  int n = ExplorerNumber(*pSession, a[1]);
                  oOutlook.FolderByPath(a[2]);
                  oOutlook.SwitchFolder(n, a[2]);
                  out << "explorer " << n << " now shows " << a[2] << "\n";
                } else {
                  throw UsageError{"usage: " + sUsage};
                }
              }});

  oTable.Add({"select", "N ENTRYID...", "selects items (by entry ID) in explorer N",
              [pSession](CommandContext&, const Args& a) {
                if (a.empty()) throw UsageError{"usage: select N ENTRYID..."};
                int n = ExplorerNumber(*pSession, a[0]);
                std::vector<std::string> vecIds(a.begin() + 1, a.end());
                for (const auto& sId : vecIds) pSession->Outlook().ItemByID(sId);
                pSession->Outlook().Select(n, vecIds);
                pSession->Out() << "explorer " << n << ": " << vecIds.size() << " item(s) selected\n";
              }});

  oTable.Add({"shutdown", "[quit|disconnect]",
              "Outlook quits (shut-down, then disconnection) or the user removes the add-in",
              [pSession](CommandContext&, const Args& a) {
                NeedArgs(a, 0, 1, "shutdown [quit|disconnect]");
                NeedStarted(*pSession);
                std::string sMode = a.empty() ? "quit" : a[0];
                if (sMode == "quit") {
                  pSession->Outlook().Quit();
                  pSession->Out() << "Outlook quit\n";
                } else if (sMode == "disconnect") {
                  pSession->Outlook().Disconnect();
                  pSession->Out() << "add-in disconnected\n";
                } else {
                  throw UsageError{"usage: shutdown [quit|disconnect]"};
                }
              }});

  oTable.Add({"answer", "ok|cancel|yes|no|abort|retry|ignore", "queues the answer to the next message box",
              [pSession](CommandContext&, const Args& a) {
                NeedArgs(a, 1, 1, "answer ok|cancel|yes|no|abort|retry|ignore");
                pSession->Boxes().QueueAnswer(AnswerCode(a[0]));
              }});

  oTable.Add({"fault", "MEMBER [--call N | --every N | --always] [--error NUMBER] | clear",
              "makes a simulated Outlook member fail (\"*\" for every member)",
              [pSession](CommandContext&, const Args& a) {
                auto& oFaults = pSession->Outlook().Faults();
                if (a.size() == 1 && a[0] == "clear") {
                  oFaults.Clear();
                  return;
                }
                if (a.empty())
                  throw UsageError{
                      "usage: fault MEMBER [--call N | --every N | --always] [--error NUMBER] | clear"};
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
              }});

  oTable.Add({"show", "log|explorers|folders|items PATH|boxes|escapes",
              "prints what the simulation and the add-in hold", [pSession](CommandContext&, const Args& a) {
                if (a.empty()) throw UsageError{"usage: show log|explorers|folders|items PATH|boxes|escapes"};
                if (a[0] == "log" && a.size() == 1) {
                  ShowLog(*pSession);
                } else if (a[0] == "explorers" && a.size() == 1) {
                  ShowExplorers(*pSession);
                } else if (a[0] == "folders" && a.size() == 1) {
                  ShowFolders(*pSession);
                } else if (a[0] == "items" && a.size() == 2) {
                  ShowItems(*pSession, a[1]);
                } else if (a[0] == "escapes" && a.size() == 1) {
                  pSession->ShowEscapes();
                } else if (a[0] == "boxes" && a.size() == 1) {
                  for (const auto& oBox : pSession->Boxes().History())
                    pSession->Out() << "  \"" << oBox.sTitle << "\": " << oBox.sPrompt << " -> "
                                    << oBox.nAnswer << "\n";
                } else {
                  throw UsageError{"usage: show log|explorers|folders|items PATH|boxes|escapes"};
                }
              }});

  oTable.Add({"log", "on|off", "prints diagnostic lines as they are written (on) or only on 'show log'",
              [pSession](CommandContext&, const Args& a) {
                NeedArgs(a, 1, 1, "log on|off");
                if (a[0] != "on" && a[0] != "off") throw UsageError{"usage: log on|off"};
                pSession->SetEchoLog(a[0] == "on");
              }});

  oTable.Add({"wait", "MILLISECONDS", "lets the simulated clock run, handling what falls due",
              [pSession](CommandContext&, const Args& a) {
                NeedArgs(a, 1, 1, "wait MILLISECONDS");
                int n = ParseInt(a[0], "milliseconds");
                if (n < 0) throw UsageError{"milliseconds must not be negative"};
                pSession->Loop().Advance(static_cast<uint64_t>(n));
              }});
}

}  // namespace app
