// Formatting and diagnostic lines of the add-in, and the process-wide Application reference.
// Lines go to the support library's log entry point; the add-in keeps no log of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/Outlook.h"
#include "host/Variant.h"

// The Outlook Application the add-in received at connection; Nothing outside a connection.
extern std::shared_ptr<host::Application> g_oApp;

namespace mGlobals {

// The add-in's application title: the caption of its message boxes.
constexpr const char* kAppTitle = "Quillo";

// Kinds of diagnostic lines.
enum ETraceKind : int32_t { tkDebug = 1, tkWarning = 2, tkError = 3 };

// Formats with "\\", "\n", "\t", "\"" escapes and the %s, %d, %% specifiers. Never throws:
// a failure writes an error line and returns the format after the escape pass.
std::string sprintf(std::string_view sFormat, const std::vector<host::Variant>& vecArgs);
// The same over nArgs variants at pArgs (the arguments of the variadic form, kept on the stack).
std::string sprintf(std::string_view sFormat, const host::Variant* pArgs, size_t nArgs);
template <class... A>
std::string sprintf(std::string_view sFormat, const A&... args) {
  if constexpr (sizeof...(A) == 0) {
    return sprintf(sFormat, nullptr, 0);
  } else {
    const host::Variant aArgs[] = {host::Variant(args)...};
    return sprintf(sFormat, aArgs, sizeof...(A));
  }
}

void Trace(const std::string& sSource, const std::string& sMessage, int32_t nLevel);
void TraceWarning(const std::string& sSource, const std::string& sMessage);
// Without number and description: those of the error being handled (call it from a catch).
void TraceError(const std::string& sSource);
void TraceError(const std::string& sSource, const host::Variant& vNumber, const host::Variant& vDescription);
void Assert(bool bCondition, const std::string& sSource, const std::string& sMessage);

// Major version of the hosting Outlook (9, 10, 11); 0 when it cannot be read.
int32_t GetOutlookVersion();

}  // namespace mGlobals
