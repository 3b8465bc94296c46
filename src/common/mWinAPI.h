// Window styles of native windows, changed after the window exists (a tree view's lines at the
// root, for one). The two user32 calls go through a table: the real ones on Windows; elsewhere an
// in-memory store of window values stands in for them, so the routine runs the same everywhere.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Forms.h"

namespace mWinAPI {

constexpr int32_t kGwlStyle = -16;
constexpr int32_t kGwlExStyle = -20;

struct WindowLongApi {
  std::function<int32_t(platform::WindowHandle, int32_t)> GetWindowLongA;
  // Returns the previous value.
  std::function<int32_t(platform::WindowHandle, int32_t, int32_t)> SetWindowLongA;
};

const WindowLongApi& Api();
WindowLongApi SetApi(WindowLongApi oApi);

// Clears nRemove, sets nAdd in the window's style (extended style with bExtended) and writes it
// back only when it changed; True when it changed. Errors are not trapped.
bool ChangeWindowStyle(platform::WindowHandle hWnd, int32_t nAdd, int32_t nRemove, bool bExtended = false);

}  // namespace mWinAPI
