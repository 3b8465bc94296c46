#include "chooser/frmChooseDL.h"

// The place of the choose-list dialog until it lands: no dialog, so no choice.
std::shared_ptr<host::DistListItem> ShowChooseDList() {
  return nullptr;
}
