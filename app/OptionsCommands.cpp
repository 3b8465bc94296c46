#include "OptionsCommands.h"

#include <deque>
#include <string>
#include <vector>

#include "ProgressCommands.h"
#include "host/Text.h"
#include "platform/Controls.h"
#include "settings/frmOptions.h"

namespace app {
namespace {

struct OptionsAction {
  enum class Kind { Check, Uncheck, Click, Press, Close } eKind;
  std::string sControl;  // the control's name; empty: the one with the focus (Press)
  int16_t nKey = 0;
  std::string sKey;
};

struct Key {
  const char* sName;
  int16_t nCode;
};
constexpr Key kKeys[] = {{"Enter", platform::vbKeyReturn},
                         {"Esc", platform::vbKeyEscape},
                         {"Tab", platform::vbKeyTab},
                         {"Space", platform::vbKeySpace}};

bool IsOptionsDialog(const platform::Form& oForm) {
  return g_frmOptions.IsCreated() && &oForm == &g_frmOptions.Get();
}

struct OptionsScript : std::enable_shared_from_this<OptionsScript> {
  std::shared_ptr<SimSession> pSession;
  std::deque<OptionsAction> queActions;
  bool bHooked = false;
  host::Connection connUnloaded;

  // Once per run, when the forms backend is there: the dialog's closing is printed, and the
  // queued actions are played whenever the dialog waits for the user.
  void Hook() {
    if (bHooked || !platform::HasFormsBackend()) return;
    bHooked = true;
    platform::FormsBackend& oForms = platform::Forms();
    std::weak_ptr<OptionsScript> wSelf = weak_from_this();
    connUnloaded = oForms.OnFormUnloaded.Connect([wSelf](platform::Form& oForm) {
      if (auto p = wSelf.lock(); p && IsOptionsDialog(oForm)) p->PrintClosed();
    });
    oForms.fnOnModalIdle = [wSelf, fnPrevious = oForms.fnOnModalIdle](platform::Form& oForm) {
      if (auto p = wSelf.lock(); p && IsOptionsDialog(oForm)) {
        if (!p->queActions.empty()) return p->PlayNext();
        if (!fnPrevious) return p->CloseUnattended();
      }
      return fnPrevious ? fnPrevious(oForm) : false;
    };
  }

  void PrintClosed() {
    std::ostream& out = pSession->Out();
    out << "  options dialog closed; stored: ExcludePrivateContacts " << g_oOptions->ExcludePrivateContacts()
        << ", ExcludeReplied " << g_oOptions->ExcludeReplied() << ", ExcludeLinkItems "
        << g_oOptions->ExcludeLinkItems() << "\n";
  }

  bool CloseUnattended() {
    pSession->Out() << "  no user action for the modal form frmOptions: its close box\n";
    platform::Forms().Driver().CloseBox(*g_frmOptions);
    return true;
  }

  bool PlayNext() {
    OptionsAction oAction = queActions.front();
    queActions.pop_front();
    frmOptions& f = *g_frmOptions;
    std::ostream& out = pSession->Out();
    auto& oDriver = platform::Forms().Driver();
    switch (oAction.eKind) {
      case OptionsAction::Kind::Check:
      case OptionsAction::Kind::Uncheck: {
        auto& oBox = dynamic_cast<platform::CheckBox&>(*f.FindControl(oAction.sControl));
        const bool bCheck = oAction.eKind == OptionsAction::Kind::Check;
        if ((oDriver.ValueOf(oBox) == platform::vbChecked) == bCheck) {
          out << "  user: " << oAction.sControl << " is " << (bCheck ? "checked" : "unchecked")
              << " already\n";
        } else {
          out << "  user: " << (bCheck ? "checks " : "unchecks ") << oAction.sControl << "\n";
          oDriver.Click(oBox);
        }
        break;
      }
      case OptionsAction::Kind::Click: {
        const size_t nTopics = pSession->Outlook().Support().HelpTopics().size();
        out << "  user: clicks " << oAction.sControl << "\n";
        oDriver.Click(*f.FindControl(oAction.sControl));
        for (size_t n = nTopics; n < pSession->Outlook().Support().HelpTopics().size(); ++n)
          out << "  help shown: " << pSession->Outlook().Support().HelpTopics()[n] << "\n";
        break;
      }
      case OptionsAction::Kind::Press: {
        platform::Control* pFocus =
            oAction.sControl.empty() ? f.ActiveControl() : f.FindControl(oAction.sControl);
        if (!pFocus) pFocus = f.NextTabStop(nullptr, false);
        if (!oAction.sControl.empty()) pFocus->SetFocus();
        out << "  user: presses " << oAction.sKey << " on " << pFocus->Name() << "\n";
        oDriver.PressKey(*pFocus, oAction.nKey);
        break;
      }
      case OptionsAction::Kind::Close:
        out << "  user: the close box of the options dialog\n";
        oDriver.CloseBox(f);
        break;
    }
    if (f.IsLoaded() && oAction.eKind != OptionsAction::Kind::Close) {
      std::string sState;
      for (platform::CheckBox* p :
           {&f.chkExcludePrivateContacts, &f.chkExcludeReplied, &f.chkExcludeLinkItems})
        sState += std::string(sState.empty() ? "" : " ") + "[" +
                  (oDriver.ValueOf(*p) == platform::vbChecked ? "x" : " ") + "] " + p->Name();
      out << "  options dialog: " << sState << "\n";
    }
    return true;
  }

  OptionsAction Parse(const Args& a) {
    auto fnControl = [](const std::string& s) {
      platform::Control* p = ControlNamed(*g_frmOptions, s);
      if (!p) throw UsageError{"the options dialog has no control '" + s + "'"};
      return p->Name();
    };
    if (a.size() == 3 && (a[1] == "check" || a[1] == "uncheck")) {
      const std::string sName = fnControl(a[2]);
      if (g_frmOptions->FindControl(sName)->GetKind() != platform::Control::Kind::CheckBox)
        throw UsageError{"'" + a[2] + "' is no check box of the options dialog"};
      return {a[1] == "check" ? OptionsAction::Kind::Check : OptionsAction::Kind::Uncheck, sName, 0, {}};
    }
    if (a.size() == 3 && a[1] == "click") return {OptionsAction::Kind::Click, fnControl(a[2]), 0, {}};
    if ((a.size() == 3 || (a.size() == 5 && a[3] == "on")) && a[1] == "press") {
      for (const Key& k : kKeys)
        if (host::EqualsNoCase(a[2], k.sName))
          return {OptionsAction::Kind::Press, a.size() == 5 ? fnControl(a[4]) : "", k.nCode, k.sName};
      throw UsageError{"the key must be Enter, Esc, Tab or Space, not '" + a[2] + "'"};
    }
    if (a.size() == 2 && a[1] == "close") return {OptionsAction::Kind::Close, "", 0, {}};
    ThrowUsage(a[0]);
  }
};

void RunOptionsDialog(OptionsScript& oScript, const Args& a) {
  NeedArgs(a, 1, 1, a[0]);
  oScript.Hook();
  ShowOptionsDialog();
}

void RunAtOptions(OptionsScript& oScript, const Args& a) {
  oScript.Hook();
  oScript.queActions.push_back(oScript.Parse(a));
}

}  // namespace

void RegisterOptionsCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  auto pScript = std::make_shared<OptionsScript>();
  pScript->pSession = pSession;
  pScript->Hook();
  // "options" alone keeps showing the stored settings; "options dialog" opens the dialog.
  oTable.AddForms({"dialog"},
                  {"options", "dialog", "'dialog' opens the Options dialog as the Options buttons do",
                   On(pScript, RunOptionsDialog)});
  oTable.AddForms(
      {"options"},
      {"at",
       "options check|uncheck CHECKBOX | options click CONTROL | options press "
       "Enter|Esc|Tab|Space [on CONTROL] | options close",
       "'options ...': what the user does in the Options dialog when it next waits for the user, in "
       "the order given",
       On(pScript, RunAtOptions)});
}

}  // namespace app
