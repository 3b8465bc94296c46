// Owners of Win32 handles: each frees its handle exactly once, when it goes or is given
// another, and cannot be copied (a copy would free twice). The few kinds the forms and the
// screenshots use, plus the guards that undo a temporary state of a device context.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <utility>

namespace platform::win32 {

template <class T, void (*Free)(T)>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T h) : m_h(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : m_h(std::exchange(o.m_h, T{})) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  T get() const { return m_h; }
  explicit operator bool() const { return m_h != T{}; }
  // Gives the handle up without freeing it.
  T release() { return std::exchange(m_h, T{}); }
  void reset(T h = T{}) {
    if (T hOld = std::exchange(m_h, h)) Free(hOld);
  }

 private:
  T m_h{};
};

namespace detail {
inline void DestroyWindowHandle(HWND h) {
  DestroyWindow(h);
}
inline void DestroyIconHandle(HICON h) {
  DestroyIcon(h);
}
template <class T>
void DeleteGdiObject(T h) {
  DeleteObject(h);
}
inline void DeleteMemoryDc(HDC h) {
  DeleteDC(h);
}
inline void DestroyImageList(HIMAGELIST h) {
  ImageList_Destroy(h);
}
}  // namespace detail

using unique_hwnd = UniqueHandle<HWND, &detail::DestroyWindowHandle>;
using unique_hicon = UniqueHandle<HICON, &detail::DestroyIconHandle>;
using unique_hbitmap = UniqueHandle<HBITMAP, &detail::DeleteGdiObject<HBITMAP>>;
using unique_hpen = UniqueHandle<HPEN, &detail::DeleteGdiObject<HPEN>>;
// A device context of CreateCompatibleDC.
using unique_memory_dc = UniqueHandle<HDC, &detail::DeleteMemoryDc>;
using unique_himagelist = UniqueHandle<HIMAGELIST, &detail::DestroyImageList>;

// A window's device context (GetDC or, for the whole window with its frame, GetWindowDC),
// released to its window at the end.
class WindowDc {
 public:
  explicit WindowDc(HWND hWnd, bool bWholeWindow = false)
      : m_hWnd(hWnd), m_hdc(bWholeWindow ? GetWindowDC(hWnd) : GetDC(hWnd)) {}
  ~WindowDc() {
    if (m_hdc) ReleaseDC(m_hWnd, m_hdc);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return m_hdc; }

 private:
  HWND m_hWnd;
  HDC m_hdc;
};

// A GDI object selected into a device context for a scope; the previous one comes back.
class SelectedObject {
 public:
  SelectedObject(HDC hdc, HGDIOBJ hObject) : m_hdc(hdc), m_hOld(SelectObject(hdc, hObject)) {}
  ~SelectedObject() {
    if (m_hOld) SelectObject(m_hdc, m_hOld);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC m_hdc;
  HGDIOBJ m_hOld;
};

// A window class registered for as long as the module is loaded: the first Register does it,
// and the class goes again when the module unloads (the static owner's destructor runs then).
class ModuleWindowClass {
 public:
  // Registers the class once per module; false (with the last error set) when that failed.
  static bool Register(const WNDCLASSEXA& oClass);

  ModuleWindowClass(ATOM nAtom, HINSTANCE hInstance) : m_nAtom(nAtom), m_hInstance(hInstance) {}
  ~ModuleWindowClass();
  ModuleWindowClass(const ModuleWindowClass&) = delete;
  ModuleWindowClass& operator=(const ModuleWindowClass&) = delete;

 private:
  ATOM m_nAtom;
  HINSTANCE m_hInstance;
};

}  // namespace platform::win32
