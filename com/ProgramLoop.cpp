// The program's loop, exported for the COM server DLLs it loads (see HostLoop.h).
#include <windows.h>

#include "com/HostLoop.h"
#include "host/Error.h"
#include "platform/Ui.h"

namespace {

template <class F>
int32_t Trap(F&& fn) noexcept {
  try {
    fn();
    return 0;
  } catch (...) {
    int32_t n = host::CurrentError().nNumber;
    return n ? n : static_cast<int32_t>(E_FAIL);
  }
}

}  // namespace

extern "C" {

__declspec(dllexport) int32_t QuilloHostLoop_DoEvents() {
  return Trap([] { platform::DoEvents(); });
}

__declspec(dllexport) int32_t QuilloHostLoop_Sleep(uint32_t nMilliseconds) {
  return Trap([&] { platform::Sleep(nMilliseconds); });
}

__declspec(dllexport) uint64_t QuilloHostLoop_TickCount() {
  uint64_t n = 0;
  Trap([&] { n = platform::Loop().TickCount(); });
  return n;
}

__declspec(dllexport) int32_t QuilloHostLoop_Post(QuilloLoopTask fnTask, void* pContext, uint32_t nDelayMs) {
  return Trap([&] {
    platform::Loop().Post(
        [fnTask, pContext] {
          int32_t n = fnTask(pContext);
          if (n != 0) throw host::Error(n, "a task of a component failed");
        },
        nDelayMs);
  });
}

__declspec(dllexport) uint32_t
    QuilloHostLoop_SetTimer(uint32_t nIntervalMs, QuilloLoopTask fnTick, void* pContext) {
  uint32_t nId = 0;
  Trap([&] {
    nId = platform::Loop().SetTimer(nIntervalMs, [fnTick, pContext] {
      int32_t n = fnTick(pContext);
      if (n != 0) throw host::Error(n, "a timer of a component failed");
    });
  });
  return nId;
}

__declspec(dllexport) void QuilloHostLoop_KillTimer(uint32_t nId) {
  Trap([&] { platform::Loop().KillTimer(nId); });
}

// No user sits at this program's windows: a DLL's modal form that waits for one is closed by its
// close box (see com/addin/AddinServices.h).
__declspec(dllexport) int32_t QuilloHostForms_NoUser() {
  return 1;
}

// The program's message boxes, for the add-in's DLL (see com/addin/AddinServices.h).
__declspec(dllexport) int32_t
    QuilloHostBoxes_Show(const char* sPrompt, int32_t nButtons, const char* sTitle, int32_t* pAnswer) {
  return Trap([&] {
    int32_t n = platform::MsgBox(sPrompt ? sPrompt : "", nButtons, sTitle ? sTitle : "");
    if (pAnswer) *pAnswer = n;
  });
}

}  // extern "C"

void com::ExportProgramLoop() {
  // Referencing one export keeps this file, and with it all of them, in the program.
  static volatile auto s_p = &QuilloHostLoop_DoEvents;
  (void)s_p;
}
