// The controls of the forms toolkit, with the properties and events the add-in's forms use,
// under Visual Basic's names. Every control is a member of its form; see Forms.h for the life
// of forms and controls.
//
// The tree view and the grid are declared here with their whole surface (the chooser dialog
// needs it) but are not built yet: every member raises error 438 saying so, and a form that
// holds one cannot be loaded.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Forms.h"
#include "platform/Ui.h"

namespace platform {

class Label : public Control {
 public:
  Label(Form& oForm, std::string sName, TwipsRect rc, std::string sCaption, Control* pContainer = nullptr);
  const std::string& Caption() const { return m_o.now; }
  // A caption that changes often (a progress counter) is copied into the label's own buffer.
  void SetCaption(std::string_view sCaption);
  void DesignState(bool bCapture) override;

 private:
  Designed<std::string> m_o;
};

class Button : public Control {
 public:
  Button(Form& oForm, std::string sName, TwipsRect rc, std::string sCaption, Control* pContainer = nullptr);
  const std::string& Caption() const { return m_o.now.sCaption; }
  void SetCaption(std::string sCaption);
  // Enter presses the default button, Esc the cancel button; at most one of each per form.
  bool Default() const { return m_o.now.bDefault; }
  void SetDefault(bool bDefault);
  bool Cancel() const { return m_o.now.bCancel; }
  void SetCancel(bool bCancel);
  // Raises Click when the button is enabled (what a press of the button does).
  void PerformClick();
  void DesignState(bool bCapture) override;

  host::Event<> Click;

 private:
  struct State {
    std::string sCaption;
    bool bDefault = false;
    bool bCancel = false;
  };
  Designed<State> m_o;
};

enum CheckBoxValue : int16_t { vbUnchecked = 0, vbChecked = 1, vbGrayed = 2 };

class CheckBox : public Control {
 public:
  CheckBox(Form& oForm, std::string sName, TwipsRect rc, std::string sCaption, Control* pContainer = nullptr);
  const std::string& Caption() const { return m_o.now.sCaption; }
  void SetCaption(std::string sCaption);
  int16_t Value() const { return m_o.now.nValue; }
  // As in Visual Basic, a new value raises Click, from code as from the mouse. Error 380 for
  // anything but 0, 1, 2.
  void SetValue(int16_t nValue);
  // A click of the user: unchecked becomes checked, anything else unchecked.
  void Toggle() { SetValue(Value() == vbUnchecked ? vbChecked : vbUnchecked); }
  // The native control changed its state itself (a click in the window).
  void NativeValue(int16_t nValue);
  void DesignState(bool bCapture) override;

  host::Event<> Click;

 private:
  void Apply(int16_t nValue, bool bSyncPeer);
  struct State {
    std::string sCaption;
    int16_t nValue = vbUnchecked;
  };
  Designed<State> m_o;
};

// A captioned group box; controls placed in it move, hide and disable with it.
class Frame : public Control {
 public:
  Frame(Form& oForm, std::string sName, TwipsRect rc, std::string sCaption, Control* pContainer = nullptr);
  const std::string& Caption() const { return m_o.now; }
  void SetCaption(std::string sCaption);
  void DesignState(bool bCapture) override;

 private:
  Designed<std::string> m_o;
};

class TextBox : public Control {
 public:
  TextBox(Form& oForm, std::string sName, TwipsRect rc, std::string sText = {},
          Control* pContainer = nullptr);
  const std::string& Text() const { return m_o.now; }
  // Raises Change when the text differs.
  void SetText(std::string sText);
  // The native control changed its text itself (typing).
  void NativeText(std::string sText);
  void DesignState(bool bCapture) override;

  host::Event<> Change;

 private:
  void Apply(std::string sText, bool bSyncPeer);
  Designed<std::string> m_o;
};

class Image : public Control {
 public:
  Image(Form& oForm, std::string sName, TwipsRect rc, PicturePtr pPicture = nullptr,
        Control* pContainer = nullptr);
  PicturePtr Picture() const { return m_o.now; }
  void SetPicture(PicturePtr pPicture);
  void DesignState(bool bCapture) override;

 private:
  Designed<PicturePtr> m_o;
};

// The common controls' progress bar. Max must not be below Min (error 380); Max = Min is an
// empty bar. Value must lie between them (error 380); a new range pulls Value into it, so a
// bar is never left showing a position outside its range.
class ProgressBar : public Control {
 public:
  ProgressBar(Form& oForm, std::string sName, TwipsRect rc, Control* pContainer = nullptr);
  int32_t Min() const { return m_o.now.nMin; }
  void SetMin(int32_t nMin);
  int32_t Max() const { return m_o.now.nMax; }
  void SetMax(int32_t nMax);
  int32_t Value() const { return m_o.now.nValue; }
  void SetValue(int32_t nValue);
  void DesignState(bool bCapture) override;

 private:
  void SetRange(int32_t nMin, int32_t nMax);
  struct State {
    int32_t nMin = 0, nMax = 100, nValue = 0;
  };
  Designed<State> m_o;
};

// A timer of the form: ticks on the UI thread's message loop (platform::Loop().SetTimer) while
// the form is loaded, it is enabled and its interval is above 0. Setting Enabled or Interval
// restarts the interval.
class Timer : public Control {
 public:
  Timer(Form& oForm, std::string sName, uint32_t nIntervalMs, bool bEnabled);
  ~Timer() override;
  uint32_t Interval() const { return m_o.now; }
  void SetInterval(uint32_t nIntervalMs);
  void DesignState(bool bCapture) override;
  void OnFormLoaded() override { Restart(); }
  void OnFormUnloading() override { Stop(); }
  bool Running() const { return m_nTimerId != 0; }

  host::Event<> Tick;  // Visual Basic's Timer event

 protected:
  void OnPropertyChanged(Prop eProp) override;

 private:
  void Restart();
  void Stop();
  Designed<uint32_t> m_o;
  MessageLoop::TimerId m_nTimerId = 0;
};

// Pictures by 1-based index or by key (keys compare without regard to case).
class ImageList : public Control {
 public:
  ImageList(Form& oForm, std::string sName);
  // Error 457 for a key already in the list, 5 for an empty picture.
  int32_t Add(const std::string& sKey, PicturePtr pPicture);
  // Error 35601 ("Element not found") for an unknown key or index.
  PicturePtr Item(const std::string& sKey) const;
  PicturePtr Item(int32_t nIndex) const;
  int32_t IndexOf(const std::string& sKey) const;  // 0 when absent
  int32_t Count() const { return static_cast<int32_t>(m_o.now.size()); }
  void Clear() { m_o.now.clear(); }
  void DesignState(bool bCapture) override;

 private:
  struct Entry {
    std::string sKey;
    PicturePtr pPicture;
  };
  Designed<std::vector<Entry>> m_o;
};

// What a control shows as text: the caption of a label, button, check box or frame, the text
// of a text box; empty for the others.
std::string ControlText(const Control& oControl);
// The value of a check box or progress bar; 0 for the others.
int32_t ControlValue(const Control& oControl);

// --- Tree view ------------------------------------------------------------------------------------

enum TreeRelationship : int32_t { tvwFirst = 0, tvwLast = 1, tvwNext = 2, tvwPrevious = 3, tvwChild = 4 };

// A node as the tree holds it. Read it freely; change it only through the tree's members, which
// keep the window in step.
struct TreeNode {
  std::string sKey;
  std::string sText;
  std::string sImage;
  bool bSorted = false;  // its children are kept in the order of their texts
  std::string sParent;   // the parent's key; empty for a root node
  bool bExpanded = false;
  int32_t nId = 0;  // never 0 for a node, never reused within a tree
};

// The common controls' tree view with keyed nodes. Keys are unique without regard to case; the
// common controls' errors: 35601 ("Element not found") for an unknown key or image, 35602 for a
// key already used, 35613 for an image without an image list.
class TreeView : public Control {
 public:
  TreeView(Form& oForm, std::string sName, TwipsRect rc, Control* pContainer = nullptr);
  // Nodes.Add: a root node when sRelativeKey is empty, else placed by nRelationship next to or
  // below (tvwChild) the relative. In a sorted level the node goes to its place by text.
  TreeNode& AddNode(const std::string& sRelativeKey, int32_t nRelationship, const std::string& sKey,
                    const std::string& sText, const std::string& sImage);
  TreeNode* Node(const std::string& sKey);
  const TreeNode* Node(const std::string& sKey) const;
  const TreeNode* NodeById(int32_t nId) const;
  int32_t NodeCount() const { return static_cast<int32_t>(m_o.now.mapNodes.size()); }
  void ClearNodes();
  // The nodes of a level in the order shown: the roots for an empty key.
  std::vector<const TreeNode*> Children(const std::string& sParentKey) const;
  TreeNode* SelectedItem();
  const TreeNode* SelectedItem() const;
  // Selects the node (its ancestors expand to show it), as Set SelectedItem does: no NodeClick.
  // An empty key clears the selection.
  void SetSelectedItem(const std::string& sKey);
  // Whether the root level is kept sorted.
  bool Sorted() const { return m_o.now.bSorted; }
  void SetSorted(bool bSorted);
  void SetNodeSorted(const std::string& sKey, bool bSorted);
  void SetExpanded(const std::string& sKey, bool bExpanded);
  // The image list whose keys the nodes' images name; a member of the same form.
  void SetImageList(ImageList* pImages);
  ImageList* GetImageList() const { return m_o.now.pImages; }
  void DesignState(bool bCapture) override;

  // --- The user, through the backends ---------------------------------------------------------
  // A click on a node: it becomes the selected node and NodeClick is raised.
  void NativeClick(int32_t nId);
  // The selection moved in the window (keyboard); NodeClick is raised as for a click.
  void NativeSelect(int32_t nId);
  void NativeExpand(int32_t nId, bool bExpanded);

  // What changed since the window was last brought in step (read by backends during Sync of
  // Prop::Content).
  struct Change {
    enum Kind { Added, Cleared, Reordered, Selected, Expanded, Images } eKind;
    int32_t nId;  // the node; for Reordered the parent (0: the roots)
  };
  const std::vector<Change>& PendingChanges() const { return m_vecPending; }

  host::Event<TreeNode&> NodeClick;

 private:
  struct State {
    std::map<int32_t, TreeNode> mapNodes;
    std::map<int32_t, std::vector<int32_t>> mapChildren;  // 0: the roots
    std::map<std::string, int32_t> mapKeys;               // folded key -> id
    int32_t nNextId = 1;
    int32_t nSelected = 0;
    bool bSorted = false;
    ImageList* pImages = nullptr;
  };
  TreeNode& Find(const std::string& sKey);
  int32_t ParentId(const TreeNode& oNode) const;
  void SortLevel(int32_t nParent);
  bool LevelSorted(int32_t nParent) const;
  void Notify(Change::Kind eKind, int32_t nId);
  Designed<State> m_o;
  std::vector<Change> m_vecPending;
};

// --- Grid -----------------------------------------------------------------------------------------

// FlexGrid alignment settings.
enum GridAlignment : int16_t {
  flexAlignLeftTop = 0,
  flexAlignLeftCenter = 1,
  flexAlignLeftBottom = 2,
  flexAlignCenterTop = 3,
  flexAlignCenterCenter = 4,
  flexAlignCenterBottom = 5,
  flexAlignRightTop = 6,
  flexAlignRightCenter = 7,
  flexAlignRightBottom = 8,
  flexAlignGeneral = 9,  // text left, numbers right, centred vertically
};

enum GridSelectionMode : int16_t { flexSelectionFree = 0, flexSelectionByRow = 1 };

// A FlexGrid-like grid: row 0 is the fixed header row, every other row scrolls; cell properties
// act on the current cell (Row, Col) as the FlexGrid's do. Errors as the FlexGrid raises them:
// 30009 for an invalid row, 30010 for an invalid column, 380 for an invalid value.
//
// Rows cost nothing until a cell of theirs is written, so a grid can be sized to a long list at
// once and filled only where the user looks.
class Grid : public Control {
 public:
  Grid(Form& oForm, std::string sName, TwipsRect rc, Control* pContainer = nullptr);
  int32_t Rows() const { return static_cast<int32_t>(m_o.now.vecRows.size()); }
  void SetRows(int32_t nRows);
  int32_t Cols() const { return static_cast<int32_t>(m_o.now.vecCols.size()); }
  void SetCols(int32_t nCols);
  int32_t FixedRows() const { return 1; }
  // The first scrollable row shown. Setting it scrolls (raising Scroll); a row past the end of
  // the scroll range stops at the last full page.
  int32_t TopRow() const { return m_o.now.nTopRow; }
  void SetTopRow(int32_t nRow);
  // The current cell; setting Row or Col also makes RowSel or ColSel the same.
  int32_t Row() const { return m_o.now.nRow; }
  void SetRow(int32_t nRow);
  int32_t Col() const { return m_o.now.nCol; }
  void SetCol(int32_t nCol);
  int32_t RowSel() const { return m_o.now.nRowSel; }
  void SetRowSel(int32_t nRow);
  int32_t ColSel() const { return m_o.now.nColSel; }
  void SetColSel(int32_t nCol);
  int16_t SelectionMode() const { return m_o.now.nSelectionMode; }
  void SetSelectionMode(int16_t nMode);
  // While off, the window is not repainted; turning it on paints what changed meanwhile.
  bool Redraw() const { return m_o.now.bRedraw; }
  void SetRedraw(bool bRedraw);
  // In twips; 0 hides the row, -1 returns to the default height.
  int32_t RowHeight(int32_t nRow) const;
  void SetRowHeight(int32_t nRow, int32_t nTwips);
  // In twips; 0 hides the column, -1 returns to the default width.
  int32_t ColWidth(int32_t nCol) const;
  void SetColWidth(int32_t nCol, int32_t nTwips);
  std::string TextMatrix(int32_t nRow, int32_t nCol) const;
  void SetTextMatrix(int32_t nRow, int32_t nCol, std::string sText);
  // The current cell's text.
  std::string Text() const { return TextMatrix(Row(), Col()); }
  void SetText(std::string sText) { SetTextMatrix(Row(), Col(), std::move(sText)); }
  int16_t ColAlignment(int32_t nCol) const;
  void SetColAlignment(int32_t nCol, int16_t nAlignment);
  int16_t CellAlignment() const;
  void SetCellAlignment(int16_t nAlignment);
  void SetCellPicture(PicturePtr pPicture);
  PicturePtr CellPicture() const;
  int16_t CellPictureAlignment() const;
  void SetCellPictureAlignment(int16_t nAlignment);
  // The cell under the mouse at the last mouse event; -1 outside the cells.
  int32_t MouseRow() const { return m_nMouseRow; }
  int32_t MouseCol() const { return m_nMouseCol; }
  // Whether some of the row is in view.
  bool RowIsVisible(int32_t nRow) const;
  // The last row with some of it in view (TopRow - 1 when no scrollable row shows).
  int32_t BottomRow() const;
  // The largest TopRow: the one that shows the last rows as a full page.
  int32_t MaxTopRow() const;
  void DesignState(bool bCapture) override;

  // --- Drawing and hit testing, in twips of the grid's client area (inside its border) -------
  static constexpr int32_t kDefaultRowHeight = 285;
  static constexpr int32_t kDefaultColWidth = 960;
  static constexpr int32_t kBorder = 30;
  struct Cell {
    std::string sText;
    PicturePtr pPicture;
    int16_t nAlignment = -1;  // the column's
    int16_t nPictureAlignment = flexAlignLeftCenter;
  };
  // nullptr for a cell never written.
  const Cell* CellAt(int32_t nRow, int32_t nCol) const;
  // The alignment the cell's text is drawn with (the column's when the cell has none).
  int16_t EffectiveAlignment(int32_t nRow, int32_t nCol) const;
  int32_t ClientWidth() const;
  int32_t ClientHeight() const;
  // Where a cell is drawn; nHeight or nWidth 0 when none of it is in view.
  TwipsRect CellRect(int32_t nRow, int32_t nCol) const;
  // The cell at a point, -1 for none.
  void HitTest(float x, float y, int32_t& nRow, int32_t& nCol) const;
  bool IsSelected(int32_t nRow, int32_t nCol) const;

  // --- The user, through the backends ---------------------------------------------------------
  // A mouse button went down at a point (twips): the mouse cell is noted, a data cell becomes
  // the current one, then MouseDown is raised.
  void NativeMouseDown(int16_t nButton, int16_t nShift, float x, float y);
  void NativeMouseUp(int16_t nButton, int16_t nShift, float x, float y);
  void NativeDblClick();
  // WM_VSCROLL: a scroll bar code (SB_LINEUP ... SB_ENDSCROLL) and, for the thumb, its row.
  void NativeVScroll(int16_t nCode, int32_t nThumbRow);
  // Navigation keys (arrows, pages, Home, End); true when the key moved the current cell.
  bool NativeKey(int16_t nKeyCode);

  host::Event<int16_t /*Button*/, int16_t /*Shift*/, float /*X*/, float /*Y*/> MouseDown;
  host::Event<int16_t /*Button*/, int16_t /*Shift*/, float /*X*/, float /*Y*/> MouseUp;
  host::Event<> Click;
  host::Event<> DblClick;
  host::Event<> Scroll;

 private:
  struct Column {
    int32_t nWidth = -1;
    int16_t nAlignment = flexAlignGeneral;
  };
  struct RowData {
    int32_t nHeight = -1;
    std::vector<Cell> vecCells;  // empty until a cell is written
  };
  struct State {
    std::vector<RowData> vecRows = std::vector<RowData>(2);
    std::vector<Column> vecCols = std::vector<Column>(2);
    int32_t nTopRow = 1;
    int32_t nRow = 1, nCol = 0, nRowSel = 1, nColSel = 0;
    int16_t nSelectionMode = flexSelectionFree;
    bool bRedraw = true;
  };
  void CheckRow(int32_t nRow) const;
  void CheckCol(int32_t nCol) const;
  Cell& WritableCell(int32_t nRow, int32_t nCol);
  void ScrollTo(int32_t nTopRow);
  void MoveTo(int32_t nRow, int32_t nCol);
  void Clamp();
  Designed<State> m_o;
  int32_t m_nMouseRow = -1;
  int32_t m_nMouseCol = -1;
  bool m_bRowParked = false;
  bool m_bRowSelParked = false;
};

}  // namespace platform
