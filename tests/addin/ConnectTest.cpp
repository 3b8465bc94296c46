// The add-in's connection and explorer tracking, run inside the simulated Outlook.
#include <gtest/gtest.h>

#include "addin/Connect.h"
#include "commands/CExplorerMenu.h"
#include "common/mGlobals.h"
#include "platform/portable/FormsPortable.h"
#include "settings/frmOptions.h"
#include "support/SimFixture.h"

namespace {

const std::string kInbox = "\\Mailbox - Jane Doe\\Inbox";
const std::string kCalendar = "\\Mailbox - Jane Doe\\Calendar";
const std::string kContacts = "\\Mailbox - Jane Doe\\Contacts";
const std::string kTasks = "\\Mailbox - Jane Doe\\Tasks";
const std::string kWait = "mode = wait new explorer";
const std::string kFull = "mode = full";
const std::string kEntry = "->";

// Connect whose command sets fail to build on demand, standing in for any failure while the
// first explorer is set up.
class FailingConnect : public Connect {
 public:
  bool bFailAddMenu = false;

 protected:
  void AddMenu(const std::shared_ptr<CExplorerWrapper>& oExplorer) override {
    if (bFailAddMenu) host::Raise(host::err::E_FAIL, "menu failed");
    Connect::AddMenu(oExplorer);
  }
};

class ConnectTest : public SimFixture {
 protected:
  void Start(std::vector<std::string> vecExplorers, std::shared_ptr<Connect> pAddIn = nullptr) {
    MakeOutlook(DemoWithExplorers(std::move(vecExplorers)));
    m_pAddIn = pAddIn ? pAddIn : std::make_shared<Connect>();
    Outlook().Start(m_pAddIn);
  }

  void TearDown() override {
    if (m_pOutlook && m_pOutlook->AddInConnected()) m_pOutlook->Quit();
    if (m_pOutlook) {
      EXPECT_TRUE(m_pOutlook->EscapedErrors().empty());
    }
    m_pAddIn.reset();
    SimFixture::TearDown();
  }

  std::shared_ptr<CExplorerWrapper> WrapperOf(int n) {
    auto oExplorer = Outlook().ExplorerAt(n);
    auto oWrappers = host::Deref(g_oConnect).GetExplorers();
    for (int32_t i = 1; i <= oWrappers->Count(); ++i)
      if (oWrappers->Item(i)->GetObject() == oExplorer) return oWrappers->Item(i);
    return nullptr;
  }

  bool HasMenu(int n) {
    auto oWrapper = WrapperOf(n);
    if (!oWrapper) return false;
    try {
      return host::As<CExplorerMenu>(oWrapper->GetAssociatedObject("Menu")) != nullptr;
    } catch (const host::Error&) {
      return false;
    }
  }

  std::shared_ptr<Connect> m_pAddIn;
};

TEST_F(ConnectTest, ConnectionKeepsTheApplicationAndTouchesNoExplorer) {
  MakeOutlook(DemoWithExplorers({kInbox}));
  auto pAddIn = std::make_shared<Connect>();
  host::Variant vCustom;
  pAddIn->AddinInstance_OnConnection(Outlook().Application(), host::ext_cm_Startup, nullptr, vCustom);
  EXPECT_EQ(g_oConnect, pAddIn);
  EXPECT_EQ(g_oApp, Outlook().Application());
  EXPECT_EQ(pAddIn->GetExplorers(), nullptr);
  ASSERT_EQ(Lines().size(), 1u);
  EXPECT_EQ(Lines()[0].sSource, "Connect::AddinInstance_OnConnection");
  EXPECT_EQ(Lines()[0].sMessage, "->OK");
  EXPECT_EQ(Lines()[0].nLevel, 1);
  pAddIn->AddinInstance_OnDisconnection(host::ext_dm_HostShutdown, vCustom);
  EXPECT_EQ(g_oConnect, nullptr);
  EXPECT_EQ(g_oApp, nullptr);
}

TEST_F(ConnectTest, ConnectionWithSomethingElseThanOutlookShutsDown) {
  MakeOutlook(DemoWithExplorers({}));
  auto pAddIn = std::make_shared<Connect>();
  host::Variant vCustom;
  pAddIn->AddinInstance_OnConnection(std::make_shared<CExplorerMenu>(), 0, nullptr, vCustom);
  auto vecErrors = LinesOf("Connect::AddinInstance_OnConnection");
  ASSERT_EQ(vecErrors.size(), 1u);
  EXPECT_EQ(vecErrors[0].nKind, 3);
  EXPECT_EQ(vecErrors[0].nError, host::err::TypeMismatch);
  EXPECT_EQ(g_oConnect, nullptr);
  EXPECT_EQ(CountOf("Connect::Done", kFull), 1u);
}

TEST_F(ConnectTest, TwoExplorersAtStartupBothGetACommandSetOnlyTheFirstThroughInit) {
  Start({kInbox, kCalendar});
  EXPECT_EQ(g_oConnect->GetExplorers()->Count(), 2);
  EXPECT_TRUE(HasMenu(1));
  EXPECT_TRUE(HasMenu(2));
  EXPECT_EQ(CountOf("Connect::Init", kEntry), 1u);
  EXPECT_EQ(CountOf("Connect::AddMenu", kEntry), 2u);
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(ConnectTest, StartedWithoutExplorerTheFirstOneOpenedLaterIsFirstOnItsActivation) {
  Start({});
  EXPECT_EQ(g_oConnect->GetExplorers()->Count(), 0);
  int n = Outlook().OpenExplorer(kInbox);
  ASSERT_NE(WrapperOf(n), nullptr);
  EXPECT_TRUE(WrapperOf(n)->WaitingActivateEvent());
  EXPECT_FALSE(HasMenu(n));
  EXPECT_EQ(CountOf("Connect::Init", kEntry), 0u);

  Outlook().ActivateExplorer(n);
  EXPECT_FALSE(WrapperOf(n)->WaitingActivateEvent());
  EXPECT_TRUE(HasMenu(n));
  EXPECT_EQ(CountOf("Connect::Init", kEntry), 1u);
}

TEST_F(ConnectTest, SecondExplorerIsNotFirstAndRepeatedActivationRaisesNothing) {
  Start({kInbox});
  int n = Outlook().OpenExplorer(kCalendar);
  Outlook().ActivateExplorer(n);
  EXPECT_TRUE(HasMenu(n));
  EXPECT_EQ(CountOf("Connect::Init", kEntry), 1u);  // only the start-up explorer's
  size_t nOnExplorer = CountOf("Connect::m_oExplorers_OnExplorer", kEntry);
  Outlook().ActivateExplorer(n);
  Outlook().ActivateExplorer(1);
  EXPECT_EQ(CountOf("Connect::m_oExplorers_OnExplorer", kEntry), nOnExplorer);
}

TEST_F(ConnectTest, ClosingExplorersAndReopeningRebuildsTheCommandSet) {
  Start({kInbox});
  int n = Outlook().OpenExplorer(kCalendar);
  Outlook().ActivateExplorer(n);

  Outlook().CloseExplorer(2);
  EXPECT_EQ(g_oConnect->GetExplorers()->Count(), 1);
  EXPECT_EQ(CountOf("Connect::Done", kWait), 0u);

  Outlook().CloseExplorer(1);
  EXPECT_EQ(CountOf("Connect::Done", kWait), 1u);
  ASSERT_NE(g_oConnect, nullptr);
  EXPECT_EQ(g_oConnect->GetExplorers()->Count(), 0);
  EXPECT_NE(g_oApp, nullptr);

  n = Outlook().OpenExplorer(kContacts);
  Outlook().ActivateExplorer(n);
  EXPECT_TRUE(HasMenu(n));
  EXPECT_EQ(CountOf("Connect::Init", kEntry), 2u);
}

TEST_F(ConnectTest, ExplorerClosedBeforeActivationIsNeverReported) {
  Start({});
  int n = Outlook().OpenExplorer(kInbox);
  Outlook().CloseExplorer(n);
  EXPECT_EQ(CountOf("Connect::m_oExplorers_OnExplorer", kEntry), 0u);
  EXPECT_EQ(CountOf("Connect::Done", kWait), 1u);
  EXPECT_EQ(g_oConnect->GetExplorers()->Count(), 0);
}

TEST_F(ConnectTest, WaitingExplorerDoesNotCountForTheFirstFlag) {
  Start({});
  int nWaiting = Outlook().OpenExplorer(kInbox);
  int nOther = Outlook().OpenExplorer(kCalendar);
  Outlook().ActivateExplorer(nOther);
  EXPECT_EQ(CountOf("Connect::Init", kEntry), 1u);
  Outlook().ActivateExplorer(nWaiting);
  EXPECT_EQ(CountOf("Connect::Init", kEntry), 1u);
  EXPECT_TRUE(HasMenu(nWaiting));
  EXPECT_TRUE(HasMenu(nOther));
}

TEST_F(ConnectTest, FailedInitShutsTheAddinDownAndLaterExplorersGetNothing) {
  auto pAddIn = std::make_shared<FailingConnect>();
  pAddIn->bFailAddMenu = true;
  Start({kInbox, kCalendar}, pAddIn);
  auto vecInit = LinesOf("Connect::Init");
  ASSERT_FALSE(vecInit.empty());
  EXPECT_EQ(vecInit.back().nKind, 3);
  EXPECT_EQ(vecInit.back().sMessage, "menu failed");
  EXPECT_EQ(CountOf("Connect::Done", kFull), 1u);
  EXPECT_EQ(g_oConnect, nullptr);
  EXPECT_EQ(g_oApp, nullptr);
  EXPECT_EQ(pAddIn->GetExplorers(), nullptr);
  // The second start-up explorer was never wrapped.
  EXPECT_EQ(CountOf("Connect::m_oExplorers_OnExplorer", kEntry), 1u);

  pAddIn->bFailAddMenu = false;
  int n = Outlook().OpenExplorer(kContacts);
  Outlook().ActivateExplorer(n);
  EXPECT_EQ(CountOf("Connect::AddMenu", kEntry), 0u);
}

TEST_F(ConnectTest, ShutdownThenDisconnectionIsHarmless) {
  Start({kInbox});
  Outlook().Quit();
  EXPECT_EQ(CountOf("Connect::Done", kFull), 2u);
  EXPECT_EQ(g_oConnect, nullptr);
  EXPECT_EQ(g_oApp, nullptr);
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(ConnectTest, ShutdownUnloadsTheOptionsDialogLeftOpen) {
  auto pPrevForms = platform::SetFormsBackend(std::make_shared<platform::portable::PortableForms>());
  Start({kInbox});
  g_frmOptions->Show(platform::vbModeless);
  Outlook().Quit();
  EXPECT_FALSE(g_frmOptions->IsLoaded());
  EXPECT_EQ(ErrorCount(), 0u);
  g_frmOptions.Reset();
  platform::SetFormsBackend(pPrevForms);
}

TEST_F(ConnectTest, FolderSwitchReachesTheCommandSet) {
  Start({kInbox});
  auto oMenu = host::As<CExplorerMenu>(WrapperOf(1)->GetAssociatedObject("Menu"));
  EXPECT_EQ(oMenu->ItemType(), host::olMailItem);
  Outlook().SwitchFolder(1, kContacts);
  EXPECT_EQ(oMenu->ItemType(), host::olContactItem);
  EXPECT_EQ(CountOf("Connect::m_oExplorers_OnExplorerFolderSwitch", kEntry), 1u);
}

TEST_F(ConnectTest, FolderSwitchWithoutCommandSetIsTracedAndChangesNothing) {
  auto pAddIn = std::make_shared<FailingConnect>();
  Start({kInbox}, pAddIn);
  pAddIn->bFailAddMenu = true;
  int n = Outlook().OpenExplorer(kCalendar);
  Outlook().ActivateExplorer(n);
  EXPECT_EQ(LinesOf("Connect::m_oExplorers_OnExplorer").back().nKind, 3);
  Outlook().SwitchFolder(n, kTasks);
  auto vecLines = LinesOf("Connect::m_oExplorers_OnExplorerFolderSwitch");
  ASSERT_EQ(vecLines.size(), 2u);
  EXPECT_EQ(vecLines[1].nKind, 3);
  EXPECT_EQ(vecLines[1].nError, host::err::InvalidProcedureCall);
  EXPECT_EQ(g_oConnect->GetExplorers()->Count(), 2);
}

TEST_F(ConnectTest, EventNamesAreMatchedWithoutRegardToCaseAndUnknownNamesAreReported) {
  Start({kInbox});
  auto oWrappers = g_oConnect->GetExplorers();
  int nSwitches = 0;
  auto cn =
      oWrappers->OnExplorerFolderSwitch.Connect([&](std::shared_ptr<CExplorerWrapper>) { ++nSwitches; });
  auto colArgs = std::make_shared<CEventArgs>();
  colArgs->Add(host::Variant(WrapperOf(1)));
  oWrappers->EventFromExplorer("folderswitch", colArgs);
  oWrappers->EventFromExplorer("FOLDERSWITCH", colArgs);
  EXPECT_EQ(nSwitches, 2);

  oWrappers->EventFromExplorer("Deactivate", colArgs);
  auto vecLines = LinesOf("CExplorersWrapper::CExplorers::EventFromExplorer");
  ASSERT_EQ(vecLines.size(), 1u);
  EXPECT_EQ(vecLines[0].sMessage, "Unsuported event raised - Deactivate");
  EXPECT_EQ(vecLines[0].nError, 0);
  EXPECT_EQ(vecLines[0].nKind, 3);

  // An argument collection without the expected entry.
  oWrappers->EventFromExplorer("SelectionChange", nullptr);
  vecLines = LinesOf("CExplorersWrapper::CExplorers::EventFromExplorer");
  ASSERT_EQ(vecLines.size(), 2u);
  EXPECT_EQ(vecLines[1].sMessage, "EventFromExplorer - SelectionChange");
}

TEST_F(ConnectTest, AssociatedObjectsFollowCollectionRules) {
  Start({kInbox});
  auto oWrapper = WrapperOf(1);
  auto oObject = std::make_shared<CExplorerMenu>();
  EXPECT_THROW(oWrapper->AddAssociatedObject(oObject, "MENU"), host::Error);  // "Menu" already there
  oWrapper->AddAssociatedObject(oObject, "Extra");
  EXPECT_EQ(oWrapper->GetAssociatedObject("extra"), oObject);
  oWrapper->RemoveAssociatedObject("Extra");
  try {
    oWrapper->GetAssociatedObject("Extra");
    FAIL();
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), host::err::InvalidProcedureCall);
  }
}

// Whatever simulated member fails at whatever call, nothing escapes into Outlook and the
// simulation can always shut the add-in down.
TEST_F(ConnectTest, NoInjectedFaultOnTheConnectionPathEscapes) {
  for (int64_t nCall = 1; nCall <= 60; ++nCall) {
    MakeOutlook(DemoWithExplorers({kInbox, kCalendar}));
    Outlook().Faults().FailNth(sim::FaultInjector::kAnyMember, nCall);
    auto pAddIn = std::make_shared<Connect>();
    auto drive = [](auto&& fn) {
      try {
        fn();
      } catch (const host::Error&) {
        // a failure of the driver's own call into the simulation, not an escape
      }
    };
    drive([&] { Outlook().Start(pAddIn); });
    drive([&] { Outlook().OpenExplorer(kContacts); });
    drive([&] { Outlook().ActivateExplorer(Outlook().ExplorerCount()); });
    drive([&] { Outlook().SwitchFolder(1, kTasks); });
    drive([&] { Outlook().CloseExplorer(1); });
    drive([&] { Outlook().CloseExplorer(1); });
    drive([&] { Outlook().CloseExplorer(1); });
    drive([&] { Outlook().Quit(); });
    EXPECT_TRUE(Outlook().EscapedErrors().empty()) << "fault at call " << nCall;
    EXPECT_EQ(g_oConnect, nullptr) << "fault at call " << nCall;
    EXPECT_EQ(g_oApp, nullptr) << "fault at call " << nCall;
  }
}

}  // namespace
