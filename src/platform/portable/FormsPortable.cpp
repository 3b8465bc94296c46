#include "platform/portable/FormsPortable.h"

#include <algorithm>
#include <string>

#include "host/Text.h"
#include "platform/Controls.h"
#include "platform/Ui.h"
#include "platform/WindowProc.h"
#include "platform/portable/VirtualLoop.h"

namespace platform::portable {
namespace {

// The style bits a window keeps whatever SetWindowLongA writes.
constexpr int32_t kWsChild = 0x40000000;
constexpr int32_t kWsVisible = 0x10000000;
constexpr int32_t kWsDisabled = 0x08000000;
// TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS: the tree view as it is created.
constexpr int32_t kTreeStyle = 0x0001 | 0x0002 | 0x0020;

bool FormShown(const Form& oForm) {
  return oForm.IsLoaded() && oForm.Visible();
}

bool ControlShown(const Control& c) {
  return FormShown(c.Parent()) && c.ShownWithContainers();
}

bool TakesInput(const Control& c) {
  return ControlShown(c) && c.EnabledWithContainers();
}

intptr_t MakeLParam(int32_t nLow, int32_t nHigh) {
  return intptr_t(uint32_t(uint16_t(nLow)) | uint32_t(uint16_t(nHigh)) << 16);
}

class PortableControlPeer : public ControlPeer {
 public:
  PortableControlPeer(PortableForms& oBackend, Control& oControl)
      : m_oBackend(oBackend), m_h(oBackend.NewHandle()) {
    m_oBackend.RegisterWindow(m_h, oControl);
  }
  ~PortableControlPeer() override { m_oBackend.UnregisterWindow(m_h); }
  void Sync(Prop) override {}
  WindowHandle Handle() const override { return m_h; }
  void Focus() override {}

 private:
  PortableForms& m_oBackend;
  WindowHandle m_h;
};

class PortableFormPeer : public FormPeer {
 public:
  PortableFormPeer(PortableForms& oBackend, Form& oForm)
      : m_oBackend(oBackend), m_oForm(oForm), m_h(oBackend.NewHandle()) {}

  void Sync(Prop) override {}

  std::shared_ptr<ControlPeer> CreateControl(Control& oControl) override {
    return std::make_shared<PortableControlPeer>(m_oBackend, oControl);
  }

  void Show() override {}
  void Hide() override {}
  WindowHandle Handle() const override { return m_h; }

  void RunModal() override {
    uint32_t nWaited = 0;
    while (FormShown(m_oForm)) {
      Loop().DoEvents();
      if (!FormShown(m_oForm)) break;
      if (m_oBackend.fnOnModalIdle && m_oBackend.fnOnModalIdle(m_oForm)) {
        nWaited = 0;
        continue;
      }
      // Work that falls due later (timers, searches completing) comes before giving up.
      auto* pVirtual = dynamic_cast<VirtualLoop*>(&Loop());
      if (pVirtual && pVirtual->PendingCount() > 0 && nWaited < PortableForms::kModalPatienceMs) {
        pVirtual->Advance(1);
        ++nWaited;
        continue;
      }
      // No user will ever come: the dialog is closed as a user giving up would close it.
      m_oBackend.Dispatch([&] { m_oForm.RequestClose(vbFormControlMenu); });
      if (FormShown(m_oForm))
        host::Raise(host::err::E_FAIL,
                    "The modal form " + m_oForm.Name() + " waits for a user action that nothing provides");
    }
  }

 private:
  PortableForms& m_oBackend;
  Form& m_oForm;
  WindowHandle m_h;
};

// A tree view's incremental search: the next node shown whose text starts with the letter.
void SearchTree(TreeView& oTree, int16_t nAscii) {
  std::vector<const TreeNode*> vecShown;
  std::vector<const TreeNode*> vecStack;
  for (const TreeNode* p : oTree.Children("")) vecStack.insert(vecStack.begin(), p);
  while (!vecStack.empty()) {
    const TreeNode* p = vecStack.back();
    vecStack.pop_back();
    vecShown.push_back(p);
    if (!p->bExpanded || p->sKey.empty()) continue;
    auto vecChildren = oTree.Children(p->sKey);
    vecStack.insert(vecStack.end(), vecChildren.rbegin(), vecChildren.rend());
  }
  const std::string sLetter = host::FoldCase(host::AnsiToUtf8(std::string(1, static_cast<char>(nAscii))));
  const auto itSelected = std::find(vecShown.begin(), vecShown.end(), oTree.SelectedItem());
  const size_t nStart = itSelected == vecShown.end() ? 0 : size_t(itSelected - vecShown.begin()) + 1;
  for (size_t i = 0; i < vecShown.size(); ++i) {
    const TreeNode* p = vecShown[(nStart + i) % vecShown.size()];
    if (host::FoldCase(p->sText).rfind(sLetter, 0) == 0) {
      oTree.NativeSelect(p->nId);
      return;
    }
  }
}

// One character typed on the focused control; a text box takes it as an edit control would.
void TypeChar(Control& c, int16_t nChar) {
  int16_t nAscii = c.Parent().RouteKeyPress(c, nChar);
  if (auto* pTree = dynamic_cast<TreeView*>(&c); pTree && nAscii >= 32) SearchTree(*pTree, nAscii);
  auto* pText = dynamic_cast<TextBox*>(&c);
  if (!pText || nAscii == 0) return;
  std::string sText = pText->Text();
  if (nAscii == vbKeyBack) {
    // Back deletes one whole character, not one byte of it.
    while (!sText.empty() && (static_cast<unsigned char>(sText.back()) & 0xC0) == 0x80) sText.pop_back();
    if (!sText.empty()) sText.pop_back();
  } else if (nAscii >= 32) {
    sText += host::AnsiToUtf8(std::string(1, static_cast<char>(nAscii)));
  } else {
    return;  // control characters (Enter, Esc) are not text
  }
  pText->NativeText(sText);
}

class PortableDriver : public FormsDriver {
 public:
  explicit PortableDriver(PortableForms& oBackend) : m_oBackend(oBackend) {}

  void Click(Control& c) override {
    if (!TakesInput(c)) return;
    m_oBackend.Dispatch([&] {
      if (auto* pButton = dynamic_cast<Button*>(&c)) {
        c.SetFocus();
        pButton->PerformClick();
      } else if (auto* pCheck = dynamic_cast<CheckBox*>(&c)) {
        c.SetFocus();
        pCheck->Toggle();
      }
    });
  }

  void CloseBox(Form& oForm) override {
    if (!FormShown(oForm)) return;
    m_oBackend.Dispatch([&] { oForm.RequestClose(vbFormControlMenu); });
  }

  // Keys and characters go to the control's window procedure, as on Windows, so that a
  // procedure installed over it sees them first.
  void PressKey(Control& c, int16_t nKeyCode) override {
    if (!Focus(c)) return;
    const WindowHandle h = c.hWnd();
    const bool bUsed = m_oBackend.SendWindowMessage(h, wm::KeyDown, uintptr_t(nKeyCode), 1) != 0;
    // The keys that also type a character, as TranslateMessage makes one.
    if (!bUsed && (nKeyCode == vbKeyBack || nKeyCode == vbKeyReturn || nKeyCode == vbKeyEscape ||
                   nKeyCode == vbKeySpace))
      m_oBackend.SendWindowMessage(h, wm::Char, uintptr_t(nKeyCode), 1);
  }

  void Type(Control& c, const std::string& sText) override {
    if (!Focus(c)) return;
    // Characters arrive as an ANSI window gets them, one byte each.
    for (char ch : host::Utf8ToAnsi(sText))
      m_oBackend.SendWindowMessage(c.hWnd(), wm::Char, uintptr_t(static_cast<unsigned char>(ch)), 1);
  }

  void ClickNode(TreeView& oTree, const std::string& sKey) override {
    if (!TakesInput(oTree)) return;
    const TreeNode* pNode = oTree.Node(sKey);
    if (!pNode)
      host::Raise(host::err::InvalidProcedureCall, "The tree " + oTree.Name() + " has no node " + sKey);
    const int32_t nId = pNode->nId;
    m_oBackend.Dispatch([&] {
      // The user opens the branches down to the node before clicking it.
      std::vector<int32_t> vecClosed;
      for (const TreeNode* p = oTree.Node(pNode->sParent); p; p = oTree.Node(p->sParent))
        if (!p->bExpanded) vecClosed.push_back(p->nId);
      for (auto it = vecClosed.rbegin(); it != vecClosed.rend(); ++it) oTree.NativeExpand(*it, true);
      oTree.SetFocus();
      oTree.NativeClick(nId);
    });
  }

  void ExpandNode(TreeView& oTree, const std::string& sKey, bool bExpand) override {
    if (!TakesInput(oTree)) return;
    const TreeNode* pNode = oTree.Node(sKey);
    if (!pNode)
      host::Raise(host::err::InvalidProcedureCall, "The tree " + oTree.Name() + " has no node " + sKey);
    const int32_t nId = pNode->nId;
    m_oBackend.Dispatch([&] { oTree.NativeExpand(nId, bExpand); });
  }

  void ClickCell(Grid& oGrid, int32_t nRow, int32_t nCol) override { MouseOnCell(oGrid, nRow, nCol, false); }
  void DblClickCell(Grid& oGrid, int32_t nRow, int32_t nCol) override {
    MouseOnCell(oGrid, nRow, nCol, true);
  }

  void ScrollGrid(Grid& oGrid, int16_t nCode, int32_t nRow) override {
    if (!TakesInput(oGrid)) return;
    m_oBackend.SetThumbRow(nRow);
    m_oBackend.SendWindowMessage(
        oGrid.hWnd(), wm::VScroll,
        uintptr_t(uint16_t(nCode)) | uintptr_t(uint16_t(std::min(nRow, 0xFFFF))) << 16, 0);
  }

  void Wheel(Control& c, int16_t nDelta) override {
    if (!TakesInput(c)) return;
    m_oBackend.SendWindowMessage(c.hWnd(), wm::MouseWheel, WheelWParam(nDelta), 0);
  }

  bool IsShown(const Form& oForm) override { return FormShown(oForm); }
  bool IsShown(const Control& c) override { return ControlShown(c); }
  bool IsEnabled(const Control& c) override { return c.EnabledWithContainers(); }
  std::string CaptionOf(const Form& oForm) override { return oForm.Caption(); }
  std::string TextOf(const Control& c) override { return ControlText(c); }
  int32_t ValueOf(const Control& c) override { return ControlValue(c); }
  TwipsRect ClientOf(const Form& oForm) override { return {0, 0, oForm.ScaleWidth(), oForm.ScaleHeight()}; }
  WindowHandle OwnerOf(const Form& oForm) override { return oForm.Owner(); }
  std::string SelectedNodeOf(const TreeView& oTree) override {
    return oTree.SelectedItem() ? oTree.SelectedItem()->sKey : std::string();
  }
  int32_t TopRowOf(const Grid& oGrid) override { return oGrid.TopRow(); }

 private:
  bool Focus(Control& c) {
    if (!TakesInput(c)) return false;
    bool bDone = false;
    m_oBackend.Dispatch([&] {
      c.SetFocus();
      bDone = true;
    });
    return bDone;
  }

  void MouseOnCell(Grid& oGrid, int32_t nRow, int32_t nCol, bool bDouble) {
    if (!TakesInput(oGrid)) return;
    const TwipsRect rc = oGrid.CellRect(nRow, nCol);
    if (rc.nWidth <= 0 || rc.nHeight <= 0)
      host::Raise(host::err::InvalidProcedureCall, "The cell (" + std::to_string(nRow) + ", " +
                                                       std::to_string(nCol) + ") of " + oGrid.Name() +
                                                       " is not on the screen");
    const intptr_t nAt = MakeLParam((rc.nLeft + rc.nWidth / 2) / PortableForms::kTwipsPerPixel,
                                    (rc.nTop + rc.nHeight / 2) / PortableForms::kTwipsPerPixel);
    if (!Focus(oGrid)) return;
    const WindowHandle h = oGrid.hWnd();
    m_oBackend.SendWindowMessage(h, wm::LButtonDown, 1, nAt);
    m_oBackend.SendWindowMessage(h, wm::LButtonUp, 0, nAt);
    if (!bDouble) return;
    m_oBackend.SendWindowMessage(h, wm::LButtonDblClk, 1, nAt);
    m_oBackend.SendWindowMessage(h, wm::LButtonUp, 0, nAt);
  }

  PortableForms& m_oBackend;
};

// What the toolkit's controls do with their messages when no other procedure took them.
intptr_t DefaultHandling(PortableForms& oBackend, Control& c, uint32_t uMsg, uintptr_t wParam,
                         intptr_t lParam) {
  auto* pGrid = dynamic_cast<Grid*>(&c);
  const float x = float(int16_t(lParam & 0xFFFF) * PortableForms::kTwipsPerPixel);
  const float y = float(int16_t((lParam >> 16) & 0xFFFF) * PortableForms::kTwipsPerPixel);
  switch (uMsg) {
    case wm::KeyDown:
      if (c.Parent().RouteKeyDown(c, static_cast<int16_t>(wParam), 0)) return 1;
      if (pGrid) pGrid->NativeKey(static_cast<int16_t>(wParam));
      return 0;
    case wm::Char: TypeChar(c, static_cast<int16_t>(wParam & 0xFF)); return 0;
    case wm::VScroll:
      if (pGrid) {
        const int16_t nCode = static_cast<int16_t>(wParam & 0xFFFF);
        pGrid->NativeVScroll(nCode, oBackend.ThumbRow());
      }
      return 0;
    case wm::LButtonDown:
      if (pGrid) pGrid->NativeMouseDown(vbLeftButton, 0, x, y);
      return 0;
    case wm::LButtonUp:
      if (pGrid) pGrid->NativeMouseUp(vbLeftButton, 0, x, y);
      return 0;
    case wm::LButtonDblClk:
      if (pGrid) pGrid->NativeDblClick();
      return 0;
    default: return 0;  // the wheel among them: none of the controls scrolls by it itself
  }
}

}  // namespace

PortableForms::PortableForms() : m_pDriver(std::make_unique<PortableDriver>(*this)) {}
PortableForms::~PortableForms() = default;

std::shared_ptr<FormPeer> PortableForms::CreateForm(Form& oForm) {
  return std::make_shared<PortableFormPeer>(*this, oForm);
}

FormsDriver& PortableForms::Driver() {
  return *m_pDriver;
}

void PortableForms::RegisterWindow(WindowHandle hWnd, Control& oControl) {
  const int32_t nStyle = kWsChild | (oControl.GetKind() == Control::Kind::TreeView ? kTreeStyle : 0);
  m_mapWindows[hWnd] = Window{&oControl, &ControlProc, nStyle, 0};
}

void PortableForms::UnregisterWindow(WindowHandle hWnd) {
  m_mapWindows.erase(hWnd);
}

PortableForms::Window* PortableForms::FindWindow(WindowHandle hWnd) {
  auto it = m_mapWindows.find(hWnd);
  return it == m_mapWindows.end() ? nullptr : &it->second;
}

intptr_t QUILLO_WINAPI PortableForms::ControlProc(WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam,
                                                  intptr_t lParam) {
  auto* pSelf = HasFormsBackend() ? dynamic_cast<PortableForms*>(&Forms()) : nullptr;
  Window* pWindow = pSelf ? pSelf->FindWindow(hWnd) : nullptr;
  if (!pWindow) return 0;
  Control& oControl = *pWindow->pControl;
  // A window procedure returns to the window manager: what a handler lets escape is kept.
  intptr_t nResult = 0;
  pSelf->Dispatch([&] { nResult = DefaultHandling(*pSelf, oControl, uMsg, wParam, lParam); });
  return nResult;
}

WindowProcedure PortableForms::SetWindowProcedure(WindowHandle hWnd, WindowProcedure pfnNew) {
  Window* pWindow = FindWindow(hWnd);
  if (!pWindow || !pfnNew) return nullptr;
  return std::exchange(pWindow->pfnProc, pfnNew);
}

WindowProcedure PortableForms::GetWindowProcedure(WindowHandle hWnd) {
  Window* pWindow = FindWindow(hWnd);
  return pWindow ? pWindow->pfnProc : nullptr;
}

intptr_t PortableForms::CallWindowProcedure(WindowProcedure pfnPrev, WindowHandle hWnd, uint32_t uMsg,
                                            uintptr_t wParam, intptr_t lParam) {
  return pfnPrev ? pfnPrev(hWnd, uMsg, wParam, lParam) : 0;
}

intptr_t PortableForms::SendWindowMessage(WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam,
                                          intptr_t lParam) {
  Window* pWindow = FindWindow(hWnd);
  return pWindow ? pWindow->pfnProc(hWnd, uMsg, wParam, lParam) : 0;
}

int32_t PortableForms::GetWindowLongValue(WindowHandle hWnd, int32_t nIndex) {
  Window* pWindow = FindWindow(hWnd);
  if (!pWindow) return 0;
  if (nIndex == kGwlExStyle) return pWindow->nExStyle;
  if (nIndex != kGwlStyle) return 0;
  const Control& c = *pWindow->pControl;
  return pWindow->nStyle | (c.ShownWithContainers() ? kWsVisible : 0) |
         (c.EnabledWithContainers() ? 0 : kWsDisabled);
}

int32_t PortableForms::SetWindowLongValue(WindowHandle hWnd, int32_t nIndex, int32_t nValue) {
  const int32_t nOld = GetWindowLongValue(hWnd, nIndex);
  Window* pWindow = FindWindow(hWnd);
  if (!pWindow) return 0;
  if (nIndex == kGwlExStyle) pWindow->nExStyle = nValue;
  // Visible and disabled follow the control's own properties.
  if (nIndex == kGwlStyle) pWindow->nStyle = nValue & ~(kWsVisible | kWsDisabled);
  return nOld;
}

bool PortableForms::QuerySystemParameter(uint32_t uiAction, uint32_t, void* pvParam, uint32_t) {
  if (uiAction != kSpiGetWheelScrollLines || !pvParam || m_bSpiFails) return false;
  *static_cast<uint32_t*>(pvParam) = m_nWheelLines;
  return true;
}

std::shared_ptr<PortableForms> InstallPortableForms() {
  auto pForms = std::make_shared<PortableForms>();
  SetFormsBackend(pForms);
  return pForms;
}

}  // namespace platform::portable
