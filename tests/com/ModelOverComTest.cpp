// The whole Outlook model across COM: the same client (the model probe) runs once against the
// simulation directly and once from a DLL of its own through IDispatch and the COM binding, on
// fresh simulations of the same profile. Every value, every error, every event and every call
// that reaches the simulation must be the same both ways, and nothing may stay alive after.
#include <gtest/gtest.h>

#include <map>

#include "ModelProbe.h"
#include "sim/Inspectors.h"
#include "support/SimFixture.h"
// The simulation's headers come before windows.h, whose macros would rename their members.
#include "ComTestSupport.h"
#include "com/Bridge.h"
#include "com/DispatchServer.h"
#include "com/outlook/OutlookBinding.h"

namespace {

// The probe inside ComProbe.dll, loaded once.
struct ProbeDll {
  using Text = const char* (*)();
  const char* (*fnWalk)(IDispatch*, int) = nullptr;
  const char* (*fnStart)(IDispatch*, const char*) = nullptr;
  const char* (*fnNewMail)(const char*, const char*) = nullptr;
  Text fnLog = nullptr;
  void (*fnStop)() = nullptr;
  void (*fnEnd)() = nullptr;
  long (*fnLiveObjects)() = nullptr;

  static ProbeDll& Get() {
    static ProbeDll s_o = [] {
      ProbeDll o;
      HMODULE h = LoadLibraryW(L"ComProbe.dll");
      if (!h) return o;
      auto Find = [h](auto& fn, const char* sName) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(
            reinterpret_cast<void*>(GetProcAddress(h, sName)));
      };
      Find(o.fnWalk, "ComProbe_Walk");
      Find(o.fnStart, "ComProbe_Start");
      Find(o.fnNewMail, "ComProbe_NewMail");
      Find(o.fnLog, "ComProbe_Log");
      Find(o.fnStop, "ComProbe_Stop");
      Find(o.fnEnd, "ComProbe_End");
      Find(o.fnLiveObjects, "ComProbe_LiveObjects");
      return o;
    }();
    return s_o;
  }
  bool Loaded() const { return fnWalk && fnStart && fnNewMail && fnLog && fnStop && fnEnd && fnLiveObjects; }
};

enum class Way { Direct, OverCom };

// What one run left behind, to compare with the other way's.
struct Outcome {
  std::string sText;
  std::map<std::string, int64_t> mapCalls;
  std::vector<std::string> vecEscaped;
};

class ModelOverComTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    ASSERT_TRUE(Dll().Loaded());
    comtest::ServeOutlookAndOffice();
    m_nLive = com::LiveObjects();
  }
  void TearDown() override {
    m_pOutlook.reset();
    // Nothing of any run is left alive on either side of the boundary.
    EXPECT_EQ(com::LiveObjects(), m_nLive);
    EXPECT_EQ(Dll().fnLiveObjects(), 0);
    SimFixture::TearDown();
  }

  static ProbeDll& Dll() { return ProbeDll::Get(); }

  // The Application as an IDispatch, as Outlook hands it to an add-in.
  com::ComPtr<IDispatch> AppDispatch() {
    return com::ComPtr<IDispatch>::Attach(com::ExposeObject(Outlook().Application()));
  }

  void Fresh(const std::string& sVersion = {}) {
    MakeOutlook(sim::DemoProfile(), sVersion);
    // Two windows, the first active, as the add-in finds them when Outlook has started.
    Outlook().OpenExplorer("\\Mailbox - Jane Doe\\Inbox");
    Outlook().OpenExplorer("\\Mailbox - Jane Doe\\Contacts");
    Outlook().ActivateExplorer(1);
  }

  Outcome Finish(std::string sText) {
    Outcome o{std::move(sText), Outlook().Faults().AllCalls(), {}};
    for (size_t i = 0; i < Outlook().EscapedErrors().size(); ++i) {
      const auto& e = Outlook().EscapedErrors()[i];
      o.vecEscaped.push_back(Outlook().EscapedErrorPlaces()[i] + " " + std::to_string(e.nNumber) + " " +
                             e.sDescription);
    }
    return o;
  }

  Outcome Walk(Way eWay, const std::string& sVersion, const std::function<void()>& fnFaults = {}) {
    Fresh(sVersion);
    if (fnFaults) fnFaults();
    std::string sText;
    if (eWay == Way::Direct) {
      sText = probe::WalkModel(Outlook().Application(), kItemLimit);
    } else {
      sText = Dll().fnWalk(AppDispatch().get(), kItemLimit);
    }
    Outlook().Faults().Clear();
    return Finish(std::move(sText));
  }

  static void ExpectSame(const Outcome& oDirect, const Outcome& oOverCom) {
    EXPECT_EQ(oOverCom.sText, oDirect.sText);
    EXPECT_EQ(oOverCom.mapCalls, oDirect.mapCalls);
    EXPECT_EQ(oOverCom.vecEscaped, oDirect.vecEscaped);
  }

  static constexpr int kItemLimit = 12;
  long m_nLive = 0;
};

TEST_F(ModelOverComTest, EveryInterfaceAnswersOverComAsItDoesDirectly) {
  for (const char* sVersion : {"11.0.5608", "9.0.0.2711"}) {
    SCOPED_TRACE(sVersion);
    Outcome oDirect = Walk(Way::Direct, sVersion);
    Outcome oOverCom = Walk(Way::OverCom, sVersion);
    ExpectSame(oDirect, oOverCom);
    // The walk reached every kind of object, and the binding knew each one.
    for (const char* sSeen :
         {"= MailItem", "= AppointmentItem", "= TaskItem", "= ContactItem", "= DistListItem", "= GenericItem",
          "= Explorer\n", "CommandBars.Count = ", "= Selection", "= View", "= Links", "= Link\n",
          "= AddressEntry", "= Folders", "DLName = \"Team Über\"", "Subject = \"Grüße über COM\"",
          "AddMember(Nothing) ! "})
      EXPECT_NE(oOverCom.sText.find(sSeen), std::string::npos) << sSeen;
    EXPECT_EQ(oOverCom.sText.find("no COM binding"), std::string::npos);
    EXPECT_EQ(oOverCom.sText.find("probe failed"), std::string::npos);
  }
}

TEST_F(ModelOverComTest, InjectedFaultsEndOverComExactlyAsTheyDoDirectly) {
  // Every kind of failure the simulation injects: its own numbers, a Visual Basic number, an
  // HRESULT; on every member or on one.
  const std::vector<std::function<void()>> vecFaults = {
      [this] { Outlook().Faults().FailEvery("*", 7); },
      [this] { Outlook().Faults().FailEvery("*", 5, host::err::ObjectNotSet); },
      [this] { Outlook().Faults().FailAlways("Items.GetNext", static_cast<int32_t>(0x80040301)); },
      [this] { Outlook().Faults().FailAlways("MailItem.Recipients"); },
  };
  for (size_t i = 0; i < vecFaults.size(); ++i) {
    SCOPED_TRACE(i);
    Outcome oDirect = Walk(Way::Direct, {}, vecFaults[i]);
    Outcome oOverCom = Walk(Way::OverCom, {}, vecFaults[i]);
    ExpectSame(oDirect, oOverCom);
    EXPECT_NE(oOverCom.sText.find("failed (injected)"), std::string::npos);
  }
}

// Plays the user: windows opened, activated, switched and closed, a selection, mails sent,
// cancelled, saved and closed, an item deleted, a search completed. True when a listener
// cancelled the sending of the mail marked "[cancel]".
bool PlayUser(sim::Outlook& o, platform::portable::VirtualLoop& oLoop, const char* sDeleteID,
              const std::function<void(const char*, const char*)>& fnNewMail) {
  int n = o.OpenExplorer("\\Mailbox - Jane Doe\\Sent Items");
  o.ActivateExplorer(n);
  o.ActivateExplorer(n);
  o.Select(n, {"0000000044454D4F0501", "0000000044454D4F0502"});
  o.SwitchFolder(n, "\\Mailbox - Jane Doe\\Inbox");
  o.Select(1, {"0000000044454D4F0602"});
  sim::Inspectors oInspectors(o);
  fnNewMail("Hello over COM", "Peter Brown");
  oInspectors.Save(oInspectors.Count());
  oInspectors.Send(oInspectors.Count());
  fnNewMail("[cancel] never sent", "Maria Garcia");
  bool bCancelled = !oInspectors.Send(oInspectors.Count());
  if (bCancelled) oInspectors.Close(oInspectors.Count());
  o.DeleteItem(sDeleteID);
  o.Application()->AdvancedSearch("'\\Mailbox - Jane Doe\\Inbox'",
                                  "\"urn:schemas:httpmail:subject\" LIKE '%project%'", false, "user search");
  oLoop.Advance(1000);
  o.CloseExplorer(n);
  return bCancelled;
}

TEST_F(ModelOverComTest, EventsArriveOverComAsDirectlyAndStopWhenTheClientLetsGo) {
  for (const char* sFailOn : {"", "SelectionChange", "Send"}) {
    SCOPED_TRACE(sFailOn);
    Outcome oOutcomes[2];
    for (Way eWay : {Way::Direct, Way::OverCom}) {
      Fresh();
      probe::CEventLog oDirect;
      std::function<void(const char*, const char*)> fnNewMail;
      if (eWay == Way::Direct) {
        oDirect.Start(Outlook().Application(), sFailOn);
        fnNewMail = [&](const char* s, const char* sName) { oDirect.NewMail(s, sName); };
      } else {
        EXPECT_STREQ(Dll().fnStart(AppDispatch().get(), sFailOn), "");
        fnNewMail = [&](const char* s, const char* sName) { EXPECT_STREQ(Dll().fnNewMail(s, sName), ""); };
      }
      EXPECT_TRUE(PlayUser(Outlook(), *m_pLoop, "0000000044454D4F0605", fnNewMail));
      auto Text = [&] { return eWay == Way::Direct ? oDirect.Text() : std::string(Dll().fnLog()); };
      std::string sBefore = Text();
      if (eWay == Way::Direct)
        oDirect.Stop();
      else
        Dll().fnStop();
      // Nothing listens any more, on either side of the boundary.
      EXPECT_EQ(Outlook().Application()->Explorers()->OnNewExplorer.HandlerCount(), 0u);
      EXPECT_EQ(Outlook().ExplorerAt(1)->OnSelectionChange.HandlerCount(), 0u);
      EXPECT_EQ(com::LiveObjects(), m_nLive);
      EXPECT_EQ(Dll().fnLiveObjects(), 0);
      bool bCancelled =
          PlayUser(Outlook(), *m_pLoop, "0000000044454D4F0604", [&](const char* sSubject, const char*) {
            // Without a listener, a plain new mail of the user's.
            auto oMail = host::As<host::MailItem>(Outlook().Application()->CreateItem(host::olMailItem));
            oMail->SetSubject(sSubject);
            oMail->Recipients()->Add("Peter Brown");
            oMail->Display();
          });
      EXPECT_FALSE(bCancelled);
      EXPECT_EQ(Text(), sBefore);
      oOutcomes[eWay == Way::Direct ? 0 : 1] = Finish(sBefore);
      if (eWay == Way::OverCom) Dll().fnEnd();
    }
    ExpectSame(oOutcomes[0], oOutcomes[1]);
    const std::string& sLog = oOutcomes[1].sText;
    for (const char* sSeen :
         {"NewExplorer: ", "Activate: ", "SelectionChange: 2 [Budget 2004] [Re: Quarterly report]",
          "FolderSwitch: Inbox", "Write: [Hello over COM]", "Send: [Hello over COM] To Peter Brown\n",
          "cancelled", "Close: [[cancel]", "ItemAdd: Drafts", "ItemAdd: Sent Items", "ItemRemove: Inbox",
          "AdvancedSearchComplete: user search 2", "Close: "})
      EXPECT_NE(sLog.find(sSeen), std::string::npos) << sSeen << "\n" << sLog;
    if (*sFailOn) {
      // The handler's failure reached Outlook with its own number and text.
      ASSERT_FALSE(oOutcomes[1].vecEscaped.empty());
      EXPECT_NE(oOutcomes[1].vecEscaped[0].find(" 1234 the probe failed in " + std::string(sFailOn)),
                std::string::npos)
          << oOutcomes[1].vecEscaped[0];
    } else {
      EXPECT_TRUE(oOutcomes[1].vecEscaped.empty());
    }
  }
}

}  // namespace

namespace {

TEST_F(ModelOverComTest, ABoundObjectListensToOutlookOnlyWhileSomebodyListensToIt) {
  Fresh();
  com::outlook::RegisterBinders();
  auto oItem = Outlook().ItemByID("0000000044454D4F0601");
  auto pDisp = com::ComPtr<IDispatch>::Attach(com::ExposeObject(oItem));
  long nServed = com::LiveObjects();
  // A client of the mail's server, as a module that does not own the server sees it.
  auto oMail =
      com::Bind<host::MailItem>(std::shared_ptr<host::Object>(std::make_shared<com::CDispatchObject>(pDisp)));
  ASSERT_NE(dynamic_cast<com::DispatchHolder*>(oMail.get()), nullptr);
  EXPECT_EQ(com::LiveObjects(), nServed);  // no sink yet
  int nSends = 0;
  {
    host::Connection c1 = oMail->OnSend.Connect([&](bool&) { ++nSends; });
    host::Connection c2 = oMail->OnWrite.Connect([](bool&) {});
    EXPECT_EQ(com::LiveObjects(), nServed + 1);  // one sink for all the events
    bool bCancel = false;
    host::As<host::MailItem>(oItem)->OnSend.Raise(bCancel);
    EXPECT_EQ(nSends, 1);
    c1.reset();
    EXPECT_EQ(com::LiveObjects(), nServed + 1);
  }
  EXPECT_EQ(com::LiveObjects(), nServed);
  bool bCancel = false;
  host::As<host::MailItem>(oItem)->OnSend.Raise(bCancel);
  EXPECT_EQ(nSends, 1);
}

}  // namespace
