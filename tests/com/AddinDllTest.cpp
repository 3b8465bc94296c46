// Quillo.dll as Outlook meets it: registered by its own DllRegisterServer (the COM keys and the
// Outlook add-in key), created by ProgID, driven through _IDTExtensibility2 by the simulated
// Outlook over IDispatch in both shut-down modes; and the simulated Redemption created by ProgID
// through COM. These change the machine's class registration, so they run alone (RUN_SERIAL).
#include <gtest/gtest.h>

#include "sim/Redemption.h"
#include "support/SimFixture.h"
// The simulation's headers come before windows.h, whose macros (E_FAIL, GetObject) would
// rename their members.
#include "ComTestSupport.h"
#include "ForeignObject.h"
#include "addin/Connect.h"
#include "com/Bridge.h"
#include "com/Module.h"
#include "com/Text.h"
#include "com/addin/AddinClient.h"
#include "com/addin/AddinIds.h"
#include "com/redemption/RedemptionBinding.h"
#include "com/simserver/RedemptionServer.h"
#include "host/Redemption.h"
#undef GetObject

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using com::addin::CLSID_QuilloConnect;

const std::wstring kAddinKey = L"Software\\Microsoft\\Office\\Outlook\\Addins\\Quillo.Connect";
const std::wstring kClassKey = L"Software\\Classes\\CLSID\\" + com::GuidString(CLSID_QuilloConnect);

std::wstring DllPath() {
  return comtest::DllBesideTests(L"Quillo.dll");
}

HRESULT CallExport(const char* sName) {
  return comtest::CallDllExport(DllPath(), sName);
}

bool KeyExists(HKEY hRoot, const std::wstring& sKey) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(hRoot, sKey.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

DWORD DwordValue(HKEY hRoot, const std::wstring& sKey, const wchar_t* sName) {
  DWORD n = 0, nSize = sizeof(n);
  if (RegGetValueW(hRoot, sKey.c_str(), sName, RRF_RT_REG_DWORD, nullptr, &n, &nSize) != ERROR_SUCCESS)
    return ~0u;
  return n;
}

class AddinDllTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    comtest::ServeOutlookAndOffice();
    com::simserver::RegisterRedemptionServers();
    m_nLive = com::LiveObjects();
    // Quillo.dll reaches the simulated Redemption by ProgID through COM.
    ASSERT_EQ(com::simserver::RegisterRedemptionClasses(), "");
    m_pathLog = fs::temp_directory_path() /
                ("quillo-addin-" + std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log");
    fs::remove(m_pathLog);
    SetEnvironmentVariableA("TARVIK_LOG", m_pathLog.string().c_str());
  }
  void TearDown() override {
    CallExport("DllUnregisterServer");
    com::simserver::UnregisterRedemptionClasses();
    SimFixture::TearDown();
    EXPECT_EQ(com::LiveObjects(), m_nLive);
    SetEnvironmentVariableA("TARVIK_LOG", nullptr);
    fs::remove(m_pathLog);
  }
  // The lines the add-in wrote through Tarvik.dll: "source | message".
  std::vector<std::string> AddinLines() const {
    std::ifstream oFile(m_pathLog, std::ios::binary);
    std::vector<std::string> vec;
    for (std::string sLine; std::getline(oFile, sLine);) {
      if (!sLine.empty() && sLine.back() == '\r') sLine.pop_back();
      std::vector<std::string> vecFields;
      for (size_t nPos = 0;;) {
        size_t nTab = sLine.find('\t', nPos);
        vecFields.push_back(sLine.substr(nPos, nTab == std::string::npos ? std::string::npos : nTab - nPos));
        if (nTab == std::string::npos) break;
        nPos = nTab + 1;
      }
      if (vecFields.size() == 7 && vecFields[0] == "LogMsg" && vecFields[1] == "Quillo.dll")
        vec.push_back(vecFields[5] + " | " + vecFields[6]);
    }
    return vec;
  }
  bool Wrote(const std::string& sSourceAndMessage) const {
    for (const auto& s : AddinLines())
      if (s.find(sSourceAndMessage) != std::string::npos) return true;
    return false;
  }
  static HRESULT AddinCanUnloadNow() {
    HMODULE h = GetModuleHandleW(L"Quillo.dll");
    if (!h) return S_OK;
    auto fn = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(h, "DllCanUnloadNow")));
    return fn ? fn() : E_FAIL;
  }

  fs::path m_pathLog;
  long m_nLive = 0;
};

TEST_F(AddinDllTest, RegisteringWritesTheClassAndTheOutlookAddinKeyAndUnregisteringRemovesThem) {
  ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
  HKEY hRoot = com::ClassesRootKey();
  EXPECT_EQ(com::GetStringValue(hRoot, kClassKey + L"\\InprocServer32", L""), DllPath());
  EXPECT_EQ(com::GetStringValue(hRoot, kClassKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(com::GetStringValue(hRoot, L"Software\\Classes\\Quillo.Connect\\CLSID", L""),
            com::GuidString(CLSID_QuilloConnect));
  EXPECT_EQ(com::GetStringValue(HKEY_CURRENT_USER, kAddinKey, L"FriendlyName"), L"Quillo");
  EXPECT_EQ(com::GetStringValue(HKEY_CURRENT_USER, kAddinKey, L"Description"),
            com::Wide(addin_registration::kDescription));
  EXPECT_EQ(DwordValue(HKEY_CURRENT_USER, kAddinKey, L"LoadBehavior"), 3u);

  ASSERT_EQ(CallExport("DllUnregisterServer"), S_OK);
  EXPECT_FALSE(KeyExists(hRoot, kClassKey));
  EXPECT_FALSE(KeyExists(hRoot, L"Software\\Classes\\Quillo.Connect"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
  CLSID clsid{};
  EXPECT_NE(CLSIDFromProgID(L"Quillo.Connect", &clsid), S_OK);
}

TEST_F(AddinDllTest, OutlookLoadsTheAddinByProgIdAndConnectsAndShutsItDown) {
  ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
  MakeOutlook(sim::DemoProfile());
  {
    std::shared_ptr<host::AddIn> oAddin = com::addin::CreateAddinByProgId("Quillo.Connect");
    Outlook().Start(oAddin);
    EXPECT_TRUE(Outlook().AddInConnected());
    Outlook().Quit();
    EXPECT_FALSE(Outlook().AddInConnected());
  }
  EXPECT_TRUE(Outlook().EscapedErrors().empty());
  EXPECT_TRUE(Wrote("Connect::AddinInstance_OnConnection | ->OK"));
  EXPECT_TRUE(Wrote("Connect::AddinInstance_OnStartupComplete | ->"));
  EXPECT_TRUE(Wrote("Connect::AddinInstance_OnBeginShutdown | ->"));
  EXPECT_TRUE(Wrote("Connect::AddinInstance_OnDisconnection | ->"));
  // The first explorer got its command set through the Office binding.
  EXPECT_TRUE(Wrote("Connect::AddMenu | ->"));
  EXPECT_EQ(AddinCanUnloadNow(), S_OK);
}

TEST_F(AddinDllTest, AClickOverComEndsInTheDisplayedMessage) {
  ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
  MakeOutlook(sim::DemoProfile());
  Outlook().Start(com::addin::CreateAddinByProgId("Quillo.Connect"));
  Outlook().Select(1, {"0000000044454D4F0601", "0000000044454D4F0602"});
  auto oTo = Outlook().FindControl(1, {"Quillo", " ", "TO"});
  ASSERT_TRUE(oTo) << "the add-in's toolbar was not built over COM";
  Outlook().Click(oTo);
  auto vecShown = Outlook().DisplayedItems();
  ASSERT_EQ(vecShown.size(), 1u) << ::testing::PrintToString(AddinLines());
  auto oMail = host::As<host::MailItem>(vecShown[0]);
  ASSERT_TRUE(oMail);
  EXPECT_EQ(oMail->Recipients()->Count(), 2);
  EXPECT_NE(oMail->To().find("Maria Garcia"), std::string::npos);
  EXPECT_TRUE(Outlook().EscapedErrors().empty());
  Outlook().Quit();
  EXPECT_EQ(AddinCanUnloadNow(), S_OK);
}

TEST_F(AddinDllTest, AClosedExplorersEventsReachTheAddinNoMore) {
  ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
  MakeOutlook(sim::DemoProfile());
  Outlook().Start(com::addin::CreateAddinByProgId("Quillo.Connect"));
  int n = Outlook().OpenExplorer("\\Mailbox - Jane Doe\\Calendar");
  Outlook().ActivateExplorer(n);
  std::shared_ptr<host::Explorer> oClosed = Outlook().ExplorerAt(n);
  const long nLiveWithTwo = com::LiveObjects();
  Outlook().CloseExplorer(n);
  // Its servers and the add-in's sinks on them are gone with it.
  EXPECT_LT(com::LiveObjects(), nLiveWithTwo);
  const size_t nLines = AddinLines().size();
  oClosed->OnActivate.Raise();
  oClosed->OnFolderSwitch.Raise();
  oClosed->OnSelectionChange.Raise();
  host::IgnoreErrors([&] { oClosed->CommandBars()->OnUpdate.Raise(); });
  EXPECT_EQ(AddinLines().size(), nLines) << "the add-in still heard the closed explorer";
  oClosed.reset();
  Outlook().Quit();
  EXPECT_TRUE(Outlook().EscapedErrors().empty());
  EXPECT_EQ(AddinCanUnloadNow(), S_OK);
}

TEST_F(AddinDllTest, TheUserRemovingTheAddinDisconnectsItThroughIDispatch) {
  ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
  MakeOutlook(sim::DemoProfile());
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"Quillo.Connect", &clsid), S_OK);
  com::ComPtr<IDispatch> pAddin;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, pAddin.put_void()), S_OK);
  SAFEARRAY* pCustom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
  auto Custom = [&] {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BYREF | VT_ARRAY | VT_VARIANT;
    V_ARRAYREF(&v) = &pCustom;
    return v;
  };
  auto CallEvent = [&](const wchar_t* sName, std::vector<VARIANT> vecArgs) {
    LPOLESTR pName = const_cast<LPOLESTR>(sName);
    DISPID nId = 0;
    EXPECT_EQ(pAddin->GetIDsOfNames(IID_NULL, &pName, 1, 0, &nId), S_OK);
    std::reverse(vecArgs.begin(), vecArgs.end());
    DISPPARAMS dp{vecArgs.data(), nullptr, static_cast<UINT>(vecArgs.size()), 0};
    return pAddin->Invoke(nId, IID_NULL, 0, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr);
  };
  auto pApp = com::ComPtr<IDispatch>::Attach(com::ExposeObject(Outlook().Application()));
  VARIANT vApp, vMode, vNothing;
  VariantInit(&vApp);
  V_VT(&vApp) = VT_DISPATCH;
  V_DISPATCH(&vApp) = pApp.get();
  VariantInit(&vMode);
  V_VT(&vMode) = VT_I4;
  V_I4(&vMode) = host::ext_cm_AfterStartup;
  VariantInit(&vNothing);
  V_VT(&vNothing) = VT_DISPATCH;
  V_DISPATCH(&vNothing) = nullptr;
  EXPECT_EQ(CallEvent(L"OnConnection", {vApp, vMode, vNothing, Custom()}), S_OK);
  EXPECT_EQ(CallEvent(L"OnStartupComplete", {Custom()}), S_OK);
  EXPECT_EQ(CallEvent(L"OnAddInsUpdate", {Custom()}), S_OK);
  V_I4(&vMode) = host::ext_dm_UserClosed;
  EXPECT_EQ(CallEvent(L"OnDisconnection", {vMode, Custom()}), S_OK);
  // A wrong call is refused with an HRESULT, never thrown.
  EXPECT_EQ(CallEvent(L"OnDisconnection", {Custom()}), DISP_E_BADPARAMCOUNT);
  SafeArrayDestroy(pCustom);
  pApp.reset();
  pAddin.reset();
  EXPECT_TRUE(Wrote("Connect::AddinInstance_OnConnection | ->OK"));
  EXPECT_EQ(AddinCanUnloadNow(), S_OK);
}

TEST_F(AddinDllTest, TheSimulatedRedemptionIsCreatedByProgIdThroughCom) {
  MakeOutlook(sim::DemoProfile());
  com::redemption::RegisterBinders();
  {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"Redemption.SafeMailItem", &clsid), S_OK);
    com::ComPtr<IDispatch> pDisp;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, pDisp.put_void()), S_OK);
    auto oSafe = comtest::BindForeign<host::SafeMailItem>(pDisp.get());
    ASSERT_TRUE(oSafe);
    auto oItem = Outlook().ItemByID("0000000044454D4F0602");
    {
      host::SafeItemAttachment oAttached(*oSafe, oItem);
      EXPECT_FALSE(oSafe->SenderName().empty());
      EXPECT_EQ(oSafe->SenderName(), host::As<host::MailItem>(oItem)->SenderName());
      EXPECT_TRUE(oSafe->Recipients());
      oAttached.Detach();
    }
    // Without an item the library refuses, and the refusal arrives as an error.
    EXPECT_THROW(oSafe->SenderName(), host::Error);

    ASSERT_EQ(CLSIDFromProgID(L"Redemption.MAPIUtils", &clsid), S_OK);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, pDisp.put_void()), S_OK);
    auto oUtils = comtest::BindForeign<host::MAPIUtils>(pDisp.get());
    auto oSimUtils = host::CreateObject<host::MAPIUtils>(host::progid::MAPIUtils);
    EXPECT_EQ(oUtils->HrGetOneProp(oItem, host::tag::PR_SENDER_EMAIL_ADDRESS).ToString(),
              oSimUtils->HrGetOneProp(oItem, host::tag::PR_SENDER_EMAIL_ADDRESS).ToString());
    EXPECT_THROW(oUtils->HrGetOneProp(oItem, 0x12340003), host::Error);
  }
  // Switched off in the simulation, the library cannot be created over COM either: 429.
  sim::SetRedemptionInstalled(Outlook().SessionState(), false);
  com::InstallCreateObjectFallback();
  try {
    host::CreateObject<host::SafeMailItem>(host::progid::SafeMailItem);
    FAIL() << "created while switched off";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), host::err::CantCreateObject);
  }
  com::simserver::UnregisterRedemptionClasses();
  CLSID clsid{};
  EXPECT_NE(CLSIDFromProgID(L"Redemption.SafeMailItem", &clsid), S_OK);
}

}  // namespace
