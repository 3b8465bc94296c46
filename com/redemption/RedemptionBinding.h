// The Redemption library over IDispatch: the safe item objects, their recipients and address
// entries, and MAPIUtils, bound by member name. They are created by ProgID through
// host::CreateObject, whose COM fallback finds the library's registered classes.
#pragma once

namespace com::redemption {

// Makes the bound interfaces available to com::Bind; once per module.
void RegisterBinders();

}  // namespace com::redemption
