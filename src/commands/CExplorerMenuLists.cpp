// The distribution-list commands: every gathered address becomes a member of a new list, or of
// the list the user picks in the choose-list dialog; the list then opens for the user to save.
#include "commands/CExplorerMenu.h"
#include "commands/mComposeSteps.h"
#include "common/mGlobals.h"
#include "host/Redemption.h"
#include "recipients/CRecipients.h"

using mGlobals::TraceError;

void CExplorerMenu::NewDL(ERecipientsFrom eFrom) {
  host::IgnoreErrors([&] { DisplayDL(eFrom, true); });
}

void CExplorerMenu::ExistingDL(ERecipientsFrom eFrom) {
  host::IgnoreErrors([&] { DisplayDL(eFrom, false); });
}

void CExplorerMenu::DisplayDL(ERecipientsFrom eFrom, bool bNew) {
  // Messages run while the progress window or the chooser is up: the explorer, and with it this
  // command set, may close in the middle of the command.
  auto pSelf = weak_from_this().lock();
  const std::string sSource =
      std::string("CExplorerMenu") + "::DisplayDL(" + (bNew ? "new" : "existing") + ")";
  bool bUseProgressWND = false;
  try {
    // Before anything is gathered, so the cached-action button follows even a command that ends
    // without a list.
    UpdateCachedAction(bNew ? 3 : 4);

    CRecipients oRecipients;
    // A list is not put into a list: lists among the items are left out.
    if (!mComposeSteps::GatherAndResolve(eFrom, oRecipients, false, bUseProgressWND)) return;

    std::shared_ptr<host::DistListItem> oList =
        bNew ? host::As<host::DistListItem>(host::Deref(g_oApp).CreateItem(host::olDistributionListItem))
             : mComposeSteps::ChooseDList()();
    if (oList) {
      const int32_t nCount = oRecipients.GetResolvedCount();
      mComposeSteps::BeginAdding(nCount, bUseProgressWND);
      if (mGlobals::GetOutlookVersion() > 9) {
        mComposeSteps::ForEachResolved(nCount, bUseProgressWND, [&](int32_t i) {
          auto oRecipient =
              host::Deref(host::Deref(g_oApp).Session()).CreateRecipient(oRecipients.GetResolvedName(i));
          host::Deref(oRecipient).Resolve();  // a name that did not resolve is refused by AddMember
          oList->AddMember(oRecipient);
        });
      } else {
        // Outlook 2000's lists take members only as a whole Recipients collection.
        oList->AddMembers(CreateRecipients2K(oRecipients, bUseProgressWND));
        oList->SetSubject(oList->Subject());
      }
      oList->Display();
      oList.reset();
    }
    mComposeSteps::EndProgress(bUseProgressWND);
  } catch (...) {
    // A list already made or chosen is not shown.
    TraceError(sSource);
    mComposeSteps::CloseProgressQuietly(bUseProgressWND);
  }
}

std::shared_ptr<host::Recipients> CExplorerMenu::CreateRecipients2K(CRecipients& oRecipients,
                                                                    bool bUseProgressWND) {
  std::shared_ptr<host::Recipients> oResult;
  try {
    // A mail that only carries the recipients: never shown, never saved.
    auto oMail = host::As<host::MailItem>(host::Deref(g_oApp).CreateItem(host::olMailItem));
    auto oSafeMail = host::CreateObject<host::SafeMailItem>(host::progid::SafeMailItem);
    oSafeMail->SetItem(oMail);
    mComposeSteps::ForEachResolved(oRecipients.GetResolvedCount(), bUseProgressWND, [&](int32_t i) {
      auto oRecipient = host::Deref(oSafeMail->Recipients()).Add(oRecipients.GetResolvedName(i));
      host::Deref(oRecipient).Resolve();
    });
    host::IgnoreErrors([&] { oSafeMail->SetItem(nullptr); });
    oResult = host::Deref(oMail).Recipients();
  } catch (...) {
    TraceError("CExplorerMenu::CreateRecipients2K");
  }
  return oResult;
}
