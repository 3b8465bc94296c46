#include "platform/win32/FormsWin32.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>
// clang-format on

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/Error.h"
#include "host/ScopeExit.h"
#include "host/Text.h"
#include "platform/Controls.h"
#include "platform/Ui.h"
#include "platform/WindowProc.h"
#include "platform/win32/Bitmaps.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Module.h"

namespace platform::win32 {
namespace {

constexpr const char* kFormClass = "QuilloForm";
constexpr const char* kImageClass = "QuilloImage";
constexpr const char* kGridClass = "QuilloGrid";
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;

[[noreturn]] void RaiseLastError(const std::string& sWhat) {
  host::Raise(static_cast<int32_t>(HRESULT_FROM_WIN32(GetLastError())), sWhat);
}

HWND H(WindowHandle h) {
  return reinterpret_cast<HWND>(h);
}
WindowHandle W(HWND h) {
  return reinterpret_cast<WindowHandle>(h);
}
HINSTANCE Instance() {
  return reinterpret_cast<HINSTANCE>(ThisModule());
}

std::string WindowText(HWND hWnd) {
  int n = GetWindowTextLengthA(hWnd);
  std::string s(size_t(n > 0 ? n : 0) + 1, '\0');
  n = GetWindowTextA(hWnd, s.data(), static_cast<int>(s.size()));
  s.resize(size_t(n > 0 ? n : 0));
  return host::AnsiToUtf8(s);
}

void SetText(HWND hWnd, const std::string& sText) {
  SetWindowTextA(hWnd, host::Utf8ToAnsi(sText).c_str());
}

// A picture composed over a background colour, as 32-bit BGRA rows top-down for a DIB.
std::vector<uint32_t> Composed(const Picture& oPicture, COLORREF nBack) {
  std::vector<uint32_t> vec(oPicture.pixels.size());
  const uint32_t nR = GetRValue(nBack), nG = GetGValue(nBack), nB = GetBValue(nBack);
  for (size_t i = 0; i < vec.size(); ++i) {
    const uint32_t p = oPicture.pixels[i], a = p >> 24;
    auto mix = [a](uint32_t nFore, uint32_t nBackPart) {
      return (nFore * a + nBackPart * (255 - a) + 127) / 255;
    };
    vec[i] =
        0xFF000000u | mix((p >> 16) & 0xFF, nR) << 16 | mix((p >> 8) & 0xFF, nG) << 8 | mix(p & 0xFF, nB);
  }
  return vec;
}

// An icon with the picture's alpha channel; none for no picture.
unique_hicon MakeIcon(const PicturePtr& pPicture) {
  if (!pPicture || pPicture->nWidth <= 0 || pPicture->nHeight <= 0) return {};
  BITMAPINFO oInfo = TopDownInfo(pPicture->nWidth, pPicture->nHeight);
  void* pBits = nullptr;
  unique_hbitmap hColour(CreateDIBSection(nullptr, &oInfo, DIB_RGB_COLORS, &pBits, nullptr, 0));
  if (!hColour) return {};
  std::memcpy(pBits, pPicture->pixels.data(), pPicture->pixels.size() * 4);
  unique_hbitmap hMask(CreateBitmap(pPicture->nWidth, pPicture->nHeight, 1, 1, nullptr));
  ICONINFO oIcon{TRUE, 0, 0, hMask.get(), hColour.get()};
  return unique_hicon(CreateIconIndirect(&oIcon));
}

int16_t ShiftState() {
  int16_t n = 0;
  if (GetKeyState(VK_SHIFT) < 0) n |= vbShiftMask;
  if (GetKeyState(VK_CONTROL) < 0) n |= vbCtrlMask;
  if (GetKeyState(VK_MENU) < 0) n |= vbAltMask;
  return n;
}

bool FormShown(const Form& oForm) {
  return oForm.IsLoaded() && oForm.Visible();
}

// A picture drawn at its natural size, placed in a rectangle by a FlexGrid alignment (left,
// centre, right by thirds; top, centre, bottom within each) and clipped to it.
void DrawPicture(HDC hdc, const RECT& rc, const Picture& oPicture, int16_t nAlignment, COLORREF nBack) {
  const int nHorizontal = nAlignment / 3, nVertical = nAlignment % 3;
  const int nSpaceX = rc.right - rc.left - oPicture.nWidth, nSpaceY = rc.bottom - rc.top - oPicture.nHeight;
  const int x = rc.left + (nHorizontal == 0 ? 0 : nHorizontal == 1 ? nSpaceX / 2 : nSpaceX);
  const int y = rc.top + (nVertical == 0 ? 0 : nVertical == 1 ? nSpaceY / 2 : nSpaceY);
  std::vector<uint32_t> vecPixels = Composed(oPicture, nBack);
  BITMAPINFO oInfo = TopDownInfo(oPicture.nWidth, oPicture.nHeight);
  const int nSaved = SaveDC(hdc);
  IntersectClipRect(hdc, rc.left, rc.top, rc.right, rc.bottom);
  SetDIBitsToDevice(hdc, x, y, DWORD(oPicture.nWidth), DWORD(oPicture.nHeight), 0, 0, 0,
                    UINT(oPicture.nHeight), vecPixels.data(), &oInfo, DIB_RGB_COLORS);
  RestoreDC(hdc, nSaved);
}

// flexAlignGeneral: numbers to the right, everything else to the left.
int16_t TextAlignment(int16_t nAlignment, const std::string& sText) {
  if (nAlignment != flexAlignGeneral) return nAlignment;
  char* pEnd = nullptr;
  const bool bNumber = !sText.empty() && (std::strtod(sText.c_str(), &pEnd), pEnd && *pEnd == '\0');
  return bNumber ? flexAlignRightCenter : flexAlignLeftCenter;
}

UINT DrawTextFlags(int16_t nAlignment) {
  const int nHorizontal = nAlignment / 3, nVertical = nAlignment % 3;
  return DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS |
         (nHorizontal == 0   ? DT_LEFT
          : nHorizontal == 1 ? DT_CENTER
                             : DT_RIGHT) |
         (nVertical == 0   ? DT_TOP
          : nVertical == 1 ? DT_VCENTER
                           : DT_BOTTOM);
}

}  // namespace

// --- Backend state --------------------------------------------------------------------------------

struct Win32Forms::Impl {
  unique_hwnd m_hHiddenOwner;
  int m_nDpiX = 96;
  int m_nDpiY = 96;
  std::unique_ptr<FormsDriver> m_pDriver;
};

class Win32FormPeer;

// --- Controls -------------------------------------------------------------------------------------

class Win32ControlPeer : public ControlPeer, public std::enable_shared_from_this<Win32ControlPeer> {
 public:
  Win32ControlPeer(Win32Forms& oBackend, Win32FormPeer& oFormPeer, Control& oControl)
      : m_oBackend(oBackend), m_oFormPeer(oFormPeer), m_oControl(oControl) {}
  ~Win32ControlPeer() override;
  Win32ControlPeer(const Win32ControlPeer&) = delete;
  Win32ControlPeer& operator=(const Win32ControlPeer&) = delete;

  void Create(HWND hParent);
  void Sync(Prop eProp) override;
  WindowHandle Handle() const override { return W(m_hWnd.get()); }
  void Focus() override {
    if (m_hWnd.get() && GetFocus() != m_hWnd.get()) ::SetFocus(m_hWnd.get());
  }
  // A notification the control sent its form (WM_COMMAND).
  void OnCommand(WORD nCode);
  // A notification of a common control (WM_NOTIFY).
  LRESULT OnNotify(const NMHDR& oHeader);
  // The window procedure of image controls.
  static LRESULT CALLBACK ImageProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
  // The window procedure of grids.
  static LRESULT CALLBACK GridProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
  // The tree item of a node; nullptr when the window has none.
  HTREEITEM TreeItem(int32_t nId) const {
    auto it = m_mapItems.find(nId);
    return it == m_mapItems.end() ? nullptr : it->second;
  }
  // The node of a tree item; 0 for none.
  int32_t NodeOf(HTREEITEM hItem) const;
  // Pixels of a grid cell in the client area; empty when it is not in view.
  RECT CellPixels(int32_t nRow, int32_t nCol) const;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR nRef);
  void Place();
  // Tree view: the whole tree anew, or the changes the tree reports.
  void BuildTree();
  void SyncTree();
  void InsertNode(const TreeNode& oNode);
  void LoadTreeImages();
  static int CALLBACK CompareNodes(LPARAM nA, LPARAM nB, LPARAM nSelf);
  // Grid: scroll bar and painting.
  void UpdateScrollBar();
  void PaintGrid(HDC hdc);
  LRESULT OnGridMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);

  Win32Forms& m_oBackend;
  Win32FormPeer& m_oFormPeer;
  Control& m_oControl;
  unique_hwnd m_hWnd;
  bool m_bSyncing = false;  // our own SetWindowText, not the user's typing
  // Tree view.
  unique_himagelist m_hImages;
  std::map<int32_t, HTREEITEM> m_mapItems;
  std::map<int32_t, size_t> m_mapSortPlace;  // during a sort: node -> place in its level
  POINT m_ptLastDown{};                      // where the last click began
  bool m_bClickSelected = false;             // the last click changed the selection
};

// --- Forms ----------------------------------------------------------------------------------------

class Win32FormPeer : public FormPeer, public std::enable_shared_from_this<Win32FormPeer> {
 public:
  Win32FormPeer(Win32Forms& oBackend, Form& oForm) : m_oBackend(oBackend), m_oForm(oForm) {}
  ~Win32FormPeer() override {
    // Messages of the window's last moments find no peer.
    if (m_hWnd) SetWindowLongPtrA(m_hWnd.get(), GWLP_USERDATA, 0);
  }
  Win32FormPeer(const Win32FormPeer&) = delete;
  Win32FormPeer& operator=(const Win32FormPeer&) = delete;

  void Create() {
    RECT rc{0, 0, m_oBackend.PixelsX(m_oForm.ScaleWidth()), m_oBackend.PixelsY(m_oForm.ScaleHeight())};
    AdjustWindowRectEx(&rc, kFormStyle, FALSE, kFormExStyle);
    m_hWnd.reset(CreateWindowExA(kFormExStyle, kFormClass, host::Utf8ToAnsi(m_oForm.Caption()).c_str(),
                                 kFormStyle, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                                 H(m_oBackend.HiddenOwner()), nullptr, Instance(), this));
    if (!m_hWnd.get()) RaiseLastError("The window of the form " + m_oForm.Name() + " could not be created");
    // Keep the system menu to Move and Close, as a fixed dialog has it.
    if (HMENU hMenu = GetSystemMenu(m_hWnd.get(), FALSE)) {
      DeleteMenu(hMenu, SC_SIZE, MF_BYCOMMAND);
      DeleteMenu(hMenu, SC_MINIMIZE, MF_BYCOMMAND);
      DeleteMenu(hMenu, SC_MAXIMIZE, MF_BYCOMMAND);
      DeleteMenu(hMenu, SC_RESTORE, MF_BYCOMMAND);
    }
    Sync(Prop::Icon);
  }

  void Sync(Prop eProp) override {
    if (!m_hWnd.get()) return;
    switch (eProp) {
      case Prop::Caption: SetText(m_hWnd.get(), m_oForm.Caption()); break;
      case Prop::Icon: {
        unique_hicon hIcon = MakeIcon(m_oForm.Icon());
        SendMessageA(m_hWnd.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hIcon.get()));
        SendMessageA(m_hWnd.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon.get()));
        m_hIcon = std::move(hIcon);
        break;
      }
      case Prop::Owner: {
        // What SetWindowLongA(hWnd, GWL_HWNDPARENT, owner) does on 32-bit Windows. Without an
        // owner the hidden window takes the place, which keeps the form out of the task bar.
        HWND hOwner = m_oForm.Owner() ? H(m_oForm.Owner()) : H(m_oBackend.HiddenOwner());
        if (hOwner == m_hWnd.get() || !IsWindow(hOwner)) hOwner = H(m_oBackend.HiddenOwner());
        SetWindowLongPtrA(m_hWnd.get(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(hOwner));
        break;
      }
      default: break;
    }
  }

  std::shared_ptr<ControlPeer> CreateControl(Control& oControl) override {
    auto pPeer = std::make_shared<Win32ControlPeer>(m_oBackend, *this, oControl);
    pPeer->Create(m_hWnd.get());
    m_mapChildren[reinterpret_cast<HWND>(pPeer->Handle())] = pPeer.get();
    return pPeer;
  }

  void Forget(HWND hChild) { m_mapChildren.erase(hChild); }

  void Show() override {
    if (!m_bPlaced) {
      CentreOnOwner();
      m_bPlaced = true;
    }
    ShowWindow(m_hWnd.get(), SW_SHOW);
  }

  void Hide() override { ShowWindow(m_hWnd.get(), SW_HIDE); }

  void RunModal() override {
    auto pKeep = shared_from_this();
    // The owner takes no input while the form is up, as under a dialog box.
    HWND hOwner = GetWindow(m_hWnd.get(), GW_OWNER);
    const bool bDisable = hOwner && W(hOwner) != m_oBackend.HiddenOwner() && IsWindowEnabled(hOwner);
    if (bDisable) EnableWindow(hOwner, FALSE);
    host::ScopeExit oReenable([&] {
      if (bDisable && IsWindow(hOwner)) EnableWindow(hOwner, TRUE);
    });
    while (FormShown(m_oForm)) {
      MSG oMsg;
      while (FormShown(m_oForm) && PeekMessageA(&oMsg, nullptr, 0, 0, PM_REMOVE)) {
        if (oMsg.message == WM_QUIT) {
          PostQuitMessage(static_cast<int>(oMsg.wParam));  // for the outermost loop
          return;
        }
        TranslateMessage(&oMsg);
        DispatchMessageA(&oMsg);
      }
      // The work of the installed message loop (its posted tasks and timers).
      DoEvents();
      if (!FormShown(m_oForm)) break;
      if (m_oBackend.fnOnModalIdle && m_oBackend.fnOnModalIdle(m_oForm)) continue;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }

  WindowHandle Handle() const override { return W(m_hWnd.get()); }

 private:
  void CentreOnOwner() {
    RECT rcOwner{};
    HWND hOwner = GetWindow(m_hWnd.get(), GW_OWNER);
    if (!hOwner || W(hOwner) == m_oBackend.HiddenOwner() || !IsWindowVisible(hOwner) ||
        !GetWindowRect(hOwner, &rcOwner))
      SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcOwner, 0);
    RECT rc{};
    GetWindowRect(m_hWnd.get(), &rc);
    const int nW = rc.right - rc.left, nH = rc.bottom - rc.top;
    int x = rcOwner.left + (rcOwner.right - rcOwner.left - nW) / 2;
    int y = rcOwner.top + (rcOwner.bottom - rcOwner.top - nH) / 2;
    SetWindowPos(m_hWnd.get(), nullptr, x > 0 ? x : 0, y > 0 ? y : 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  static LRESULT CALLBACK WndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_NCCREATE) {
      auto* pCreate = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
    }
    auto* pSelf = reinterpret_cast<Win32FormPeer*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (!pSelf) return DefWindowProcA(hWnd, nMsg, wParam, lParam);
    // A handler may unload the form: the peer stays until this message is done.
    auto pKeep = pSelf->weak_from_this().lock();
    switch (nMsg) {
      case WM_COMMAND:
        if (lParam) {
          auto it = pSelf->m_mapChildren.find(reinterpret_cast<HWND>(lParam));
          if (it != pSelf->m_mapChildren.end()) {
            auto pChild = it->second->shared_from_this();
            pSelf->m_oBackend.Dispatch([&] { pChild->OnCommand(HIWORD(wParam)); });
          }
        }
        return 0;
      case WM_NOTIFY: {
        const auto* pHeader = reinterpret_cast<const NMHDR*>(lParam);
        auto it = pHeader ? pSelf->m_mapChildren.find(pHeader->hwndFrom) : pSelf->m_mapChildren.end();
        if (it == pSelf->m_mapChildren.end()) break;
        auto pChild = it->second->shared_from_this();
        LRESULT nResult = 0;
        pSelf->m_oBackend.Dispatch([&] { nResult = pChild->OnNotify(*pHeader); });
        return nResult;
      }
      case WM_CLOSE:
        // Every close request goes through QueryUnload, which may keep the window.
        pSelf->m_oBackend.Dispatch([&] { pSelf->m_oForm.RequestClose(vbFormControlMenu); });
        return 0;
      case WM_SETFOCUS:
        if (Control* pActive = pSelf->m_oForm.ActiveControl(); pActive && pActive->hWnd())
          ::SetFocus(H(pActive->hWnd()));
        return 0;
      case WM_NCDESTROY: SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0); break;
      default: break;
    }
    return DefWindowProcA(hWnd, nMsg, wParam, lParam);
  }

  friend class Win32Forms;
  Win32Forms& m_oBackend;
  Form& m_oForm;
  unique_hicon m_hIcon;  // goes after the window that shows it
  unique_hwnd m_hWnd;
  bool m_bPlaced = false;
  std::map<HWND, Win32ControlPeer*> m_mapChildren;

 public:
  static WNDPROC Proc() { return &WndProc; }
};

// --- Controls, continued --------------------------------------------------------------------------

Win32ControlPeer::~Win32ControlPeer() {
  if (!m_hWnd.get()) return;
  m_oFormPeer.Forget(m_hWnd.get());
  RemoveWindowSubclass(m_hWnd.get(), &SubclassProc, 1);
  SetWindowLongPtrA(m_hWnd.get(), GWLP_USERDATA, 0);
  // The window before the images it shows.
  m_hWnd.reset();
}

void Win32ControlPeer::Create(HWND hParent) {
  const char* sClass = "STATIC";
  DWORD nStyle = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD nExStyle = 0;
  std::string sText;
  switch (m_oControl.GetKind()) {
    case Control::Kind::Label:
      nStyle |= SS_LEFT;
      sText = static_cast<Label&>(m_oControl).Caption();
      break;
    case Control::Kind::Button: {
      auto& oButton = static_cast<Button&>(m_oControl);
      sClass = "BUTTON";
      nStyle |= WS_TABSTOP | (oButton.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      sText = oButton.Caption();
      break;
    }
    case Control::Kind::CheckBox:
      sClass = "BUTTON";
      nStyle |= WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE;
      sText = static_cast<CheckBox&>(m_oControl).Caption();
      break;
    case Control::Kind::Frame:
      sClass = "BUTTON";
      nStyle |= BS_GROUPBOX;
      sText = static_cast<Frame&>(m_oControl).Caption();
      break;
    case Control::Kind::TextBox:
      sClass = "EDIT";
      nStyle |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
      nExStyle |= WS_EX_CLIENTEDGE;
      sText = static_cast<TextBox&>(m_oControl).Text();
      break;
    case Control::Kind::Image: sClass = kImageClass; break;
    case Control::Kind::ProgressBar: sClass = PROGRESS_CLASSA; break;
    case Control::Kind::TreeView:
      sClass = WC_TREEVIEWA;
      nStyle |= WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS;
      nExStyle |= WS_EX_CLIENTEDGE;
      break;
    case Control::Kind::Grid:
      sClass = kGridClass;
      nStyle |= WS_TABSTOP | WS_VSCROLL;
      nExStyle |= WS_EX_CLIENTEDGE;
      break;
    default:
      host::Raise(host::err::NoSuchMember,
                  "The control " + m_oControl.Name() + " is of a kind that is not built yet");
  }
  if (m_oControl.ShownWithContainers()) nStyle |= WS_VISIBLE;
  if (!m_oControl.EnabledWithContainers()) nStyle |= WS_DISABLED;
  const TwipsRect rc = m_oControl.FormBounds();
  m_bSyncing = true;
  m_hWnd.reset(CreateWindowExA(nExStyle, sClass, host::Utf8ToAnsi(sText).c_str(), nStyle,
                               m_oBackend.PixelsX(rc.nLeft), m_oBackend.PixelsY(rc.nTop),
                               m_oBackend.PixelsX(rc.nWidth), m_oBackend.PixelsY(rc.nHeight), hParent,
                               nullptr, Instance(), nullptr));
  m_bSyncing = false;
  if (!m_hWnd.get())
    RaiseLastError("The window of the control " + m_oControl.Name() + " could not be created");
  SetWindowLongPtrA(m_hWnd.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SendMessageA(m_hWnd.get(), WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  SetWindowSubclass(m_hWnd.get(), &SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  // Children are painted over their frame: frames go to the bottom of the z-order. (Tab order
  // is the form's own, not the z-order.)
  SetWindowPos(m_hWnd.get(), m_oControl.GetKind() == Control::Kind::Frame ? HWND_BOTTOM : HWND_TOP, 0, 0, 0,
               0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (m_oControl.GetKind() == Control::Kind::ProgressBar) {
    Sync(Prop::Range);
    Sync(Prop::Value);
  }
  if (m_oControl.GetKind() == Control::Kind::CheckBox) Sync(Prop::Value);
  if (m_oControl.GetKind() == Control::Kind::TreeView) BuildTree();
  if (m_oControl.GetKind() == Control::Kind::Grid) Sync(Prop::Content);
}

void Win32ControlPeer::Place() {
  const TwipsRect rc = m_oControl.FormBounds();
  MoveWindow(m_hWnd.get(), m_oBackend.PixelsX(rc.nLeft), m_oBackend.PixelsY(rc.nTop),
             m_oBackend.PixelsX(rc.nWidth), m_oBackend.PixelsY(rc.nHeight), TRUE);
}

void Win32ControlPeer::Sync(Prop eProp) {
  if (!m_hWnd.get()) return;
  m_bSyncing = true;
  host::ScopeExit oSyncing([this] { m_bSyncing = false; });
  switch (eProp) {
    case Prop::Visible:
      ShowWindow(m_hWnd.get(), m_oControl.ShownWithContainers() ? SW_SHOWNA : SW_HIDE);
      break;
    case Prop::Enabled: EnableWindow(m_hWnd.get(), m_oControl.EnabledWithContainers()); break;
    case Prop::Bounds: Place(); break;
    case Prop::Caption:
    case Prop::Text: {
      const std::string sText = ControlText(m_oControl);
      if (WindowText(m_hWnd.get()) != sText) SetText(m_hWnd.get(), sText);
      break;
    }
    case Prop::Value:
      if (m_oControl.GetKind() == Control::Kind::ProgressBar)
        SendMessageA(m_hWnd.get(), PBM_SETPOS, static_cast<WPARAM>(ControlValue(m_oControl)), 0);
      else if (m_oControl.GetKind() == Control::Kind::CheckBox)
        SendMessageA(m_hWnd.get(), BM_SETCHECK, static_cast<WPARAM>(ControlValue(m_oControl)), 0);
      break;
    case Prop::Range:
      if (auto* pBar = dynamic_cast<ProgressBar*>(&m_oControl)) {
        SendMessageA(m_hWnd.get(), PBM_SETRANGE32, static_cast<WPARAM>(pBar->Min()),
                     static_cast<LPARAM>(pBar->Max()));
        SendMessageA(m_hWnd.get(), PBM_SETPOS, static_cast<WPARAM>(pBar->Value()), 0);
      }
      break;
    case Prop::Picture: InvalidateRect(m_hWnd.get(), nullptr, TRUE); break;
    case Prop::Role:
      if (auto* pButton = dynamic_cast<Button*>(&m_oControl))
        SendMessageA(m_hWnd.get(), BM_SETSTYLE, pButton->Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
      break;
    case Prop::Content:
      if (m_oControl.GetKind() == Control::Kind::TreeView) SyncTree();
      if (auto* pGrid = dynamic_cast<Grid*>(&m_oControl); pGrid && pGrid->Redraw()) {
        // With Redraw off nothing is shown until it is on again.
        UpdateScrollBar();
        InvalidateRect(m_hWnd.get(), nullptr, FALSE);
      }
      break;
    default: break;
  }
}

// --- Tree view ------------------------------------------------------------------------------------

int32_t Win32ControlPeer::NodeOf(HTREEITEM hItem) const {
  if (!hItem) return 0;
  TVITEMA oItem{};
  oItem.mask = TVIF_PARAM | TVIF_HANDLE;
  oItem.hItem = hItem;
  if (!SendMessageA(m_hWnd.get(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&oItem))) return 0;
  return static_cast<int32_t>(oItem.lParam);
}

void Win32ControlPeer::LoadTreeImages() {
  auto& oTree = static_cast<TreeView&>(m_oControl);
  ImageList* pImages = oTree.GetImageList();
  const int nHave = m_hImages.get() ? ImageList_GetImageCount(m_hImages.get()) : 0;
  if (!pImages || pImages->Count() <= nHave) return;
  if (!m_hImages.get()) {
    const PicturePtr pFirst = pImages->Item(1);
    m_hImages.reset(ImageList_Create(pFirst->nWidth, pFirst->nHeight, ILC_COLOR32, pImages->Count(), 4));
    if (!m_hImages.get()) return;
    SendMessageA(m_hWnd.get(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(m_hImages.get()));
  }
  int nWidth = 0, nHeight = 0;
  ImageList_GetIconSize(m_hImages.get(), &nWidth, &nHeight);
  for (int32_t n = nHave + 1; n <= pImages->Count(); ++n) {
    // Every picture takes one slot of the list's size, drawn over the tree's background.
    Picture oSlot(nWidth, nHeight, 0);
    const Picture& oPicture = *pImages->Item(n);
    for (int y = 0; y < std::min(nHeight, oPicture.nHeight); ++y)
      for (int x = 0; x < std::min(nWidth, oPicture.nWidth); ++x) oSlot.At(x, y) = oPicture.At(x, y);
    std::vector<uint32_t> vecPixels = Composed(oSlot, GetSysColor(COLOR_WINDOW));
    BITMAPINFO oInfo = TopDownInfo(nWidth, nHeight);
    void* pBits = nullptr;
    unique_hbitmap hBitmap(CreateDIBSection(nullptr, &oInfo, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!hBitmap) continue;
    std::memcpy(pBits, vecPixels.data(), vecPixels.size() * 4);
    ImageList_Add(m_hImages.get(), hBitmap.get(), nullptr);
  }
}

void Win32ControlPeer::InsertNode(const TreeNode& oNode) {
  auto& oTree = static_cast<TreeView&>(m_oControl);
  LoadTreeImages();
  const TreeNode* pParent = oTree.Node(oNode.sParent);
  HTREEITEM hParent = pParent ? TreeItem(pParent->nId) : TVI_ROOT;
  if (!hParent) return;
  // After the sibling that comes before it in the tree's order.
  HTREEITEM hAfter = TVI_FIRST;
  for (const TreeNode* p : oTree.Children(oNode.sParent)) {
    if (p->nId == oNode.nId) break;
    if (HTREEITEM h = TreeItem(p->nId)) hAfter = h;
  }
  std::string sText = host::Utf8ToAnsi(oNode.sText);
  const int nImage = oTree.GetImageList() ? oTree.GetImageList()->IndexOf(oNode.sImage) - 1 : -1;
  TVINSERTSTRUCTA oInsert{};
  oInsert.hParent = hParent;
  oInsert.hInsertAfter = hAfter;
  oInsert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  oInsert.item.pszText = sText.data();
  oInsert.item.lParam = oNode.nId;
  oInsert.item.iImage = oInsert.item.iSelectedImage = nImage >= 0 ? nImage : I_IMAGENONE;
  auto hItem = reinterpret_cast<HTREEITEM>(
      SendMessageA(m_hWnd.get(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&oInsert)));
  if (!hItem) return;
  m_mapItems[oNode.nId] = hItem;
  if (pParent && pParent->bExpanded)
    SendMessageA(m_hWnd.get(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(hParent));
}

void Win32ControlPeer::BuildTree() {
  auto& oTree = static_cast<TreeView&>(m_oControl);
  SendMessageA(m_hWnd.get(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  m_mapItems.clear();
  if (m_hImages) {
    SendMessageA(m_hWnd.get(), TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    m_hImages.reset();
  }
  // Parents before children, each level in the tree's order.
  std::vector<const TreeNode*> vecStack;
  for (const TreeNode* p : oTree.Children("")) vecStack.insert(vecStack.begin(), p);
  while (!vecStack.empty()) {
    const TreeNode* p = vecStack.back();
    vecStack.pop_back();
    InsertNode(*p);
    if (p->sKey.empty()) continue;
    auto vecChildren = oTree.Children(p->sKey);
    vecStack.insert(vecStack.end(), vecChildren.rbegin(), vecChildren.rend());
  }
  for (const auto& [nId, hItem] : m_mapItems)
    if (const TreeNode* p = oTree.NodeById(nId); p && p->bExpanded)
      SendMessageA(m_hWnd.get(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(hItem));
  if (const TreeNode* p = oTree.SelectedItem())
    SendMessageA(m_hWnd.get(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(TreeItem(p->nId)));
}

int CALLBACK Win32ControlPeer::CompareNodes(LPARAM nA, LPARAM nB, LPARAM nSelf) {
  const auto& mapPlace = reinterpret_cast<Win32ControlPeer*>(nSelf)->m_mapSortPlace;
  const auto a = mapPlace.find(int32_t(nA)), b = mapPlace.find(int32_t(nB));
  const size_t nPlaceA = a == mapPlace.end() ? 0 : a->second, nPlaceB = b == mapPlace.end() ? 0 : b->second;
  return nPlaceA < nPlaceB ? -1 : nPlaceA > nPlaceB ? 1 : 0;
}

void Win32ControlPeer::SyncTree() {
  auto& oTree = static_cast<TreeView&>(m_oControl);
  for (const TreeView::Change& oChange : oTree.PendingChanges()) {
    const TreeNode* pNode = oTree.NodeById(oChange.nId);
    switch (oChange.eKind) {
      case TreeView::Change::Added:
        if (pNode) InsertNode(*pNode);
        break;
      case TreeView::Change::Cleared:
      case TreeView::Change::Images: BuildTree(); break;
      case TreeView::Change::Reordered: {
        const std::string sParent = pNode ? pNode->sKey : std::string();
        m_mapSortPlace.clear();
        for (const TreeNode* p : oTree.Children(sParent)) m_mapSortPlace[p->nId] = m_mapSortPlace.size();
        TVSORTCB oSort{pNode ? TreeItem(pNode->nId) : TVI_ROOT, &CompareNodes,
                       reinterpret_cast<LPARAM>(this)};
        if (oSort.hParent)
          SendMessageA(m_hWnd.get(), TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&oSort));
        m_mapSortPlace.clear();
        break;
      }
      case TreeView::Change::Selected:
        SendMessageA(m_hWnd.get(), TVM_SELECTITEM, TVGN_CARET,
                     reinterpret_cast<LPARAM>(pNode ? TreeItem(pNode->nId) : nullptr));
        break;
      case TreeView::Change::Expanded:
        if (HTREEITEM hItem = pNode ? TreeItem(pNode->nId) : nullptr)
          SendMessageA(m_hWnd.get(), TVM_EXPAND, pNode->bExpanded ? TVE_EXPAND : TVE_COLLAPSE,
                       reinterpret_cast<LPARAM>(hItem));
        break;
    }
  }
}

LRESULT Win32ControlPeer::OnNotify(const NMHDR& oHeader) {
  auto* pTree = dynamic_cast<TreeView*>(&m_oControl);
  if (!pTree || m_bSyncing) return 0;
  switch (oHeader.code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: {
      const auto& oNotify = reinterpret_cast<const NMTREEVIEWA&>(oHeader);
      const auto nId = static_cast<int32_t>(oNotify.itemNew.lParam);
      if (oNotify.action == TVC_BYMOUSE) {
        m_bClickSelected = true;
        pTree->NativeClick(nId);
      } else if (oNotify.action == TVC_BYKEYBOARD) {
        pTree->NativeSelect(nId);
      }
      return 0;
    }
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW: {
      const auto& oNotify = reinterpret_cast<const NMTREEVIEWA&>(oHeader);
      pTree->NativeExpand(static_cast<int32_t>(oNotify.itemNew.lParam), (oNotify.action & TVE_EXPAND) != 0);
      return 0;
    }
    case NM_CLICK: {
      // A click on the node that was selected already changes nothing in the window, but it
      // is a click on a node all the same. (Some tree views report the click before they
      // change the selection, some after: the selection change reports the other case.)
      if (m_bClickSelected) return 0;
      TVHITTESTINFO oHit{};
      oHit.pt = m_ptLastDown;
      auto hItem = reinterpret_cast<HTREEITEM>(
          SendMessageA(m_hWnd.get(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&oHit)));
      auto hSelected =
          reinterpret_cast<HTREEITEM>(SendMessageA(m_hWnd.get(), TVM_GETNEXTITEM, TVGN_CARET, 0));
      if (hItem && hItem == hSelected && (oHit.flags & TVHT_ONITEM)) pTree->NativeClick(NodeOf(hItem));
      return 0;
    }
    default: return 0;
  }
}

// --- Grid -----------------------------------------------------------------------------------------

RECT Win32ControlPeer::CellPixels(int32_t nRow, int32_t nCol) const {
  const TwipsRect rc = static_cast<const Grid&>(m_oControl).CellRect(nRow, nCol);
  if (rc.nWidth <= 0 || rc.nHeight <= 0) return {};
  return {m_oBackend.PixelsX(rc.nLeft), m_oBackend.PixelsY(rc.nTop), m_oBackend.PixelsX(rc.nLeft + rc.nWidth),
          m_oBackend.PixelsY(rc.nTop + rc.nHeight)};
}

void Win32ControlPeer::UpdateScrollBar() {
  const auto& oGrid = static_cast<const Grid&>(m_oControl);
  // The thumb's positions are the rows that can be at the top; its size is a page of rows.
  const int nPage = std::max(1, (oGrid.ClientHeight() - oGrid.RowHeight(0)) / Grid::kDefaultRowHeight);
  SCROLLINFO oInfo{};
  oInfo.cbSize = sizeof(oInfo);
  oInfo.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  oInfo.nMin = oGrid.FixedRows();
  const int nMaxTop = oGrid.MaxTopRow();
  oInfo.nMax = nMaxTop > oGrid.FixedRows() ? nMaxTop + nPage - 1 : oGrid.FixedRows();
  oInfo.nPage = nMaxTop > oGrid.FixedRows() ? UINT(nPage) : 2u;
  oInfo.nPos = oGrid.TopRow();
  SetScrollInfo(m_hWnd.get(), SB_VERT, &oInfo, TRUE);
}

void Win32ControlPeer::PaintGrid(HDC hdc) {
  const auto& oGrid = static_cast<const Grid&>(m_oControl);
  RECT rcClient{};
  GetClientRect(m_hWnd.get(), &rcClient);
  FillRect(hdc, &rcClient, GetSysColorBrush(COLOR_WINDOW));
  SelectedObject oFont(hdc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(hdc, TRANSPARENT);
  unique_hpen hLine(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
  SelectedObject oPen(hdc, hLine.get());
  const bool bFocus = GetFocus() == m_hWnd.get();
  auto paintRow = [&](int32_t nRow) {
    for (int32_t nCol = 0; nCol < oGrid.Cols(); ++nCol) {
      const RECT rc = CellPixels(nRow, nCol);
      if (rc.right <= rc.left || rc.bottom <= rc.top) continue;
      const bool bFixed = nRow < oGrid.FixedRows();
      const bool bSelected = !bFixed && oGrid.IsSelected(nRow, nCol);
      const int nBack = bFixed ? COLOR_BTNFACE : bSelected ? COLOR_HIGHLIGHT : COLOR_WINDOW;
      FillRect(hdc, &rc, GetSysColorBrush(nBack));
      RECT rcInner{rc.left + 2, rc.top, rc.right - 2, rc.bottom - 1};
      if (const Grid::Cell* pCell = oGrid.CellAt(nRow, nCol)) {
        if (pCell->pPicture)
          DrawPicture(hdc, rcInner, *pCell->pPicture, pCell->nPictureAlignment, GetSysColor(nBack));
        if (!pCell->sText.empty()) {
          SetTextColor(hdc, GetSysColor(bSelected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
          std::string sText = host::Utf8ToAnsi(pCell->sText);
          DrawTextA(hdc, sText.c_str(), int(sText.size()), &rcInner,
                    DrawTextFlags(TextAlignment(oGrid.EffectiveAlignment(nRow, nCol), pCell->sText)));
        }
      }
      // Grid lines on the right and at the bottom of every cell.
      MoveToEx(hdc, rc.left, rc.bottom - 1, nullptr);
      LineTo(hdc, rc.right - 1, rc.bottom - 1);
      LineTo(hdc, rc.right - 1, rc.top - 1);
    }
  };
  if (oGrid.Rows() > 0) paintRow(0);
  for (int32_t r = oGrid.TopRow(); r <= oGrid.BottomRow(); ++r) paintRow(r);
  if (bFocus && oGrid.Row() >= oGrid.FixedRows()) {
    RECT rcFocus = CellPixels(oGrid.Row(), std::min(oGrid.Col(), oGrid.ColSel()));
    const RECT rcLast = CellPixels(oGrid.Row(), std::max(oGrid.Col(), oGrid.ColSel()));
    if (rcLast.right > rcFocus.right) rcFocus.right = rcLast.right;
    if (rcFocus.bottom > rcFocus.top && rcFocus.right > rcFocus.left) DrawFocusRect(hdc, &rcFocus);
  }
}

LRESULT Win32ControlPeer::OnGridMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) {
  auto& oGrid = static_cast<Grid&>(m_oControl);
  const float x = float(m_oBackend.TwipsX(GET_X_LPARAM(lParam)));
  const float y = float(m_oBackend.TwipsY(GET_Y_LPARAM(lParam)));
  switch (nMsg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(m_hWnd.get(), &ps);
      if (oGrid.Redraw()) PaintGrid(hdc);
      EndPaint(m_hWnd.get(), &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(m_hWnd.get(), nullptr, FALSE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (GetFocus() != m_hWnd.get()) ::SetFocus(m_hWnd.get());
      m_oBackend.Dispatch([&] {
        oGrid.NativeMouseDown(nMsg == WM_LBUTTONDOWN ? vbLeftButton : vbRightButton, ShiftState(), x, y);
      });
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      m_oBackend.Dispatch([&] {
        oGrid.NativeMouseUp(nMsg == WM_LBUTTONUP ? vbLeftButton : vbRightButton, ShiftState(), x, y);
      });
      return 0;
    case WM_LBUTTONDBLCLK: m_oBackend.Dispatch([&] { oGrid.NativeDblClick(); }); return 0;
    case WM_KEYDOWN: m_oBackend.Dispatch([&] { oGrid.NativeKey(static_cast<int16_t>(wParam)); }); return 0;
    case WM_VSCROLL: {
      int32_t nThumb = HIWORD(wParam);
      SCROLLINFO oInfo{};
      oInfo.cbSize = sizeof(oInfo);
      oInfo.fMask = SIF_RANGE | SIF_TRACKPOS;
      // The message has 16 bits of the thumb's place; a longer grid asks the scroll bar.
      if (GetScrollInfo(m_hWnd.get(), SB_VERT, &oInfo) && oInfo.nMax > 0xFFFF) nThumb = oInfo.nTrackPos;
      m_oBackend.Dispatch([&] { oGrid.NativeVScroll(static_cast<int16_t>(LOWORD(wParam)), nThumb); });
      return 0;
    }
    default: break;
  }
  // The wheel among the rest: the grid does not scroll by it itself.
  return DefWindowProcA(m_hWnd.get(), nMsg, wParam, lParam);
}

LRESULT CALLBACK Win32ControlPeer::GridProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  auto* pSelf = reinterpret_cast<Win32ControlPeer*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  if (!pSelf) return DefWindowProcA(hWnd, nMsg, wParam, lParam);
  auto pKeep = pSelf->weak_from_this().lock();
  return pSelf->OnGridMessage(nMsg, wParam, lParam);
}

void Win32ControlPeer::OnCommand(WORD nCode) {
  switch (m_oControl.GetKind()) {
    case Control::Kind::Button:
      if (nCode == BN_CLICKED) static_cast<Button&>(m_oControl).PerformClick();
      break;
    case Control::Kind::CheckBox:
      if (nCode == BN_CLICKED && !m_bSyncing)
        static_cast<CheckBox&>(m_oControl)
            .NativeValue(static_cast<int16_t>(SendMessageA(m_hWnd.get(), BM_GETCHECK, 0, 0)));
      break;
    case Control::Kind::TextBox:
      if (nCode == EN_CHANGE && !m_bSyncing)
        static_cast<TextBox&>(m_oControl).NativeText(WindowText(m_hWnd.get()));
      break;
    default: break;
  }
}

LRESULT CALLBACK Win32ControlPeer::SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR nRef) {
  auto* pSelf = reinterpret_cast<Win32ControlPeer*>(nRef);
  if (nMsg == WM_NCDESTROY) {
    RemoveWindowSubclass(hWnd, &SubclassProc, 1);
    return DefSubclassProc(hWnd, nMsg, wParam, lParam);
  }
  if (!pSelf || !GetWindowLongPtrA(hWnd, GWLP_USERDATA)) return DefSubclassProc(hWnd, nMsg, wParam, lParam);
  auto pKeep = pSelf->weak_from_this().lock();
  Control& oControl = pSelf->m_oControl;
  switch (nMsg) {
    case WM_KEYDOWN: {
      bool bUsed = false;
      pSelf->m_oBackend.Dispatch([&] {
        bUsed = oControl.Parent().RouteKeyDown(oControl, static_cast<int16_t>(wParam), ShiftState());
      });
      if (bUsed) return 0;
      break;
    }
    case WM_CHAR: {
      int16_t nAscii = 0;
      pSelf->m_oBackend.Dispatch(
          [&] { nAscii = oControl.Parent().RouteKeyPress(oControl, static_cast<int16_t>(wParam & 0xFF)); });
      if (nAscii == 0) return 0;
      return DefSubclassProc(hWnd, nMsg, static_cast<WPARAM>(static_cast<uint8_t>(nAscii)), lParam);
    }
    case WM_GETDLGCODE:
      // The form routes Enter, Esc and Tab itself; the control gets every key.
      return DefSubclassProc(hWnd, nMsg, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_SETFOCUS: oControl.Parent().NoteFocus(&oControl); break;
    case WM_ERASEBKGND:
      // A group box paints only its line and caption, and the form clips its children out of
      // its own background: the frame fills its inside itself.
      if (oControl.GetKind() == Control::Kind::Frame) {
        RECT rc{};
        GetClientRect(hWnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
      }
      break;
    case WM_LBUTTONDOWN:
      pSelf->m_ptLastDown = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      pSelf->m_bClickSelected = false;
      break;
    default: break;
  }
  return DefSubclassProc(hWnd, nMsg, wParam, lParam);
}

LRESULT CALLBACK Win32ControlPeer::ImageProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  if (nMsg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    RECT rc;
    GetClientRect(hWnd, &rc);
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    auto* pSelf = reinterpret_cast<Win32ControlPeer*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (auto* pImage = pSelf ? dynamic_cast<Image*>(&pSelf->m_oControl) : nullptr;
        pImage && pImage->Picture()) {
      // At its natural size from the top left corner, as an image control without Stretch.
      const Picture& oPicture = *pImage->Picture();
      std::vector<uint32_t> vecPixels = Composed(oPicture, GetSysColor(COLOR_BTNFACE));
      BITMAPINFO oInfo = TopDownInfo(oPicture.nWidth, oPicture.nHeight);
      SetDIBitsToDevice(hdc, 0, 0, DWORD(oPicture.nWidth), DWORD(oPicture.nHeight), 0, 0, 0,
                        UINT(oPicture.nHeight), vecPixels.data(), &oInfo, DIB_RGB_COLORS);
    }
    EndPaint(hWnd, &ps);
    return 0;
  }
  return DefWindowProcA(hWnd, nMsg, wParam, lParam);
}

// --- Driver ---------------------------------------------------------------------------------------

namespace {

class Win32Driver : public FormsDriver {
 public:
  explicit Win32Driver(Win32Forms& oBackend) : m_oBackend(oBackend) {}

  void Click(Control& c) override {
    HWND h = H(c.hWnd());
    if (!TakesInput(h)) return;
    if (c.GetKind() == Control::Kind::Button || c.GetKind() == Control::Kind::CheckBox)
      SendMessageA(h, BM_CLICK, 0, 0);
  }

  void CloseBox(Form& oForm) override {
    HWND h = H(oForm.hWnd());
    if (h && IsWindowVisible(h)) SendMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  }

  void PressKey(Control& c, int16_t nKeyCode) override {
    HWND h = H(c.hWnd());
    if (!TakesInput(h)) return;
    ::SetFocus(h);
    const WPARAM vk = static_cast<WPARAM>(nKeyCode);
    SendMessageA(h, WM_KEYDOWN, vk, 1);
    // The character TranslateMessage would make of the key.
    if (IsWindow(h) && (nKeyCode == vbKeyBack || nKeyCode == vbKeyTab || nKeyCode == vbKeyReturn ||
                        nKeyCode == vbKeyEscape || nKeyCode == vbKeySpace))
      SendMessageA(h, WM_CHAR, vk, 1);
    if (IsWindow(h)) SendMessageA(h, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
  }

  void Type(Control& c, const std::string& sText) override {
    HWND h = H(c.hWnd());
    if (!TakesInput(h)) return;
    ::SetFocus(h);
    if (c.GetKind() == Control::Kind::TextBox) {
      const int n = GetWindowTextLengthA(h);
      SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(n), static_cast<LPARAM>(n));
    }
    for (char ch : host::Utf8ToAnsi(sText)) {
      if (!IsWindow(h)) break;
      SendMessageA(h, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(ch)), 1);
    }
  }

  bool IsShown(const Form& oForm) override { return oForm.hWnd() && IsWindowVisible(H(oForm.hWnd())); }
  bool IsShown(const Control& c) override { return c.hWnd() && IsWindowVisible(H(c.hWnd())); }
  bool IsEnabled(const Control& c) override { return c.hWnd() && IsWindowEnabled(H(c.hWnd())); }
  std::string CaptionOf(const Form& oForm) override {
    return oForm.hWnd() ? WindowText(H(oForm.hWnd())) : "";
  }

  std::string TextOf(const Control& c) override {
    switch (c.GetKind()) {
      case Control::Kind::Label:
      case Control::Kind::Button:
      case Control::Kind::CheckBox:
      case Control::Kind::Frame:
      case Control::Kind::TextBox: return c.hWnd() ? WindowText(H(c.hWnd())) : "";
      default: return {};
    }
  }

  int32_t ValueOf(const Control& c) override {
    if (!c.hWnd()) return 0;
    if (c.GetKind() == Control::Kind::ProgressBar)
      return static_cast<int32_t>(SendMessageA(H(c.hWnd()), PBM_GETPOS, 0, 0));
    if (c.GetKind() == Control::Kind::CheckBox)
      return static_cast<int32_t>(SendMessageA(H(c.hWnd()), BM_GETCHECK, 0, 0));
    return 0;
  }

  TwipsRect ClientOf(const Form& oForm) override {
    RECT rc{};
    if (oForm.hWnd()) GetClientRect(H(oForm.hWnd()), &rc);
    return {0, 0, m_oBackend.TwipsX(rc.right - rc.left), m_oBackend.TwipsY(rc.bottom - rc.top)};
  }

  WindowHandle OwnerOf(const Form& oForm) override {
    HWND hOwner = oForm.hWnd() ? GetWindow(H(oForm.hWnd()), GW_OWNER) : nullptr;
    return W(hOwner) == m_oBackend.HiddenOwner() ? 0 : W(hOwner);
  }

  void ClickNode(TreeView& oTree, const std::string& sKey) override {
    HWND h = H(oTree.hWnd());
    if (!TakesInput(h)) return;
    HTREEITEM hItem = ItemOf(oTree, sKey);
    // The user opens the branches down to the node and scrolls to it first.
    SendMessageA(h, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem));
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    RECT rc{};
    std::memcpy(&rc, &hItem, sizeof hItem);
    if (!SendMessageA(h, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rc)))
      host::Raise(host::err::InvalidProcedureCall, "The node " + sKey + " is not on the screen");
    const LPARAM nAt = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ::SetFocus(h);
    // The tree view follows the mouse until the button comes up: the release waits in the
    // queue for it.
    PostMessageA(h, WM_LBUTTONUP, 0, nAt);
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, nAt);
    // Any release the tree view left in the queue.
    MSG oMsg;
    while (IsWindow(h) && PeekMessageA(&oMsg, h, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE))
      DispatchMessageA(&oMsg);
  }

  void ExpandNode(TreeView& oTree, const std::string& sKey, bool bExpand) override {
    HWND h = H(oTree.hWnd());
    if (!TakesInput(h)) return;
    HTREEITEM hItem = ItemOf(oTree, sKey);
    // TVM_EXPAND tells no one; the plus box does, and so does the tree when asked this way.
    const bool bOpen = (SendMessageA(h, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem), TVIS_EXPANDED) &
                        TVIS_EXPANDED) != 0;
    if (bOpen == bExpand) return;
    SendMessageA(h, TVM_EXPAND, bExpand ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(hItem));
    m_oBackend.Dispatch([&] { oTree.NativeExpand(oTree.Node(sKey)->nId, bExpand); });
  }

  void ClickCell(Grid& oGrid, int32_t nRow, int32_t nCol) override { MouseOnCell(oGrid, nRow, nCol, false); }
  void DblClickCell(Grid& oGrid, int32_t nRow, int32_t nCol) override {
    MouseOnCell(oGrid, nRow, nCol, true);
  }

  void ScrollGrid(Grid& oGrid, int16_t nCode, int32_t nRow) override {
    HWND h = H(oGrid.hWnd());
    if (!TakesInput(h)) return;
    // Dragging the thumb leaves its place with the scroll bar, where the grid reads it.
    if (nCode == SB_THUMBPOSITION || nCode == SB_THUMBTRACK) SetScrollPos(h, SB_VERT, nRow, FALSE);
    SendMessageA(h, WM_VSCROLL, MAKEWPARAM(uint16_t(nCode), uint16_t(std::min(nRow, 0xFFFF))), 0);
  }

  void Wheel(Control& c, int16_t nDelta) override {
    HWND h = H(c.hWnd());
    if (!TakesInput(h)) return;
    RECT rc{};
    GetWindowRect(h, &rc);
    SendMessageA(h, WM_MOUSEWHEEL, WheelWParam(nDelta),
                 MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
  }

  std::string SelectedNodeOf(const TreeView& oTree) override {
    HWND h = H(oTree.hWnd());
    if (!h) return {};
    auto hItem = reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_CARET, 0));
    TVITEMA oItem{};
    oItem.mask = TVIF_PARAM | TVIF_HANDLE;
    oItem.hItem = hItem;
    if (!hItem || !SendMessageA(h, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&oItem))) return {};
    const TreeNode* pNode = oTree.NodeById(static_cast<int32_t>(oItem.lParam));
    return pNode ? pNode->sKey : std::string();
  }

  int32_t TopRowOf(const Grid& oGrid) override {
    SCROLLINFO oInfo{};
    oInfo.cbSize = sizeof(oInfo);
    oInfo.fMask = SIF_POS;
    if (!oGrid.hWnd() || !GetScrollInfo(H(oGrid.hWnd()), SB_VERT, &oInfo)) return oGrid.FixedRows();
    return oInfo.nPos;
  }

 private:
  static bool TakesInput(HWND h) { return h && IsWindowVisible(h) && IsWindowEnabled(h); }

  // The window's item for a node, found by walking the items (as a user finds it by looking).
  static HTREEITEM ItemOf(const TreeView& oTree, const std::string& sKey) {
    const TreeNode* pNode = oTree.Node(sKey);
    if (!pNode)
      host::Raise(host::err::InvalidProcedureCall, "The tree " + oTree.Name() + " has no node " + sKey);
    HWND h = H(oTree.hWnd());
    std::vector<HTREEITEM> vecStack{
        reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_ROOT, 0))};
    while (!vecStack.empty()) {
      HTREEITEM hItem = vecStack.back();
      vecStack.pop_back();
      for (; hItem; hItem = reinterpret_cast<HTREEITEM>(
                        SendMessageA(h, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(hItem)))) {
        TVITEMA oItem{};
        oItem.mask = TVIF_PARAM | TVIF_HANDLE;
        oItem.hItem = hItem;
        if (SendMessageA(h, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&oItem)) && oItem.lParam == pNode->nId)
          return hItem;
        vecStack.push_back(reinterpret_cast<HTREEITEM>(
            SendMessageA(h, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(hItem))));
      }
    }
    host::Raise(host::err::InvalidProcedureCall,
                "The window of " + oTree.Name() + " has no item for " + sKey);
  }

  void MouseOnCell(Grid& oGrid, int32_t nRow, int32_t nCol, bool bDouble) {
    HWND h = H(oGrid.hWnd());
    if (!TakesInput(h)) return;
    const TwipsRect rc = oGrid.CellRect(nRow, nCol);
    if (rc.nWidth <= 0 || rc.nHeight <= 0)
      host::Raise(host::err::InvalidProcedureCall, "The cell (" + std::to_string(nRow) + ", " +
                                                       std::to_string(nCol) + ") of " + oGrid.Name() +
                                                       " is not on the screen");
    const LPARAM nAt = MAKELPARAM(m_oBackend.PixelsX(rc.nLeft + rc.nWidth / 2),
                                  m_oBackend.PixelsY(rc.nTop + rc.nHeight / 2));
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, nAt);
    if (IsWindow(h)) SendMessageA(h, WM_LBUTTONUP, 0, nAt);
    if (!bDouble) return;
    if (IsWindow(h)) SendMessageA(h, WM_LBUTTONDBLCLK, MK_LBUTTON, nAt);
    if (IsWindow(h)) SendMessageA(h, WM_LBUTTONUP, 0, nAt);
  }
  Win32Forms& m_oBackend;
};

}  // namespace

// --- Backend --------------------------------------------------------------------------------------

Win32Forms::Win32Forms() : m_pImpl(std::make_unique<Impl>()) {
  INITCOMMONCONTROLSEX oInit{sizeof(oInit), ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&oInit);

  WNDCLASSEXA oForm{};
  oForm.cbSize = sizeof(oForm);
  oForm.style = CS_DBLCLKS;
  oForm.lpfnWndProc = Win32FormPeer::Proc();
  oForm.hInstance = Instance();
  oForm.hCursor = LoadCursor(nullptr, IDC_ARROW);
  oForm.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  oForm.lpszClassName = kFormClass;
  if (!ModuleWindowClass::Register(oForm))
    RaiseLastError("The window class of forms could not be registered");

  WNDCLASSEXA oImage = oForm;
  oImage.style = 0;
  oImage.lpfnWndProc = &Win32ControlPeer::ImageProc;
  oImage.lpszClassName = kImageClass;
  if (!ModuleWindowClass::Register(oImage))
    RaiseLastError("The window class of image controls could not be registered");

  WNDCLASSEXA oGrid = oForm;
  oGrid.style = CS_DBLCLKS;
  oGrid.lpfnWndProc = &Win32ControlPeer::GridProc;
  oGrid.hbrBackground = nullptr;
  oGrid.lpszClassName = kGridClass;
  if (!ModuleWindowClass::Register(oGrid))
    RaiseLastError("The window class of grids could not be registered");

  m_pImpl->m_hHiddenOwner.reset(
      CreateWindowExA(0, "STATIC", "Quillo", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Instance(), nullptr));
  if (!m_pImpl->m_hHiddenOwner.get()) RaiseLastError("The owner window of forms could not be created");

  if (HDC hdc = GetDC(nullptr)) {
    m_pImpl->m_nDpiX = GetDeviceCaps(hdc, LOGPIXELSX);
    m_pImpl->m_nDpiY = GetDeviceCaps(hdc, LOGPIXELSY);
    ReleaseDC(nullptr, hdc);
  }
  if (m_pImpl->m_nDpiX <= 0) m_pImpl->m_nDpiX = 96;
  if (m_pImpl->m_nDpiY <= 0) m_pImpl->m_nDpiY = 96;
  m_pImpl->m_pDriver = std::make_unique<Win32Driver>(*this);
}

Win32Forms::~Win32Forms() {
  m_pImpl->m_hHiddenOwner.reset();
}

std::shared_ptr<FormPeer> Win32Forms::CreateForm(Form& oForm) {
  auto pPeer = std::make_shared<Win32FormPeer>(*this, oForm);
  pPeer->Create();
  return pPeer;
}

WindowHandle Win32Forms::ForegroundWindow() {
  return W(GetForegroundWindow());
}
FormsDriver& Win32Forms::Driver() {
  return *m_pImpl->m_pDriver;
}
WindowHandle Win32Forms::HiddenOwner() const {
  return W(m_pImpl->m_hHiddenOwner.get());
}

// 1440 twips to the inch.
int32_t Win32Forms::PixelsX(int32_t nTwips) const {
  return MulDiv(nTwips, m_pImpl->m_nDpiX, 1440);
}
int32_t Win32Forms::PixelsY(int32_t nTwips) const {
  return MulDiv(nTwips, m_pImpl->m_nDpiY, 1440);
}
int32_t Win32Forms::TwipsX(int32_t nPixels) const {
  return MulDiv(nPixels, 1440, m_pImpl->m_nDpiX);
}
int32_t Win32Forms::TwipsY(int32_t nPixels) const {
  return MulDiv(nPixels, 1440, m_pImpl->m_nDpiY);
}

// --- Window procedures: the real ones --------------------------------------------------------------

WindowProcedure Win32Forms::SetWindowProcedure(WindowHandle hWnd, WindowProcedure pfnNew) {
  if (!IsWindow(H(hWnd)) || !pfnNew) return nullptr;
  return reinterpret_cast<WindowProcedure>(
      SetWindowLongPtrA(H(hWnd), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnNew)));
}

WindowProcedure Win32Forms::GetWindowProcedure(WindowHandle hWnd) {
  if (!IsWindow(H(hWnd))) return nullptr;
  return reinterpret_cast<WindowProcedure>(GetWindowLongPtrA(H(hWnd), GWLP_WNDPROC));
}

intptr_t Win32Forms::CallWindowProcedure(WindowProcedure pfnPrev, WindowHandle hWnd, uint32_t uMsg,
                                         uintptr_t wParam, intptr_t lParam) {
  if (!pfnPrev) return 0;
  // The same function type with HWND as the integer it is.
  return CallWindowProcA(reinterpret_cast<WNDPROC>(reinterpret_cast<void (*)()>(pfnPrev)), H(hWnd), uMsg,
                         wParam, lParam);
}

intptr_t Win32Forms::SendWindowMessage(WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam, intptr_t lParam) {
  return SendMessageA(H(hWnd), uMsg, wParam, lParam);
}

int32_t Win32Forms::GetWindowLongValue(WindowHandle hWnd, int32_t nIndex) {
  return GetWindowLongA(H(hWnd), nIndex);
}

int32_t Win32Forms::SetWindowLongValue(WindowHandle hWnd, int32_t nIndex, int32_t nValue) {
  return SetWindowLongA(H(hWnd), nIndex, nValue);
}

bool Win32Forms::QuerySystemParameter(uint32_t uiAction, uint32_t uiParam, void* pvParam, uint32_t fWinIni) {
  return SystemParametersInfoA(uiAction, uiParam, pvParam, fWinIni) != FALSE;
}

std::shared_ptr<Win32Forms> InstallWin32Forms() {
  auto pForms = std::make_shared<Win32Forms>();
  SetFormsBackend(pForms);
  return pForms;
}

}  // namespace platform::win32
