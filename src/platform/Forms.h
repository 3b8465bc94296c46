// The small forms toolkit the add-in's windows are written against: a form with its controls,
// positions in twips, modal and modeless show, QueryUnload that can refuse, and events named as
// Visual Basic names them. The form and control objects hold the state; a backend, installed
// once by the program, mirrors that state into windows (Win32) or keeps it alone (portable),
// and feeds the user's actions back as events. The concrete controls are in Controls.h.
//
// Life of a form, as in Visual Basic: the object outlives its window. Load creates the window
// and resets every control to its design-time properties, Unload destroys the window, and the
// next use loads it again. Whatever a form's constructor sets is its design: the first Load
// keeps it, every later Load returns to it. A form object must not be destroyed from one of
// its own handlers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/Error.h"
#include "host/Event.h"

namespace platform {

// An HWND as an integer, so that nothing here needs windows.h; 0 is none.
using WindowHandle = intptr_t;

#if defined(_WIN32) && !defined(_WIN64)
#define QUILLO_WINAPI __stdcall
#else
#define QUILLO_WINAPI
#endif
// A window procedure, LRESULT (CALLBACK*)(HWND, UINT, WPARAM, LPARAM) in integers of the same
// sizes (see WindowProc.h).
using WindowProcedure = intptr_t(QUILLO_WINAPI*)(WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam,
                                                 intptr_t lParam);

// Position and size in twips (1440 to the inch): left, top, width, height.
struct TwipsRect {
  int32_t nLeft = 0;
  int32_t nTop = 0;
  int32_t nWidth = 0;
  int32_t nHeight = 0;
  bool operator==(const TwipsRect&) const = default;
};

// The picture type of window icons and image controls: 32-bit pixels 0xAARRGGBB, rows from
// the top down.
struct Picture {
  int32_t nWidth = 0;
  int32_t nHeight = 0;
  std::vector<uint32_t> pixels;

  Picture() = default;
  Picture(int32_t nW, int32_t nH, uint32_t nFill = 0)
      : nWidth(nW), nHeight(nH), pixels(size_t(nW) * nH, nFill) {}
  uint32_t& At(int32_t x, int32_t y) { return pixels[size_t(y) * nWidth + x]; }
  uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * nWidth + x]; }
};
using PicturePtr = std::shared_ptr<const Picture>;

// Reads the bytes of a .bmp or .ico file (uncompressed images of 1 to 32 bits per pixel, as
// Visual Basic's LoadPicture does); of an icon, the image closest to nSize pixels. Error 481
// ("Invalid picture") for anything else or for a damaged file.
PicturePtr LoadPictureFile(const std::vector<uint8_t>& vecFile, int32_t nSize = 32);

// Visual Basic's constants, under their own names.
enum FormShowConstants : int32_t { vbModeless = 0, vbModal = 1 };
enum QueryUnloadConstants : int16_t {
  vbFormControlMenu = 0,  // the close box, the system menu, Alt+F4
  vbFormCode = 1,         // Unload from code
  vbAppWindows = 2,
  vbAppTaskManager = 3,
};
enum KeyCodeConstants : int16_t {
  vbKeyBack = 8,
  vbKeyTab = 9,
  vbKeyReturn = 13,
  vbKeyShift = 16,
  vbKeyEscape = 27,
  vbKeySpace = 32,
};
enum ShiftConstants : int16_t { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };
enum MouseButtonConstants : int16_t { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };

// What changed on a form or control, so that a backend updates only that.
enum class Prop {
  Visible,
  Enabled,
  Bounds,
  Caption,  // caption of a form, label, button, check box, frame
  Text,     // text of a text box
  Value,    // value of a check box or progress bar
  Range,    // minimum and maximum of a progress bar
  Picture,  // picture of an image control
  Role,     // default or cancel role of a button
  Icon,     // window icon of a form
  Owner,    // owner window of a form
  Content,  // nodes of a tree view, cells of a grid
};

class Control;
class Form;
class FormsDriver;
class TreeView;
class Grid;

// A piece of state with its design-time copy.
template <class T>
struct Designed {
  T now{};
  T design{};
  // bCapture: the current state becomes the design; otherwise the design comes back.
  void Keep(bool bCapture) {
    if (bCapture)
      design = now;
    else
      now = design;
  }
};

// --- What a backend provides ----------------------------------------------------------------

// The native side of one control. Peers are shared so that a window procedure can keep its
// peer alive while a handler unloads the form under it.
class ControlPeer {
 public:
  virtual ~ControlPeer() = default;
  // Applies the control's current value of one property to the native control.
  virtual void Sync(Prop eProp) = 0;
  virtual WindowHandle Handle() const = 0;
  virtual void Focus() = 0;
};

class FormPeer {
 public:
  virtual ~FormPeer() = default;
  virtual void Sync(Prop eProp) = 0;
  virtual std::shared_ptr<ControlPeer> CreateControl(Control& oControl) = 0;
  // Makes the window visible; the first show places it centred on its owner.
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // Processes messages until the form is hidden or unloaded (the modal part of a modal show).
  virtual void RunModal() = 0;
  virtual WindowHandle Handle() const = 0;
};

class FormsBackend {
 public:
  virtual ~FormsBackend() = default;
  virtual std::shared_ptr<FormPeer> CreateForm(Form& oForm) = 0;
  // The window the user is working in (GetForegroundWindow); 0 when none.
  virtual WindowHandle ForegroundWindow() = 0;
  // Clicks, types and reads back what the user sees, through this backend's windows.
  virtual FormsDriver& Driver() = 0;

  // The window procedures of this backend's controls and the user32 calls around them (see
  // WindowProc.h, which forwards to the backend in place).
  virtual WindowProcedure SetWindowProcedure(WindowHandle hWnd, WindowProcedure pfnNew) = 0;
  virtual WindowProcedure GetWindowProcedure(WindowHandle hWnd) = 0;
  virtual intptr_t CallWindowProcedure(WindowProcedure pfnPrev, WindowHandle hWnd, uint32_t uMsg,
                                       uintptr_t wParam, intptr_t lParam) = 0;
  virtual intptr_t SendWindowMessage(WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam, intptr_t lParam) = 0;
  virtual int32_t GetWindowLongValue(WindowHandle hWnd, int32_t nIndex) = 0;
  virtual int32_t SetWindowLongValue(WindowHandle hWnd, int32_t nIndex, int32_t nValue) = 0;
  virtual bool QuerySystemParameter(uint32_t uiAction, uint32_t uiParam, void* pvParam, uint32_t fWinIni) = 0;

  // Raised when a form goes from hidden to visible.
  host::Event<Form&> OnFormShown;
  // Raised once a form has been unloaded (its controls keep the values they had).
  host::Event<Form&> OnFormUnloaded;
  // Raised after every property change of a loaded form or control (observers: drivers that
  // wait for a state, quillo-sim's scripted actions).
  host::Event<Control&, Prop> OnControlChanged;
  // Called when a modal form would wait for the user. A script returns true after it acted;
  // with no handler, or false, the backend waits for real input (Win32) or closes the form by
  // its close box (portable, where no user will ever come).
  std::function<bool(Form&)> fnOnModalIdle;

  // A handler's exception that reached the backend from a window message or a driver action:
  // it is kept here instead of passing into the window manager. Handlers trap their own
  // errors, so this stays empty unless something is wrong.
  void RecordEscapedError() noexcept;
  const std::vector<host::ErrorInfo>& EscapedErrors() const { return m_vecEscaped; }
  void ClearEscapedErrors() { m_vecEscaped.clear(); }
  // Told of each escaped error as it is recorded (quillo-sim prints them).
  std::function<void(const host::ErrorInfo&)> fnOnEscapedError;

  // Runs one callback from the native side, recording instead of throwing.
  template <class F>
  void Dispatch(F&& fn) noexcept {
    try {
      std::forward<F>(fn)();
    } catch (...) {
      RecordEscapedError();
    }
  }

 private:
  std::vector<host::ErrorInfo> m_vecEscaped;
};

// The backend of the process. Forms() throws host::Error when none is installed.
FormsBackend& Forms();
bool HasFormsBackend();
// Installs the backend; returns the previous one. Forms loaded under a backend must be
// unloaded before it is replaced.
std::shared_ptr<FormsBackend> SetFormsBackend(std::shared_ptr<FormsBackend> pBackend);

// --- The user, as tests and quillo-sim play it --------------------------------------------------

// One set of actions for both backends: on Win32 they go through the real windows (messages
// to the button, the close box, the edit control), on the portable backend straight to the
// toolkit's handling of the same input. A test written against the driver runs on both.
class FormsDriver {
 public:
  virtual ~FormsDriver() = default;

  // A mouse click on a button or check box, handled at once. Hidden or disabled controls
  // ignore it, as they would ignore the mouse.
  virtual void Click(Control& oControl) = 0;
  // The close box of the title bar.
  virtual void CloseBox(Form& oForm) = 0;
  // A key pressed and released while the control has the focus (key code, e.g. vbKeyReturn).
  virtual void PressKey(Control& oControl, int16_t nKeyCode) = 0;
  // Characters typed into the control that has the focus.
  virtual void Type(Control& oControl, const std::string& sText) = 0;

  // The same click delivered through the message pump: it happens at the next DoEvents.
  void PostClick(Control& oControl);

  // The tree view: a click on the node with the key (it is scrolled into view first, as a user
  // would), the plus or minus box of a node.
  virtual void ClickNode(TreeView& oTree, const std::string& sKey) = 0;
  virtual void ExpandNode(TreeView& oTree, const std::string& sKey, bool bExpand) = 0;
  // The grid: a click or double click in the middle of a cell, which must be on the screen
  // (error 5 otherwise: a zero height row or width column cannot be hit).
  virtual void ClickCell(Grid& oGrid, int32_t nRow, int32_t nCol) = 0;
  virtual void DblClickCell(Grid& oGrid, int32_t nRow, int32_t nCol) = 0;
  // The vertical scroll bar (WM_VSCROLL with a scroll bar code; nRow for the thumb).
  virtual void ScrollGrid(Grid& oGrid, int16_t nCode, int32_t nRow = 0) = 0;
  // The mouse wheel over a control (WM_MOUSEWHEEL; 120 a notch away from the user).
  virtual void Wheel(Control& oControl, int16_t nDelta) = 0;

  // What is on the screen.
  virtual bool IsShown(const Form& oForm) = 0;
  virtual bool IsShown(const Control& oControl) = 0;
  virtual bool IsEnabled(const Control& oControl) = 0;
  virtual std::string CaptionOf(const Form& oForm) = 0;
  // Caption of a label, button, check box or frame; text of a text box.
  virtual std::string TextOf(const Control& oControl) = 0;
  // Position of a progress bar, state of a check box.
  virtual int32_t ValueOf(const Control& oControl) = 0;
  // Client size in twips, as the window has it.
  virtual TwipsRect ClientOf(const Form& oForm) = 0;
  virtual WindowHandle OwnerOf(const Form& oForm) = 0;
  // The key of the node the tree view shows selected; empty when none.
  virtual std::string SelectedNodeOf(const TreeView& oTree) = 0;
  // The first scrollable row the grid shows.
  virtual int32_t TopRowOf(const Grid& oGrid) = 0;
};

// --- Forms and controls ---------------------------------------------------------------------------

class Control {
 public:
  enum class Kind {
    Label,
    Button,
    CheckBox,
    Frame,
    TextBox,
    Image,
    ProgressBar,
    TreeView,
    Grid,
    Timer,
    ImageList
  };

  // Registers the control with its form; pContainer is the frame it sits in (its position is
  // then relative to the frame), nullptr for the form itself.
  Control(Form& oForm, std::string sName, Kind eKind, TwipsRect rcBounds, Control* pContainer = nullptr);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return m_sName; }
  Kind GetKind() const { return m_eKind; }
  Form& Parent() const { return m_oForm; }
  Control* Container() const { return m_pContainer; }
  // Timers and image lists have no window.
  bool IsWindowed() const { return m_eKind != Kind::Timer && m_eKind != Kind::ImageList; }

  bool Visible() const { return m_oCommon.now.bVisible; }
  void SetVisible(bool bVisible);
  bool Enabled() const { return m_oCommon.now.bEnabled; }
  void SetEnabled(bool bEnabled);
  TwipsRect Bounds() const { return m_oCommon.now.rcBounds; }
  void Move(TwipsRect rcBounds);
  // Visible, and every container too: what a window shows.
  bool ShownWithContainers() const;
  bool EnabledWithContainers() const;
  // Position relative to the form's client area.
  TwipsRect FormBounds() const;

  // The native window; 0 when the form is not loaded or the control has no window.
  WindowHandle hWnd() const;
  void SetFocus();

  // Key events of the focused control, before the control itself sees the key; a handler
  // that sets the code to 0 swallows it.
  host::Event<int16_t& /*KeyCode*/, int16_t /*Shift*/> KeyDown;
  host::Event<int16_t& /*KeyAscii*/> KeyPress;

  // For the toolkit and its backends.
  ControlPeer* Peer() const { return m_pPeer.get(); }
  void Attach(std::shared_ptr<ControlPeer> pPeer) { m_pPeer = std::move(pPeer); }
  void Detach() { m_pPeer.reset(); }
  // Keeps the current properties as the design (first load) or returns to the design (every
  // later load).
  virtual void DesignState(bool bCapture) { m_oCommon.Keep(bCapture); }
  // The form has been loaded / is being unloaded (timers start and stop here).
  virtual void OnFormLoaded() {}
  virtual void OnFormUnloading() {}
  // Whether the control is still alive: actions queued for later hold this and skip the
  // control once it has gone.
  std::weak_ptr<void> Alive() const { return m_pAlive; }

 protected:
  // Tells the control itself, the backend (when the form is loaded; bSyncPeer false when the
  // change came from the native control) and the observers.
  void Changed(Prop eProp, bool bSyncPeer = true);
  virtual void OnPropertyChanged(Prop) {}

 private:
  struct Common {
    bool bVisible = true;
    bool bEnabled = true;
    TwipsRect rcBounds;
  };
  void ChangedWithChildren(Prop eProp);

  Form& m_oForm;
  std::string m_sName;
  Kind m_eKind;
  Control* m_pContainer;
  Designed<Common> m_oCommon;
  std::shared_ptr<ControlPeer> m_pPeer;
  std::shared_ptr<void> m_pAlive = std::make_shared<int>(0);
};

class Button;

class Form {
 public:
  // Fixed dialog border without minimise and maximise boxes, not in the task bar, centred on
  // its owner when first shown; nClientWidth and nClientHeight in twips.
  Form(std::string sName, std::string sCaption, int32_t nClientWidth, int32_t nClientHeight);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& Name() const { return m_sName; }

  // Creates the window and the controls (reset to design time), then runs Form_Load.
  void Load();
  bool IsLoaded() const { return static_cast<bool>(m_pPeer); }
  // Loads the form if needed and shows it. Modal: returns once the form is hidden or unloaded;
  // error 400 when the form is already shown.
  void Show(int32_t nModal = vbModeless);
  void Hide();
  // Asks Form_QueryUnload and Form_Unload with the reason; false when either refused (the form
  // stays as it was). A form that is not loaded unloads at once.
  bool Unload(int16_t nUnloadMode = vbFormCode);
  bool Visible() const { return m_bVisible; }

  const std::string& Caption() const { return m_o.now.sCaption; }
  void SetCaption(std::string sCaption);
  PicturePtr Icon() const { return m_o.now.pIcon; }
  void SetIcon(PicturePtr pIcon);
  int32_t ScaleWidth() const { return m_nClientWidth; }
  int32_t ScaleHeight() const { return m_nClientHeight; }

  // The form's window; 0 when not loaded.
  WindowHandle hWnd() const;
  // The owner window (what SetWindowLongA(hWnd, GWL_HWNDPARENT, owner) sets): the form stays
  // above it and is not a top-level window of its own. 0: no owner.
  WindowHandle Owner() const { return m_hOwner; }
  void SetOwner(WindowHandle hOwner);

  const std::vector<Control*>& Controls() const { return m_vecControls; }
  Control* FindControl(const std::string& sName) const;
  // The button that Enter presses / that Esc presses; nullptr when none.
  Button* DefaultButton() const;
  Button* CancelButton() const;
  Control* ActiveControl() const { return m_pActiveControl; }

  // --- For the backends and drivers -------------------------------------------------------
  FormPeer* Peer() const { return m_pPeer.get(); }
  // Whether the form object still exists, for work queued until later.
  std::weak_ptr<void> Alive() const { return m_pAlive; }
  // The close box and every other close request from outside the code.
  bool RequestClose(int16_t nUnloadMode) { return Unload(nUnloadMode); }
  // A key pressed on the focused control: Enter presses the default button (or the focused
  // button), Esc the cancel button, Tab moves the focus; every other key goes to the control's
  // KeyDown. True when the key was used up here.
  bool RouteKeyDown(Control& oFocus, int16_t nKeyCode, int16_t nShift);
  // A character typed on the focused control: KeyPress may change or swallow it (0). The
  // characters of keys the form has used (Enter, Esc, Tab) come back as 0.
  int16_t RouteKeyPress(Control& oFocus, int16_t nKeyAscii);
  // The native focus moved to a control.
  void NoteFocus(Control* pControl) { m_pActiveControl = pControl; }
  // The next control that takes the focus with Tab (Shift+Tab: the previous one).
  Control* NextTabStop(Control* pFrom, bool bBackward) const;

 protected:
  virtual void Form_Load() {}
  virtual void Form_QueryUnload(int16_t& /*Cancel*/, int16_t /*UnloadMode*/) {}
  virtual void Form_Unload(int16_t& /*Cancel*/) {}

 private:
  friend class Control;
  void Register(Control* pControl) { m_vecControls.push_back(pControl); }
  void Unregister(Control* pControl);
  void Sync(Prop eProp);
  void DestroyWindow();

  struct State {
    std::string sCaption;
    PicturePtr pIcon;
  };
  std::string m_sName;
  Designed<State> m_o;
  bool m_bDesignKept = false;
  int32_t m_nClientWidth;
  int32_t m_nClientHeight;
  WindowHandle m_hOwner = 0;
  bool m_bVisible = false;
  bool m_bUnloading = false;
  std::vector<Control*> m_vecControls;
  Control* m_pActiveControl = nullptr;
  std::shared_ptr<FormPeer> m_pPeer;
  std::shared_ptr<void> m_pAlive = std::make_shared<int>(0);
};

// A plain-text picture of a form and its visible controls, as quillo-sim prints it:
// the caption and size, then one line per control with its kind, name and what it shows.
std::string DescribeForm(const Form& oForm);

}  // namespace platform
