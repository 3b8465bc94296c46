// The message pump of a COM server DLL. In Outlook the DLL pumps the thread's Win32 messages;
// a program that keeps its own loop on the thread (the simulation, with its virtual clock)
// exports it, and the DLL then pumps that loop instead, so the DLL's waits see the program's
// events and time. The exports are plain C functions: nothing of C++ crosses the modules.
#pragma once

#include <cstdint>

extern "C" {
// Return 0 on success, or the HRESULT / error number of the failure they trapped.
using QuilloLoopTask = int32_t (*)(void* pContext);
using QuilloHostLoop_DoEventsFn = int32_t (*)();
using QuilloHostLoop_SleepFn = int32_t (*)(uint32_t nMilliseconds);
using QuilloHostLoop_TickCountFn = uint64_t (*)();
// The loop calls fnTask(pContext) once; the caller owns pContext until then.
using QuilloHostLoop_PostFn = int32_t (*)(QuilloLoopTask fnTask, void* pContext, uint32_t nDelayMs);
// fnTick(pContext) on every tick; returns the timer's id (0 on failure).
using QuilloHostLoop_SetTimerFn = uint32_t (*)(uint32_t nIntervalMs, QuilloLoopTask fnTick, void* pContext);
using QuilloHostLoop_KillTimerFn = void (*)(uint32_t nId);
}

namespace com {

// In a DLL: installs the thread's loop for this module once (the program's when it exports
// one, the Win32 pump otherwise). Call it on the thread that creates the DLL's objects.
void InstallModuleLoop();

// In a program: makes its exports reachable (call once; it only keeps them linked in).
void ExportProgramLoop();

}  // namespace com
