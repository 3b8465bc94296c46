// The Redemption library as the simulation provides it: the safe item objects, their recipients
// and address entries, and MAPIUtils, all over the model of one simulated Outlook. The classes
// are creatable by ProgID while that Outlook's profile has the library installed; switched off,
// creating one fails with error 429 as it does on a machine without the library.
//
// Every member passes the fault injector under "<class>.<member>" ("SafeMailItem.Item",
// "MAPIUtils.HrGetOneProp"); creating an object passes it under its ProgID.
#pragma once

#include <memory>

namespace sim {

class Session;

// Registers the Redemption classes over this session's model (bInstalled), or removes them. The
// registration belongs to the session that made it: another session switching off does not
// remove it, and a session that is gone leaves classes that fail with 429.
void SetRedemptionInstalled(const std::shared_ptr<Session>& pSession, bool bInstalled);
bool RedemptionInstalled(const Session& oSession);

}  // namespace sim
