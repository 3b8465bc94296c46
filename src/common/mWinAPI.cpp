#include "common/mWinAPI.h"

#include <utility>

#include "platform/WindowProc.h"

namespace mWinAPI {
namespace {

// GetWindowLongA / SetWindowLongA on Windows; the toolkit's portable controls keep their styles.
WindowLongApi DefaultApi() {
  WindowLongApi o;
  o.GetWindowLongA = [](platform::WindowHandle hWnd, int32_t nIndex) -> int32_t {
    return platform::GetWindowLongValue(hWnd, nIndex);
  };
  o.SetWindowLongA = [](platform::WindowHandle hWnd, int32_t nIndex, int32_t nValue) -> int32_t {
    return platform::SetWindowLongValue(hWnd, nIndex, nValue);
  };
  return o;
}

WindowLongApi& CurrentApi() {
  static WindowLongApi s_oApi = DefaultApi();
  return s_oApi;
}

}  // namespace

const WindowLongApi& Api() {
  return CurrentApi();
}

WindowLongApi SetApi(WindowLongApi oApi) {
  return std::exchange(CurrentApi(), std::move(oApi));
}

bool ChangeWindowStyle(platform::WindowHandle hWnd, int32_t nAdd, int32_t nRemove, bool bExtended) {
  const int32_t nIndex = bExtended ? kGwlExStyle : kGwlStyle;
  const int32_t nOld = Api().GetWindowLongA(hWnd, nIndex);
  const int32_t nNew = (nOld & ~nRemove) | nAdd;
  if (nNew == nOld) return false;
  Api().SetWindowLongA(hWnd, nIndex, nNew);
  return true;
}

}  // namespace mWinAPI
