// Pictures of real windows, for tests and for quillo-sim.exe --screenshots: what a shown window
// displays, its frame and its controls, as pixels or as a PNG file.
#pragma once

#include <string>

#include "platform/Forms.h"

namespace platform::win32 {

// Paints the window and its children now, then copies its pixels. Throws host::Error when the
// window is not shown or cannot be read.
Picture CaptureWindow(WindowHandle hWnd);
// CaptureWindow written to a PNG file; throws host::Error with the reason when it fails.
void SaveWindowPng(WindowHandle hWnd, const std::string& sPath);

}  // namespace platform::win32
