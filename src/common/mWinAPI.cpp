#include "common/mWinAPI.h"

#include <map>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace mWinAPI {
namespace {

WindowLongApi DefaultApi() {
  WindowLongApi o;
#if defined(_WIN32)
  o.GetWindowLongA = [](platform::WindowHandle hWnd, int32_t nIndex) -> int32_t {
    return ::GetWindowLongA(reinterpret_cast<HWND>(hWnd), nIndex);
  };
  o.SetWindowLongA = [](platform::WindowHandle hWnd, int32_t nIndex, int32_t nValue) -> int32_t {
    return ::SetWindowLongA(reinterpret_cast<HWND>(hWnd), nIndex, nValue);
  };
#else
  // Without windows: the values a window would keep, by window and index.
  auto pValues = std::make_shared<std::map<std::pair<platform::WindowHandle, int32_t>, int32_t> >();
  o.GetWindowLongA = [pValues](platform::WindowHandle hWnd, int32_t nIndex) -> int32_t {
    auto it = pValues->find({hWnd, nIndex});
    return it == pValues->end() ? 0 : it->second;
  };
  o.SetWindowLongA = [pValues](platform::WindowHandle hWnd, int32_t nIndex, int32_t nValue) -> int32_t {
    return std::exchange((*pValues)[{hWnd, nIndex}], nValue);
  };
#endif
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
