#include "ComCommands.h"

#include <streambuf>

#include "host/Error.h"
#include "host/Text.h"
#include "sim/CommandBarObjects.h"
#include "sim/OutlookObjects.h"
#if defined(_WIN32)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "addin/Connect.h"
#include "advsearch/QuilloAdvSearch.h"
#include "com/Bridge.h"
#include "com/DispatchServer.h"
#include "com/Error.h"
#include "com/HostLoop.h"
#include "com/Module.h"
#include "com/Text.h"
#include "com/addin/AddinClient.h"
#include "com/advsearch/AdvSearchIds.h"
#include "com/simserver/OfficeServer.h"
#include "com/simserver/OutlookServer.h"
#include "com/simserver/RedemptionServer.h"
#endif

namespace app {
namespace {

#if defined(_WIN32)

// Tarvik.log as the stand-in writes it: "LogMsg <TAB> module <TAB> kind <TAB> level <TAB> error
// <TAB> source <TAB> message", with \\ \t \r \n escaped.
std::string Unescaped(const std::string& s) {
  std::string sOut;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      sOut += s[i];
      continue;
    }
    switch (s[++i]) {
      case 't': sOut += '\t'; break;
      case 'r': sOut += '\r'; break;
      case 'n': sOut += '\n'; break;
      default: sOut += s[i];
    }
  }
  return sOut;
}

// Hands every line Quillo.dll wrote through Tarvik.dll to the simulation's support library, as
// if the add-in had written it there: the run prints and keeps it as its own.
class CAddinLogReader {
 public:
  CAddinLogReader(std::filesystem::path path, std::shared_ptr<SimSession> pSession)
      : m_path(std::move(path)), m_wSession(pSession) {}
  void Collect() {
    auto pSession = m_wSession.lock();
    if (!pSession || m_bBusy) return;
    m_bBusy = true;
    std::ifstream in(m_path, std::ios::binary);
    if (in) {
      in.seekg(static_cast<std::streamoff>(m_nRead));
      std::string sLine;
      while (std::getline(in, sLine)) {
        if (in.eof()) break;  // a line still being written: next time
        m_nRead += sLine.size() + 1;
        if (!sLine.empty() && sLine.back() == '\r') sLine.pop_back();
        Deliver(*pSession, sLine);
      }
    }
    m_bBusy = false;
  }

 private:
  static void Deliver(SimSession& oSession, const std::string& sLine) {
    std::vector<std::string> vecFields;
    for (size_t nPos = 0;;) {
      size_t nTab = sLine.find('\t', nPos);
      vecFields.push_back(sLine.substr(nPos, nTab == std::string::npos ? std::string::npos : nTab - nPos));
      if (nTab == std::string::npos) break;
      nPos = nTab + 1;
    }
    if (vecFields.size() != 7 || vecFields[0] != "LogMsg") return;
    int32_t nKind = 0, nLevel = 0, nError = 0;
    host::IgnoreErrors([&] {
      nKind = std::stoi(vecFields[2]);
      nLevel = std::stoi(vecFields[3]);
      nError = std::stoi(vecFields[4]);
    });
    oSession.Outlook().Support().TarvikLogMsg(0, Unescaped(vecFields[6]), nError, Unescaped(vecFields[5]),
                                              nKind, nLevel);
  }

  std::filesystem::path m_path;
  std::weak_ptr<SimSession> m_wSession;
  size_t m_nRead = 0;
  bool m_bBusy = false;
};

// The program's output: before each new line, the add-in's lines written meanwhile.
class CCollectingBuf : public std::streambuf {
 public:
  CCollectingBuf(std::streambuf* pTarget, std::function<void()> fnCollect)
      : m_pTarget(pTarget), m_fnCollect(std::move(fnCollect)) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    BeforeWrite();
    m_bLineStart = traits_type::to_char_type(c) == '\n';
    return m_pTarget->sputc(traits_type::to_char_type(c));
  }
  std::streamsize xsputn(const char* p, std::streamsize n) override {
    if (n <= 0) return 0;
    BeforeWrite();
    m_bLineStart = p[n - 1] == '\n';
    return m_pTarget->sputn(p, n);
  }
  int sync() override { return m_pTarget->pubsync(); }

 private:
  void BeforeWrite() {
    if (!m_bLineStart || m_bInside) return;
    m_bInside = true;
    m_fnCollect();
    m_bInside = false;
  }
  std::streambuf* m_pTarget;
  std::function<void()> m_fnCollect;
  bool m_bLineStart = true;
  bool m_bInside = false;
};

// The DLL beside the program, registered for this run where its class is not registered yet.
class CRegisteredForRun {
 public:
  CRegisteredForRun(const char* sDll, const char* sProgId) : m_sDll(sDll) {
    CLSID clsid{};
    if (SUCCEEDED(CLSIDFromProgID(com::Wide(sProgId).c_str(), &clsid))) return;
    HRESULT hr = Call("DllRegisterServer");
    if (FAILED(hr))
      host::Raise(hr, std::string(sDll) + " cannot be registered (" + com::DescriptionOfHResult(hr) + ")");
    m_bRegistered = true;
  }
  ~CRegisteredForRun() {
    if (m_bRegistered) Call("DllUnregisterServer");
  }
  CRegisteredForRun(const CRegisteredForRun&) = delete;
  CRegisteredForRun& operator=(const CRegisteredForRun&) = delete;

 private:
  HRESULT Call(const char* sExport) const {
    std::wstring sPath = com::ModulePath(GetModuleHandleW(nullptr));
    sPath = sPath.substr(0, sPath.find_last_of(L"\\/") + 1) + com::Wide(m_sDll);
    HMODULE h = LoadLibraryW(sPath.c_str());
    if (!h) return HRESULT_FROM_WIN32(GetLastError());
    auto fn =
        reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(h, sExport)));
    HRESULT hr = fn ? fn() : E_FAIL;
    FreeLibrary(h);
    return hr;
  }
  std::string m_sDll;
  bool m_bRegistered = false;
};

HRESULT CanUnloadNow(const wchar_t* sDll) {
  HMODULE h = GetModuleHandleW(sDll);
  if (!h) return S_OK;
  auto fn = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(h, "DllCanUnloadNow")));
  return fn ? fn() : S_OK;
}

class CComRun : public ComRun {
 public:
  explicit CComRun(std::shared_ptr<SimSession> pSession) : m_pSession(pSession) {
    com::EnsureComInitialized();
    com::ExportProgramLoop();
    com::simserver::RegisterOutlookServers();
    com::simserver::RegisterOfficeServers();
    com::simserver::RegisterRedemptionServers();
    std::string sWhy = com::simserver::RegisterRedemptionClasses();
    if (!sWhy.empty()) host::Raise(host::err::CantCreateObject, "Redemption: " + sWhy);
    m_oAddin = std::make_unique<CRegisteredForRun>("Quillo.dll", addin_registration::kProgId);
    m_oSearch = std::make_unique<CRegisteredForRun>(com::advsearch::kDllName, host::kAdvSearchProgId);
    // The add-in's lines, in a file of this run's own.
    m_pathLog = std::filesystem::temp_directory_path() /
                ("quillo-sim-com-" + std::to_string(GetCurrentProcessId()) + ".log");
    std::filesystem::remove(m_pathLog);
    SetEnvironmentVariableA("TARVIK_LOG", m_pathLog.string().c_str());
    auto pReader = std::make_shared<CAddinLogReader>(m_pathLog, pSession);
    m_pBuf = std::make_unique<CCollectingBuf>(std::cout.rdbuf(), [pReader] { pReader->Collect(); });
    m_pOldBuf = std::cout.rdbuf(m_pBuf.get());
    pSession->fnCollectAddinLines = [pReader] { pReader->Collect(); };
    pSession->fnCreateAddIn = [] { return com::addin::CreateAddinByProgId(addin_registration::kProgId); };
    m_nLiveBefore = com::LiveObjects();
  }
  ~CComRun() override {
    std::cout.flush();
    if (m_pOldBuf) std::cout.rdbuf(m_pOldBuf);
    m_pSession->fnCollectAddinLines = nullptr;
    m_oSearch.reset();
    m_oAddin.reset();
    com::simserver::UnregisterRedemptionClasses();
    SetEnvironmentVariableA("TARVIK_LOG", nullptr);
    std::error_code ec;
    std::filesystem::remove(m_pathLog, ec);
  }

  // After the whole run: nothing of Outlook is still held across the boundary.
  bool CheckBalance(std::ostream& out) {
    m_pSession->ReleaseAddIn();
    long nLeft = com::LiveObjects() - m_nLiveBefore;
    bool bOk = true;
    if (nLeft > 0) {
      out << "COM: " << nLeft << " object(s) of the simulated Outlook still held after the run\n";
      bOk = false;
    }
    if (CanUnloadNow(L"Quillo.dll") != S_OK) {
      out << "COM: Quillo.dll still holds objects after the run\n";
      bOk = false;
    }
    return bOk;
  }

 private:
  std::shared_ptr<SimSession> m_pSession;
  std::unique_ptr<CRegisteredForRun> m_oAddin, m_oSearch;
  std::filesystem::path m_pathLog;
  std::unique_ptr<CCollectingBuf> m_pBuf;
  std::streambuf* m_pOldBuf = nullptr;
  long m_nLiveBefore = 0;
};

#endif

constexpr const char* kInsideDll = "not available with --com: ";

// The add-in's button of one kind in one of its four places, found in the simulated bars (the
// add-in's own objects are inside the DLL): the last one added, as the add-in's own look-up.
std::shared_ptr<sim::ControlNode> FindAddinButton(SimSession& oSession, int n, const std::string& sSet,
                                                  const std::string& sButton) {
  static const std::pair<const char*, const char*> kCaptions[] = {
      {"to", "TO"},
      {"cc", "CC"},
      {"bcc", "BCC"},
      {"newdl", "New Disribution List"},
      {"existingdl", "Existing Distribution List"},
      {"options", "Quillo Options"}};
  auto Plain = [](const std::string& s) {
    std::string sOut;
    for (char c : s)
      if (c != '&') sOut += c;
    return sOut;
  };
  auto pExplorer = std::dynamic_pointer_cast<sim::ExplorerObj>(oSession.Outlook().ExplorerAt(n));
  if (!pExplorer || !pExplorer->Bars())
    throw UsageError{"explorer " + std::to_string(n) + " has no command bars"};
  const auto& oBars = *pExplorer->Bars();
  std::string sCaption;
  if (sButton != "cached") {
    for (const auto& [sName, sText] : kCaptions)
      if (host::EqualsNoCase(sButton, sName)) sCaption = sText;
    if (sCaption.empty())
      throw UsageError{"unknown button '" + sButton + "' (cached, to, cc, bcc, newdl, existingdl, options)"};
  }
  // The add-in's popup in a bar: the control captioned "Quillo" (" " on its toolbar).
  std::shared_ptr<sim::ControlNode> pFound;
  auto InPopup = [&](const std::shared_ptr<sim::ControlNode>& pPopup) {
    if (!pPopup || !pPopup->pSubBar) return;
    for (const auto& p : pPopup->pSubBar->vecControls)
      if (!p->bDeleted && p->nType == host::msoControlButton &&
          host::EqualsNoCase(Plain(p->sCaption), sCaption))
        pFound = p;
  };
  auto AddinPopupOf = [&](const sim::BarObj& oBar, const char* sPopup) {
    for (const auto& p : oBar.vecControls)
      if (!p->bDeleted && p->nType == host::msoControlPopup && Plain(p->sCaption) == sPopup) InPopup(p);
  };
  if (sSet == "toolbar") {
    auto pBar = oBars.BarNamed("Quillo");
    if (pBar && sButton == "cached") {
      for (const auto& p : pBar->vecControls)
        if (!p->bDeleted && p->nType == host::msoControlButton) pFound = p;
    } else if (pBar) {
      AddinPopupOf(*pBar, " ");
    }
  } else if (sSet == "actions") {
    if (auto pBar = oBars.BarNamed("Menu Bar"))
      for (const auto& p : pBar->vecControls)
        if (p->nType == host::msoControlPopup && p->pSubBar) AddinPopupOf(*p->pSubBar, "Quillo");
  } else if (sSet == "context" || sSet == "folder") {
    if (auto pBar = oBars.BarNamed(sSet == "context" ? "Context Menu" : "Folder Context Menu"))
      AddinPopupOf(*pBar, "Quillo");
  } else {
    throw UsageError{"unknown set '" + sSet + "' (toolbar, actions, context, folder)"};
  }
  if (!pFound)
    throw UsageError{"explorer " + std::to_string(n) + " has no '" + sButton + "' button in its " + sSet +
                     " set"};
  return pFound;
}

// The stored settings are the registry's, shared with the DLL; the dialog is inside it.
void RunOptionsOverCom(const CommandHandler& fnEarlier, CommandContext& ctx, const Args& a) {
  if (a.empty()) return fnEarlier(ctx, a);
  ctx.out << "  " << kInsideDll << "the Options dialog is a real window inside Quillo.dll\n";
}

// Outlook's side only: what the add-in tracks is inside the DLL.
void RunShowOverCom(SimSession& oSession, const CommandHandler& fnEarlier, CommandContext& ctx,
                    const Args& a) {
  if (a.size() != 1 || a[0] != "explorers") return fnEarlier(ctx, a);
  auto& oOutlook = oSession.Outlook();
  std::shared_ptr<host::Explorer> oActive;
  host::IgnoreErrors([&] { oActive = oOutlook.Application()->ActiveExplorer(); });
  ctx.out << "Explorers: " << oOutlook.ExplorerCount()
          << "; add-in: " << (oSession.Started() && oOutlook.AddInConnected() ? "connected" : "not connected")
          << " (Quillo.dll)\n";
  for (int i = 1; i <= oOutlook.ExplorerCount(); ++i) {
    auto oExplorer = oOutlook.ExplorerAt(i);
    std::string sPath = "(none)";
    host::IgnoreErrors([&] { sPath = oOutlook.PathOf(oExplorer->CurrentFolder()); });
    ctx.out << "  " << i << "  " << sPath << (oExplorer == oActive ? "  [active]" : "") << "\n";
  }
}

void RunClickOverCom(SimSession& oSession, const Args& a) {
  NeedArgs(a, 3, 3);
  const int n = oSession.ExplorerNumber(a[0]);
  auto pNode = FindAddinButton(oSession, n, a[1], a[2]);
  oSession.Out() << "  click \"" << (pNode->sCaption.empty() ? pNode->sTooltip : pNode->sCaption) << "\"\n";
  int32_t nReports = oSession.Outlook().Support().ProblemReports();
  oSession.Outlook().Click(pNode->AsControl());
  if (oSession.Outlook().Support().ProblemReports() != nReports)
    oSession.Out() << "  support library: problem report\n";
}

}  // namespace

std::unique_ptr<ComRun> PrepareComRun(std::shared_ptr<SimSession> pSession, std::ostream& errOut) {
#if defined(_WIN32)
  try {
    return std::make_unique<CComRun>(std::move(pSession));
  } catch (const std::exception& e) {
    errOut << "quillo-sim: --com: " << e.what() << "\n";
    return nullptr;
  }
#else
  (void)pSession;
  errOut << "quillo-sim: --com needs the Windows build (quillo-sim.exe): it loads Quillo.dll through COM\n";
  return nullptr;
#endif
}

bool CheckComBalance(ComRun& oRun, std::ostream& out) {
#if defined(_WIN32)
  return static_cast<CComRun&>(oRun).CheckBalance(out);
#else
  (void)oRun;
  (void)out;
  return true;
#endif
}

void RegisterComCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  const std::pair<const char*, const char*> kInsideOnly[] = {
      {"gather", "the recipient gathering is called inside Quillo.dll (click a button instead)"},
      {"progress", "the progress window is inside Quillo.dll"},
      {"at", "the add-in's forms are real windows inside Quillo.dll"},
      {"trackers", "the add-in's mail trackers are inside Quillo.dll"},
      {"folder-items", "the chooser's item lists are inside Quillo.dll"},
      {"resolve", "the add-in's resolution is inside Quillo.dll"},
      {"item", "the add-in's item helpers are inside Quillo.dll"},
      {"search", "the add-in's search client is inside Quillo.dll"}};
  for (const auto& [sName, sWhy] : kInsideOnly)
    oTable.Replace(sName,
                   [sWhy = std::string(sWhy)](const CommandHandler&, CommandContext& ctx, const Args&) {
                     ctx.out << "  " << kInsideDll << sWhy << "\n";
                   });
  oTable.Replace("options", RunOptionsOverCom);
  oTable.Replace("show", [pSession](const CommandHandler& fnEarlier, CommandContext& ctx, const Args& a) {
    RunShowOverCom(*pSession, fnEarlier, ctx, a);
  });
  oTable.Replace("click", [pSession](const CommandHandler&, CommandContext&, const Args& a) {
    RunClickOverCom(*pSession, a);
  });
}

}  // namespace app
