// Opening the choose-list dialog on a contacts folder of 100 000 distribution lists. The promise
// is that rows never scrolled into view are never read: opening reads at most 7 items (and their
// properties), a scroll to the end at most 7 more. Counts of item and property reads come from
// the simulation's call counts; time per iteration is the CPU time of the whole open.
//
// BM_ChooserOpen runs the dialog itself; BM_ChooserFirstPage and BM_ChooserLastPage run the item
// source exactly as the dialog's first drawing pass and a pass at the end of the list do.
#include <benchmark/benchmark.h>

#include <map>

#include "BenchServices.h"
#include "chooser/COutlookItems.h"
#include "chooser/frmChooseDL.h"
#include "common/mGlobals.h"
#include "host/Tarvik.h"
#include "sim/Outlook.h"
#include "sim/Profile.h"

namespace {

constexpr int kLists = 100000;

// The demo profile whose default Contacts folder holds n lists besides its own items, their
// names in no particular order so that sorting has work to do.
std::shared_ptr<const sim::Profile> ListsProfile(int nLists) {
  sim::Profile oProfile = *sim::DemoProfile();
  for (auto& oFolder : oProfile.vecStores[0].vecFolders) {
    if (oFolder.sName != "Contacts") continue;
    oFolder.vecItems.reserve(oFolder.vecItems.size() + static_cast<size_t>(nLists));
    for (int i = 0; i < nLists; ++i) {
      sim::ProfileItem o;
      o.nClass = host::olDistributionList;
      o.sSubject = "List " + std::to_string((i * 7919) % nLists);
      o.sCategories = i % 3 ? "Work" : "Private";
      o.sBody = "Members of list " + std::to_string(i);
      if (i % 5 == 0) o.vecProps = {{0x10900003, int32_t{2}}, {0x10950003, int32_t{1 + i % 5}}};
      oFolder.vecItems.push_back(std::move(o));
    }
  }
  return sim::CheckProfile(std::move(oProfile));
}

sim::Outlook& SharedOutlook() {
  static std::unique_ptr<sim::Outlook> s_pOutlook;
  if (!s_pOutlook) {
    s_pOutlook = std::make_unique<sim::Outlook>(ListsProfile(kLists));
    g_oApp = s_pOutlook->Application();
    // Lines go nowhere: the benchmark measures the dialog, not the recording of its lines.
    host::BindTarvik(nullptr);
  }
  return *s_pOutlook;
}

// Item fetches and property reads of lists since the last reset.
void ReportReads(benchmark::State& state, sim::FaultInjector& oFaults) {
  int64_t nProps = 0;
  for (const auto& [sMember, n] : oFaults.AllCalls())
    if (sMember.rfind("DistListItem.", 0) == 0) nProps += n;
  state.counters["item_reads"] = static_cast<double>(oFaults.Calls("Items.Item"));
  state.counters["property_reads"] = static_cast<double>(nProps);
}

void BM_ChooserOpen(benchmark::State& state) {
  bench::InstallServices();
  sim::Outlook& oOutlook = SharedOutlook();
  platform::FormsBackend& oForms = platform::Forms();
  std::string sFailure;
  for (auto _ : state) {
    oOutlook.Faults().ResetCounts();
    // Closed as soon as it waits for the user: what is measured is the opening.
    oForms.fnOnModalIdle = [](platform::Form& oForm) {
      platform::Forms().Driver().CloseBox(oForm);
      return true;
    };
    ShowChooseDList();
    if (!g_frmChooseDL->ViewItems() && oOutlook.Faults().Calls("Items.Count") == 0) {
      sFailure = "the dialog could not be loaded (the forms toolkit lacks its tree view and grid)";
      break;
    }
  }
  if (!sFailure.empty()) {
    state.SkipWithError(sFailure.c_str());
    return;
  }
  ReportReads(state, oOutlook.Faults());
}

// The dialog's pass over one page: the count, one restricted and sorted query, and the four
// properties and flag of each row drawn.
void DrawPage(COutlookItems& oItems, int32_t nStart) {
  oItems.LoadItems();
  for (int32_t r = nStart; r < nStart + frmChooseDL::kPageRows && r <= oItems.Count(); ++r) {
    auto D = host::As<host::DistListItem>(oItems.Item(r));
    benchmark::DoNotOptimize(D->EntryID());
    benchmark::DoNotOptimize(D->Subject());
    benchmark::DoNotOptimize(D->Categories());
    benchmark::DoNotOptimize(D->Body());
    benchmark::DoNotOptimize(frmChooseDL::GetFlagIndex(D));
  }
  oItems.UnLoadItems();
}

void BM_ChooserFirstPage(benchmark::State& state) {
  bench::InstallServices();
  sim::Outlook& oOutlook = SharedOutlook();
  auto oContacts = oOutlook.FolderByPath("\\Mailbox - Jane Doe\\Contacts");
  int32_t nCount = 0;
  for (auto _ : state) {
    oOutlook.Faults().ResetCounts();
    auto oItems = std::make_shared<COutlookItems>();
    oItems->Init(oContacts, frmChooseDL::FILTER_ALL_DL, frmChooseDL::SORT_SUBJECT,
                 frmChooseDL::SORT_SUBJECT_DASL);
    nCount = oItems->Count();  // RefreshGrid sizes the grid
    DrawPage(*oItems, 1);
    benchmark::DoNotOptimize(oItems->Count() >= 1);  // OK enabled
  }
  ReportReads(state, oOutlook.Faults());
  state.counters["lists"] = nCount;
}

void BM_ChooserLastPage(benchmark::State& state) {
  bench::InstallServices();
  sim::Outlook& oOutlook = SharedOutlook();
  auto oItems = std::make_shared<COutlookItems>();
  oItems->Init(oOutlook.FolderByPath("\\Mailbox - Jane Doe\\Contacts"), frmChooseDL::FILTER_ALL_DL,
               frmChooseDL::SORT_SUBJECT, frmChooseDL::SORT_SUBJECT_DASL);
  const int32_t nCount = oItems->Count();
  for (auto _ : state) {
    oOutlook.Faults().ResetCounts();
    DrawPage(*oItems, nCount - frmChooseDL::kPageRows + 1);
  }
  ReportReads(state, oOutlook.Faults());
}

BENCHMARK(BM_ChooserOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChooserFirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChooserLastPage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
