// The controls of the forms toolkit, with the properties and events the add-in's forms use,
// under Visual Basic's names. Every control is a member of its form; see Forms.h for the life
// of forms and controls.
//
// The tree view and the grid are declared here with their whole surface (the chooser dialog
// needs it) but are not built yet: every member raises error 438 saying so, and a form that
// holds one cannot be loaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Forms.h"
#include "platform/Ui.h"

namespace platform {

class Label : public Control {
 public:
  Label(Form& oForm, std::string sName, TwipsRect rc, std::string sCaption, Control* pContainer = nullptr);
  const std::string& Caption() const { return m_o.now; }
  void SetCaption(std::string sCaption);
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

// --- Not built yet: the chooser dialog's tree view and grid -------------------------------------

enum TreeRelationship : int32_t { tvwFirst = 0, tvwLast = 1, tvwNext = 2, tvwPrevious = 3, tvwChild = 4 };

struct TreeNode {
  std::string sKey;
  std::string sText;
  std::string sImage;
  bool bSorted = false;
};

class TreeView : public Control {
 public:
  TreeView(Form& oForm, std::string sName, TwipsRect rc, Control* pContainer = nullptr);
  // Nodes.Add: a root node when sRelativeKey is empty, else placed by nRelationship.
  TreeNode& AddNode(const std::string& sRelativeKey, int32_t nRelationship, const std::string& sKey,
                    const std::string& sText, const std::string& sImage);
  TreeNode* Node(const std::string& sKey);
  void ClearNodes();
  TreeNode* SelectedItem();
  void SetSelectedItem(const std::string& sKey);
  bool Sorted() const;
  void SetSorted(bool bSorted);
  void SetNodeSorted(const std::string& sKey, bool bSorted);
  void SetImageList(ImageList* pImages);

  host::Event<TreeNode&> NodeClick;
};

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
};

// A FlexGrid-like grid: row 0 is the fixed header row; cell properties act on the current cell
// (Row, Col) as the FlexGrid's do.
class Grid : public Control {
 public:
  Grid(Form& oForm, std::string sName, TwipsRect rc, Control* pContainer = nullptr);
  int32_t Rows() const;
  void SetRows(int32_t nRows);
  int32_t Cols() const;
  void SetCols(int32_t nCols);
  int32_t TopRow() const;
  void SetTopRow(int32_t nRow);
  int32_t Row() const;
  void SetRow(int32_t nRow);
  int32_t Col() const;
  void SetCol(int32_t nCol);
  int32_t RowSel() const;
  void SetRowSel(int32_t nRow);
  int32_t ColSel() const;
  void SetColSel(int32_t nCol);
  bool Redraw() const;
  void SetRedraw(bool bRedraw);
  int32_t RowHeight(int32_t nRow) const;
  void SetRowHeight(int32_t nRow, int32_t nTwips);
  int32_t ColWidth(int32_t nCol) const;
  void SetColWidth(int32_t nCol, int32_t nTwips);
  std::string TextMatrix(int32_t nRow, int32_t nCol) const;
  void SetTextMatrix(int32_t nRow, int32_t nCol, std::string sText);
  void SetColAlignment(int32_t nCol, int16_t nAlignment);
  void SetCellAlignment(int16_t nAlignment);
  void SetCellPicture(PicturePtr pPicture);
  void SetCellPictureAlignment(int16_t nAlignment);
  PicturePtr CellPicture() const;
  int32_t MouseRow() const;
  int32_t MouseCol() const;

  host::Event<int16_t /*Button*/, int16_t /*Shift*/, float /*X*/, float /*Y*/> MouseDown;
  host::Event<> DblClick;
  host::Event<> Scroll;
};

}  // namespace platform
