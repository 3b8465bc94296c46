#include "platform/Ui.h"

#include <stdexcept>
#include <utility>

namespace platform {
namespace {
std::shared_ptr<MessageLoop> g_pLoop;
std::shared_ptr<MessageBoxes> g_pBoxes;
}  // namespace

MessageLoop& Loop() {
  if (!g_pLoop) throw std::logic_error("no message loop installed");
  return *g_pLoop;
}

std::shared_ptr<MessageLoop> SetLoop(std::shared_ptr<MessageLoop> pLoop) {
  return std::exchange(g_pLoop, std::move(pLoop));
}

MessageBoxes& Boxes() {
  if (!g_pBoxes) throw std::logic_error("no message box service installed");
  return *g_pBoxes;
}

std::shared_ptr<MessageBoxes> SetBoxes(std::shared_ptr<MessageBoxes> pBoxes) {
  return std::exchange(g_pBoxes, std::move(pBoxes));
}

}  // namespace platform
