// Gathering and resolving the recipients of a whole folder of mixed items, as the folder
// context menu's commands do, at 1 000 to 300 000 items. Reports items per second, the heap in
// use once the recipients are resolved (simulated model included) and the process's peak
// memory, so the growth with the number of items can be read off. The peak is the process's
// own: run one size per process (--benchmark_filter=.../100000) to read it for that size.
//
// BM_GatherAndResolveFolderFewPeople keeps the number of distinct people at 500 for every size,
// as at 10 000 items: the growth it shows is that of the items alone, without the larger
// tables of distinct addresses (and the more resolutions) of the larger sizes.
//
// The default folder names its people in turn, each as often as the next, so that each address
// comes back only after all the others: from 100 000 items on, what the command keeps of an
// address has long left the processor's level-2 cache when the address comes again, and every
// read of a known address goes to memory. That is the worst case for the caches.
// BM_GatherAndResolveFolderZipf has as many people, but some write far more often than others,
// as in a real mailbox: the n-th most frequent person appears about 1/n as often as the first
// (Zipf's law), chosen by a fixed pseudo-random sequence, so that every run sees the same folder.
//
// The model is built just before each command, so at the smaller sizes the command finds it
// still in the processor's caches, which a user's command never does; that flatters them and
// with them the growth. BM_GatherAndResolveFolderCold first writes over a block larger than the
// caches, so that every size starts from main memory. That leaves the opposite, smaller bias:
// the code and the page tables must come back too, a fixed cost of each command (0.4 to 2 ms
// here) that weighs most at 1 000 items. Read the growth from both.
//
// The step from 10 000 to 100 000 items, where the folder outgrows the caches, depends much on
// how the allocator lays out the heap. glibc's keeps blocks of every size in one sequence; an
// allocator that keeps each size class apart (jemalloc, tcmalloc, mimalloc) makes the larger
// sizes much faster. Windows serves small blocks from its low-fragmentation heap as needed,
// which also works by size class. To compare, run this program with
// LD_PRELOAD=/usr/lib/x86_64-linux-gnu/libjemalloc.so.2 (package libjemalloc2).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include "BenchServices.h"
#include "common/mGlobals.h"
#include "feedback/frmProgress.h"
#include "host/Tarvik.h"
#include "recipients/mQuillo.h"
#include "sim/Outlook.h"
#include "sim/Profile.h"

namespace {

const std::string kBulk = "\\Mailbox - Jane Doe\\Bulk";

sim::ProfileRecipient Recipient(const sim::AddressRef& oWho, int32_t nType) {
  sim::ProfileRecipient o;
  o.oWho = oWho;
  o.nType = nType;
  return o;
}

sim::AddressRef Smtp(const std::string& sName, const std::string& sAddress) {
  sim::AddressRef o;
  o.sName = sName;
  o.sType = "SMTP";
  o.sAddress = sAddress;
  return o;
}

// People repeat across items, as they do in a real mailbox: by default about one distinct
// address per twenty items.
int DefaultPeople(int nItems) {
  return std::max(50, nItems / 20);
}

// Who the n-th person named in the folder is: in turn, or by Zipf's law.
class People {
 public:
  People(int nCount, bool bZipf) : m_nCount(nCount) {
    if (!bZipf) return;
    double dSum = 0;
    for (int k = 1; k <= nCount; ++k) m_vecCumulative.push_back(dSum += 1.0 / k);
  }

  sim::AddressRef Person(int n) const {
    const int k = m_vecCumulative.empty() ? n % m_nCount : ZipfRank(n);
    return Smtp("Person " + std::to_string(k), "person" + std::to_string(k) + "@example.com");
  }

 private:
  int ZipfRank(int n) const {
    // splitmix64 of n: a fixed, well-mixed sequence.
    uint64_t z = static_cast<uint64_t>(n) + 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    const double dAt = static_cast<double>(z >> 11) / 9007199254740992.0 * m_vecCumulative.back();
    const auto it = std::upper_bound(m_vecCumulative.begin(), m_vecCumulative.end(), dAt);
    return static_cast<int>(std::min<ptrdiff_t>(it - m_vecCumulative.begin(), m_nCount - 1));
  }

  int m_nCount;
  std::vector<double> m_vecCumulative;  // empty: in turn
};

// The demo profile with a folder "Bulk" of n mixed items: received and sent mails, meetings,
// tasks and contacts, naming the given people; one explorer shows it.
std::shared_ptr<const sim::Profile> MixedProfile(int nItems, const People& oPeople) {
  sim::Profile oProfile = *sim::DemoProfile();
  oProfile.sVersion = "9.0.0.2711";  // the folder command takes every item, no search
  sim::ProfileFolder oBulk;
  oBulk.sName = "Bulk";
  oBulk.vecItems.reserve(static_cast<size_t>(nItems));
  for (int i = 0; i < nItems; ++i) {
    sim::ProfileItem oItem;
    oItem.sSubject = "Item " + std::to_string(i);
    switch (i % 10) {
      case 0:
        oItem.nClass = host::olContact;
        oItem.sFullName = oPeople.Person(i).sName;
        oItem.arrEmails[0] = oPeople.Person(i);
        break;
      case 1:
        oItem.nClass = host::olTask;
        oItem.vecRecipients = {Recipient(oPeople.Person(i), 1), Recipient(oPeople.Person(i + 7), 1)};
        break;
      case 2:
        oItem.nClass = host::olAppointment;
        oItem.vecRecipients = {Recipient(oPeople.Person(i), 1), Recipient(oPeople.Person(i + 3), 1),
                               Recipient(oPeople.Person(i + 5), 2)};
        oItem.sOrganizer = oPeople.Person(i).sName;
        oItem.nResponseStatus = host::olResponseNotResponded;
        break;
      default:
        oItem.nClass = host::olMail;
        oItem.oSender = oPeople.Person(i);
        break;
    }
    oBulk.vecItems.push_back(std::move(oItem));
  }
  oProfile.vecStores[0].vecFolders.push_back(std::move(oBulk));
  return sim::CheckProfile(std::move(oProfile));
}

long PeakMemoryKiB() {
  rusage oUsage{};
  getrusage(RUSAGE_SELF, &oUsage);
  return oUsage.ru_maxrss;
}

// Pushes everything else out of the processor's caches.
void EvictCaches() {
  static std::vector<char> s_vecBlock(size_t{512} << 20);
  for (size_t i = 0; i < s_vecBlock.size(); i += 64) ++s_vecBlock[i];
  benchmark::DoNotOptimize(s_vecBlock.data());
}

// nPeople 0: the default number of people for the size.
void GatherAndResolveFolder(benchmark::State& state, bool bCold, int nPeople = 0, bool bZipf = false) {
  bench::InstallServices();
  const int nItems = static_cast<int>(state.range(0));
  if (nPeople == 0) nPeople = DefaultPeople(nItems);
  // Only the profile of the size at hand is kept (the repetitions share it): the larger ones
  // would otherwise stay in the heap under every later size and slow it down (at 10 000 items
  // by up to half, measured after a run at 300 000).
  static std::tuple<int, int, bool> s_oKept;
  static std::shared_ptr<const sim::Profile> s_pKept;
  if (!s_pKept || s_oKept != std::make_tuple(nItems, nPeople, bZipf)) {
    s_pKept.reset();
    s_pKept = MixedProfile(nItems, People(nPeople, bZipf));
    s_oKept = {nItems, nPeople, bZipf};
  }
  const std::shared_ptr<const sim::Profile> pProfile = s_pKept;

  int32_t nResolved = 0;
  double dHeapMiB = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto pOutlook = std::make_unique<sim::Outlook>(pProfile);
    pOutlook->ActivateExplorer(pOutlook->OpenExplorer(kBulk));
    g_oApp = pOutlook->Application();
    // Lines go nowhere: the benchmark measures the add-in, not the recording of its lines.
    host::BindTarvik(nullptr);
    if (bCold) EvictCaches();
    state.ResumeTiming();

    CRecipients oRecipients;
    ERecipientsFrom eFrom = esFromFolder;
    bool bAddDistLists = true, bUseProgressWND = false, bHasCanceled = false;
    if (!mQuillo::GetQuilloRecipients(eFrom, oRecipients, bAddDistLists, bUseProgressWND)) {
      state.SkipWithError("gathering failed");
      break;
    }
    oRecipients.Resolve(bUseProgressWND, bHasCanceled);
    nResolved = oRecipients.GetResolvedCount();
    g_frmProgress->ProgressDone();

    state.PauseTiming();
    dHeapMiB = static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
    g_oApp.reset();
    pOutlook.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * nItems);
  state.counters["recipients"] = nResolved;
  state.counters["heap_MiB"] = dHeapMiB;
  // The cold runs' own block would count in the peak.
  if (!bCold) state.counters["peak_MiB"] = static_cast<double>(PeakMemoryKiB()) / 1024.0;
}

void BM_GatherAndResolveFolder(benchmark::State& state) {
  GatherAndResolveFolder(state, false);
}
void BM_GatherAndResolveFolderCold(benchmark::State& state) {
  GatherAndResolveFolder(state, true);
}
void BM_GatherAndResolveFolderFewPeople(benchmark::State& state) {
  GatherAndResolveFolder(state, false, DefaultPeople(10000));
}
void BM_GatherAndResolveFolderZipf(benchmark::State& state) {
  GatherAndResolveFolder(state, false, 0, true);
}

// Every variant at the same sizes, timed by the clock on the wall.
void Sizes(benchmark::internal::Benchmark* pBenchmark) {
  pBenchmark->Arg(1000)->Arg(10000)->Arg(100000)->Arg(300000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_GatherAndResolveFolder)->Apply(Sizes);
// Fewer rounds: each one first writes half a gigabyte.
BENCHMARK(BM_GatherAndResolveFolderCold)->Apply(Sizes)->MinTime(0.05);
BENCHMARK(BM_GatherAndResolveFolderFewPeople)->Apply(Sizes);
BENCHMARK(BM_GatherAndResolveFolderZipf)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
