// The steps that the new-mail and the distribution-list commands share: gathering and resolving
// the recipients (with the box that tells the user there was nothing to address), the third
// stage of the progress window, and the walk over the resolved recipients that the user may
// cancel. Errors pass to the calling command, which traps them.
#pragma once

#include <cstdint>
#include <functional>

#include "host/Outlook.h"
#include "recipients/CRecipients.h"
#include "recipients/mQuillo.h"

namespace mComposeSteps {

constexpr const char* kNoAddresses = "Selected items have no email addresses.";

// Gathers from the selection or the folder and resolves. False when there is nothing to add:
// nothing gathered, the user stopped, or nothing resolved (then, unless the user cancelled the
// resolution, the progress window is closed and the box is shown). bUseProgressWND tells the
// caller whether the progress window is open.
bool GatherAndResolve(ERecipientsFrom eFrom, CRecipients& oRecipients, bool bAddDistLists,
                      bool& bUseProgressWND);

// Stage 3 of the progress window for nCount recipients.
void BeginAdding(int32_t nCount, bool bUseProgressWND);

// Calls fnAdd for the positions 1 to nCount, stepping the progress window after each; stops
// early when the user cancels (what was added stays).
void ForEachResolved(int32_t nCount, bool bUseProgressWND, const std::function<void(int32_t)>& fnAdd);

// Closes the progress window after the last stage.
void EndProgress(bool bUseProgressWND);

// The chooser the existing-list command asks for its list: the choose-list dialog, or in tests
// a stand-in that answers as a user would.
using ChooseDListFn = std::shared_ptr<host::DistListItem> (*)();
ChooseDListFn& ChooseDList();

// The error path of a command: closes the progress window, ignoring errors.
void CloseProgressQuietly(bool bUseProgressWND) noexcept;

}  // namespace mComposeSteps
