#include "ProgressCommands.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "feedback/frmProgress.h"
#include "host/Error.h"
#include "host/Text.h"
#include "platform/Controls.h"
#include "platform/Ui.h"
#include "platform/portable/FormsPortable.h"
#ifdef _WIN32
#include "platform/win32/FormsWin32.h"
#include "platform/win32/Screenshot.h"
#endif

namespace app {
namespace {

// The window GetForegroundWindow gives in the simulation: Outlook's, where the user clicked.
constexpr platform::WindowHandle kOutlookWindow = 0x0F00;

int ParseCount(const std::string& s, const std::string& sWhat) {
  int n = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc() || p != s.data() + s.size() || n < 0)
    throw UsageError{sWhat + " must be a number of 0 or more, not '" + s + "'"};
  return n;
}

// What happens when a form is shown: printed, and saved as a picture when asked for.
struct ShownForms {
  std::weak_ptr<SimSession> wSession;  // the run owns the session, not this process-wide record
  std::string sScreenshotDir;
  int nShots = 0;
  host::Connection connShown;

  // The user sees a form once the pump has run: print it then, so that what the code set right
  // after Show (a stage text) is in the picture too.
  void OnShown(platform::Form& oForm) {
    std::weak_ptr<void> wAlive = oForm.Alive();
    platform::Form* pForm = &oForm;
    platform::Loop().Post([this, wAlive, pForm] {
      auto pSession = wSession.lock();
      if (!pSession || !wAlive.lock() || !pForm->IsLoaded() || !pForm->Visible()) return;
      std::ostream& out = pSession->Out();
      std::string sForm = platform::DescribeForm(*pForm);
      // Its controls one step further in than the form.
      for (size_t n = sForm.find("\n  "); n != std::string::npos; n = sForm.find("\n  ", n + 3))
        sForm.insert(n + 1, "  ");
      out << "  form shown: " << sForm;
      if (!sScreenshotDir.empty()) Screenshot(*pForm, out);
    });
  }

  void Screenshot([[maybe_unused]] platform::Form& oForm, [[maybe_unused]] std::ostream& out) {
#ifdef _WIN32
    char sNumber[8];
    std::snprintf(sNumber, sizeof sNumber, "%02d", ++nShots);
    const std::string sPath =
        (std::filesystem::path(sScreenshotDir) / (std::string(sNumber) + "-" + oForm.Name() + ".png"))
            .string();
    try {
      platform::win32::SaveWindowPng(oForm.hWnd(), sPath);
      out << "  screenshot: " << sPath << "\n";
    } catch (const std::exception& e) {
      out << "  screenshot failed: " << e.what() << "\n";
    }
#endif
  }
};

ShownForms& TheShownForms() {
  static ShownForms oShown;
  return oShown;
}

// --- The progress window as the add-in's commands drive it ---------------------------------------

int VisibleStage(frmProgress& f) {
  if (f.lblProgress1.Visible()) return 1;
  if (f.lblProgress2.Visible()) return 2;
  if (f.lblProgress3.Visible()) return 3;
  return 0;
}

void PrintProgress(std::ostream& out, frmProgress& f) {
  const int nStage = VisibleStage(f);
  platform::Label* aLabels[3] = {&f.lblProgress1, &f.lblProgress2, &f.lblProgress3};
  out << "  progress: \"" << f.Caption() << "\" | stage " << (nStage ? std::to_string(nStage) : "none")
      << " | " << (nStage ? aLabels[nStage - 1]->Caption() : "") << " | bar " << f.barProgress.Value()
      << " of " << f.barProgress.Max() << "\n";
}

// Stages 1 to nStages of nSteps each, in the order and with the calls of the commands: the
// gathering shows the window and then initialises stage 1; resolving and adding initialise
// their stage, show the window and let the pump run; after every step the command asks
// IsCancelled; the end, a cancel or an error closes the window.
void RunDemo(SimSession& oSession, int nSteps, int nStages) {
  std::ostream& out = oSession.Out();
  frmProgress& f = *g_frmProgress;
  bool bCancelled = false;
  auto fnRunSteps = [&](int nStage) {
    for (int i = 1; i <= nSteps && !bCancelled; ++i) {
      f.ProgressStep();
      PrintProgress(out, f);
      if (f.IsCancelled()) {
        out << "  the command sees the cancel after step " << i << " of stage " << nStage << "\n";
        bCancelled = true;
      }
    }
  };
  f.ProgressDone();  // every command starts without an old window
  f.Show(platform::vbModeless);
  f.ProgressInit(nSteps, 1);
  PrintProgress(out, f);
  fnRunSteps(1);
  for (int nStage = 2; nStage <= nStages && !bCancelled; ++nStage) {
    f.ProgressInit(nSteps, nStage);
    f.Show(platform::vbModeless);
    platform::DoEvents();
    PrintProgress(out, f);
    fnRunSteps(nStage);
  }
  f.ProgressDone();
  platform::DoEvents();
  out << "  progress window " << (f.IsLoaded() ? "still loaded" : "closed")
      << (bCancelled ? ": cancelled" : ": done") << "\n";
}

// --- Scripted user actions at a stage and step ------------------------------------------------------

struct ProgressAction {
  int nStage = 0;
  int nStep = 0;
  std::string sControl;  // empty: the close box
};

struct ProgressScript : std::enable_shared_from_this<ProgressScript> {
  std::shared_ptr<SimSession> pSession;
  std::vector<ProgressAction> vecActions;  // one-shot, first match first
  bool bCheckPosted = false;
  host::Connection connChanged;

  // After a change of the window, once the code that made it lets the pump run (the DoEvents
  // of ProgressInit and ProgressStep), where a real click would arrive too.
  void OnChanged(platform::Control& oControl) {
    if (vecActions.empty() || bCheckPosted || !g_frmProgress.IsCreated()) return;
    if (&oControl.Parent() != &g_frmProgress.Get()) return;
    bCheckPosted = true;
    platform::Loop().Post([wSelf = weak_from_this()] {
      if (auto pSelf = wSelf.lock()) pSelf->Check();
    });
  }

  void Check() {
    bCheckPosted = false;
    frmProgress& f = *g_frmProgress;
    if (!f.IsLoaded()) return;
    const int nStage = VisibleStage(f), nStep = f.barProgress.Value();
    for (auto it = vecActions.begin(); it != vecActions.end(); ++it) {
      if (it->nStage != nStage || it->nStep != nStep) continue;
      ProgressAction oAction = *it;
      vecActions.erase(it);
      std::ostream& out = pSession->Out();
      auto& oDriver = platform::Forms().Driver();
      if (oAction.sControl.empty()) {
        out << "  user: the close box of the progress window (stage " << nStage << ", step " << nStep
            << ")\n";
        oDriver.CloseBox(f);
        out << "  progress window " << (oDriver.IsShown(f) ? "still shown" : "gone") << "\n";
      } else if (platform::Control* pControl = ControlNamed(f, oAction.sControl)) {
        out << "  user: clicks " << oAction.sControl << " (stage " << nStage << ", step " << nStep << ")\n";
        oDriver.Click(*pControl);
      }
      return;
    }
  }
};

}  // namespace

platform::Control* ControlNamed(platform::Form& oForm, const std::string& sWhich) {
  for (platform::Control* p : oForm.Controls())
    if (host::EqualsNoCase(p->Name(), sWhich) ||
        (!platform::ControlText(*p).empty() && host::EqualsNoCase(platform::ControlText(*p), sWhich)))
      return p;
  return nullptr;
}

bool ProgressWindowOpen() {
  return g_frmProgress.IsCreated() && g_frmProgress->IsLoaded() && g_frmProgress->Visible();
}

ProgressEcho::ProgressEcho(SimSession& oSession) : m_oSession(oSession), m_bWasOpen(ProgressWindowOpen()) {
  m_cnChanged =
      platform::Forms().OnControlChanged.Connect([this](platform::Control& oControl, platform::Prop) {
        if (g_frmProgress.IsCreated() && &oControl.Parent() == &g_frmProgress.Get()) Update();
      });
}

ProgressEcho::~ProgressEcho() = default;

// A stage is printed when it shows; between two stages no label shows for a moment, which is
// no close: the window closes when it is unloaded or hidden.
void ProgressEcho::Update() {
  const bool bOpen = ProgressWindowOpen();
  if (!bOpen) {
    if (m_bWasOpen) m_oSession.Out() << "  progress window closed\n";
    m_bWasOpen = false;
    m_nLastStage = 0;
    return;
  }
  m_bWasOpen = true;
  const int nStage = VisibleStage(*g_frmProgress);
  if (nStage == 0 || nStage == m_nLastStage) return;
  m_nLastStage = nStage;
  PrintProgress(m_oSession.Out(), *g_frmProgress);
}

void ScreenshotForm(platform::Form& oForm, std::ostream& out) {
  ShownForms& oShown = TheShownForms();
  if (!oShown.sScreenshotDir.empty() && oForm.IsLoaded() && oForm.Visible()) oShown.Screenshot(oForm, out);
}

bool InstallSimForms(std::shared_ptr<SimSession> pSession, const std::string& sScreenshotDir,
                     std::ostream& errOut) {
  bool bResult = true;
  auto fnPortable = [] { platform::portable::InstallPortableForms()->SetForegroundWindow(kOutlookWindow); };
  ShownForms& oShown = TheShownForms();
  oShown.wSession = pSession;
  oShown.sScreenshotDir.clear();
  if (sScreenshotDir.empty()) {
    fnPortable();
  } else {
#ifdef _WIN32
    try {
      std::filesystem::create_directories(sScreenshotDir);
      auto pForms = platform::win32::InstallWin32Forms();
      oShown.sScreenshotDir = sScreenshotDir;
      // No user sits at a simulation's windows: a modal form that waits for one is closed by its
      // close box (after its picture was taken), as the portable backend does.
      pForms->fnOnModalIdle = [wSession = std::weak_ptr<SimSession>(pSession)](platform::Form& oForm) {
        if (auto p = wSession.lock())
          p->Out() << "  no user action for the modal form " << oForm.Name() << ": its close box\n";
        platform::Forms().Driver().CloseBox(oForm);
        if (oForm.IsLoaded() && oForm.Visible())
          host::Raise(host::err::InvalidProcedureCall,
                      "The modal form " + oForm.Name() + " refused its close box");
        return true;
      };
    } catch (const std::exception& e) {
      errOut << "quillo-sim: --screenshots " << sScreenshotDir << ": " << e.what() << "\n";
      fnPortable();
      bResult = false;
    }
#else
    errOut << "quillo-sim: --screenshots needs the Windows build (quillo-sim.exe): this build shows no real "
              "windows\n";
    fnPortable();
    bResult = false;
#endif
  }
  oShown.connShown =
      platform::Forms().OnFormShown.Connect([](platform::Form& oForm) { TheShownForms().OnShown(oForm); });
  return bResult;
}

namespace {

void RunProgress(SimSession& oSession, const Args& a) {
  if (a.size() >= 2 && a.size() <= 3 && a[0] == "demo") {
    const int nSteps = ParseCount(a[1], "STEPS");
    const int nStages = a.size() == 3 ? ParseCount(a[2], "STAGES") : 3;
    if (nStages < 1 || nStages > 3) throw UsageError{"STAGES must be 1, 2 or 3"};
    try {
      RunDemo(oSession, nSteps, nStages);
    } catch (const host::Error& e) {
      throw UsageError{"the progress window failed: " + e.Description()};
    }
  } else if (a.size() == 1 && a[0] == "show") {
    if (!g_frmProgress.IsCreated() || !g_frmProgress->IsLoaded())
      oSession.Out() << "  progress window not loaded\n";
    else
      oSession.Out() << "  " << platform::DescribeForm(*g_frmProgress);
  } else {
    ThrowUsage();
  }
}

void RunAtProgress(ProgressScript& oScript, const Args& a) {
  const bool bClick = a.size() == 7 && a[5] == "click";
  const bool bClose = a.size() == 6 && a[5] == "close";
  if (!(bClick || bClose) || a[1] != "stage" || a[3] != "step") ThrowUsage(a[0]);
  ProgressAction oAction{ParseCount(a[2], "N"), ParseCount(a[4], "M"), bClick ? a[6] : ""};
  if (oAction.nStage < 1 || oAction.nStage > 3) throw UsageError{"the stage N must be 1, 2 or 3"};
  frmProgress& f = *g_frmProgress;
  if (bClick && !ControlNamed(f, oAction.sControl))
    throw UsageError{"the progress window has no control '" + oAction.sControl + "'"};
  if (!oScript.connChanged.connected())
    oScript.connChanged = platform::Forms().OnControlChanged.Connect(
        [wScript = oScript.weak_from_this()](platform::Control& oControl, platform::Prop) {
          if (auto p = wScript.lock()) p->OnChanged(oControl);
        });
  oScript.vecActions.push_back(oAction);
}

}  // namespace

void RegisterProgressCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  auto pScript = std::make_shared<ProgressScript>();
  pScript->pSession = pSession;
  oTable.Add(
      {"progress", "demo STEPS [STAGES] | show",
       "runs the progress window through stages 1 (gathering) to STAGES (default 3: resolving, adding) "
       "of STEPS steps, as the add-in's commands do; 'show' prints the window",
       On(pSession, RunProgress)});
  oTable.AddForms({"progress"},
                  {"at", "progress stage N step M click CONTROL|close",
                   "when the progress window reaches stage N with M steps done, the user clicks "
                   "CONTROL (Cancel) or its close box (once)",
                   On(pScript, RunAtProgress)});
}

}  // namespace app
