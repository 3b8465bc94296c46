// sprintf with any format and any arguments (dates of any double among them): it answers with a
// text and never crashes, whatever Visual Basic would refuse.
#include "FuzzInput.h"
#include "common/mGlobals.h"
#include "host/Variant.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  FuzzInput in(pData, nSize);
  std::vector<host::Variant> vecArgs;
  const int nArgs = in.Byte() % 5;
  for (int i = 0; i < nArgs; ++i) {
    switch (in.Byte() % 8) {
      case 0: vecArgs.emplace_back(in.Text(16)); break;
      case 1: vecArgs.emplace_back(in.Long()); break;
      case 2: vecArgs.emplace_back(in.Double()); break;
      case 3: vecArgs.push_back(host::Variant::Date(in.Double())); break;
      case 4: vecArgs.emplace_back(static_cast<int16_t>(in.Long())); break;
      case 5: vecArgs.emplace_back((in.Byte() & 1) != 0); break;
      case 6: vecArgs.push_back(host::Variant::Null()); break;
      default: vecArgs.emplace_back(); break;
    }
  }
  (void)mGlobals::sprintf(in.Rest(), vecArgs);
  return 0;
}
