// Puts the Win32 backends in place for the process: the message loop and message boxes of the
// calling (UI) thread, the support library bound from Tarvik.dll, and the add-in's module
// instance handle that goes with every call into it. For quillo-sim.exe and the Windows tests.
#pragma once

namespace platform::win32 {

// Throws host::Error when the loop's window cannot be created.
void InstallWin32Services();

}  // namespace platform::win32
