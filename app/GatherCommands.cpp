#include "GatherCommands.h"

#include "ProgressCommands.h"
#include "addin/Connect.h"
#include "common/mGlobals.h"
#include "feedback/frmProgress.h"
#include "recipients/mQuillo.h"

namespace app {
namespace {

void PrintResolved(std::ostream& out, CRecipients& oRecipients) {
  const int32_t nCount = oRecipients.GetResolvedCount();
  out << "Recipients: " << nCount << "\n";
  for (int32_t i = 1; i <= nCount; ++i) {
    out << "  " << i << "  " << oRecipients.GetResolvedName(i);
    auto colIDs = oRecipients.GetResolvedAssocItemIDs(i);
    if (colIDs->Count() > 0) {
      out << "  from";
      for (const auto& sID : *colIDs) out << " " << sID;
    }
    out << "\n";
  }
}

void Gather(SimSession& oSession, bool bFolder, bool bForLists) {
  std::ostream& out = oSession.Out();
  oSession.NeedConnected();
  if (oSession.Outlook().ActiveExplorerIndex() == 0) throw UsageError{"there is no active explorer"};

  ProgressEcho oEcho(oSession);
  CRecipients oRecipients;
  ERecipientsFrom eFrom = bFolder ? esFromFolder : esFromSelection;
  // The new-mail commands add selected lists by name; the list commands skip them.
  bool bAddDistLists = !bForLists;
  bool bUseProgressWND = false;
  bool bGathered = mQuillo::GetQuilloRecipients(eFrom, oRecipients, bAddDistLists, bUseProgressWND);
  oEcho.Update();
  out << "GetQuilloRecipients: " << (bGathered ? "True" : "False")
      << (bUseProgressWND && ProgressWindowOpen() ? " (progress window open)" : "") << "\n";
  if (bGathered) {
    bool bHasCanceled = false;
    bool bResolved = oRecipients.Resolve(bUseProgressWND, bHasCanceled);
    oEcho.Update();
    out << "Resolve: " << (bResolved ? "True" : "False") << (bHasCanceled ? " (cancelled)" : "") << "\n";
    PrintResolved(out, oRecipients);
  }
  // The commands close the window after their last stage; gathering ends here.
  if (g_frmProgress.IsCreated()) g_frmProgress->ProgressDone();
  platform::DoEvents();
  oEcho.Update();
}

void RunGather(SimSession& oSession, const Args& a) {
  bool bFolder = false, bForLists = false;
  for (const auto& sArg : a) {
    if (sArg == "--folder")
      bFolder = true;
    else if (sArg == "--dl")
      bForLists = true;
    else
      ThrowUsage({}, "unknown option '" + sArg + "'");
  }
  Gather(oSession, bFolder, bForLists);
}

}  // namespace

void RegisterGatherCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  oTable.Add(
      {"gather", "[--folder] [--dl]",
       "gathers and resolves the recipients of the active explorer's selection (or, with --folder, of "
       "its whole folder as its view filters it); --dl skips distribution lists as the list commands do",
       On(pSession, RunGather)});
}

}  // namespace app
