// The simulation's Jet (Items.Restrict) and DASL (AdvancedSearch) parsers on any text: a filter
// or Outlook's refusal, never a crash or a stack overflow, and a parsed filter can be applied to
// every item of the demo profile. The first byte picks the dialect.
#include "FuzzInput.h"
#include "host/Error.h"
#include "sim/DaslFilter.h"
#include "sim/JetFilter.h"
#include "sim/Model.h"
#include "sim/Profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  static sim::Model* s_pModel = new sim::Model(*sim::DemoProfile());
  FuzzInput in(pData, nSize);
  const bool bJet = (in.Byte() & 1) != 0;
  const std::string sFilter = in.Rest();
  try {
    for (sim::FolderData* pFolder : s_pModel->AllFolders()) {
      for (const sim::ItemPtr& pItem : pFolder->vecItems) {
        if (bJet)
          (void)sim::JetFilter(sFilter).Matches(*s_pModel, *pItem);
        else
          (void)sim::DaslFilter(sFilter).Matches(*s_pModel, *pItem);
      }
      break;  // one folder's items are enough to apply the filter; parsing dominates
    }
  } catch (const host::Error&) {
    // Outlook's refusal of a filter it cannot read.
  }
  return 0;
}
