// One command bar update of an explorer whose command set already has every popup in place: the
// call Office makes on every refresh of the bars, which must stay cheap. Reports the host calls
// one update makes (counted by the simulation's fault injector, which sees every member call).
#include <benchmark/benchmark.h>

#include "commands/CExplorerMenu.h"
#include "common/mGlobals.h"
#include "host/Tarvik.h"
#include "platform/Clipboard.h"
#include "platform/Registry.h"
#include "platform/portable/ClipboardModel.h"
#include "platform/portable/SqliteRegistry.h"
#include "platform/portable/VirtualLoop.h"
#include "sim/Outlook.h"
#include "sim/Profile.h"

namespace {

// The log entry point as a library that takes the line and returns: the add-in's own cost of
// writing its entry line is measured, not a recorder's.
class DroppingSupport : public host::SupportLibrary {
 public:
  int32_t TarvikLogMsg(host::ModuleHandle, const std::string&, int32_t, const std::string&, int32_t,
                       int32_t) override {
    return 0;
  }
  int32_t TarvikShowContextHelp(host::ModuleHandle, const std::string&) override { return 0; }
  int32_t TarvikAddAboutMenu(const std::shared_ptr<host::Object>&) override { return 0; }
  int32_t TarvikReportProblem() override { return 0; }
};

void BM_OnUpdateWithEveryPopupPresent(benchmark::State& state, const std::string& sVersion) {
  platform::SetLoop(std::make_shared<platform::portable::VirtualLoop>());
  platform::SetRegistry(platform::portable::SqliteRegistry::OpenMemory());
  platform::SetClipboard(std::make_shared<platform::portable::ClipboardModel>());
  host::BindTarvik(std::make_shared<DroppingSupport>());
  {
    sim::Profile oProfile = *sim::DemoProfile();
    oProfile.vecStartupExplorers = {"\\Mailbox - Jane Doe\\Inbox"};
    sim::Outlook oOutlook(sim::CheckProfile(std::move(oProfile)), sVersion);
    oOutlook.Start(nullptr);
    g_oApp = oOutlook.Application();
    auto pMenu = std::make_shared<CExplorerMenu>();
    pMenu->Create(oOutlook.ExplorerAt(1));
    auto oBars = oOutlook.ExplorerAt(1)->CommandBars();
    oBars->OnUpdate.Raise();  // builds the popups

    oOutlook.Faults().ResetCounts();
    oBars->OnUpdate.Raise();
    state.counters["host_calls"] = static_cast<double>(oOutlook.Faults().TotalCalls());
    for (auto _ : state) oBars->OnUpdate.Raise();

    pMenu.reset();
    g_oApp.reset();
  }
  host::BindTarvik(nullptr);
  platform::SetClipboard(nullptr);
  platform::SetRegistry(nullptr);
  platform::SetLoop(nullptr);
}

}  // namespace

BENCHMARK_CAPTURE(BM_OnUpdateWithEveryPopupPresent, outlook2003, std::string("11.0.5608"));
BENCHMARK_CAPTURE(BM_OnUpdateWithEveryPopupPresent, outlook2000, std::string("9.0.0.2711"));

BENCHMARK_MAIN();
