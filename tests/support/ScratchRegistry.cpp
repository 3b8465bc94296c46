#include "support/ScratchRegistry.h"

#ifndef _WIN32
#include "platform/Registry.h"
#include "platform/portable/SqliteRegistry.h"

namespace testsupport {

void InstallScratchRegistry() {
  platform::SetRegistry(platform::portable::SqliteRegistry::OpenMemory());
}
void RemoveScratchRegistry() {
  platform::SetRegistry(nullptr);
}

}  // namespace testsupport
#endif
