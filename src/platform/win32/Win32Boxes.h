// Message boxes on Windows: MessageBoxA owned by the foreground window (when it is the
// process's own), text in ANSI. The Visual Basic button and icon constants are the MB_ flags,
// and the answers the ID values.
#pragma once

#include "platform/Ui.h"

namespace platform::win32 {

class Win32Boxes : public MessageBoxes {
 public:
  // Throws host::Error when Windows cannot show the box (no desktop, invalid style).
  int32_t Show(const std::string& sPrompt, int32_t nButtons, const std::string& sTitle) override;
};

}  // namespace platform::win32
