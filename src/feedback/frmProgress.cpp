#include "feedback/frmProgress.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "common/mGlobals.h"
#include "platform/Ui.h"
#include "settings/COptions.h"

constinit CAutoNew<frmProgress> g_frmProgress;

namespace {

// The stage texts, missing blank after "Please wait." included: each stage's own beginning and
// the counter all three end with, formatted once for the three labels on every step.
constexpr const char* kStageText[3] = {
    "Please wait.Extracting recipients from selected items ",
    "Please wait.Resolving recipients ",
    "Please wait.Adding recipients ",
};
constexpr const char* kStageCounter = "[%d of %d] ...";

// The window's 32 x 32 picture: a letter with a blue frame and flap, on a transparent ground.
platform::PicturePtr ProgressPicture() {
  constexpr uint32_t kPaper = 0xFFFFFFFFu, kInk = 0xFF2B579Au, kShade = 0xFFD6E0F0u;
  auto pPicture = std::make_shared<platform::Picture>(32, 32, 0u);
  const int nLeft = 2, nRight = 29, nTop = 7, nBottom = 25;
  for (int y = nTop; y <= nBottom; ++y)
    for (int x = nLeft; x <= nRight; ++x) {
      const bool bEdge = x == nLeft || x == nRight || y == nTop || y == nBottom;
      // The flap: two lines from the top corners meeting in the middle.
      const int nFlap = nTop + std::min(x - nLeft, nRight - x) * 9 / 14;
      pPicture->At(x, y) = bEdge || y == nFlap ? kInk : y < nFlap ? kShade : kPaper;
    }
  return pPicture;
}

}  // namespace

frmProgress::frmProgress()
    : Form("frmProgress", "Quillo Progress", 6300, 1590),
      Image1(*this, "Image1", {240, 360, 480, 480}, ProgressPicture()),
      lblProgress1(*this, "lblProgress1", {960, 240, 4935, 255}, "<stage1>"),
      lblProgress2(*this, "lblProgress2", {960, 240, 4935, 255}, "  <stage2>"),
      lblProgress3(*this, "lblProgress3", {960, 240, 4935, 255}, "  <stage3>"),
      barProgress(*this, "barProgress", {960, 600, 5055, 255}),
      btnCancel(*this, "btnCancel", {2483, 1080, 1335, 375}, "Cancel") {
  // The labels lie on top of each other; ProgressInit shows the one of its stage.
  lblProgress1.SetVisible(false);
  lblProgress2.SetVisible(false);
  lblProgress3.SetVisible(false);
  m_btnCancel_Click = btnCancel.Click.Connect([this] { btnCancel_Click(); });
}

void frmProgress::Form_Load() {
  host::IgnoreErrors(
      [&] { SetIcon(platform::LoadPictureFile(host::Deref(g_oOptions->MAIN_ICON()).FileBytes())); });
  // Owned by the window the user has just used (Outlook's): it stays above that window and is
  // no top-level window of its own.
  host::IgnoreErrors([&] { SetOwner(platform::Forms().ForegroundWindow()); });
  m_bCancelled = false;
  m_bCanClose = false;
}

void frmProgress::Form_QueryUnload(int16_t& Cancel, int16_t) {
  // The close box, Alt+F4 and a plain Unload all end here; only ProgressDone lets it close.
  if (!m_bCanClose) Cancel = 1;
}

void frmProgress::SetLabels() {
  platform::Label* aLabels[3] = {&lblProgress1, &lblProgress2, &lblProgress3};
  int32_t nValue = 0, nMax = 0;
  bool bCounter = false;
  host::IgnoreErrors([&] {
    nValue = barProgress.Value();
    nMax = barProgress.Max();
    bCounter = true;
  });
  // A bar that cannot be read leaves every caption as it was.
  if (!bCounter) return;
  // Captions change on every step: they are built in one buffer, without allocating.
  char szCounter[48];
  std::snprintf(szCounter, sizeof szCounter, kStageCounter, nValue, nMax);
  for (int i = 0; i < 3; ++i)
    host::IgnoreErrors([&] {
      m_sCaption.assign(kStageText[i]).append(szCounter);
      aLabels[i]->SetCaption(m_sCaption);
    });
}

void frmProgress::ProgressInit(int32_t nCount, int32_t nStage) {
  host::IgnoreErrors([&] { Load(); });
  host::IgnoreErrors([&] { barProgress.SetMin(0); });
  // A negative count is an empty stage: the bar must not keep the maximum of the last one.
  host::IgnoreErrors([&] { barProgress.SetMax(std::max(nCount, 0)); });
  host::IgnoreErrors([&] { barProgress.SetValue(0); });
  SetLabels();
  host::IgnoreErrors([&] { lblProgress1.SetVisible(nStage == 1); });
  host::IgnoreErrors([&] { lblProgress2.SetVisible(nStage == 2); });
  host::IgnoreErrors([&] { lblProgress3.SetVisible(nStage == 3); });
  if (nStage < 1 || nStage > 3)
    host::IgnoreErrors([&] {
      mGlobals::TraceError("frmProgress::ProgressInit", 0, "Invalid Stage = " + std::to_string(nStage));
    });
  host::IgnoreErrors([] { platform::DoEvents(); });
}

void frmProgress::ProgressStep() {
  host::IgnoreErrors([&] { Load(); });
  // Past the last step the bar stays full (its error is ignored).
  host::IgnoreErrors([&] { barProgress.SetValue(barProgress.Value() + 1); });
  SetLabels();
  host::IgnoreErrors([] { platform::DoEvents(); });
}

bool frmProgress::IsCancelled() {
  return IsLoaded() && m_bCancelled;
}

void frmProgress::ProgressDone() {
  host::IgnoreErrors([&] {
    m_bCanClose = true;
    Unload();
  });
}

void frmProgress::btnCancel_Click() {
  host::IgnoreErrors([&] {
    if (lblProgress3.Visible()) {
      // Stage 3 adds recipients: stopping leaves the mail or list half filled, so ask. A box
      // that cannot be shown counts as No: the work goes on and nothing is lost.
      int32_t nAnswer = platform::vbNo;
      host::IgnoreErrors([&] {
        nAnswer = platform::MsgBox("Not all recipients will be added. Do you want to continue?",
                                   platform::vbYesNo, mGlobals::kAppTitle);
      });
      if (nAnswer != platform::vbYes) return;
    }
    m_bCancelled = true;
  });
}
