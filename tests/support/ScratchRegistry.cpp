#include "support/ScratchRegistry.h"

#ifndef _WIN32
#include "platform/Registry.h"
#include "platform/portable/SqliteRegistry.h"

namespace testsupport {

void InstallScratchRegistry() {
  platform::reg::SetRegistry(platform::portable::SqliteRegistry::OpenMemory());
}
void RemoveScratchRegistry() {
  platform::reg::SetRegistry(nullptr);
}

}  // namespace testsupport
#endif
