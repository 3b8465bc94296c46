// "TO" and "new list" on a selection of 1 000 to 30 000 received mails from distinct senders:
// the whole command (gathering, resolving and adding every recipient to one new message or list,
// with the progress window through its three stages) and, for comparison, the gathering and
// resolving alone; the difference is the third stage. Reports recipients per second, so the growth can be
// read off.
#include <benchmark/benchmark.h>

#include <map>

#include "BenchServices.h"
#include "addin/Connect.h"
#include "commands/CExplorerMenu.h"
#include "feedback/CMailItemWrapperColl.h"
#include "feedback/frmProgress.h"
#include "host/Tarvik.h"
#include "recipients/mQuillo.h"
#include "settings/COptions.h"
#include "sim/Inspectors.h"
#include "sim/ItemObjects.h"
#include "sim/Outlook.h"
#include "sim/Profile.h"
#include "tests/support/BulkProfile.h"

namespace {

using testsupport::kBulk;

// Outlook with the add-in loaded and every mail of the folder selected.
std::unique_ptr<sim::Outlook> StartWithSelection(const std::shared_ptr<const sim::Profile>& pProfile) {
  auto pOutlook = std::make_unique<sim::Outlook>(pProfile);
  pOutlook->Start(host::CreateObject<host::AddIn>(addin_registration::kProgId));
  pOutlook->Select(1, testsupport::EntryIDsOf(*pOutlook, kBulk));
  // Lines go nowhere: the benchmark measures the add-in, not the recording of its lines.
  host::BindTarvik(nullptr);
  return pOutlook;
}

std::shared_ptr<const sim::Profile>& ProfileOf(int nMails) {
  static std::map<int, std::shared_ptr<const sim::Profile>> s_mapProfiles;
  auto& p = s_mapProfiles[nMails];
  if (!p) p = testsupport::DemoWithBulk(nMails, kBulk);
  return p;
}

// One click of a command on the whole selection; nRecipients gets the recipients of the new
// message, or the members of the new list.
void RunCommand(benchmark::State& state, CExplorerMenu::EButton eButton, bool bList) {
  bench::InstallServices();
  const int nMails = static_cast<int>(state.range(0));
  size_t nRecipients = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto pOutlook = StartWithSelection(ProfileOf(nMails));
    auto oButton = host::As<CExplorerMenu>(g_oConnect->GetExplorers()->Item(1)->GetAssociatedObject("Menu"))
                       ->ButtonOf(CExplorerMenu::bsToolbar, eButton);
    state.ResumeTiming();

    pOutlook->Click(oButton);

    state.PauseTiming();
    sim::Inspectors oInspectors(*pOutlook);
    if (oInspectors.Count() != 1) {
      state.SkipWithError(bList ? "no list opened" : "no message opened");
      break;
    }
    auto pItem = sim::ItemDataOf(oInspectors.ItemAt(1));
    nRecipients = bList ? pItem->vecMembers.size() : pItem->vecRecipients.size();
    oButton.reset();
    pOutlook->Quit();
    pOutlook.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * nMails);
  state.counters["recipients"] = static_cast<double>(nRecipients);
}

void BM_NewMailTo(benchmark::State& state) {
  RunCommand(state, CExplorerMenu::btTO, false);
}

// The new-list command on the same selection: every address becomes a member.
void BM_NewList(benchmark::State& state) {
  RunCommand(state, CExplorerMenu::btNewDL, true);
}

// Sending the new message of "TO": every tracker (one per recipient, all on the one message)
// marks its source mail as replied and lets go of the message.
void BM_SendMarksReplied(benchmark::State& state) {
  bench::InstallServices();
  const int nMails = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto pOutlook = StartWithSelection(ProfileOf(nMails));
    pOutlook->Click(host::As<CExplorerMenu>(g_oConnect->GetExplorers()->Item(1)->GetAssociatedObject("Menu"))
                        ->ButtonOf(CExplorerMenu::bsToolbar, CExplorerMenu::btTO));
    sim::Inspectors oInspectors(*pOutlook);
    state.ResumeTiming();

    const bool bSent = oInspectors.Count() == 1 && oInspectors.Send(1);

    state.PauseTiming();
    if (!bSent) {
      state.SkipWithError("the message was not sent");
      break;
    }
    pOutlook->Quit();
    pOutlook.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * nMails);
}

void BM_GatherAndResolveOnly(benchmark::State& state) {
  bench::InstallServices();
  const int nMails = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto pOutlook = StartWithSelection(ProfileOf(nMails));
    state.ResumeTiming();

    CRecipients oRecipients;
    ERecipientsFrom eFrom = esFromSelection;
    bool bAddDistLists = true, bUseProgressWND = false, bHasCanceled = false;
    mQuillo::GetQuilloRecipients(eFrom, oRecipients, bAddDistLists, bUseProgressWND);
    oRecipients.Resolve(bUseProgressWND, bHasCanceled);
    g_frmProgress->ProgressDone();

    state.PauseTiming();
    pOutlook->Quit();
    pOutlook.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * nMails);
}

BENCHMARK(BM_NewMailTo)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_NewList)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_SendMarksReplied)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_GatherAndResolveOnly)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
