// The facade playing Outlook towards an add-in: connection events, explorer windows and the
// order of their events, and the host boundary.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sim/Outlook.h"

namespace {

constexpr const char* kInbox = "\\Mailbox - Jane Doe\\Inbox";
constexpr const char* kContacts = "\\Mailbox - Jane Doe\\Contacts";

// An add-in that writes down what Outlook tells it and follows every explorer's events.
class RecordingAddIn : public host::AddIn {
 public:
  std::string TypeName() const override { return "RecordingAddIn"; }

  void OnConnection(const std::shared_ptr<host::Object>& Application, int32_t ConnectMode,
                    const std::shared_ptr<host::Object>&, host::Variant&) override {
    Log("connect " + std::to_string(ConnectMode));
    if (fnOnConnection) fnOnConnection();
    m_oApp = std::dynamic_pointer_cast<host::Application>(Application);
  }
  void OnStartupComplete(host::Variant&) override {
    auto oExplorers = m_oApp->Explorers();
    Log("startup " + std::to_string(oExplorers->Count()));
    m_vecConnections.push_back(oExplorers->OnNewExplorer.Connect([this](std::shared_ptr<host::Explorer> o) {
      Log("new " + o->CurrentFolder()->Name());
      Follow(o);
    }));
    for (int32_t i = 1; i <= oExplorers->Count(); ++i) Follow(oExplorers->Item(i));
  }
  void OnBeginShutdown(host::Variant&) override { Log("begin shutdown"); }
  void OnDisconnection(int32_t RemoveMode, host::Variant&) override {
    Log("disconnect " + std::to_string(RemoveMode));
    m_vecConnections.clear();
    m_oApp.reset();
  }

  void Follow(const std::shared_ptr<host::Explorer>& o) {
    std::weak_ptr<host::Explorer> w = o;
    m_vecConnections.push_back(o->OnActivate.Connect([this, w] {
      Log("activate");
      if (fnOnActivate) fnOnActivate(w.lock());
    }));
    m_vecConnections.push_back(o->OnClose.Connect([this] { Log("close"); }));
    m_vecConnections.push_back(
        o->OnFolderSwitch.Connect([this, w] { Log("switch " + w.lock()->CurrentFolder()->Name()); }));
    m_vecConnections.push_back(o->OnSelectionChange.Connect(
        [this, w] { Log("select " + std::to_string(w.lock()->Selection()->Count())); }));
    m_vecConnections.push_back(o->CommandBars()->OnUpdate.Connect([this] { Log("update"); }));
  }

  void Log(const std::string& s) { vecLog.push_back(s); }

  std::vector<std::string> vecLog;
  std::function<void()> fnOnConnection;
  std::function<void(std::shared_ptr<host::Explorer>)> fnOnActivate;
  std::vector<host::Connection> m_vecConnections;
  std::shared_ptr<host::Application> m_oApp;
};

class SimOutlook : public testing::Test {
 protected:
  void Start() { m_oOutlook.Start(m_pAddIn); }
  std::vector<std::string> TakeLog() { return std::exchange(m_pAddIn->vecLog, {}); }

  sim::Outlook m_oOutlook{sim::DemoProfile()};
  std::shared_ptr<RecordingAddIn> m_pAddIn = std::make_shared<RecordingAddIn>();
};

using Log = std::vector<std::string>;

TEST_F(SimOutlook, StartOpensTheStartupExplorersBeforeConnecting) {
  EXPECT_EQ(m_oOutlook.ExplorerCount(), 0);
  Start();
  EXPECT_EQ(TakeLog(), (Log{"connect 1", "startup 1"}));
  EXPECT_EQ(m_oOutlook.ExplorerCount(), 1);
  EXPECT_EQ(m_oOutlook.ActiveExplorerIndex(), 1);
  EXPECT_EQ(m_oOutlook.Application()->ActiveExplorer(), m_oOutlook.ExplorerAt(1));
  EXPECT_EQ(m_oOutlook.ExplorerAt(1)->CurrentFolder()->Name(), "Inbox");
  EXPECT_NE(m_oOutlook.ExplorerAt(1)->CurrentView()->XML().find("&quot;urn:schemas:httpmail:subject&quot;"),
            std::string::npos);
  EXPECT_THROW(m_oOutlook.Start(m_pAddIn), host::Error);
  EXPECT_TRUE(m_oOutlook.EscapedErrors().empty());
}

TEST_F(SimOutlook, ExplorerEventsComeInOutlooksOrder) {
  Start();
  TakeLog();
  int n = m_oOutlook.OpenExplorer(kContacts);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(TakeLog(), (Log{"new Contacts"}));  // announced, not activated
  m_oOutlook.ActivateExplorer(2);
  m_oOutlook.ActivateExplorer(2);
  EXPECT_EQ(TakeLog(), (Log{"activate", "update", "activate", "update"}));
  EXPECT_EQ(m_oOutlook.ActiveExplorerIndex(), 2);
  m_oOutlook.SwitchFolder(2, "\\mailbox - jane doe\\tasks");
  EXPECT_EQ(TakeLog(), (Log{"switch Tasks", "update"}));
  EXPECT_EQ(m_oOutlook.ExplorerAt(2)->CurrentView()->Name(), "Simple List");
  m_oOutlook.Select(2, {"0000000044454D4F1301", "0000000044454D4F1302"});
  EXPECT_EQ(TakeLog(), (Log{"select 2", "update"}));
  m_oOutlook.RaiseUpdate(1);
  EXPECT_EQ(TakeLog(), (Log{"update"}));
  // Bad driver input changes nothing and raises nothing.
  EXPECT_THROW(m_oOutlook.Select(2, {"0000000044454D4F1301", "00BAD0"}), host::Error);
  EXPECT_EQ(m_oOutlook.ExplorerAt(2)->Selection()->Count(), 2);
  EXPECT_THROW(m_oOutlook.SwitchFolder(2, "\\Nowhere"), host::Error);
  EXPECT_THROW(m_oOutlook.ActivateExplorer(3), host::Error);
  EXPECT_TRUE(TakeLog().empty());
}

TEST_F(SimOutlook, ClosingRaisesCloseThenTheWindowIsGone) {
  Start();
  m_oOutlook.OpenExplorer(kContacts);
  auto oFirst = m_oOutlook.ExplorerAt(1);
  int32_t nCountDuringClose = 0;
  auto c =
      oFirst->OnClose.Connect([&] { nCountDuringClose = m_oOutlook.Application()->Explorers()->Count(); });
  TakeLog();
  m_oOutlook.CloseExplorer(1);
  EXPECT_EQ(TakeLog(), (Log{"close"}));
  EXPECT_EQ(nCountDuringClose, 2);
  EXPECT_EQ(m_oOutlook.ExplorerCount(), 1);
  EXPECT_EQ(m_oOutlook.ExplorerAt(1)->CurrentFolder()->Name(), "Contacts");
  EXPECT_THROW(oFirst->CurrentFolder(), host::Error);
  EXPECT_EQ(m_oOutlook.ActiveExplorerIndex(), 1);  // the remaining window comes to the front
}

TEST_F(SimOutlook, HandlersMayCloseTheWindowOrDisconnectDuringEvents) {
  Start();
  // Closing the explorer from its own Activate handler: no update follows for a closed window.
  m_pAddIn->fnOnActivate = [&](std::shared_ptr<host::Explorer>) { m_oOutlook.CloseExplorer(1); };
  TakeLog();
  m_oOutlook.ActivateExplorer(1);
  EXPECT_EQ(TakeLog(), (Log{"activate", "close"}));
  EXPECT_EQ(m_oOutlook.ExplorerCount(), 0);
  EXPECT_EQ(m_oOutlook.Application()->ActiveExplorer(), nullptr);

  // A handler that drops every connection, its own included, while the event is raised.
  m_pAddIn->fnOnActivate = [&](std::shared_ptr<host::Explorer>) { m_pAddIn->m_vecConnections.clear(); };
  m_oOutlook.OpenExplorer(kInbox);
  m_oOutlook.ActivateExplorer(1);
  m_oOutlook.ActivateExplorer(1);
  EXPECT_EQ(TakeLog(), (Log{"new Inbox", "activate"}));
  EXPECT_TRUE(m_oOutlook.EscapedErrors().empty());
}

TEST_F(SimOutlook, ErrorsEscapingHandlersAreRecordedNotPropagated) {
  Start();
  m_pAddIn->fnOnActivate = [](std::shared_ptr<host::Explorer>) { throw host::Error(91, "boom"); };
  EXPECT_NO_THROW(m_oOutlook.ActivateExplorer(1));
  ASSERT_EQ(m_oOutlook.EscapedErrors().size(), 1u);
  EXPECT_EQ(m_oOutlook.EscapedErrors()[0].nNumber, 91);
  EXPECT_EQ(m_oOutlook.EscapedErrors()[0].sDescription, "boom");
  EXPECT_EQ(m_oOutlook.EscapedErrorPlaces()[0], "Explorer.Activate");
  // The simulation went on: the update after the activation still came.
  EXPECT_EQ(TakeLog().back(), "update");
}

TEST_F(SimOutlook, AnAddInThatFailsToConnectIsNotCalledAgain) {
  m_pAddIn->fnOnConnection = [] { throw std::runtime_error("no"); };
  Start();
  EXPECT_EQ(TakeLog(), (Log{"connect 1"}));
  EXPECT_FALSE(m_oOutlook.AddInConnected());
  ASSERT_EQ(m_oOutlook.EscapedErrors().size(), 1u);
  m_oOutlook.Quit();
  EXPECT_TRUE(TakeLog().empty());
}

TEST_F(SimOutlook, QuitAndDisconnect) {
  Start();
  TakeLog();
  m_oOutlook.Quit();
  EXPECT_EQ(TakeLog(), (Log{"begin shutdown", "disconnect 0"}));  // explorers vanish without Close
  EXPECT_EQ(m_oOutlook.ExplorerCount(), 0);

  sim::Outlook oOther(sim::DemoProfile(), "9.0.0.2711");
  auto pAddIn = std::make_shared<RecordingAddIn>();
  oOther.Start(pAddIn);
  EXPECT_EQ(oOther.Application()->Version(), "9.0.0.2711");
  oOther.Disconnect();
  oOther.Disconnect();
  EXPECT_EQ(pAddIn->vecLog.back(), "disconnect 1");
  EXPECT_EQ(pAddIn->vecLog.size(), 3u);
  EXPECT_EQ(oOther.ExplorerCount(), 1);
  EXPECT_THROW(sim::Outlook(sim::DemoProfile(), "Outlook"), host::Error);
}

TEST_F(SimOutlook, ObjectsOutliveTheFacadeSafely) {
  std::shared_ptr<host::Explorer> oExplorer;
  std::shared_ptr<host::MAPIFolder> oInbox;
  std::shared_ptr<host::OutlookItem> oItem;
  std::string sSubject;
  {
    sim::Outlook oShortLived(sim::DemoProfile());
    oShortLived.Start(nullptr);
    oExplorer = oShortLived.ExplorerAt(1);
    oInbox = oShortLived.FolderByPath(kInbox);
    oItem = oInbox->Items()->GetFirst();
    sSubject = oItem->Subject();
  }
  EXPECT_EQ(oInbox->Items()->Count(), 7);
  EXPECT_NO_THROW(oExplorer->Caption());
  // The item object's room is given back to its session's pool after everything else is gone.
  oExplorer.reset();
  oInbox.reset();
  EXPECT_EQ(oItem->Subject(), sSubject);
  oItem.reset();
}

}  // namespace
