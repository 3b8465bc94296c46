// The progress window: a small modeless window with a bar, one stage text and a Cancel button,
// shown while a command works through many items. One instance serves the whole add-in
// (g_frmProgress, created on first use); a command loads it with ProgressInit, steps it, polls
// IsCancelled and always ends with ProgressDone, the only way the window closes.
#pragma once

#include <cstdint>
#include <string>

#include "common/CAutoNew.h"
#include "host/Event.h"
#include "platform/Controls.h"

class frmProgress : public platform::Form {
 public:
  frmProgress();

  // Prepares the bar and the labels for stage nStage (1 reading items, 2 resolving, 3 adding
  // recipients) of nCount steps; the bar restarts at 0. Never raises an error.
  void ProgressInit(int32_t nCount, int32_t nStage);
  // One step done; pending window messages run here (the Cancel button among them).
  void ProgressStep();
  // Whether the user's cancel was accepted; False again once the window has been unloaded.
  bool IsCancelled();
  // Closes and unloads the window.
  void ProgressDone();

  platform::Image Image1;
  platform::Label lblProgress1;
  platform::Label lblProgress2;
  platform::Label lblProgress3;
  platform::ProgressBar barProgress;
  platform::Button btnCancel;

 protected:
  void Form_Load() override;
  void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) override;

 private:
  void btnCancel_Click();
  // The three stage texts with the bar's value and maximum.
  void SetLabels();

  bool m_bCancelled = false;
  bool m_bCanClose = false;
  std::string m_sCaption;  // SetLabels' buffer
  host::Connection m_btnCancel_Click;
};

extern constinit CAutoNew<frmProgress> g_frmProgress;
