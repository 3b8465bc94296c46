// The add-in's search client running searches through the component's COM server, which calls
// the simulated Outlook through IDispatch and waits for its completion event.
#include <gtest/gtest.h>

#include "advsearch/QuilloAdvSearch.h"
#include "chooser/CAdvancedSearch.h"
#include "common/mGlobals.h"
#include "host/AdvSearch.h"
#include "support/SimFixture.h"
// The simulation's headers come before windows.h, whose macros (E_FAIL, GetObject) would
// rename their members.
#include "com/Bridge.h"
#include "com/Dispatch.h"
#include "com/DispatchServer.h"
#undef GetObject

#include <filesystem>
#include <fstream>

namespace {

const std::string kTag = "B1F98F0A-956A-4455-B5B9-CE579537EB70";
const std::string kInboxScope = "'\\Mailbox - Jane Doe\\Inbox'";
const std::string kViewFilter = "\"urn:schemas:httpmail:subject\" LIKE '%project%'";

HRESULT ComponentCanUnloadNow() {
  HMODULE h = GetModuleHandleW(L"QuilloAdvSearch.dll");
  if (!h) return S_OK;
  auto fn = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(h, "DllCanUnloadNow")));
  return fn ? fn() : E_FAIL;
}

class SearchOverComTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    MakeOutlook(sim::DemoProfile());
    g_oApp = Outlook().Application();
    RegisterQuilloAdvSearch();
    m_nLive = com::LiveObjects();
  }
  void TearDown() override {
    g_oApp.reset();
    // Nothing of the run is left alive on either side of the boundary.
    EXPECT_EQ(com::LiveObjects(), m_nLive);
    EXPECT_EQ(ComponentCanUnloadNow(), S_OK);
    EXPECT_TRUE(Outlook().EscapedErrors().empty());
    SimFixture::TearDown();
  }

  static std::vector<std::string> Subjects(const std::shared_ptr<host::Results>& oResults) {
    std::vector<std::string> vec;
    for (auto oItem = oResults->GetFirst(); oItem; oItem = oResults->GetNext())
      vec.push_back(oItem->Subject());
    return vec;
  }

  long m_nLive = 0;
};

TEST_F(SearchOverComTest, TheSearchCrossesComAndGivesOutlooksOwnSearchBack) {
  {
    auto oComponent = host::CreateObject<host::_CAdvSearch>(host::kAdvSearchProgId);
    // A client of the COM server, not the component's C++ class.
    EXPECT_NE(dynamic_cast<com::DispatchHolder*>(oComponent.get()), nullptr);
  }
  CAdvancedSearch oSearch;
  oSearch.SyncSearch(g_oApp, kInboxScope, kViewFilter, false, kTag, "", false);
  ASSERT_TRUE(oSearch.HasObject());
  // The Search went out to the component as an IDispatch and came back as the simulation's
  // own object.
  EXPECT_EQ(dynamic_cast<com::DispatchHolder*>(oSearch.GetObject().get()), nullptr);
  EXPECT_EQ(oSearch.GetObject()->Tag(), kTag);
  EXPECT_EQ(Subjects(oSearch.GetResults()),
            (std::vector<std::string>{"Project Apollo status", "Your weekly project digest"}));
  oSearch.Done();
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(SearchOverComTest, AFailureInjectedInOutlookEndsInTheComponentsLog) {
  auto oFolder = std::filesystem::temp_directory_path() / "quillo-com-advsearch-log";
  std::filesystem::remove_all(oFolder);
  std::filesystem::create_directories(oFolder);
  QuilloAdvSearch_SetLibraryFolder(oFolder.string());
  QuilloAdvSearch_SetDebugTarget(3);
  Outlook().Faults().FailAlways("Application.AdvancedSearch", static_cast<int32_t>(0x80040301));

  CAdvancedSearch oSearch;
  oSearch.SyncSearch(g_oApp, kInboxScope, kViewFilter, false, kTag, "", false);
  EXPECT_FALSE(oSearch.HasObject());
  Outlook().Faults().Clear();
  QuilloAdvSearch_SetDebugTarget(1);
  QuilloAdvSearch_SetLibraryFolder("");

  std::ifstream in(oFolder / "QuilloAdvSearch.log");
  std::string sLine, sAll;
  while (std::getline(in, sLine)) sAll += sLine + "\n";
  // The HRESULT came back through IDispatch with its number.
  EXPECT_NE(
      sAll.find("Error(" + std::to_string(static_cast<int32_t>(0x80040301)) + ") : CAdvSearch.SyncSearch"),
      std::string::npos)
      << sAll;
  in.close();
  std::filesystem::remove_all(oFolder);
}

TEST_F(SearchOverComTest, WrongArgumentsToTheServerAreRefusedNotCrashed) {
  auto oComponent = host::CreateObject<host::_CAdvSearch>(host::kAdvSearchProgId);
  auto* pHolder = dynamic_cast<com::DispatchHolder*>(oComponent.get());
  ASSERT_NE(pHolder, nullptr);
  com::Dispatch oDisp{com::ComPtr<IDispatch>(pHolder->GetDispatch())};
  auto ErrorOf = [&](std::vector<host::Variant> args) {
    try {
      oDisp.CallByRef("SyncSearch", args);
    } catch (const host::Error& e) {
      return e.Number();
    }
    return 0;
  };
  EXPECT_EQ(ErrorOf({host::Variant(g_oApp), "scope"}), static_cast<int32_t>(DISP_E_BADPARAMCOUNT));
  EXPECT_EQ(ErrorOf({"not an application", kInboxScope, kViewFilter, false, kTag}),
            static_cast<int32_t>(DISP_E_TYPEMISMATCH));
  EXPECT_EQ(ErrorOf({host::Variant(g_oApp), kInboxScope, host::Variant(g_oApp), false, kTag}),
            static_cast<int32_t>(DISP_E_TYPEMISMATCH));
  // Nothing as the application: the component reports it and answers Nothing.
  std::vector<host::Variant> args{host::Variant(std::shared_ptr<host::Object>()), kInboxScope, kViewFilter,
                                  false, kTag};
  EXPECT_EQ(oDisp.CallByRef("SyncSearch", args).ToObject(), nullptr);
}

class CNotified : public host::Object, public host::ASyncSearchNotify {
 public:
  std::string TypeName() const override { return "CNotified"; }
  void ASyncSearchDone() override { ++m_nDone; }
  int m_nDone = 0;
};

TEST_F(SearchOverComTest, AnAsynchronousSearchNotifiesItsCallerThroughCom) {
  auto pNotified = std::make_shared<CNotified>();
  auto oComponent = host::CreateObject<host::_CAdvSearch>(host::kAdvSearchProgId);
  auto oSearch = oComponent->ASyncSearch(g_oApp, kInboxScope, kViewFilter, false, kTag, pNotified);
  ASSERT_NE(oSearch, nullptr);
  EXPECT_EQ(pNotified->m_nDone, 0);
  m_pLoop->Advance(1000);
  EXPECT_EQ(pNotified->m_nDone, 1);
  EXPECT_EQ(oSearch->Results()->Count(), 2);
}

}  // namespace
