// The e-mail address check on any text: an answer, never a crash, and the same answer twice.
#include <cstdlib>

#include "FuzzInput.h"
#include "recipients/mQuillo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  const std::string s(reinterpret_cast<const char*>(pData), nSize);
  const bool bFirst = mQuillo::isEmailAddress(s);
  if (bFirst != mQuillo::isEmailAddress(s)) std::abort();
  // An address has an "@"; a text without one is never taken for an address.
  if (bFirst && s.find('@') == std::string::npos) std::abort();
  return 0;
}
