// The profile loader on any text: a profile or a ProfileError that names the file and the
// problem; any other exception is a fault.
#include <cstdlib>

#include "sim/Profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  try {
    (void)sim::LoadProfileFromText(std::string(reinterpret_cast<const char*>(pData), nSize), "fuzz.json");
  } catch (const sim::ProfileError& e) {
    if (e.sFile != "fuzz.json" || e.sPlace.empty() || e.sProblem.empty()) std::abort();
  }
  return 0;
}
