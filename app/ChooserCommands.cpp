#include "ChooserCommands.h"

#include <algorithm>
#include <charconv>
#include <deque>
#include <string>
#include <vector>

#include "chooser/frmChooseDL.h"
#include "chooser/mMouseWheel.h"
#include "common/mGlobals.h"
#include "host/Error.h"
#include "host/Text.h"
#include "platform/Controls.h"
#include "platform/Ui.h"

namespace app {
namespace {

using Args = std::vector<std::string>;

const char* const kAtUsage =
    "chooser select PATH | chooser type TEXT [on CONTROL] | chooser press Enter|Esc [on CONTROL] | chooser "
    "click Find|Clear|OK|Cancel|Help | chooser header COLUMN | chooser scroll ROW | chooser wheel DELTA | "
    "chooser dblclick ROW | chooser wait MILLISECONDS";

struct ChooserAction {
  enum class Kind { Select, Type, Press, Click, Header, Scroll, Wheel, DblClick, Wait } eKind;
  std::string sText;     // path, typed text, key name, control
  std::string sControl;  // "on CONTROL"
  int32_t n = 0;         // column, row, delta, milliseconds, key code
};

int32_t Number(const std::string& s, const std::string& sWhat) {
  int32_t n = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc() || p != s.data() + s.size())
    throw UsageError{sWhat + " must be a number, not '" + s + "'"};
  return n;
}

bool IsChooser(const platform::Form& oForm) {
  return g_frmChooseDL.IsCreated() && &oForm == &g_frmChooseDL.Get();
}

platform::Control* FindChooserControl(const std::string& sWhich) {
  for (platform::Control* p : g_frmChooseDL->Controls())
    if (host::EqualsNoCase(p->Name(), sWhich) ||
        (!platform::ControlText(*p).empty() && host::EqualsNoCase(platform::ControlText(*p), sWhich)))
      return p;
  return nullptr;
}

struct ChooserScript {
  std::shared_ptr<SimSession> pSession;
  std::deque<ChooserAction> queActions;
  bool bHooked = false;

  void Hook(const std::shared_ptr<ChooserScript>& pSelf) {
    if (bHooked || !platform::HasFormsBackend()) return;
    bHooked = true;
    platform::FormsBackend& oForms = platform::Forms();
    std::weak_ptr<ChooserScript> wSelf = pSelf;
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

  void PrintTree(std::ostream& out, frmChooseDL& f) {
    std::string sSelected;
    host::IgnoreErrors([&] {
      if (auto* p = f.treFolders.SelectedItem()) sSelected = p->sKey;
    });
    out << "  tree:\n";
    for (const auto& oFolder : pSession->Outlook().AllFolders()) {
      const std::string sKey = oFolder->EntryID();
      platform::TreeNode* pNode = f.treFolders.Node(sKey);
      if (!pNode) continue;
      std::string sPath = pSession->Outlook().PathOf(oFolder);
      const size_t nDepth = static_cast<size_t>(std::count(sPath.begin(), sPath.end(), '\\'));
      out << "    " << std::string(2 * (nDepth - 1), ' ') << pNode->sText << "  [" << pNode->sImage << "]"
          << (sKey == sSelected ? "  <- selected" : "") << "\n";
    }
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
    platform::FormsBackend& oForms = platform::Forms();
    auto& oDriver = oForms.Driver();
    const size_t nTopics = pSession->Outlook().Support().HelpTopics().size();
    try {
      switch (o.eKind) {
        case ChooserAction::Kind::Select: {
          out << "  user: selects " << o.sText << "\n";
          const std::string sKey = pSession->Outlook().FolderByPath(o.sText)->EntryID();
          f.treFolders.SetSelectedItem(sKey);
          platform::TreeNode* pNode = f.treFolders.Node(sKey);
          if (!pNode) host::Raise(host::err::ObjectNotSet, "The tree shows no folder " + o.sText + ".");
          oForms.Dispatch([&] { f.treFolders.NodeClick.Raise(*pNode); });
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
          // The press lands in the middle of the header cell.
          float x = 0;
          for (int32_t c = 0; c < o.n; ++c) x += static_cast<float>(f.ctlGrid.ColWidth(c));
          x += static_cast<float>(f.ctlGrid.ColWidth(o.n)) / 2;
          oForms.Dispatch([&] { f.ctlGrid.MouseDown.Raise(int16_t{1}, int16_t{0}, x, 60.0f); });
          break;
        }
        case ChooserAction::Kind::Scroll:
          out << "  user: scrolls the grid to row " << o.n << "\n";
          f.ctlGrid.SetTopRow(o.n);
          oForms.Dispatch([&] { f.ctlGrid.Scroll.Raise(); });
          break;
        case ChooserAction::Kind::Wheel: {
          out << "  user: turns the wheel by " << o.n << "\n";
          auto wParam = static_cast<mMouseWheel::WParam>(static_cast<uint16_t>(static_cast<int16_t>(o.n)))
                        << 16;
          mMouseWheel::WindowProc(f.ctlGrid.hWnd(), mMouseWheel::kWmMouseWheel, wParam, 0);
          break;
        }
        case ChooserAction::Kind::DblClick:
          out << "  user: double-clicks row " << o.n << "\n";
          f.ctlGrid.SetRow(o.n);
          f.ctlGrid.SetRowSel(o.n);
          oForms.Dispatch([&] { f.ctlGrid.DblClick.Raise(); });
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
    return true;
  }

  ChooserAction Parse(const Args& a) {
    auto Rest = [&](size_t nFrom, std::string& sControl) {
      if (a.size() == nFrom + 3 && a[nFrom + 1] == "on")
        sControl = a[nFrom + 2];
      else if (a.size() != nFrom + 1)
        throw UsageError{std::string("usage: at ") + kAtUsage};
    };
    if (a.size() < 3) throw UsageError{std::string("usage: at ") + kAtUsage};
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
    if (a.size() != 3) throw UsageError{std::string("usage: at ") + kAtUsage};
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
        o.n = Number(a[2], sVerb);
        if (eKind == ChooserAction::Kind::Wait && o.n < 0)
          throw UsageError{"milliseconds must not be negative"};
        return o;
      }
    throw UsageError{std::string("usage: at ") + kAtUsage};
  }
};

}  // namespace

void RegisterChooserCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  auto pScript = std::make_shared<ChooserScript>();
  pScript->pSession = pSession;
  pScript->Hook(pScript);

  oTable.Add(
      {"chooser", "",
       "opens the choose-list dialog as the Existing Distribution List command does and prints the list "
       "it returned",
       [pScript](CommandContext&, const Args& a) {
         if (!a.empty()) throw UsageError{"usage: chooser"};
         if (!g_oApp) throw UsageError{"the add-in is not connected: use 'start' first"};
         pScript->Hook(pScript);
         auto oChosen = ShowChooseDList();
         std::ostream& out = pScript->pSession->Out();
         if (!oChosen) {
           out << "  ShowChooseDList returned Nothing\n";
         } else {
           std::string s = "(unreadable)";
           host::IgnoreErrors([&] { s = "\"" + oChosen->Subject() + "\" " + oChosen->EntryID(); });
           out << "  ShowChooseDList returned " << s << "\n";
         }
         pScript->queActions.clear();
       }});

  CommandSpec oAt = oTable.Find("at") ? *oTable.Find("at") : CommandSpec{"at", "", "", {}};
  oTable.Add({"at", oAt.sUsage + (oAt.sUsage.empty() ? "" : " | ") + kAtUsage,
              oAt.sHelp + (oAt.sHelp.empty() ? "" : "; ") +
                  "'chooser ...': what the user does in the choose-list dialog when it next waits, in order",
              [pScript, fnOther = oAt.fnRun](CommandContext& ctx, const Args& a) {
                if (a.empty() || a[0] != "chooser") {
                  if (!fnOther) throw UsageError{std::string("usage: at ") + kAtUsage};
                  return fnOther(ctx, a);
                }
                pScript->Hook(pScript);
                pScript->queActions.push_back(pScript->Parse(a));
              }});
}

}  // namespace app
