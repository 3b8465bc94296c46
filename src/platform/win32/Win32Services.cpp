#include "platform/win32/Win32Services.h"

#include <memory>

#include "host/Tarvik.h"
#include "platform/Ui.h"
#include "platform/win32/Module.h"
#include "platform/win32/TarvikBinding.h"
#include "platform/win32/Win32Boxes.h"
#include "platform/win32/Win32Loop.h"

namespace platform::win32 {

void InstallWin32Services() {
  auto pLoop = std::make_shared<Win32Loop>();  // first: the only step that can fail
  SetLoop(std::move(pLoop));
  SetBoxes(std::make_shared<Win32Boxes>());
  host::SetAddinModuleHandle(ThisModule());
  host::BindTarvik(std::make_shared<TarvikBinding>());
}

}  // namespace platform::win32
