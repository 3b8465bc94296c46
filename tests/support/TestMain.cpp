#include <gtest/gtest.h>

#include <memory>

#include "platform/Clipboard.h"
#if defined(_WIN32)
#include "platform/win32/Win32Clipboard.h"
#else
#include "platform/portable/ClipboardModel.h"
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The clipboard of the platform, as quillo-sim has it, unless a test installs its own.
#if defined(_WIN32)
  platform::SetClipboard(std::make_shared<platform::win32::Win32Clipboard>());
#else
  platform::SetClipboard(std::make_shared<platform::portable::ClipboardModel>());
#endif
  return RUN_ALL_TESTS();
}
