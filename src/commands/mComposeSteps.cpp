#include "commands/mComposeSteps.h"

#include "chooser/frmChooseDL.h"
#include "common/mGlobals.h"
#include "feedback/frmProgress.h"
#include "platform/Ui.h"

namespace mComposeSteps {

bool GatherAndResolve(ERecipientsFrom eFrom, CRecipients& oRecipients, bool bAddDistLists,
                      bool& bUseProgressWND) {
  bUseProgressWND = false;
  if (!mQuillo::GetQuilloRecipients(eFrom, oRecipients, bAddDistLists, bUseProgressWND)) return false;
  bool bHasCanceled = false;
  if (oRecipients.Resolve(bUseProgressWND, bHasCanceled)) return true;
  // After a cancel the resolution has closed the window already, and the user needs no box.
  if (!bHasCanceled) {
    if (bUseProgressWND) g_frmProgress->ProgressDone();
    platform::MsgBox(kNoAddresses, platform::vbOKOnly, mGlobals::kAppTitle);
  }
  return false;
}

void BeginAdding(int32_t nCount, bool bUseProgressWND) {
  if (!bUseProgressWND) return;
  g_frmProgress->ProgressInit(nCount, 3);
  g_frmProgress->Show(platform::vbModeless);
  platform::DoEvents();
}

void ForEachResolved(int32_t nCount, bool bUseProgressWND, const std::function<void(int32_t)>& fnAdd) {
  for (int32_t i = 1; i <= nCount; ++i) {
    fnAdd(i);
    if (bUseProgressWND) {
      g_frmProgress->ProgressStep();
      if (g_frmProgress->IsCancelled()) break;
    }
  }
}

void EndProgress(bool bUseProgressWND) {
  if (!bUseProgressWND) return;
  g_frmProgress->ProgressDone();
  platform::DoEvents();
}

ChooseDListFn& ChooseDList() {
  static ChooseDListFn s_fnChoose = &ShowChooseDList;
  return s_fnChoose;
}

void CloseProgressQuietly(bool bUseProgressWND) noexcept {
  host::IgnoreErrors([&] {
    if (bUseProgressWND) g_frmProgress->ProgressDone();
  });
}

}  // namespace mComposeSteps
