// What the add-in reaches besides Outlook, installed once for a benchmark process: the virtual
// message loop, message boxes that answer Yes to the add-in's warnings, the portable forms, a
// registry in memory, and the search component and the add-in registered by their ProgIDs.
#pragma once

#include <memory>

#include "addin/Connect.h"
#include "advsearch/QuilloAdvSearch.h"
#include "platform/Registry.h"
#include "platform/portable/FormsPortable.h"
#include "platform/portable/ScriptedBoxes.h"
#include "platform/portable/SqliteRegistry.h"
#include "platform/portable/VirtualLoop.h"

namespace bench {

inline void InstallServices() {
  static bool s_bDone = false;
  if (s_bDone) return;
  s_bDone = true;
  platform::SetLoop(std::make_shared<platform::portable::VirtualLoop>());
  platform::SetBoxes(std::make_shared<platform::portable::ScriptedBoxes>());
  platform::portable::InstallPortableForms();
  platform::reg::SetRegistry(platform::portable::SqliteRegistry::OpenMemory());
  RegisterQuilloAdvSearch();
  RegisterQuilloAddin();
}

}  // namespace bench
