// The number of the host::Error a call raises, for tests of Visual-Basic-style error numbers.
#pragma once

#include <cstdint>
#include <functional>

#include "host/Error.h"

namespace testsupport {

// -1 when fn raises nothing.
inline int32_t ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const host::Error& e) {
    return e.Number();
  }
  return -1;
}

}  // namespace testsupport
