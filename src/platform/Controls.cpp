#include "platform/Controls.h"

#include <algorithm>
#include <utility>

#include "host/Text.h"

namespace platform {
namespace {

// Visual Basic's "Invalid property value".
constexpr int32_t kInvalidPropertyValue = 380;
// The common controls' "Element not found".
constexpr int32_t kElementNotFound = 35601;

[[noreturn]] void NotBuiltYet(const char* sMember) {
  host::Raise(host::err::NoSuchMember, std::string("The ") + sMember + " control is not built yet");
}

}  // namespace

// --- Label, Frame -------------------------------------------------------------------------------

Label::Label(Form& oForm, std::string sName, TwipsRect rc, std::string sCaption, Control* pContainer)
    : Control(oForm, std::move(sName), Kind::Label, rc, pContainer) {
  m_o.now = std::move(sCaption);
}

void Label::SetCaption(std::string sCaption) {
  if (m_o.now == sCaption) return;
  m_o.now = std::move(sCaption);
  Changed(Prop::Caption);
}

void Label::DesignState(bool bCapture) {
  Control::DesignState(bCapture);
  m_o.Keep(bCapture);
}

Frame::Frame(Form& oForm, std::string sName, TwipsRect rc, std::string sCaption, Control* pContainer)
    : Control(oForm, std::move(sName), Kind::Frame, rc, pContainer) {
  m_o.now = std::move(sCaption);
}

void Frame::SetCaption(std::string sCaption) {
  if (m_o.now == sCaption) return;
  m_o.now = std::move(sCaption);
  Changed(Prop::Caption);
}

void Frame::DesignState(bool bCapture) {
  Control::DesignState(bCapture);
  m_o.Keep(bCapture);
}

// --- Button -------------------------------------------------------------------------------------

Button::Button(Form& oForm, std::string sName, TwipsRect rc, std::string sCaption, Control* pContainer)
    : Control(oForm, std::move(sName), Kind::Button, rc, pContainer) {
  m_o.now.sCaption = std::move(sCaption);
}

void Button::SetCaption(std::string sCaption) {
  if (m_o.now.sCaption == sCaption) return;
  m_o.now.sCaption = std::move(sCaption);
  Changed(Prop::Caption);
}

void Button::SetDefault(bool bDefault) {
  if (bDefault)
    for (Control* p : Parent().Controls())
      if (auto* pOther = dynamic_cast<Button*>(p); pOther && pOther != this) pOther->SetDefault(false);
  if (m_o.now.bDefault == bDefault) return;
  m_o.now.bDefault = bDefault;
  Changed(Prop::Role);
}

void Button::SetCancel(bool bCancel) {
  if (bCancel)
    for (Control* p : Parent().Controls())
      if (auto* pOther = dynamic_cast<Button*>(p); pOther && pOther != this) pOther->SetCancel(false);
  if (m_o.now.bCancel == bCancel) return;
  m_o.now.bCancel = bCancel;
  Changed(Prop::Role);
}

void Button::PerformClick() {
  if (EnabledWithContainers()) Click.Raise();
}

void Button::DesignState(bool bCapture) {
  Control::DesignState(bCapture);
  m_o.Keep(bCapture);
}

// --- CheckBox -----------------------------------------------------------------------------------

CheckBox::CheckBox(Form& oForm, std::string sName, TwipsRect rc, std::string sCaption, Control* pContainer)
    : Control(oForm, std::move(sName), Kind::CheckBox, rc, pContainer) {
  m_o.now.sCaption = std::move(sCaption);
}

void CheckBox::SetCaption(std::string sCaption) {
  if (m_o.now.sCaption == sCaption) return;
  m_o.now.sCaption = std::move(sCaption);
  Changed(Prop::Caption);
}

void CheckBox::SetValue(int16_t nValue) {
  if (nValue < vbUnchecked || nValue > vbGrayed) host::Raise(kInvalidPropertyValue, "Invalid property value");
  Apply(nValue, true);
}

void CheckBox::NativeValue(int16_t nValue) {
  Apply(std::clamp<int16_t>(nValue, vbUnchecked, vbGrayed), false);
}

void CheckBox::Apply(int16_t nValue, bool bSyncPeer) {
  if (m_o.now.nValue == nValue) return;
  m_o.now.nValue = nValue;
  Changed(Prop::Value, bSyncPeer);
  Click.Raise();
}

void CheckBox::DesignState(bool bCapture) {
  Control::DesignState(bCapture);
  m_o.Keep(bCapture);
}

// --- TextBox ------------------------------------------------------------------------------------

TextBox::TextBox(Form& oForm, std::string sName, TwipsRect rc, std::string sText, Control* pContainer)
    : Control(oForm, std::move(sName), Kind::TextBox, rc, pContainer) {
  m_o.now = std::move(sText);
}

void TextBox::SetText(std::string sText) {
  Apply(std::move(sText), true);
}

void TextBox::NativeText(std::string sText) {
  Apply(std::move(sText), false);
}

void TextBox::Apply(std::string sText, bool bSyncPeer) {
  if (m_o.now == sText) return;
  m_o.now = std::move(sText);
  Changed(Prop::Text, bSyncPeer);
  Change.Raise();
}

void TextBox::DesignState(bool bCapture) {
  Control::DesignState(bCapture);
  m_o.Keep(bCapture);
}

// --- Image --------------------------------------------------------------------------------------

Image::Image(Form& oForm, std::string sName, TwipsRect rc, PicturePtr pPicture, Control* pContainer)
    : Control(oForm, std::move(sName), Kind::Image, rc, pContainer) {
  m_o.now = std::move(pPicture);
}

void Image::SetPicture(PicturePtr pPicture) {
  m_o.now = std::move(pPicture);
  Changed(Prop::Picture);
}

void Image::DesignState(bool bCapture) {
  Control::DesignState(bCapture);
  m_o.Keep(bCapture);
}

// --- ProgressBar --------------------------------------------------------------------------------

ProgressBar::ProgressBar(Form& oForm, std::string sName, TwipsRect rc, Control* pContainer)
    : Control(oForm, std::move(sName), Kind::ProgressBar, rc, pContainer) {}

void ProgressBar::SetMin(int32_t nMin) {
  SetRange(nMin, m_o.now.nMax);
}
void ProgressBar::SetMax(int32_t nMax) {
  SetRange(m_o.now.nMin, nMax);
}

void ProgressBar::SetRange(int32_t nMin, int32_t nMax) {
  if (nMax < nMin) host::Raise(kInvalidPropertyValue, "Invalid property value");
  if (nMin == m_o.now.nMin && nMax == m_o.now.nMax) return;
  m_o.now.nMin = nMin;
  m_o.now.nMax = nMax;
  Changed(Prop::Range);
  const int32_t nValue = std::clamp(m_o.now.nValue, nMin, nMax);
  if (nValue != m_o.now.nValue) {
    m_o.now.nValue = nValue;
    Changed(Prop::Value);
  }
}

void ProgressBar::SetValue(int32_t nValue) {
  if (nValue < m_o.now.nMin || nValue > m_o.now.nMax)
    host::Raise(kInvalidPropertyValue, "Invalid property value");
  if (nValue == m_o.now.nValue) return;
  m_o.now.nValue = nValue;
  Changed(Prop::Value);
}

void ProgressBar::DesignState(bool bCapture) {
  Control::DesignState(bCapture);
  m_o.Keep(bCapture);
}

// --- Timer --------------------------------------------------------------------------------------

Timer::Timer(Form& oForm, std::string sName, uint32_t nIntervalMs, bool bEnabled)
    : Control(oForm, std::move(sName), Kind::Timer, {}) {
  m_o.now = nIntervalMs;
  SetEnabled(bEnabled);
}

Timer::~Timer() {
  Stop();
}

void Timer::SetInterval(uint32_t nIntervalMs) {
  m_o.now = nIntervalMs;
  Restart();
}

void Timer::OnPropertyChanged(Prop eProp) {
  if (eProp == Prop::Enabled) Restart();
}

void Timer::Restart() {
  Stop();
  if (!Parent().IsLoaded() || !Enabled() || m_o.now == 0) return;
  std::weak_ptr<void> wAlive = Alive();
  m_nTimerId = Loop().SetTimer(m_o.now, [this, wAlive] {
    if (!wAlive.lock()) return;
    // A tick comes from the message loop: what its handler lets escape is kept by the forms
    // backend, as for any other window message.
    if (HasFormsBackend())
      Forms().Dispatch([this] { Tick.Raise(); });
    else
      Tick.Raise();
  });
}

void Timer::Stop() {
  if (m_nTimerId == 0) return;
  const auto nId = std::exchange(m_nTimerId, 0);
  host::IgnoreErrors([&] { Loop().KillTimer(nId); });
}

void Timer::DesignState(bool bCapture) {
  Control::DesignState(bCapture);
  m_o.Keep(bCapture);
}

// --- ImageList ----------------------------------------------------------------------------------

ImageList::ImageList(Form& oForm, std::string sName)
    : Control(oForm, std::move(sName), Kind::ImageList, {}) {}

int32_t ImageList::Add(const std::string& sKey, PicturePtr pPicture) {
  if (!pPicture || pPicture->nWidth <= 0 || pPicture->nHeight <= 0)
    host::Raise(host::err::InvalidProcedureCall, "An image list takes only pictures with pixels");
  if (!sKey.empty() && IndexOf(sKey) != 0) host::Raise(host::err::DuplicateKey);
  m_o.now.push_back({sKey, std::move(pPicture)});
  return Count();
}

int32_t ImageList::IndexOf(const std::string& sKey) const {
  for (size_t i = 0; i < m_o.now.size(); ++i)
    if (!sKey.empty() && host::EqualsNoCase(m_o.now[i].sKey, sKey)) return static_cast<int32_t>(i + 1);
  return 0;
}

PicturePtr ImageList::Item(const std::string& sKey) const {
  int32_t n = IndexOf(sKey);
  if (n == 0) host::Raise(kElementNotFound, "Element not found");
  return Item(n);
}

PicturePtr ImageList::Item(int32_t nIndex) const {
  if (nIndex < 1 || nIndex > Count()) host::Raise(kElementNotFound, "Element not found");
  return m_o.now[size_t(nIndex) - 1].pPicture;
}

void ImageList::DesignState(bool bCapture) {
  Control::DesignState(bCapture);
  m_o.Keep(bCapture);
}

// --- Reading controls ---------------------------------------------------------------------------

std::string ControlText(const Control& oControl) {
  if (auto* p = dynamic_cast<const Label*>(&oControl)) return p->Caption();
  if (auto* p = dynamic_cast<const Button*>(&oControl)) return p->Caption();
  if (auto* p = dynamic_cast<const CheckBox*>(&oControl)) return p->Caption();
  if (auto* p = dynamic_cast<const Frame*>(&oControl)) return p->Caption();
  if (auto* p = dynamic_cast<const TextBox*>(&oControl)) return p->Text();
  return {};
}

int32_t ControlValue(const Control& oControl) {
  if (auto* p = dynamic_cast<const CheckBox*>(&oControl)) return p->Value();
  if (auto* p = dynamic_cast<const ProgressBar*>(&oControl)) return p->Value();
  return 0;
}

// --- TreeView, Grid: not built yet ---------------------------------------------------------------

TreeView::TreeView(Form& oForm, std::string sName, TwipsRect rc, Control* pContainer)
    : Control(oForm, std::move(sName), Kind::TreeView, rc, pContainer) {}
TreeNode& TreeView::AddNode(const std::string&, int32_t, const std::string&, const std::string&,
                            const std::string&) {
  NotBuiltYet("tree view");
}
TreeNode* TreeView::Node(const std::string&) {
  NotBuiltYet("tree view");
}
void TreeView::ClearNodes() {
  NotBuiltYet("tree view");
}
TreeNode* TreeView::SelectedItem() {
  NotBuiltYet("tree view");
}
void TreeView::SetSelectedItem(const std::string&) {
  NotBuiltYet("tree view");
}
bool TreeView::Sorted() const {
  NotBuiltYet("tree view");
}
void TreeView::SetSorted(bool) {
  NotBuiltYet("tree view");
}
void TreeView::SetNodeSorted(const std::string&, bool) {
  NotBuiltYet("tree view");
}
void TreeView::SetImageList(ImageList*) {
  NotBuiltYet("tree view");
}

Grid::Grid(Form& oForm, std::string sName, TwipsRect rc, Control* pContainer)
    : Control(oForm, std::move(sName), Kind::Grid, rc, pContainer) {}
int32_t Grid::Rows() const {
  NotBuiltYet("grid");
}
void Grid::SetRows(int32_t) {
  NotBuiltYet("grid");
}
int32_t Grid::Cols() const {
  NotBuiltYet("grid");
}
void Grid::SetCols(int32_t) {
  NotBuiltYet("grid");
}
int32_t Grid::TopRow() const {
  NotBuiltYet("grid");
}
void Grid::SetTopRow(int32_t) {
  NotBuiltYet("grid");
}
int32_t Grid::Row() const {
  NotBuiltYet("grid");
}
void Grid::SetRow(int32_t) {
  NotBuiltYet("grid");
}
int32_t Grid::Col() const {
  NotBuiltYet("grid");
}
void Grid::SetCol(int32_t) {
  NotBuiltYet("grid");
}
int32_t Grid::RowSel() const {
  NotBuiltYet("grid");
}
void Grid::SetRowSel(int32_t) {
  NotBuiltYet("grid");
}
int32_t Grid::ColSel() const {
  NotBuiltYet("grid");
}
void Grid::SetColSel(int32_t) {
  NotBuiltYet("grid");
}
bool Grid::Redraw() const {
  NotBuiltYet("grid");
}
void Grid::SetRedraw(bool) {
  NotBuiltYet("grid");
}
int32_t Grid::RowHeight(int32_t) const {
  NotBuiltYet("grid");
}
void Grid::SetRowHeight(int32_t, int32_t) {
  NotBuiltYet("grid");
}
int32_t Grid::ColWidth(int32_t) const {
  NotBuiltYet("grid");
}
void Grid::SetColWidth(int32_t, int32_t) {
  NotBuiltYet("grid");
}
std::string Grid::TextMatrix(int32_t, int32_t) const {
  NotBuiltYet("grid");
}
void Grid::SetTextMatrix(int32_t, int32_t, std::string) {
  NotBuiltYet("grid");
}
void Grid::SetColAlignment(int32_t, int16_t) {
  NotBuiltYet("grid");
}
void Grid::SetCellAlignment(int16_t) {
  NotBuiltYet("grid");
}
void Grid::SetCellPicture(PicturePtr) {
  NotBuiltYet("grid");
}
void Grid::SetCellPictureAlignment(int16_t) {
  NotBuiltYet("grid");
}
PicturePtr Grid::CellPicture() const {
  NotBuiltYet("grid");
}
int32_t Grid::MouseRow() const {
  NotBuiltYet("grid");
}
int32_t Grid::MouseCol() const {
  NotBuiltYet("grid");
}

}  // namespace platform
