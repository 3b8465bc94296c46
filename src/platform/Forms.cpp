#include "platform/Forms.h"

#include <algorithm>
#include <sstream>
#include <utility>

#include "host/ScopeExit.h"
#include "platform/Controls.h"
#include "platform/Ui.h"

namespace platform {
namespace {

std::shared_ptr<FormsBackend> g_pForms;

// Controls that take the focus with Tab.
bool IsTabStop(const Control& c) {
  switch (c.GetKind()) {
    case Control::Kind::Button:
    case Control::Kind::CheckBox:
    case Control::Kind::TextBox:
    case Control::Kind::TreeView:
    case Control::Kind::Grid: return true;
    default: return false;
  }
}

bool IsUsable(const Control* p) {
  return p && p->ShownWithContainers() && p->EnabledWithContainers();
}

}  // namespace

// --- Backend ------------------------------------------------------------------------------------

void FormsBackend::RecordEscapedError() noexcept {
  try {
    m_vecEscaped.push_back(host::CurrentError());
    if (auto fn = fnOnEscapedError) fn(m_vecEscaped.back());
  } catch (...) {
  }
}

FormsBackend& Forms() {
  if (!g_pForms) host::Raise(host::err::E_FAIL, "No forms backend is installed");
  return *g_pForms;
}

bool HasFormsBackend() {
  return static_cast<bool>(g_pForms);
}

std::shared_ptr<FormsBackend> SetFormsBackend(std::shared_ptr<FormsBackend> pBackend) {
  return std::exchange(g_pForms, std::move(pBackend));
}

void FormsDriver::PostClick(Control& oControl) {
  std::weak_ptr<void> wAlive = oControl.Alive();
  Control* pControl = &oControl;
  // The driver of the backend in place when the click arrives; a control gone by then is
  // simply not there to be clicked.
  Loop().Post([wAlive, pControl] {
    if (wAlive.lock()) Forms().Driver().Click(*pControl);
  });
}

// --- Control ------------------------------------------------------------------------------------

Control::Control(Form& oForm, std::string sName, Kind eKind, TwipsRect rcBounds, Control* pContainer)
    : m_oForm(oForm), m_sName(std::move(sName)), m_eKind(eKind), m_pContainer(pContainer) {
  m_oCommon.now.rcBounds = rcBounds;
  m_oForm.Register(this);
}

Control::~Control() {
  m_pPeer.reset();
  m_oForm.Unregister(this);
}

void Control::Changed(Prop eProp, bool bSyncPeer) {
  OnPropertyChanged(eProp);
  if (m_pPeer && bSyncPeer) m_pPeer->Sync(eProp);
  if (m_oForm.IsLoaded() && HasFormsBackend()) Forms().OnControlChanged.Raise(*this, eProp);
}

void Control::ChangedWithChildren(Prop eProp) {
  Changed(eProp);
  // Controls inside a frame follow it on the screen.
  for (Control* pOther : m_oForm.Controls())
    for (Control* p = pOther->Container(); p; p = p->Container())
      if (p == this) {
        pOther->Changed(eProp);
        break;
      }
}

void Control::SetVisible(bool bVisible) {
  if (m_oCommon.now.bVisible == bVisible) return;
  m_oCommon.now.bVisible = bVisible;
  ChangedWithChildren(Prop::Visible);
}

void Control::SetEnabled(bool bEnabled) {
  if (m_oCommon.now.bEnabled == bEnabled) return;
  m_oCommon.now.bEnabled = bEnabled;
  ChangedWithChildren(Prop::Enabled);
}

void Control::Move(TwipsRect rcBounds) {
  if (m_oCommon.now.rcBounds == rcBounds) return;
  m_oCommon.now.rcBounds = rcBounds;
  ChangedWithChildren(Prop::Bounds);
}

bool Control::ShownWithContainers() const {
  for (const Control* p = this; p; p = p->Container())
    if (!p->Visible()) return false;
  return true;
}

bool Control::EnabledWithContainers() const {
  for (const Control* p = this; p; p = p->Container())
    if (!p->Enabled()) return false;
  return true;
}

TwipsRect Control::FormBounds() const {
  TwipsRect rc = Bounds();
  for (const Control* p = Container(); p; p = p->Container()) {
    rc.nLeft += p->Bounds().nLeft;
    rc.nTop += p->Bounds().nTop;
  }
  return rc;
}

WindowHandle Control::hWnd() const {
  return m_pPeer ? m_pPeer->Handle() : 0;
}

void Control::SetFocus() {
  // As in Visual Basic: only a loaded, visible and enabled control can take the focus.
  if (!m_oForm.IsLoaded() || !IsWindowed() || !IsUsable(this))
    host::Raise(host::err::InvalidProcedureCall, "The control " + m_sName + " cannot take the focus");
  m_oForm.NoteFocus(this);
  if (m_pPeer) m_pPeer->Focus();
}

// --- Form ---------------------------------------------------------------------------------------

Form::Form(std::string sName, std::string sCaption, int32_t nClientWidth, int32_t nClientHeight)
    : m_sName(std::move(sName)), m_nClientWidth(nClientWidth), m_nClientHeight(nClientHeight) {
  m_o.now.sCaption = std::move(sCaption);
}

Form::~Form() {
  // The controls, members of the derived form, have gone with their windows already.
  m_pPeer.reset();
}

void Form::Unregister(Control* pControl) {
  m_vecControls.erase(std::remove(m_vecControls.begin(), m_vecControls.end(), pControl), m_vecControls.end());
  if (m_pActiveControl == pControl) m_pActiveControl = nullptr;
}

void Form::Sync(Prop eProp) {
  if (m_pPeer) m_pPeer->Sync(eProp);
}

void Form::Load() {
  if (IsLoaded()) return;
  m_o.Keep(!m_bDesignKept);
  for (Control* p : m_vecControls) p->DesignState(!m_bDesignKept);
  m_bDesignKept = true;
  m_hOwner = 0;
  m_bVisible = false;
  m_pActiveControl = nullptr;

  m_pPeer = Forms().CreateForm(*this);
  try {
    for (Control* p : m_vecControls)
      if (p->IsWindowed()) p->Attach(m_pPeer->CreateControl(*p));
  } catch (...) {
    DestroyWindow();
    throw;
  }
  for (Control* p : m_vecControls)
    if (IsTabStop(*p) && IsUsable(p)) {
      m_pActiveControl = p;
      break;
    }
  for (Control* p : m_vecControls) p->OnFormLoaded();
  Form_Load();
}

void Form::Show(int32_t nModal) {
  if (nModal == vbModal && IsLoaded() && m_bVisible)
    host::Raise(400, "Form already displayed; can't show modally");
  Load();
  if (!IsLoaded()) return;  // Form_Load unloaded it again
  std::shared_ptr<FormPeer> pPeer = m_pPeer;
  const bool bWasVisible = m_bVisible;
  m_bVisible = true;
  pPeer->Show();
  if (!bWasVisible) Forms().OnFormShown.Raise(*this);
  if (nModal == vbModal && IsLoaded() && m_bVisible) pPeer->RunModal();
}

void Form::Hide() {
  if (!IsLoaded() || !m_bVisible) return;
  m_bVisible = false;
  m_pPeer->Hide();
}

bool Form::Unload(int16_t nUnloadMode) {
  if (!IsLoaded()) return true;
  if (m_bUnloading) return false;  // asked again from its own QueryUnload or Unload
  m_bUnloading = true;
  host::ScopeExit oGuard([this] { m_bUnloading = false; });
  int16_t nCancel = 0;
  Form_QueryUnload(nCancel, nUnloadMode);
  if (nCancel != 0 || !IsLoaded()) return false;
  Form_Unload(nCancel);
  if (nCancel != 0) return false;
  DestroyWindow();
  Forms().OnFormUnloaded.Raise(*this);
  return true;
}

void Form::DestroyWindow() {
  for (Control* p : m_vecControls) p->OnFormUnloading();
  m_bVisible = false;
  m_pActiveControl = nullptr;
  // A window procedure below us on the stack may still hold the peer; it goes when that returns.
  std::shared_ptr<FormPeer> pPeer = std::move(m_pPeer);
  for (Control* p : m_vecControls) p->Detach();
  pPeer.reset();
}

void Form::SetCaption(std::string sCaption) {
  m_o.now.sCaption = std::move(sCaption);
  Sync(Prop::Caption);
}

void Form::SetIcon(PicturePtr pIcon) {
  m_o.now.pIcon = std::move(pIcon);
  Sync(Prop::Icon);
}

WindowHandle Form::hWnd() const {
  return m_pPeer ? m_pPeer->Handle() : 0;
}

void Form::SetOwner(WindowHandle hOwner) {
  m_hOwner = hOwner;
  Sync(Prop::Owner);
}

Control* Form::FindControl(const std::string& sName) const {
  for (Control* p : m_vecControls)
    if (p->Name() == sName) return p;
  return nullptr;
}

Button* Form::DefaultButton() const {
  for (Control* p : m_vecControls)
    if (auto* pButton = dynamic_cast<Button*>(p); pButton && pButton->Default()) return pButton;
  return nullptr;
}

Button* Form::CancelButton() const {
  for (Control* p : m_vecControls)
    if (auto* pButton = dynamic_cast<Button*>(p); pButton && pButton->Cancel()) return pButton;
  return nullptr;
}

Control* Form::NextTabStop(Control* pFrom, bool bBackward) const {
  std::vector<Control*> vecStops;
  for (Control* p : m_vecControls)
    if (IsTabStop(*p) && (IsUsable(p) || p == pFrom)) vecStops.push_back(p);
  if (vecStops.empty()) return nullptr;
  auto it = std::find(vecStops.begin(), vecStops.end(), pFrom);
  if (it == vecStops.end()) return bBackward ? vecStops.back() : vecStops.front();
  size_t n = static_cast<size_t>(it - vecStops.begin());
  size_t nNext = bBackward ? (n + vecStops.size() - 1) % vecStops.size() : (n + 1) % vecStops.size();
  return vecStops[nNext];
}

bool Form::RouteKeyDown(Control& oFocus, int16_t nKeyCode, int16_t nShift) {
  auto* pFocusButton = dynamic_cast<Button*>(&oFocus);
  if (nKeyCode == vbKeyReturn && nShift == 0) {
    // A focused button takes Enter itself; otherwise the default button does.
    Button* pTarget = pFocusButton ? pFocusButton : DefaultButton();
    if (IsUsable(pTarget)) {
      pTarget->PerformClick();
      return true;
    }
  }
  if (nKeyCode == vbKeyEscape && nShift == 0 && IsUsable(CancelButton())) {
    CancelButton()->PerformClick();
    return true;
  }
  if (nKeyCode == vbKeyTab && (nShift & ~vbShiftMask) == 0) {
    if (Control* pNext = NextTabStop(&oFocus, (nShift & vbShiftMask) != 0); pNext && pNext != &oFocus)
      pNext->SetFocus();
    return true;
  }
  if (nKeyCode == vbKeySpace && nShift == 0) {
    if (pFocusButton) {
      pFocusButton->PerformClick();
      return true;
    }
    if (auto* pCheck = dynamic_cast<CheckBox*>(&oFocus)) {
      pCheck->Toggle();
      return true;
    }
  }
  int16_t nCode = nKeyCode;
  oFocus.KeyDown.Raise(nCode, nShift);
  return nCode == 0;
}

int16_t Form::RouteKeyPress(Control& oFocus, int16_t nKeyAscii) {
  // The characters of keys the form itself takes never reach the control.
  const bool bButton = dynamic_cast<Button*>(&oFocus) != nullptr;
  if (nKeyAscii == vbKeyTab || (nKeyAscii == vbKeyReturn && (bButton || IsUsable(DefaultButton()))) ||
      (nKeyAscii == vbKeyEscape && IsUsable(CancelButton())) ||
      (nKeyAscii == vbKeySpace && (bButton || dynamic_cast<CheckBox*>(&oFocus))))
    return 0;
  int16_t nAscii = nKeyAscii;
  oFocus.KeyPress.Raise(nAscii);
  return nAscii;
}

// --- Describing a form --------------------------------------------------------------------------

namespace {

std::string Quoted(const std::string& s) {
  return "\"" + s + "\"";
}

std::string DescribeControl(const Control& c) {
  std::ostringstream os;
  if (auto* p = dynamic_cast<const Label*>(&c)) {
    os << "label " << c.Name() << ": " << Quoted(p->Caption());
  } else if (auto* p = dynamic_cast<const Button*>(&c)) {
    os << "button " << c.Name() << ": " << Quoted(p->Caption()) << (p->Default() ? " [default]" : "")
       << (p->Cancel() ? " [cancel]" : "");
  } else if (auto* p = dynamic_cast<const CheckBox*>(&c)) {
    os << "check box " << c.Name() << ": ["
       << (p->Value() == vbChecked  ? "x"
           : p->Value() == vbGrayed ? "-"
                                    : " ")
       << "] " << Quoted(p->Caption());
  } else if (auto* p = dynamic_cast<const Frame*>(&c)) {
    os << "frame " << c.Name() << ": " << Quoted(p->Caption());
  } else if (auto* p = dynamic_cast<const TextBox*>(&c)) {
    os << "text box " << c.Name() << ": " << Quoted(p->Text());
  } else if (auto* p = dynamic_cast<const Image*>(&c)) {
    os << "image " << c.Name() << ": ";
    if (p->Picture())
      os << p->Picture()->nWidth << " x " << p->Picture()->nHeight << " picture";
    else
      os << "no picture";
  } else if (auto* p = dynamic_cast<const ProgressBar*>(&c)) {
    os << "progress bar " << c.Name() << ": " << p->Value() << " (" << p->Min() << " to " << p->Max() << ")";
  } else if (auto* p = dynamic_cast<const TreeView*>(&c)) {
    os << "tree view " << c.Name() << ": " << p->NodeCount() << " nodes";
    if (p->SelectedItem()) os << ", selected " << Quoted(p->SelectedItem()->sText);
  } else if (auto* p = dynamic_cast<const Grid*>(&c)) {
    os << "grid " << c.Name() << ": " << p->Rows() << " x " << p->Cols() << ", top row " << p->TopRow()
       << ", row " << p->Row();
  } else {
    os << "control " << c.Name();
  }
  if (!c.EnabledWithContainers()) os << " [disabled]";
  return os.str();
}

}  // namespace

std::string DescribeForm(const Form& oForm) {
  std::ostringstream os;
  os << "form " << oForm.Name() << " " << Quoted(oForm.Caption()) << " (" << oForm.ScaleWidth() << " x "
     << oForm.ScaleHeight() << " twips" << (oForm.Icon() ? ", icon" : "") << (oForm.Owner() ? ", owned" : "")
     << ")\n";
  for (const Control* p : oForm.Controls())
    if (p->IsWindowed() && p->ShownWithContainers()) os << "  " << DescribeControl(*p) << "\n";
  return os.str();
}

}  // namespace platform
