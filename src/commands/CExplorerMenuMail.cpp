// The new-mail commands "TO", "CC" and "BCC": a new message with every gathered address in one
// of its address lines, and the received mails behind them handed to the reply tracking.
#include "commands/CExplorerMenu.h"
#include "commands/mComposeSteps.h"
#include "common/mGlobals.h"
#include "feedback/CMailItemWrapperColl.h"
#include "host/Redemption.h"
#include "recipients/CRecipients.h"
#include "settings/CWinReg.h"

using mGlobals::TraceError;

void CExplorerMenu::DisplayNewMail(int32_t nType, ERecipientsFrom eFrom) {
  // Messages run while the progress window is up: the explorer, and with it this command set,
  // may close in the middle of the command.
  auto pSelf = weak_from_this().lock();
  bool bUseProgressWND = false;
  try {
    // Before anything is gathered, so the cached-action button follows even a command that
    // finds nothing.
    switch (nType) {
      case host::olTo: UpdateCachedAction(0); break;
      case host::olCC: UpdateCachedAction(1); break;
      case host::olBCC: UpdateCachedAction(2); break;
      default: break;
    }
    if (nType == host::olBCC) TurnOnBCCField();

    CRecipients oRecipients;
    // Lists among the items are addressed by their name.
    if (!mComposeSteps::GatherAndResolve(eFrom, oRecipients, true, bUseProgressWND)) return;

    const int32_t nCount = oRecipients.GetResolvedCount();
    mComposeSteps::BeginAdding(nCount, bUseProgressWND);

    auto oMail = host::Deref(g_oApp).CreateItem(host::olMailItem);
    auto oSafeMail = host::CreateObject<host::SafeMailItem>(host::progid::SafeMailItem);
    oSafeMail->SetItem(oMail);
    mComposeSteps::ForEachResolved(nCount, bUseProgressWND, [&](int32_t i) {
      auto oRecipient = host::Deref(oSafeMail->Recipients()).Add(oRecipients.GetResolvedName(i));
      host::Deref(oRecipient).SetType(nType);
      oRecipient->Resolve();
      oRecipient.reset();
      // One tracker per recipient that came from received mails: each marks its own mails.
      auto colEntryIDs = oRecipients.GetResolvedAssocItemIDs(i);
      if (colEntryIDs && colEntryIDs->Count() > 0) g_colMailWrappers->Add(oMail, *colEntryIDs);
    });
    mComposeSteps::EndProgress(bUseProgressWND);

    oSafeMail->SetItem(nullptr);
    oMail->Display();
  } catch (...) {
    // A mail already created is not shown.
    TraceError("CExplorerMenu::DisplayNewMail");
    mComposeSteps::CloseProgressQuietly(bUseProgressWND);
  }
}

void CExplorerMenu::TurnOnBCCField() {
  try {
    // Outlook keeps the switch per version, under the user's preferences of that version.
    const std::string sKey = mGlobals::sprintf(
        "Software\\\\Microsoft\\\\Office\\\\%d.0\\\\Outlook\\\\Preferences", mGlobals::GetOutlookVersion());
    int32_t nShowBcc = 0;
    {
      CWinReg oReg;
      if (oReg.InitForRead(CWinReg::HKEY_CURRENT_USER(), sKey)) {
        nShowBcc = oReg.GetDWORD("ShowBcc", 0);
        oReg.Close();
      }
    }
    if (nShowBcc != 0) return;

    CWinReg oReg;
    if (oReg.InitForWrite(CWinReg::HKEY_CURRENT_USER(), sKey, true)) {
      oReg.SetDWORD("ShowBcc", 1);
      oReg.Close();
      return;
    }
    TraceError("CExplorerMenu::TurnOnBCCField", 0, "failed to set ShowBcc = 1");
  } catch (...) {
    TraceError("CExplorerMenu::TurnOnBCCField");
  }
}
