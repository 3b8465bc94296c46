// HRESULT and EXCEPINFO <-> host::Error, in one place. A Visual Basic run-time error n travels
// through COM as the HRESULT 0x800A0000 + n (FACILITY_CONTROL) and comes back as n; every other
// number is already an HRESULT and passes unchanged. Descriptions travel with the error.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <cstdint>
#include <string>

#include "host/Error.h"

namespace com {

HRESULT HResultOf(int32_t nNumber);
int32_t ErrorNumberOf(HRESULT hr);

// The system's text of an HRESULT, or the runtime's text of a Visual Basic number.
std::string DescriptionOfHResult(HRESULT hr);

// Raises host::Error for a failed HRESULT (success codes return).
void Check(HRESULT hr, const char* sWhat = nullptr);
[[noreturn]] void RaiseHResult(HRESULT hr, const std::string& sDescription = {});

// The error an Invoke reported through its EXCEPINFO, as host::Error; frees the EXCEPINFO's
// strings.
host::Error ErrorFromExcepInfo(EXCEPINFO& ei);
// Inside a catch block: fills the EXCEPINFO (when there is one) with the error being handled
// and returns DISP_E_EXCEPTION; without an EXCEPINFO, returns the error's HRESULT.
HRESULT ExcepInfoFromCurrentError(EXCEPINFO* pExcepInfo, const char* sSource);
// Inside a catch block: the error being handled as an HRESULT, for entry points that have no
// EXCEPINFO; the description goes to the thread's IErrorInfo.
HRESULT HResultFromCurrentError(const char* sSource);

}  // namespace com
