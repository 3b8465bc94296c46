// Self-registration of QuilloAdvSearch.dll and creation by ProgID through COM's own registry.
// These tests change the machine's class registration, so they run alone (RUN_SERIAL).
#include <gtest/gtest.h>

#include "advsearch/QuilloAdvSearch.h"
#include "chooser/CAdvancedSearch.h"
#include "common/mGlobals.h"
#include "support/SimFixture.h"
// The simulation's headers come before windows.h, whose macros (E_FAIL, GetObject) would
// rename their members.
#include "ComTestSupport.h"
#include "com/Bridge.h"
#include "com/Module.h"
#include "com/Text.h"
#include "com/advsearch/AdvSearchIds.h"
#undef GetObject

namespace {

using com::advsearch::CLSID_CAdvSearch;

const std::wstring kClassKey = L"Software\\Classes\\CLSID\\" + com::GuidString(CLSID_CAdvSearch);
const std::wstring kProgIdKey = L"Software\\Classes\\QuilloAdvSearch.CAdvSearch";

bool KeyExists(const std::wstring& sKey) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(com::ClassesRootKey(), sKey.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

// Subkeys and values of a key, as one comparable list.
std::vector<std::wstring> Snapshot(const std::wstring& sKey) {
  std::vector<std::wstring> vec;
  HKEY h = nullptr;
  if (RegOpenKeyExW(com::ClassesRootKey(), sKey.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return vec;
  wchar_t sz[512];
  for (DWORD i = 0;; ++i) {
    DWORD n = 512;
    if (RegEnumKeyExW(h, i, sz, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    vec.push_back(L"key " + std::wstring(sz, n));
  }
  for (DWORD i = 0;; ++i) {
    DWORD n = 512;
    if (RegEnumValueW(h, i, sz, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    vec.push_back(L"value " + std::wstring(sz, n));
  }
  RegCloseKey(h);
  std::sort(vec.begin(), vec.end());
  return vec;
}

std::wstring DllPath() {
  return comtest::DllBesideTests(L"QuilloAdvSearch.dll");
}

HRESULT CallExport(const char* sName) {
  return comtest::CallDllExport(DllPath(), sName);
}

// regsvr32 itself, as a user would run it.
DWORD RunRegsvr32(const std::wstring& sArgs) {
  std::wstring sCommand = L"regsvr32.exe /s " + sArgs + L" \"" + DllPath() + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, sCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return ~0u;
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD nExit = ~0u;
  GetExitCodeProcess(pi.hProcess, &nExit);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return nExit;
}

class RegistrationTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    com::EnsureComInitialized();
    // Left over from an interrupted run: start clean.
    if (KeyExists(kClassKey)) CallExport("DllUnregisterServer");
    m_vecClassesBefore = Snapshot(L"Software\\Classes");
    m_vecClsidBefore = Snapshot(L"Software\\Classes\\CLSID");
  }
  void TearDown() override {
    CallExport("DllUnregisterServer");
    EXPECT_EQ(Snapshot(L"Software\\Classes"), m_vecClassesBefore);
    EXPECT_EQ(Snapshot(L"Software\\Classes\\CLSID"), m_vecClsidBefore);
    SimFixture::TearDown();
  }
  std::vector<std::wstring> m_vecClassesBefore, m_vecClsidBefore;
};

TEST_F(RegistrationTest, RegisteringWritesTheUsualKeysAndUnregisteringRemovesThem) {
  ASSERT_FALSE(KeyExists(kClassKey));
  ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
  HKEY hRoot = com::ClassesRootKey();
  EXPECT_EQ(com::GetStringValue(hRoot, kClassKey + L"\\InprocServer32", L""), DllPath());
  EXPECT_EQ(com::GetStringValue(hRoot, kClassKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(com::GetStringValue(hRoot, kClassKey + L"\\ProgID", L""), L"QuilloAdvSearch.CAdvSearch");
  EXPECT_EQ(com::GetStringValue(hRoot, kProgIdKey + L"\\CLSID", L""), com::GuidString(CLSID_CAdvSearch));

  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"QuilloAdvSearch.CAdvSearch", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_CAdvSearch);
  com::ComPtr<IDispatch> pDisp;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, pDisp.put_void()), S_OK);
  LPOLESTR pName = const_cast<LPOLESTR>(L"syncsearch");
  DISPID nId = 0;
  EXPECT_EQ(pDisp->GetIDsOfNames(IID_NULL, &pName, 1, 0, &nId), S_OK);
  EXPECT_EQ(nId, com::advsearch::kSyncSearch);
  com::ComPtr<IUnknown> pDefault;
  EXPECT_EQ(pDisp->QueryInterface(com::advsearch::IID__CAdvSearch, pDefault.put_void()), S_OK);
  pDefault.reset();
  pDisp.reset();

  ASSERT_EQ(CallExport("DllUnregisterServer"), S_OK);
  EXPECT_FALSE(KeyExists(kClassKey));
  EXPECT_FALSE(KeyExists(kProgIdKey));
  EXPECT_NE(CLSIDFromProgID(L"QuilloAdvSearch.CAdvSearch", &clsid), S_OK);
}

TEST_F(RegistrationTest, AProgIdTakenOverByAnotherClassIsLeftAlone) {
  ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
  const std::wstring sOther = L"{00000000-1111-2222-3333-444444444444}";
  com::SetStringValue(com::ClassesRootKey(), kProgIdKey + L"\\CLSID", L"", sOther);
  ASSERT_EQ(CallExport("DllUnregisterServer"), S_OK);
  EXPECT_FALSE(KeyExists(kClassKey));
  EXPECT_EQ(com::GetStringValue(com::ClassesRootKey(), kProgIdKey + L"\\CLSID", L""), sOther);
  com::DeleteTree(com::ClassesRootKey(), kProgIdKey);
}

TEST_F(RegistrationTest, Regsvr32RegistersAndUnregisters) {
  ASSERT_EQ(RunRegsvr32(L""), 0u);
  EXPECT_TRUE(KeyExists(kClassKey));
  EXPECT_TRUE(KeyExists(kProgIdKey));
  ASSERT_EQ(RunRegsvr32(L"/u"), 0u);
  EXPECT_FALSE(KeyExists(kClassKey));
  EXPECT_FALSE(KeyExists(kProgIdKey));
}

TEST_F(RegistrationTest, TheAddInsSearchFindsTheRegisteredServerByProgId) {
  MakeOutlook(sim::DemoProfile());
  g_oApp = Outlook().Application();
  // Not in the process's own registry: only COM's registration can find the component.
  UnregisterQuilloAdvSearch();
  EXPECT_EQ(QuilloAdvSearch_Where(), "not registered");
  {
    CAdvancedSearch oSearch;
    oSearch.SyncSearch(g_oApp, "'\\Mailbox - Jane Doe\\Inbox'",
                       "\"urn:schemas:httpmail:subject\" LIKE '%project%'", false, "tag", "", false);
    EXPECT_FALSE(oSearch.HasObject());
  }
  ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
  EXPECT_NE(QuilloAdvSearch_Where().find(com::Utf8(com::GuidString(CLSID_CAdvSearch))), std::string::npos);
  {
    CAdvancedSearch oSearch;
    oSearch.SyncSearch(g_oApp, "'\\Mailbox - Jane Doe\\Inbox'",
                       "\"urn:schemas:httpmail:subject\" LIKE '%project%'", false, "tag", "", false);
    ASSERT_TRUE(oSearch.HasObject());
    EXPECT_EQ(oSearch.GetResults()->Count(), 2);
  }
  g_oApp.reset();
  // COM may keep the DLL loaded; every object of it is gone.
  CoFreeUnusedLibraries();
}

}  // namespace
