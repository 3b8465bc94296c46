// What the add-in needs around it inside Outlook's process, installed once when Outlook first
// creates the add-in: the thread's message loop, the Win32 registry, clipboard, windows and
// message boxes, the support library Tarvik.dll, and the COM bindings of Outlook, the command
// bars, Redemption and the search component behind host::CreateObject.
//
// A program that runs the add-in in a simulation (quillo-sim.exe --com) exports its loop (see
// HostLoop.h) and its message boxes (QuilloHostBoxes_Show below); the DLL then uses those, so the
// program's scripted answers and virtual clock reach the add-in. A program that exports
// QuilloHostForms_NoUser has no user at the add-in's windows: a modal form that waits for one is
// closed by its close box, as a user cancelling it would.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {
// Shows a box (UTF-8 texts, Visual Basic button constants); the answer goes to *pAnswer. Returns
// 0, or the error number of the failure it trapped.
using QuilloHostForms_NoUserFn = int32_t (*)();
using QuilloHostBoxes_ShowFn = int32_t (*)(const char* sPrompt, int32_t nButtons, const char* sTitle,
                                           int32_t* pAnswer);
}

namespace com::addin {

void InstallAddinServices(HMODULE hAddin);

}  // namespace com::addin
