#include "platform/Controls.h"

#include <algorithm>
#include <utility>

#include "host/ScopeExit.h"
#include "host/Text.h"

namespace platform {
namespace {

// Visual Basic's "Invalid property value".
constexpr int32_t kInvalidPropertyValue = 380;
// The common controls' "Element not found".
constexpr int32_t kElementNotFound = 35601;

constexpr int32_t kKeyNotUnique = 35602;
constexpr int32_t kImageListNotSet = 35613;
constexpr int32_t kInvalidRow = 30009;
constexpr int32_t kInvalidCol = 30010;

}  // namespace

// --- Label, Frame -------------------------------------------------------------------------------

Label::Label(Form& oForm, std::string sName, TwipsRect rc, std::string sCaption, Control* pContainer)
    : Control(oForm, std::move(sName), Kind::Label, rc, pContainer) {
  m_o.now = std::move(sCaption);
}

void Label::SetCaption(std::string_view sCaption) {
  if (m_o.now == sCaption) return;
  m_o.now.assign(sCaption);
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

// --- TreeView -----------------------------------------------------------------------------------

TreeView::TreeView(Form& oForm, std::string sName, TwipsRect rc, Control* pContainer)
    : Control(oForm, std::move(sName), Kind::TreeView, rc, pContainer) {}

TreeNode& TreeView::Find(const std::string& sKey) {
  auto it = m_o.now.mapKeys.find(host::FoldCase(sKey));
  if (sKey.empty() || it == m_o.now.mapKeys.end()) host::Raise(kElementNotFound, "Element not found");
  return m_o.now.mapNodes.at(it->second);
}

TreeNode* TreeView::Node(const std::string& sKey) {
  auto it = m_o.now.mapKeys.find(host::FoldCase(sKey));
  return sKey.empty() || it == m_o.now.mapKeys.end() ? nullptr : &m_o.now.mapNodes.at(it->second);
}

const TreeNode* TreeView::Node(const std::string& sKey) const {
  return const_cast<TreeView*>(this)->Node(sKey);
}

const TreeNode* TreeView::NodeById(int32_t nId) const {
  auto it = m_o.now.mapNodes.find(nId);
  return it == m_o.now.mapNodes.end() ? nullptr : &it->second;
}

int32_t TreeView::ParentId(const TreeNode& oNode) const {
  if (oNode.sParent.empty()) return 0;
  return m_o.now.mapKeys.at(host::FoldCase(oNode.sParent));
}

bool TreeView::LevelSorted(int32_t nParent) const {
  return nParent == 0 ? m_o.now.bSorted : m_o.now.mapNodes.at(nParent).bSorted;
}

void TreeView::Notify(Change::Kind eKind, int32_t nId) {
  m_vecPending.push_back({eKind, nId});
  // The list only lives for the backend's look during this one change.
  host::ScopeExit oClear([this] { m_vecPending.clear(); });
  Changed(Prop::Content);
}

TreeNode& TreeView::AddNode(const std::string& sRelativeKey, int32_t nRelationship, const std::string& sKey,
                            const std::string& sText, const std::string& sImage) {
  State& s = m_o.now;
  if (nRelationship < tvwFirst || nRelationship > tvwChild)
    host::Raise(kInvalidPropertyValue, "Invalid property value");
  if (!sKey.empty() && s.mapKeys.count(host::FoldCase(sKey)))
    host::Raise(kKeyNotUnique, "Key is not unique in collection");
  if (!sImage.empty()) {
    if (!s.pImages) host::Raise(kImageListNotSet, "ImageList must be initialized before it can be used");
    if (s.pImages->IndexOf(sImage) == 0) host::Raise(kElementNotFound, "Element not found");
  }
  int32_t nParent = 0;
  std::vector<int32_t>* pLevel = &s.mapChildren[0];
  size_t nPos = pLevel->size();
  if (!sRelativeKey.empty()) {
    TreeNode& oRelative = Find(sRelativeKey);
    if (nRelationship == tvwChild) {
      nParent = oRelative.nId;
      pLevel = &s.mapChildren[nParent];
      nPos = pLevel->size();
    } else {
      nParent = ParentId(oRelative);
      pLevel = &s.mapChildren[nParent];
      const size_t nAt = size_t(std::find(pLevel->begin(), pLevel->end(), oRelative.nId) - pLevel->begin());
      nPos = nRelationship == tvwFirst  ? 0
             : nRelationship == tvwLast ? pLevel->size()
             : nRelationship == tvwNext ? nAt + 1
                                        : nAt;
    }
  }
  const int32_t nId = s.nNextId++;
  TreeNode& oNode = s.mapNodes[nId];
  oNode.sKey = sKey;
  oNode.sText = sText;
  oNode.sImage = sImage;
  oNode.nId = nId;
  if (nParent != 0) oNode.sParent = s.mapNodes.at(nParent).sKey;
  if (!sKey.empty()) s.mapKeys[host::FoldCase(sKey)] = nId;
  if (LevelSorted(nParent)) {
    const std::string sFolded = host::FoldCase(sText);
    nPos = size_t(std::upper_bound(pLevel->begin(), pLevel->end(), sFolded,
                                   [&](const std::string& sA, int32_t nB) {
                                     return sA < host::FoldCase(s.mapNodes.at(nB).sText);
                                   }) -
                  pLevel->begin());
  }
  pLevel->insert(pLevel->begin() + long(nPos), nId);
  Notify(Change::Added, nId);
  return s.mapNodes.at(nId);
}

void TreeView::ClearNodes() {
  State& s = m_o.now;
  if (s.mapNodes.empty()) return;
  s.mapNodes.clear();
  s.mapChildren.clear();
  s.mapKeys.clear();
  s.nSelected = 0;
  Notify(Change::Cleared, 0);
}

std::vector<const TreeNode*> TreeView::Children(const std::string& sParentKey) const {
  int32_t nParent = 0;
  if (!sParentKey.empty()) {
    const TreeNode* pParent = Node(sParentKey);
    if (!pParent) host::Raise(kElementNotFound, "Element not found");
    nParent = pParent->nId;
  }
  std::vector<const TreeNode*> vec;
  auto it = m_o.now.mapChildren.find(nParent);
  if (it != m_o.now.mapChildren.end())
    for (int32_t nId : it->second) vec.push_back(&m_o.now.mapNodes.at(nId));
  return vec;
}

TreeNode* TreeView::SelectedItem() {
  auto it = m_o.now.mapNodes.find(m_o.now.nSelected);
  return it == m_o.now.mapNodes.end() ? nullptr : &it->second;
}

const TreeNode* TreeView::SelectedItem() const {
  return const_cast<TreeView*>(this)->SelectedItem();
}

void TreeView::SetSelectedItem(const std::string& sKey) {
  if (sKey.empty()) {
    if (m_o.now.nSelected == 0) return;
    m_o.now.nSelected = 0;
    Notify(Change::Selected, 0);
    return;
  }
  TreeNode& oNode = Find(sKey);
  for (std::string sParent = oNode.sParent; !sParent.empty();) {
    TreeNode& oParent = Find(sParent);
    if (!oParent.bExpanded) {
      oParent.bExpanded = true;
      Notify(Change::Expanded, oParent.nId);
    }
    sParent = oParent.sParent;
  }
  if (m_o.now.nSelected == oNode.nId) return;
  m_o.now.nSelected = oNode.nId;
  Notify(Change::Selected, oNode.nId);
}

void TreeView::SortLevel(int32_t nParent) {
  auto it = m_o.now.mapChildren.find(nParent);
  if (it == m_o.now.mapChildren.end() || it->second.size() < 2) return;
  std::vector<std::pair<std::string, int32_t>> vec;
  for (int32_t nId : it->second) vec.emplace_back(host::FoldCase(m_o.now.mapNodes.at(nId).sText), nId);
  std::stable_sort(vec.begin(), vec.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<int32_t> vecSorted;
  for (const auto& [sText, nId] : vec) vecSorted.push_back(nId);
  if (vecSorted == it->second) return;
  it->second = std::move(vecSorted);
  Notify(Change::Reordered, nParent);
}

void TreeView::SetSorted(bool bSorted) {
  m_o.now.bSorted = bSorted;
  if (bSorted) SortLevel(0);
}

void TreeView::SetNodeSorted(const std::string& sKey, bool bSorted) {
  TreeNode& oNode = Find(sKey);
  oNode.bSorted = bSorted;
  if (bSorted) SortLevel(oNode.nId);
}

void TreeView::SetExpanded(const std::string& sKey, bool bExpanded) {
  TreeNode& oNode = Find(sKey);
  if (oNode.bExpanded == bExpanded) return;
  oNode.bExpanded = bExpanded;
  Notify(Change::Expanded, oNode.nId);
}

void TreeView::SetImageList(ImageList* pImages) {
  if (m_o.now.pImages == pImages) return;
  m_o.now.pImages = pImages;
  Notify(Change::Images, 0);
}

void TreeView::NativeClick(int32_t nId) {
  auto it = m_o.now.mapNodes.find(nId);
  if (it == m_o.now.mapNodes.end()) return;
  if (m_o.now.nSelected != nId) {
    m_o.now.nSelected = nId;
    Notify(Change::Selected, nId);
  }
  // The handler gets a copy: it may well clear the tree it was raised from.
  TreeNode oNode = it->second;
  NodeClick.Raise(oNode);
}

void TreeView::NativeSelect(int32_t nId) {
  if (nId == m_o.now.nSelected) return;
  NativeClick(nId);
}

void TreeView::NativeExpand(int32_t nId, bool bExpanded) {
  auto it = m_o.now.mapNodes.find(nId);
  if (it == m_o.now.mapNodes.end() || it->second.bExpanded == bExpanded) return;
  it->second.bExpanded = bExpanded;
  Notify(Change::Expanded, nId);
}

void TreeView::DesignState(bool bCapture) {
  Control::DesignState(bCapture);
  m_o.Keep(bCapture);
}

// --- Grid ---------------------------------------------------------------------------------------

Grid::Grid(Form& oForm, std::string sName, TwipsRect rc, Control* pContainer)
    : Control(oForm, std::move(sName), Kind::Grid, rc, pContainer) {}

void Grid::CheckRow(int32_t nRow) const {
  if (nRow < 0 || nRow >= Rows()) host::Raise(kInvalidRow, "Invalid Row value");
}

void Grid::CheckCol(int32_t nCol) const {
  if (nCol < 0 || nCol >= Cols()) host::Raise(kInvalidCol, "Invalid Col value");
}

void Grid::Clamp() {
  State& s = m_o.now;
  const int32_t nLast = Rows() - 1;
  // With no scrollable row the current cell has to sit in the header; once rows come back it
  // goes to the first of them, not to stay on the header.
  const int32_t nFirst = nLast >= FixedRows() ? FixedRows() : 0;
  auto pull = [&](int32_t& n, bool& bParked) {
    if (bParked && nFirst > 0) {
      n = nFirst;
      bParked = false;
    }
    if (n > nLast) {
      n = nLast;
      bParked = nLast < FixedRows();
    }
  };
  pull(s.nRow, m_bRowParked);
  pull(s.nRowSel, m_bRowSelParked);
  s.nCol = std::min(s.nCol, Cols() - 1);
  s.nColSel = std::min(s.nColSel, Cols() - 1);
  const int32_t nTop = std::clamp(s.nTopRow, FixedRows(), MaxTopRow());
  if (nTop != s.nTopRow) ScrollTo(nTop);
}

void Grid::SetRows(int32_t nRows) {
  if (nRows < FixedRows()) host::Raise(kInvalidPropertyValue, "Invalid property value");
  if (nRows == Rows()) return;
  m_o.now.vecRows.resize(size_t(nRows));
  Clamp();
  Changed(Prop::Content);
}

void Grid::SetCols(int32_t nCols) {
  if (nCols < 1) host::Raise(kInvalidPropertyValue, "Invalid property value");
  if (nCols == Cols()) return;
  m_o.now.vecCols.resize(size_t(nCols));
  for (RowData& oRow : m_o.now.vecRows)
    if (oRow.vecCells.size() > size_t(nCols)) oRow.vecCells.resize(size_t(nCols));
  Clamp();
  Changed(Prop::Content);
}

int32_t Grid::MaxTopRow() const {
  const int32_t nView = ClientHeight() - RowHeight(0);
  int32_t nTop = std::max(FixedRows(), Rows() - 1), nSum = 0;
  for (int32_t r = Rows() - 1; r >= FixedRows(); --r) {
    nSum += RowHeight(r);
    if (nSum > nView) break;
    nTop = r;
  }
  return nTop;
}

void Grid::ScrollTo(int32_t nTopRow) {
  nTopRow = std::clamp(nTopRow, FixedRows(), MaxTopRow());
  if (nTopRow == m_o.now.nTopRow) return;
  m_o.now.nTopRow = nTopRow;
  Changed(Prop::Content);
  Scroll.Raise();
}

void Grid::SetTopRow(int32_t nRow) {
  CheckRow(nRow);
  ScrollTo(nRow);
}

void Grid::SetRow(int32_t nRow) {
  CheckRow(nRow);
  m_bRowParked = m_bRowSelParked = false;
  if (m_o.now.nRow == nRow && m_o.now.nRowSel == nRow) return;
  m_o.now.nRow = m_o.now.nRowSel = nRow;
  Changed(Prop::Content);
}

void Grid::SetCol(int32_t nCol) {
  CheckCol(nCol);
  if (m_o.now.nCol == nCol && m_o.now.nColSel == nCol) return;
  m_o.now.nCol = m_o.now.nColSel = nCol;
  Changed(Prop::Content);
}

void Grid::SetRowSel(int32_t nRow) {
  CheckRow(nRow);
  m_bRowSelParked = false;
  if (m_o.now.nRowSel == nRow) return;
  m_o.now.nRowSel = nRow;
  Changed(Prop::Content);
}

void Grid::SetColSel(int32_t nCol) {
  CheckCol(nCol);
  if (m_o.now.nColSel == nCol) return;
  m_o.now.nColSel = nCol;
  Changed(Prop::Content);
}

void Grid::SetSelectionMode(int16_t nMode) {
  if (nMode != flexSelectionFree && nMode != flexSelectionByRow)
    host::Raise(kInvalidPropertyValue, "Invalid property value");
  m_o.now.nSelectionMode = nMode;
}

void Grid::SetRedraw(bool bRedraw) {
  if (m_o.now.bRedraw == bRedraw) return;
  m_o.now.bRedraw = bRedraw;
  Changed(Prop::Content);
}

int32_t Grid::RowHeight(int32_t nRow) const {
  CheckRow(nRow);
  const int32_t n = m_o.now.vecRows[size_t(nRow)].nHeight;
  return n < 0 ? kDefaultRowHeight : n;
}

void Grid::SetRowHeight(int32_t nRow, int32_t nTwips) {
  CheckRow(nRow);
  if (nTwips < -1) host::Raise(kInvalidPropertyValue, "Invalid property value");
  int32_t& n = m_o.now.vecRows[size_t(nRow)].nHeight;
  if (n == nTwips) return;
  n = nTwips;
  Clamp();
  Changed(Prop::Content);
}

int32_t Grid::ColWidth(int32_t nCol) const {
  CheckCol(nCol);
  const int32_t n = m_o.now.vecCols[size_t(nCol)].nWidth;
  return n < 0 ? kDefaultColWidth : n;
}

void Grid::SetColWidth(int32_t nCol, int32_t nTwips) {
  CheckCol(nCol);
  if (nTwips < -1) host::Raise(kInvalidPropertyValue, "Invalid property value");
  int32_t& n = m_o.now.vecCols[size_t(nCol)].nWidth;
  if (n == nTwips) return;
  n = nTwips;
  Changed(Prop::Content);
}

const Grid::Cell* Grid::CellAt(int32_t nRow, int32_t nCol) const {
  if (nRow < 0 || nRow >= Rows() || nCol < 0) return nullptr;
  const auto& vecCells = m_o.now.vecRows[size_t(nRow)].vecCells;
  return size_t(nCol) < vecCells.size() ? &vecCells[size_t(nCol)] : nullptr;
}

Grid::Cell& Grid::WritableCell(int32_t nRow, int32_t nCol) {
  CheckRow(nRow);
  CheckCol(nCol);
  auto& vecCells = m_o.now.vecRows[size_t(nRow)].vecCells;
  if (vecCells.size() < size_t(Cols())) vecCells.resize(size_t(Cols()));
  return vecCells[size_t(nCol)];
}

std::string Grid::TextMatrix(int32_t nRow, int32_t nCol) const {
  CheckRow(nRow);
  CheckCol(nCol);
  const Cell* p = CellAt(nRow, nCol);
  return p ? p->sText : std::string();
}

void Grid::SetTextMatrix(int32_t nRow, int32_t nCol, std::string sText) {
  Cell& oCell = WritableCell(nRow, nCol);
  if (oCell.sText == sText) return;
  oCell.sText = std::move(sText);
  Changed(Prop::Content);
}

namespace {
void CheckAlignment(int16_t nAlignment) {
  if (nAlignment < flexAlignLeftTop || nAlignment > flexAlignGeneral)
    host::Raise(kInvalidPropertyValue, "Invalid property value");
}
}  // namespace

int16_t Grid::ColAlignment(int32_t nCol) const {
  CheckCol(nCol);
  return m_o.now.vecCols[size_t(nCol)].nAlignment;
}

void Grid::SetColAlignment(int32_t nCol, int16_t nAlignment) {
  CheckCol(nCol);
  CheckAlignment(nAlignment);
  m_o.now.vecCols[size_t(nCol)].nAlignment = nAlignment;
  Changed(Prop::Content);
}

int16_t Grid::EffectiveAlignment(int32_t nRow, int32_t nCol) const {
  const Cell* p = CellAt(nRow, nCol);
  return p && p->nAlignment >= 0 ? p->nAlignment : ColAlignment(nCol);
}

int16_t Grid::CellAlignment() const {
  return EffectiveAlignment(Row(), Col());
}

void Grid::SetCellAlignment(int16_t nAlignment) {
  CheckAlignment(nAlignment);
  WritableCell(Row(), Col()).nAlignment = nAlignment;
  Changed(Prop::Content);
}

void Grid::SetCellPicture(PicturePtr pPicture) {
  WritableCell(Row(), Col()).pPicture = std::move(pPicture);
  Changed(Prop::Content);
}

PicturePtr Grid::CellPicture() const {
  CheckRow(Row());
  CheckCol(Col());
  const Cell* p = CellAt(Row(), Col());
  return p ? p->pPicture : nullptr;
}

int16_t Grid::CellPictureAlignment() const {
  const Cell* p = CellAt(Row(), Col());
  return p ? p->nPictureAlignment : Cell().nPictureAlignment;
}

void Grid::SetCellPictureAlignment(int16_t nAlignment) {
  if (nAlignment < flexAlignLeftTop || nAlignment > flexAlignRightBottom)
    host::Raise(kInvalidPropertyValue, "Invalid property value");
  WritableCell(Row(), Col()).nPictureAlignment = nAlignment;
  Changed(Prop::Content);
}

int32_t Grid::ClientWidth() const {
  return std::max(0, Bounds().nWidth - 2 * kBorder);
}

int32_t Grid::ClientHeight() const {
  return std::max(0, Bounds().nHeight - 2 * kBorder);
}

bool Grid::RowIsVisible(int32_t nRow) const {
  CheckRow(nRow);
  return CellRect(nRow, 0).nHeight > 0;
}

int32_t Grid::BottomRow() const {
  int32_t nLast = TopRow() - 1;
  const int32_t nView = ClientHeight();
  for (int32_t r = TopRow(), y = RowHeight(0); r < Rows() && y < nView; ++r) {
    if (RowHeight(r) > 0) nLast = r;
    y += RowHeight(r);
  }
  return nLast;
}

TwipsRect Grid::CellRect(int32_t nRow, int32_t nCol) const {
  if (nRow < 0 || nRow >= Rows() || nCol < 0 || nCol >= Cols()) return {};
  int32_t y = 0;
  if (nRow >= FixedRows()) {
    if (nRow < TopRow()) return {};
    y = RowHeight(0);
    for (int32_t r = TopRow(); r < nRow && y < ClientHeight(); ++r) y += RowHeight(r);
  }
  int32_t x = 0;
  for (int32_t c = 0; c < nCol; ++c) x += ColWidth(c);
  if (y >= ClientHeight() || x >= ClientWidth()) return {x, y, 0, 0};
  return {x, y, std::min(ColWidth(nCol), ClientWidth() - x), std::min(RowHeight(nRow), ClientHeight() - y)};
}

void Grid::HitTest(float x, float y, int32_t& nRow, int32_t& nCol) const {
  nRow = nCol = -1;
  if (x < 0 || y < 0 || x >= float(ClientWidth()) || y >= float(ClientHeight())) return;
  if (y < float(RowHeight(0))) {
    nRow = 0;
  } else {
    int32_t nTop = RowHeight(0);
    for (int32_t r = TopRow(); r < Rows() && nTop < ClientHeight(); ++r) {
      if (y < float(nTop + RowHeight(r))) {
        nRow = r;
        break;
      }
      nTop += RowHeight(r);
    }
  }
  int32_t nLeft = 0;
  for (int32_t c = 0; c < Cols(); ++c) {
    if (x < float(nLeft + ColWidth(c))) {
      nCol = c;
      break;
    }
    nLeft += ColWidth(c);
  }
  if (nRow < 0 || nCol < 0) nRow = nCol = -1;
}

bool Grid::IsSelected(int32_t nRow, int32_t nCol) const {
  return nRow >= std::min(Row(), RowSel()) && nRow <= std::max(Row(), RowSel()) &&
         nCol >= std::min(Col(), ColSel()) && nCol <= std::max(Col(), ColSel());
}

void Grid::MoveTo(int32_t nRow, int32_t nCol) {
  State& s = m_o.now;
  m_bRowParked = m_bRowSelParked = false;
  s.nRow = s.nRowSel = nRow;
  if (s.nSelectionMode == flexSelectionByRow) {
    s.nCol = 0;
    s.nColSel = Cols() - 1;
  } else {
    s.nCol = s.nColSel = nCol;
  }
  Changed(Prop::Content);
}

void Grid::NativeMouseDown(int16_t nButton, int16_t nShift, float x, float y) {
  HitTest(x, y, m_nMouseRow, m_nMouseCol);
  // A press on a data cell makes it current; the header row selects nothing.
  if (nButton == 1 && m_nMouseRow >= FixedRows()) MoveTo(m_nMouseRow, m_nMouseCol);
  MouseDown.Raise(nButton, nShift, x, y);
}

void Grid::NativeMouseUp(int16_t nButton, int16_t nShift, float x, float y) {
  HitTest(x, y, m_nMouseRow, m_nMouseCol);
  MouseUp.Raise(nButton, nShift, x, y);
  if (nButton == 1) Click.Raise();
}

void Grid::NativeDblClick() {
  DblClick.Raise();
}

void Grid::NativeVScroll(int16_t nCode, int32_t nThumbRow) {
  const int32_t nPage = std::max(1, (ClientHeight() - RowHeight(0)) / kDefaultRowHeight);
  switch (nCode) {
    case 0: ScrollTo(TopRow() - 1); break;      // SB_LINEUP
    case 1: ScrollTo(TopRow() + 1); break;      // SB_LINEDOWN
    case 2: ScrollTo(TopRow() - nPage); break;  // SB_PAGEUP
    case 3: ScrollTo(TopRow() + nPage); break;  // SB_PAGEDOWN
    case 4:                                     // SB_THUMBPOSITION
    case 5: ScrollTo(nThumbRow); break;         // SB_THUMBTRACK
    case 6: ScrollTo(FixedRows()); break;       // SB_TOP
    case 7: ScrollTo(MaxTopRow()); break;       // SB_BOTTOM
    default: break;                             // SB_ENDSCROLL
  }
}

bool Grid::NativeKey(int16_t nKeyCode) {
  if (Rows() <= FixedRows()) return false;
  const int32_t nPage = std::max(1, (ClientHeight() - RowHeight(0)) / kDefaultRowHeight);
  int32_t nRow = Row(), nCol = Col();
  switch (nKeyCode) {
    case 33: nRow -= nPage; break;  // Page Up
    case 34: nRow += nPage; break;  // Page Down
    case 35: nRow = Rows() - 1; break;
    case 36: nRow = FixedRows(); break;
    case 37: --nCol; break;
    case 38: --nRow; break;
    case 39: ++nCol; break;
    case 40: ++nRow; break;
    default: return false;
  }
  nRow = std::clamp(nRow, FixedRows(), Rows() - 1);
  nCol = std::clamp(nCol, 0, Cols() - 1);
  if (nRow != Row() || nCol != Col() || RowSel() != nRow) MoveTo(nRow, nCol);
  // Scroll just enough to show the new current row whole.
  if (nRow < TopRow()) {
    ScrollTo(nRow);
  } else {
    const int32_t nView = ClientHeight() - RowHeight(0);
    int32_t nTop = TopRow(), nSpan = 0;
    for (int32_t r = nTop; r <= nRow; ++r) nSpan += RowHeight(r);
    while (nSpan > nView && nTop < nRow) nSpan -= RowHeight(nTop++);
    ScrollTo(nTop);
  }
  return true;
}

void Grid::DesignState(bool bCapture) {
  Control::DesignState(bCapture);
  m_o.Keep(bCapture);
  m_nMouseRow = m_nMouseCol = -1;
  m_bRowParked = m_bRowSelParked = false;
}

}  // namespace platform
