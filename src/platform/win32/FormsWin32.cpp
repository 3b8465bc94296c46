#include "platform/win32/FormsWin32.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/Error.h"
#include "host/Text.h"
#include "platform/Controls.h"
#include "platform/Ui.h"
#include "platform/win32/Bitmaps.h"
#include "platform/win32/Module.h"

namespace platform::win32 {
namespace {

constexpr const char* kFormClass = "QuilloForm";
constexpr const char* kImageClass = "QuilloImage";
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

// An icon with the picture's alpha channel; nullptr for no picture.
HICON MakeIcon(const PicturePtr& pPicture) {
  if (!pPicture || pPicture->nWidth <= 0 || pPicture->nHeight <= 0) return nullptr;
  BITMAPINFO oInfo = TopDownInfo(pPicture->nWidth, pPicture->nHeight);
  void* pBits = nullptr;
  HBITMAP hColour = CreateDIBSection(nullptr, &oInfo, DIB_RGB_COLORS, &pBits, nullptr, 0);
  if (!hColour) return nullptr;
  std::memcpy(pBits, pPicture->pixels.data(), pPicture->pixels.size() * 4);
  HBITMAP hMask = CreateBitmap(pPicture->nWidth, pPicture->nHeight, 1, 1, nullptr);
  ICONINFO oIcon{TRUE, 0, 0, hMask, hColour};
  HICON hIcon = CreateIconIndirect(&oIcon);
  DeleteObject(hColour);
  DeleteObject(hMask);
  return hIcon;
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

}  // namespace

// --- Backend state --------------------------------------------------------------------------------

struct Win32Forms::Impl {
  HWND m_hHiddenOwner = nullptr;
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

  void Create(HWND hParent);
  void Sync(Prop eProp) override;
  WindowHandle Handle() const override { return W(m_hWnd); }
  void Focus() override {
    if (m_hWnd && GetFocus() != m_hWnd) ::SetFocus(m_hWnd);
  }
  // A notification the control sent its form (WM_COMMAND).
  void OnCommand(WORD nCode);
  // The window procedure of image controls.
  static LRESULT CALLBACK ImageProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR nRef);
  void Place();

  Win32Forms& m_oBackend;
  Win32FormPeer& m_oFormPeer;
  Control& m_oControl;
  HWND m_hWnd = nullptr;
  bool m_bSyncing = false;  // our own SetWindowText, not the user's typing
};

// --- Forms ----------------------------------------------------------------------------------------

class Win32FormPeer : public FormPeer, public std::enable_shared_from_this<Win32FormPeer> {
 public:
  Win32FormPeer(Win32Forms& oBackend, Form& oForm) : m_oBackend(oBackend), m_oForm(oForm) {}
  ~Win32FormPeer() override {
    if (m_hWnd) {
      SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
      DestroyWindow(m_hWnd);
    }
    if (m_hIcon) DestroyIcon(m_hIcon);
  }

  void Create() {
    RECT rc{0, 0, m_oBackend.PixelsX(m_oForm.ScaleWidth()), m_oBackend.PixelsY(m_oForm.ScaleHeight())};
    AdjustWindowRectEx(&rc, kFormStyle, FALSE, kFormExStyle);
    m_hWnd = CreateWindowExA(kFormExStyle, kFormClass, host::Utf8ToAnsi(m_oForm.Caption()).c_str(),
                             kFormStyle, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                             H(m_oBackend.HiddenOwner()), nullptr, Instance(), this);
    if (!m_hWnd) RaiseLastError("The window of the form " + m_oForm.Name() + " could not be created");
    // Keep the system menu to Move and Close, as a fixed dialog has it.
    if (HMENU hMenu = GetSystemMenu(m_hWnd, FALSE)) {
      DeleteMenu(hMenu, SC_SIZE, MF_BYCOMMAND);
      DeleteMenu(hMenu, SC_MINIMIZE, MF_BYCOMMAND);
      DeleteMenu(hMenu, SC_MAXIMIZE, MF_BYCOMMAND);
      DeleteMenu(hMenu, SC_RESTORE, MF_BYCOMMAND);
    }
    Sync(Prop::Icon);
  }

  void Sync(Prop eProp) override {
    if (!m_hWnd) return;
    switch (eProp) {
      case Prop::Caption: SetText(m_hWnd, m_oForm.Caption()); break;
      case Prop::Icon: {
        HICON hIcon = MakeIcon(m_oForm.Icon());
        SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hIcon));
        SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
        if (m_hIcon) DestroyIcon(m_hIcon);
        m_hIcon = hIcon;
        break;
      }
      case Prop::Owner: {
        // What SetWindowLongA(hWnd, GWL_HWNDPARENT, owner) does on 32-bit Windows. Without an
        // owner the hidden window takes the place, which keeps the form out of the task bar.
        HWND hOwner = m_oForm.Owner() ? H(m_oForm.Owner()) : H(m_oBackend.HiddenOwner());
        if (hOwner == m_hWnd || !IsWindow(hOwner)) hOwner = H(m_oBackend.HiddenOwner());
        SetWindowLongPtrA(m_hWnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(hOwner));
        break;
      }
      default: break;
    }
  }

  std::shared_ptr<ControlPeer> CreateControl(Control& oControl) override {
    auto pPeer = std::make_shared<Win32ControlPeer>(m_oBackend, *this, oControl);
    pPeer->Create(m_hWnd);
    m_mapChildren[reinterpret_cast<HWND>(pPeer->Handle())] = pPeer.get();
    return pPeer;
  }

  void Forget(HWND hChild) { m_mapChildren.erase(hChild); }

  void Show() override {
    if (!m_bPlaced) {
      CentreOnOwner();
      m_bPlaced = true;
    }
    ShowWindow(m_hWnd, SW_SHOW);
  }

  void Hide() override { ShowWindow(m_hWnd, SW_HIDE); }

  void RunModal() override {
    auto pKeep = shared_from_this();
    // The owner takes no input while the form is up, as under a dialog box.
    HWND hOwner = GetWindow(m_hWnd, GW_OWNER);
    const bool bDisable = hOwner && W(hOwner) != m_oBackend.HiddenOwner() && IsWindowEnabled(hOwner);
    if (bDisable) EnableWindow(hOwner, FALSE);
    struct Reenable {
      HWND h;
      bool b;
      ~Reenable() {
        if (b && IsWindow(h)) EnableWindow(h, TRUE);
      }
    } oReenable{hOwner, bDisable};
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

  WindowHandle Handle() const override { return W(m_hWnd); }

 private:
  void CentreOnOwner() {
    RECT rcOwner{};
    HWND hOwner = GetWindow(m_hWnd, GW_OWNER);
    if (!hOwner || W(hOwner) == m_oBackend.HiddenOwner() || !IsWindowVisible(hOwner) ||
        !GetWindowRect(hOwner, &rcOwner))
      SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcOwner, 0);
    RECT rc{};
    GetWindowRect(m_hWnd, &rc);
    const int nW = rc.right - rc.left, nH = rc.bottom - rc.top;
    int x = rcOwner.left + (rcOwner.right - rcOwner.left - nW) / 2;
    int y = rcOwner.top + (rcOwner.bottom - rcOwner.top - nH) / 2;
    SetWindowPos(m_hWnd, nullptr, x > 0 ? x : 0, y > 0 ? y : 0, 0, 0,
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
  HWND m_hWnd = nullptr;
  HICON m_hIcon = nullptr;
  bool m_bPlaced = false;
  std::map<HWND, Win32ControlPeer*> m_mapChildren;

 public:
  static WNDPROC Proc() { return &WndProc; }
};

// --- Controls, continued --------------------------------------------------------------------------

Win32ControlPeer::~Win32ControlPeer() {
  if (!m_hWnd) return;
  m_oFormPeer.Forget(m_hWnd);
  RemoveWindowSubclass(m_hWnd, &SubclassProc, 1);
  SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
  DestroyWindow(m_hWnd);
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
    default:
      host::Raise(host::err::NoSuchMember,
                  "The control " + m_oControl.Name() + " is of a kind that is not built yet");
  }
  if (m_oControl.ShownWithContainers()) nStyle |= WS_VISIBLE;
  if (!m_oControl.EnabledWithContainers()) nStyle |= WS_DISABLED;
  const TwipsRect rc = m_oControl.FormBounds();
  m_bSyncing = true;
  m_hWnd =
      CreateWindowExA(nExStyle, sClass, host::Utf8ToAnsi(sText).c_str(), nStyle, m_oBackend.PixelsX(rc.nLeft),
                      m_oBackend.PixelsY(rc.nTop), m_oBackend.PixelsX(rc.nWidth),
                      m_oBackend.PixelsY(rc.nHeight), hParent, nullptr, Instance(), nullptr);
  m_bSyncing = false;
  if (!m_hWnd) RaiseLastError("The window of the control " + m_oControl.Name() + " could not be created");
  SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  SetWindowSubclass(m_hWnd, &SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  // Children are painted over their frame: frames go to the bottom of the z-order. (Tab order
  // is the form's own, not the z-order.)
  SetWindowPos(m_hWnd, m_oControl.GetKind() == Control::Kind::Frame ? HWND_BOTTOM : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (m_oControl.GetKind() == Control::Kind::ProgressBar) {
    Sync(Prop::Range);
    Sync(Prop::Value);
  }
  if (m_oControl.GetKind() == Control::Kind::CheckBox) Sync(Prop::Value);
}

void Win32ControlPeer::Place() {
  const TwipsRect rc = m_oControl.FormBounds();
  MoveWindow(m_hWnd, m_oBackend.PixelsX(rc.nLeft), m_oBackend.PixelsY(rc.nTop), m_oBackend.PixelsX(rc.nWidth),
             m_oBackend.PixelsY(rc.nHeight), TRUE);
}

void Win32ControlPeer::Sync(Prop eProp) {
  if (!m_hWnd) return;
  struct Syncing {
    bool& b;
    ~Syncing() { b = false; }
  } oSyncing{m_bSyncing = true};
  switch (eProp) {
    case Prop::Visible: ShowWindow(m_hWnd, m_oControl.ShownWithContainers() ? SW_SHOWNA : SW_HIDE); break;
    case Prop::Enabled: EnableWindow(m_hWnd, m_oControl.EnabledWithContainers()); break;
    case Prop::Bounds: Place(); break;
    case Prop::Caption:
    case Prop::Text: {
      const std::string sText = ControlText(m_oControl);
      if (WindowText(m_hWnd) != sText) SetText(m_hWnd, sText);
      break;
    }
    case Prop::Value:
      if (m_oControl.GetKind() == Control::Kind::ProgressBar)
        SendMessageA(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(ControlValue(m_oControl)), 0);
      else if (m_oControl.GetKind() == Control::Kind::CheckBox)
        SendMessageA(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(ControlValue(m_oControl)), 0);
      break;
    case Prop::Range:
      if (auto* pBar = dynamic_cast<ProgressBar*>(&m_oControl)) {
        SendMessageA(m_hWnd, PBM_SETRANGE32, static_cast<WPARAM>(pBar->Min()),
                     static_cast<LPARAM>(pBar->Max()));
        SendMessageA(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(pBar->Value()), 0);
      }
      break;
    case Prop::Picture: InvalidateRect(m_hWnd, nullptr, TRUE); break;
    case Prop::Role:
      if (auto* pButton = dynamic_cast<Button*>(&m_oControl))
        SendMessageA(m_hWnd, BM_SETSTYLE, pButton->Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
      break;
    default: break;
  }
}

void Win32ControlPeer::OnCommand(WORD nCode) {
  switch (m_oControl.GetKind()) {
    case Control::Kind::Button:
      if (nCode == BN_CLICKED) static_cast<Button&>(m_oControl).PerformClick();
      break;
    case Control::Kind::CheckBox:
      if (nCode == BN_CLICKED && !m_bSyncing)
        static_cast<CheckBox&>(m_oControl)
            .NativeValue(static_cast<int16_t>(SendMessageA(m_hWnd, BM_GETCHECK, 0, 0)));
      break;
    case Control::Kind::TextBox:
      if (nCode == EN_CHANGE && !m_bSyncing) static_cast<TextBox&>(m_oControl).NativeText(WindowText(m_hWnd));
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

 private:
  static bool TakesInput(HWND h) { return h && IsWindowVisible(h) && IsWindowEnabled(h); }
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
  if (!RegisterClassExA(&oForm) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    RaiseLastError("The window class of forms could not be registered");

  WNDCLASSEXA oImage = oForm;
  oImage.style = 0;
  oImage.lpfnWndProc = &Win32ControlPeer::ImageProc;
  oImage.lpszClassName = kImageClass;
  if (!RegisterClassExA(&oImage) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    RaiseLastError("The window class of image controls could not be registered");

  m_pImpl->m_hHiddenOwner =
      CreateWindowExA(0, "STATIC", "Quillo", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Instance(), nullptr);
  if (!m_pImpl->m_hHiddenOwner) RaiseLastError("The owner window of forms could not be created");

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
  if (m_pImpl->m_hHiddenOwner) DestroyWindow(m_pImpl->m_hHiddenOwner);
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
  return W(m_pImpl->m_hHiddenOwner);
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

std::shared_ptr<Win32Forms> InstallWin32Forms() {
  auto pForms = std::make_shared<Win32Forms>();
  SetFormsBackend(pForms);
  return pForms;
}

}  // namespace platform::win32
