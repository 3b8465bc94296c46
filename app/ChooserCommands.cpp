#include "ChooserCommands.h"

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "ProgressCommands.h"
#include "chooser/frmChooseDL.h"
#include "common/mGlobals.h"
#include "host/Error.h"
#include "host/Text.h"
#include "platform/Controls.h"
#include "platform/Ui.h"
#include "platform/WindowProc.h"

namespace app {
namespace {

struct ChooserAction {
  enum class Kind { Select, Type, Press, Click, Header, Scroll, Wheel, DblClick, Wait } eKind;
  std::string sText;     // path, typed text, key name, control
  std::string sControl;  // "on CONTROL"
  int32_t n = 0;         // column, row, delta, milliseconds, key code
};

bool IsChooser(const platform::Form& oForm) {
  return g_frmChooseDL.IsCreated() && &oForm == &g_frmChooseDL.Get();
}

platform::Control* FindChooserControl(const std::string& sWhich) {
  return ControlNamed(*g_frmChooseDL, sWhich);
}

struct ChooserScript : std::enable_shared_from_this<ChooserScript> {
  std::shared_ptr<SimSession> pSession;
  std::deque<ChooserAction> queActions;
  bool bHooked = false;

  void Hook() {
    if (bHooked || !platform::HasFormsBackend()) return;
    bHooked = true;
    platform::FormsBackend& oForms = platform::Forms();
    std::weak_ptr<ChooserScript> wSelf = weak_from_this();
    oForms.fnOnModalIdle = [wSelf, fnPrevious = oForms.fnOnModalIdle](platform::Form& oForm) {
      if (auto p = wSelf.lock(); p && IsChooser(oForm)) {
        if (!p->queActions.empty()) return p->PlayNext();
        if (!fnPrevious) {
          p->pSession->Out() << "  no user action for the modal form frmChooseDL: its close box\n";
          platform::Forms().Driver().CloseBox(oForm);
          return true;
        }
      }
      return fnPrevious ? fnPrevious(oForm) : false;
    };
  }

  // --- What the user sees ---------------------------------------------------------------------

  void PrintLevel(std::ostream& out, const platform::TreeView& oTree, const std::string& sParent,
                  const std::string& sSelected, int nDepth) {
    for (const platform::TreeNode* p : oTree.Children(sParent)) {
      out << "    " << std::string(2 * static_cast<size_t>(nDepth), ' ') << p->sText << "  [" << p->sImage
          << "]" << (host::EqualsNoCase(p->sKey, sSelected) ? "  <- selected" : "") << "\n";
      PrintLevel(out, oTree, p->sKey, sSelected, nDepth + 1);
    }
  }

  void PrintTree(std::ostream& out, frmChooseDL& f) {
    out << "  tree:\n";
    PrintLevel(out, f.treFolders, "", platform::Forms().Driver().SelectedNodeOf(f.treFolders), 0);
  }

  void PrintGrid(std::ostream& out, frmChooseDL& f) {
    platform::Grid& g = f.ctlGrid;
    if (!g.Visible()) {
      out << "  grid: hidden\n";
      return;
    }
    const int32_t nRows = g.Rows();
    out << "  grid: " << nRows - 2 << " list(s), top row " << g.TopRow() << ", selected row " << g.RowSel()
        << ", last row height " << g.RowHeight(nRows - 1) << "\n";
    for (int32_t r = 1; r <= nRows - 2;) {
      if (g.TextMatrix(r, frmChooseDL::colEntryID).empty()) {
        int32_t nEnd = r;
        while (nEnd + 1 <= nRows - 2 && g.TextMatrix(nEnd + 1, frmChooseDL::colEntryID).empty()) ++nEnd;
        out << "    " << r << (nEnd > r ? "-" + std::to_string(nEnd) : "") << "  (not drawn)\n";
        r = nEnd + 1;
        continue;
      }
      out << "    " << r << "  " << g.TextMatrix(r, frmChooseDL::colSubject) << " | "
          << g.TextMatrix(r, frmChooseDL::colCategories) << " | " << g.TextMatrix(r, frmChooseDL::colBody)
          << "\n";
      ++r;
    }
  }

  void PrintDialog() {
    std::ostream& out = pSession->Out();
    frmChooseDL& f = *g_frmChooseDL;
    if (!f.IsLoaded()) return;
    try {
      auto& oDriver = platform::Forms().Driver();
      PrintTree(out, f);
      PrintGrid(out, f);
      std::string sButtons;
      for (platform::Button* p : {&f.btnFind, &f.btnClear, &f.btnNext, &f.btnCancel, &f.btnHelp})
        if (oDriver.IsEnabled(*p)) sButtons += " " + p->Caption();
      out << "  enabled:" << sButtons << "; search text \"" << oDriver.TextOf(f.txtFind) << "\""
          << (oDriver.IsEnabled(f.txtFind) ? "" : " (disabled)") << "\n";
    } catch (const host::Error& e) {
      out << "  (the dialog cannot be printed: " << e.Description() << ")\n";
    }
  }

  // --- What the user does ---------------------------------------------------------------------

  bool PlayNext() {
    ChooserAction o = queActions.front();
    queActions.pop_front();
    frmChooseDL& f = *g_frmChooseDL;
    std::ostream& out = pSession->Out();

    auto& oDriver = platform::Forms().Driver();
    const size_t nTopics = pSession->Outlook().Support().HelpTopics().size();
    try {
      switch (o.eKind) {
        case ChooserAction::Kind::Select: {
          out << "  user: selects " << o.sText << "\n";
          const std::string sKey = pSession->Outlook().FolderByPath(o.sText)->EntryID();
          oDriver.ClickNode(f.treFolders, sKey);
          break;
        }
        case ChooserAction::Kind::Type: {
          platform::Control* p = o.sControl.empty() ? f.ActiveControl() : FindChooserControl(o.sControl);
          if (!p) p = &f.txtFind;
          out << "  user: types \"" << o.sText << "\" on " << p->Name() << "\n";
          p->SetFocus();
          oDriver.Type(*p, o.sText);
          break;
        }
        case ChooserAction::Kind::Press: {
          platform::Control* p = o.sControl.empty() ? f.ActiveControl() : FindChooserControl(o.sControl);
          if (!p) p = &f.txtFind;
          out << "  user: presses " << o.sText << " on " << p->Name() << "\n";
          p->SetFocus();
          oDriver.PressKey(*p, static_cast<int16_t>(o.n));
          break;
        }
        case ChooserAction::Kind::Click:
          out << "  user: clicks " << o.sText << "\n";
          oDriver.Click(*FindChooserControl(o.sText));
          break;
        case ChooserAction::Kind::Header: {
          out << "  user: clicks the header of column " << o.n << "\n";
          oDriver.ClickCell(f.ctlGrid, 0, o.n);
          break;
        }
        case ChooserAction::Kind::Scroll:
          out << "  user: scrolls the grid to row " << o.n << "\n";
          oDriver.ScrollGrid(f.ctlGrid, platform::sb::ThumbPosition, o.n);
          oDriver.ScrollGrid(f.ctlGrid, platform::sb::EndScroll);
          break;
        case ChooserAction::Kind::Wheel: {
          out << "  user: turns the wheel by " << o.n << "\n";
          oDriver.Wheel(f.ctlGrid, static_cast<int16_t>(o.n));
          break;
        }
        case ChooserAction::Kind::DblClick:
          out << "  user: double-clicks row " << o.n << "\n";
          oDriver.DblClickCell(f.ctlGrid, o.n, frmChooseDL::colSubject);
          break;
        case ChooserAction::Kind::Wait:
          out << "  user: waits " << o.n << " ms\n";
          platform::Sleep(static_cast<uint32_t>(o.n));
          break;
      }
    } catch (const host::Error& e) {
      out << "  the action failed: " << e.Description() << "\n";
    }
    for (size_t n = nTopics; n < pSession->Outlook().Support().HelpTopics().size(); ++n)
      out << "  help shown: \"" << pSession->Outlook().Support().HelpTopics()[n] << "\"\n";
    PrintDialog();
    // The dialog as the action left it, when pictures are asked for.
    if (f.IsLoaded()) {
      ScreenshotForm(f, out);
    }
    return true;
  }

  ChooserAction Parse(const Args& a) {
    auto Rest = [&](size_t nFrom, std::string& sControl) {
      if (a.size() == nFrom + 3 && a[nFrom + 1] == "on")
        sControl = a[nFrom + 2];
      else if (a.size() != nFrom + 1)
        ThrowUsage(a[0]);
    };
    if (a.size() < 3) ThrowUsage(a[0]);
    const std::string& sVerb = a[1];
    ChooserAction o{ChooserAction::Kind::Select, a[2], {}, 0};
    if (sVerb == "select" && a.size() == 3) return o;
    if (sVerb == "type") {
      o.eKind = ChooserAction::Kind::Type;
      Rest(2, o.sControl);
      return o;
    }
    if (sVerb == "press") {
      o.eKind = ChooserAction::Kind::Press;
      Rest(2, o.sControl);
      if (host::EqualsNoCase(a[2], "Enter"))
        o.n = platform::vbKeyReturn;
      else if (host::EqualsNoCase(a[2], "Esc"))
        o.n = platform::vbKeyEscape;
      else
        throw UsageError{"the key must be Enter or Esc, not '" + a[2] + "'"};
      return o;
    }
    if (a.size() != 3) ThrowUsage(a[0]);
    if (sVerb == "click") {
      o.eKind = ChooserAction::Kind::Click;
      if (g_frmChooseDL.IsCreated() && !FindChooserControl(a[2]))
        throw UsageError{"the chooser has no control '" + a[2] + "'"};
      return o;
    }
    const std::pair<const char*, ChooserAction::Kind> aNumbered[] = {
        {"header", ChooserAction::Kind::Header},
        {"scroll", ChooserAction::Kind::Scroll},
        {"wheel", ChooserAction::Kind::Wheel},
        {"dblclick", ChooserAction::Kind::DblClick},
        {"wait", ChooserAction::Kind::Wait}};
    for (const auto& [sName, eKind] : aNumbered)
      if (sVerb == sName) {
        o.eKind = eKind;
        o.n = ParseInt(a[2], sVerb);
        if (eKind == ChooserAction::Kind::Wait && o.n < 0)
          throw UsageError{"milliseconds must not be negative"};
        return o;
      }
    ThrowUsage(a[0]);
  }
};

void RunChooser(ChooserScript& oScript, const Args& a) {
  NeedArgs(a, 0, 0);
  oScript.pSession->NeedConnected();
  oScript.Hook();
  auto oChosen = ShowChooseDList();
  std::ostream& out = oScript.pSession->Out();
  if (!oChosen) {
    out << "  ShowChooseDList returned Nothing\n";
  } else {
    std::string s = "(unreadable)";
    host::IgnoreErrors([&] { s = "\"" + oChosen->Subject() + "\" " + oChosen->EntryID(); });
    out << "  ShowChooseDList returned " << s << "\n";
  }
  oScript.queActions.clear();
}

void RunAtChooser(ChooserScript& oScript, const Args& a) {
  oScript.Hook();
  oScript.queActions.push_back(oScript.Parse(a));
}

}  // namespace

void RegisterChooserCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  auto pScript = std::make_shared<ChooserScript>();
  pScript->pSession = pSession;
  pScript->Hook();
  oTable.Add(
      {"chooser", "",
       "opens the choose-list dialog as the Existing Distribution List command does and prints the list "
       "it returned",
       On(pScript, RunChooser)});
  oTable.AddForms(
      {"chooser"},
      {"at",
       "chooser select PATH | chooser type TEXT [on CONTROL] | chooser press Enter|Esc [on CONTROL] | "
       "chooser click Find|Clear|OK|Cancel|Help | chooser header COLUMN | chooser scroll ROW | chooser "
       "wheel DELTA | chooser dblclick ROW | chooser wait MILLISECONDS",
       "'chooser ...': what the user does in the choose-list dialog when it next waits, in order",
       On(pScript, RunAtChooser)});
}

}  // namespace app
