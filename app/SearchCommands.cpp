#include "SearchCommands.h"

#include <fstream>
#include <string>
#include <vector>

#include "advsearch/QuilloAdvSearch.h"
#include "chooser/CAdvancedSearch.h"
#include "common/mGlobals.h"
#include "host/Error.h"

namespace app {
namespace {

constexpr const char* kTag = "quillo-sim search";
constexpr const char* kOtherTag = "quillo-sim other search";
// The other search starts this much earlier, so that its completion arrives inside the wait.
constexpr uint32_t kOtherHeadStartMs = 2;

struct SearchArgs {
  std::string sPath, sFilter, sSort, sScope, sOtherPath, sOtherFilter;
  bool bSubFolders = false, bDescending = false, bScope = false, bOther = false;
};

SearchArgs ParseSearchArgs(const Args& a) {
  SearchArgs o;
  std::vector<std::string> vecPositional;
  for (size_t i = 0; i < a.size(); ++i) {
    auto NeedValues = [&](size_t n) {
      if (i + n >= a.size()) ThrowUsage({}, a[i] + " needs " + std::to_string(n) + " value(s)");
    };
    if (a[i] == "--subfolders") {
      o.bSubFolders = true;
    } else if (a[i] == "--descending") {
      o.bDescending = true;
    } else if (a[i] == "--sort") {
      NeedValues(1);
      o.sSort = a[++i];
    } else if (a[i] == "--scope") {
      NeedValues(1);
      o.bScope = true;
      o.sScope = a[++i];
    } else if (a[i] == "--with-other") {
      NeedValues(2);
      o.bOther = true;
      o.sOtherPath = a[i + 1];
      o.sOtherFilter = a[i + 2];
      i += 2;
    } else if (a[i].rfind("--", 0) == 0) {
      ThrowUsage({}, "unknown option '" + a[i] + "'");
    } else {
      vecPositional.push_back(a[i]);
    }
  }
  if (vecPositional.size() != 2) ThrowUsage();
  if (o.bDescending && o.sSort.empty()) throw UsageError{"--descending goes with --sort"};
  o.sPath = vecPositional[0];
  o.sFilter = vecPositional[1];
  return o;
}

// The lines the component appends to its log file from the moment of Mark on.
class CLogTail {
 public:
  void Mark() {
    m_sPath = QuilloAdvSearch_LogFilePath();
    std::ifstream in(m_sPath, std::ios::binary | std::ios::ate);
    m_nStart = in ? static_cast<std::streamoff>(in.tellg()) : 0;
  }
  std::vector<std::string> NewLines() const {
    std::ifstream in(m_sPath, std::ios::binary | std::ios::ate);
    std::vector<std::string> vec;
    if (!in) return vec;
    std::streamoff nEnd = in.tellg();
    // The size check at the logger's creation may have deleted the file in between.
    in.seekg(nEnd >= m_nStart ? m_nStart : 0);
    std::string sLine;
    while (std::getline(in, sLine)) {
      if (!sLine.empty() && sLine.back() == '\r') sLine.pop_back();
      vec.push_back(sLine);
    }
    return vec;
  }
  const std::string& Path() const { return m_sPath; }

 private:
  std::string m_sPath;
  std::streamoff m_nStart = 0;
};

void PrintResults(std::ostream& out, const std::shared_ptr<host::Results>& oResults) {
  int32_t nCount = host::Deref(oResults).Count();
  out << "results: " << nCount << "\n";
  int32_t n = 0;
  for (auto oItem = oResults->GetFirst(); oItem; oItem = oResults->GetNext()) {
    std::string sLine = "(unreadable)";
    host::IgnoreErrors([&] {
      sLine =
          oItem->EntryID() + "  class " + std::to_string(oItem->Class()) + "  \"" + oItem->Subject() + "\"";
    });
    out << "  " << ++n << "  " << sLine << "\n";
  }
}

void SearchFolder(SimSession& oSession, CommandContext& ctx, const SearchArgs& o) {
  std::ostream& out = oSession.Out();
  auto& oLoop = oSession.Loop();
  bool bLog = ctx.mapOptions.count("advsearch-log") != 0;
  if (bLog) QuilloAdvSearch_SetDebugTarget(3);
  CLogTail oTail;
  oTail.Mark();

  auto oFolder = oSession.Outlook().FolderByPath(o.sPath);
  CAdvancedSearch oSearch;
  std::string sCalculated = oSearch.CalcScope(oFolder);
  out << "CalcScope: " << (sCalculated.empty() ? "(empty)" : sCalculated) << "\n";
  if (sCalculated.empty() && !o.bScope) {
    out << "no search: the add-in does not search with an empty scope\n";
    return;
  }
  std::string sScope = o.bScope ? o.sScope : "'" + sCalculated + "'";

  host::Connection oWatch =
      g_oApp->OnAdvancedSearchComplete.Connect([&](std::shared_ptr<host::Search> oDone) {
        std::string sTag = "(unreadable)";
        host::IgnoreErrors([&] { sTag = oDone->Tag(); });
        out << "  AdvancedSearchComplete at " << oLoop.TickCount() << " ms: tag \"" << sTag << "\"\n";
      });
  std::shared_ptr<host::Search> oOther;
  if (o.bOther) {
    oOther = g_oApp->AdvancedSearch("'" + o.sOtherPath + "'", host::Variant(o.sOtherFilter),
                                    host::Variant(false), host::Variant(kOtherTag));
    out << "other search started at " << oLoop.TickCount() << " ms: tag \"" << kOtherTag << "\"\n";
    oLoop.Advance(kOtherHeadStartMs);
  }
  out << "SyncSearch at " << oLoop.TickCount() << " ms: scope " << sScope
      << (o.bSubFolders ? " with subfolders" : "") << ", tag \"" << kTag << "\""
      << (o.sSort.empty() ? "" : ", sort " + o.sSort) << (o.bDescending ? " descending" : "") << "\n";
  oSearch.SyncSearch(g_oApp, sScope, o.sFilter, o.bSubFolders, kTag, o.sSort, o.bDescending);
  out << "SyncSearch returned at " << oLoop.TickCount() << " ms\n";
  oWatch.reset();

  if (oSearch.HasObject())
    PrintResults(out, oSearch.GetResults());
  else
    out << "no search object (HasObject False)\n";
  if (oOther) out << "other search: " << oOther->Results()->Count() << " result(s)\n";
  oSearch.Done();
  if (bLog) {
    out << "component log (" << oTail.Path() << "):\n";
    for (const auto& sLine : oTail.NewLines()) out << "  advsearch | " << sLine << "\n";
  }
}

void RunSearch(SimSession& oSession, CommandContext& ctx, const Args& a) {
  SearchArgs o = ParseSearchArgs(a);
  oSession.NeedConnected();
  SearchFolder(oSession, ctx, o);
}

void RunAdvsearch(SimSession& oSession, const Args& a) {
  if (a.size() != 1 || (a[0] != "register" && a[0] != "unregister" && a[0] != "where")) ThrowUsage();
  if (a[0] == "where") {
    oSession.Out() << "QuilloAdvSearch.CAdvSearch: " << QuilloAdvSearch_Where() << "\n";
    return;
  }
  if (a[0] == "register")
    RegisterQuilloAdvSearch();
  else
    UnregisterQuilloAdvSearch();
  oSession.Out() << "QuilloAdvSearch.CAdvSearch " << a[0] << "ed\n";
}

}  // namespace

void RegisterSearchCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  RegisterQuilloAdvSearch();
  oTable.Add(
      {"search",
       "PATH FILTER [--subfolders] [--sort PROPERTY [--descending]] [--scope SCOPE] [--with-other PATH "
       "FILTER]",
       "runs an advanced search of a folder through the add-in's search client and the search component",
       On(pSession, RunSearch)});
  oTable.Add({"advsearch", "register|unregister|where",
              "installs or removes the search component QuilloAdvSearch in this process, or tells where its "
              "ProgID leads (in the Windows build, after unregister it leads to COM's own registration)",
              On(pSession, RunAdvsearch)});
}

}  // namespace app
