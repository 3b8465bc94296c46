#include <gtest/gtest.h>

#include "sim/FaultInjector.h"
#include "sim/Outlook.h"

namespace {

// Calls a member n times and returns the 1-based numbers of the calls that failed.
std::vector<int> FailingCalls(sim::FaultInjector& o, const std::string& sMember, int n) {
  std::vector<int> vec;
  for (int i = 1; i <= n; ++i) {
    try {
      o.Hit(sMember);
    } catch (const host::Error&) {
      vec.push_back(i);
    }
  }
  return vec;
}

TEST(FaultInjector, RulesPickTheCallsThatFail) {
  sim::FaultInjector o;
  o.FailNth("Explorers.Item", 2);
  EXPECT_EQ(FailingCalls(o, "Explorers.Item", 5), std::vector<int>{2});
  o.Clear();
  o.FailEvery("Explorers.Item", 3);
  EXPECT_EQ(FailingCalls(o, "Explorers.Item", 7), (std::vector<int>{3, 6}));
  EXPECT_TRUE(FailingCalls(o, "Explorers.Count", 4).empty());
  o.Clear();
  o.FailAlways("Explorers.Count");
  EXPECT_EQ(FailingCalls(o, "Explorers.Count", 2), (std::vector<int>{1, 2}));
  o.Clear();
  EXPECT_TRUE(FailingCalls(o, "Explorers.Count", 2).empty());
  EXPECT_THROW(o.FailEvery("x", 0), host::Error);
}

TEST(FaultInjector, StarMatchesEveryMemberAndCountsAcrossThem) {
  sim::FaultInjector o;
  o.FailNth("*", 3, 91);
  o.Hit("A.B");
  o.Hit("C.D");
  try {
    o.Hit("E.F");
    FAIL();
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), 91);
    EXPECT_EQ(e.Description(), "E.F failed (injected)");
  }
  EXPECT_NO_THROW(o.Hit("E.F"));
  EXPECT_EQ(o.Calls("C.D"), 1);
  EXPECT_EQ(o.Calls("E.F"), 2);  // failed calls count too
  EXPECT_EQ(o.TotalCalls(), 4);
  EXPECT_EQ(o.InjectedCount(), 1);
}

TEST(FaultInjector, EverySimulatedMemberPassesIt) {
  sim::Outlook oOutlook(sim::DemoProfile());
  oOutlook.Start(nullptr);
  auto& oFaults = oOutlook.Faults();
  oFaults.ResetCounts();
  auto oApp = oOutlook.Application();
  auto oExplorer = oApp->Explorers()->Item(1);
  oExplorer->CurrentFolder()->DefaultItemType();
  oExplorer->CommandBars()->Item(host::Variant("Menu Bar"))->FindControl({}, host::Variant(int32_t{30131}));
  auto oItem = oApp->Session()->GetDefaultFolder(10)->Items()->GetFirst();
  oItem->Subject();
  for (const char* s :
       {"Application.Explorers", "Explorers.Item", "Explorer.CurrentFolder", "MAPIFolder.DefaultItemType",
        "Explorer.CommandBars", "CommandBars.Item", "CommandBar.FindControl", "Application.Session",
        "NameSpace.GetDefaultFolder", "MAPIFolder.Items", "Items.GetFirst", "ContactItem.Subject"})
    EXPECT_EQ(oFaults.Calls(s), 1) << s;
  EXPECT_EQ(oFaults.TotalCalls(), 12);

  oFaults.FailNth("MAPIFolder.DefaultItemType", 1);
  try {
    oExplorer->CurrentFolder()->DefaultItemType();
    FAIL();
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), host::err::E_FAIL);
    EXPECT_EQ(e.Description(), "MAPIFolder.DefaultItemType failed (injected)");
  }
  // The simulation's own driving does not pass the injector.
  oFaults.FailAlways("*");
  EXPECT_NO_THROW(oOutlook.ActivateExplorer(1));
  EXPECT_NO_THROW(oOutlook.FolderByPath("\\Archive"));
  EXPECT_THROW(oApp->Version(), host::Error);
}

}  // namespace
