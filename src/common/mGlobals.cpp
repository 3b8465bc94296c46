#include "common/mGlobals.h"

#include "host/Tarvik.h"
#include "host/Text.h"

using host::Variant;

std::shared_ptr<host::Application> g_oApp;

namespace mGlobals {
namespace {

constexpr const char* kSprintfSource = "mGlobals::sprintf";

void WriteLine(const std::string& sSource, const std::string& sMessage, int32_t nError, int32_t nKind,
               int32_t nLevel) {
  host::Tarvik().TarvikLogMsg(host::AddinModuleHandle(), host::Utf8ToAnsi(sMessage), nError,
                              host::Utf8ToAnsi(sSource), nKind, nLevel);
}

// Length of the character that starts at s[nPos]: a whole UTF-8 sequence, so that an escape or
// a specifier never splits a letter; a malformed byte counts alone. 0 at the end of the text.
// The escape pass: each backslash pair is replaced in place and the search resumes behind the
// replacement, so an escaped backslash is never read again as the start of an escape.
std::string Unescape(std::string sFormat) {
  size_t nPos = sFormat.find('\\');
  while (nPos != std::string::npos) {
    std::string sNext = sFormat.substr(nPos + 1, host::Utf8CharLength(sFormat, nPos + 1));
    std::string sLower = host::FoldCase(sNext);
    std::string sReplacement;
    bool bValid = true;
    if (sLower == "\\")
      sReplacement = "\\";
    else if (sLower == "n")
      sReplacement = "\r\n";
    else if (sLower == "t")
      sReplacement = "\t";
    else if (sLower == "\"")
      sReplacement = "\"";
    else
      bValid = false;

    if (bValid) {
      sFormat.replace(nPos, 2, sReplacement);
      nPos = sFormat.find('\\', nPos + sReplacement.size());
    } else {
      TraceError(kSprintfSource, 0, "Invalid format specificator '\\" + sNext + "'");
      nPos = sFormat.find('\\', nPos + 1 + sNext.size());
    }
  }
  return sFormat;
}

}  // namespace

std::string sprintf(const std::string& sFormat, const std::vector<Variant>& vecArgs) {
  std::string sEscaped;
  try {
    sEscaped = Unescape(sFormat);
  } catch (...) {
    TraceError(kSprintfSource);
    return sFormat;
  }
  try {
    const std::vector<Variant>* pArgs = &vecArgs;
    if (vecArgs.size() == 1 && host::EqualsNoCase(vecArgs[0].TypeName(), "Variant()"))
      pArgs = &vecArgs[0].ToArray().items;
    size_t nArg = 0;
    auto nextArg = [&]() -> const Variant& {
      if (nArg >= pArgs->size()) host::Raise(host::err::SubscriptOutOfRange);
      return (*pArgs)[nArg++];
    };

    std::string sResult;
    size_t nRead = 0;
    for (;;) {
      size_t nPct = sEscaped.find('%', nRead);
      if (nPct == std::string::npos) {
        sResult += sEscaped.substr(nRead);
        break;
      }
      sResult += sEscaped.substr(nRead, nPct - nRead);
      std::string sSpec = sEscaped.substr(nPct + 1, host::Utf8CharLength(sEscaped, nPct + 1));
      if (sSpec == "%") {
        sResult += "%";
      } else if (sSpec == "s") {
        const Variant& v = nextArg();
        if (v.Type() != host::vbString)
          TraceWarning(kSprintfSource,
                       "VarType(" + std::to_string(v.Type()) + ") <> vbString, Typename = " + v.TypeName());
        sResult += v.ToString();
      } else if (sSpec == "d") {
        const Variant& v = nextArg();
        if (!v.IsNumeric())
          TraceWarning(kSprintfSource,
                       "Not IsNumeric(" + std::to_string(v.Type()) + "), Typename = " + v.TypeName());
        sResult += std::to_string(v.ToLong());
      } else {
        TraceWarning(kSprintfSource, "Invalid format specificator(" + sSpec + ")");
      }
      nRead = nPct + 1 + sSpec.size();
    }
    return sResult;
  } catch (...) {
    TraceError(kSprintfSource);
    return sEscaped;
  }
}

void Trace(const std::string& sSource, const std::string& sMessage, int32_t nLevel) {
  WriteLine(sSource, sMessage, 0, tkDebug, nLevel);
}

void TraceWarning(const std::string& sSource, const std::string& sMessage) {
  WriteLine(sSource, sMessage, 0, tkWarning, 1);
}

void TraceError(const std::string& sSource) {
  host::ErrorInfo oErr = host::CurrentError();
  WriteLine(sSource, oErr.sDescription, oErr.nNumber, tkError, 1);
}

void TraceError(const std::string& sSource, const Variant& vNumber, const Variant& vDescription) {
  // A value that does not convert falls back to the pending error's, as a missing one would.
  host::ErrorInfo oErr;
  bool bNeedPending = vNumber.IsEmpty() || vDescription.IsEmpty();
  if (bNeedPending) oErr = host::CurrentError();
  int32_t nNumber = oErr.nNumber;
  std::string sDescription = oErr.sDescription;
  host::IgnoreErrors([&] {
    if (!vNumber.IsEmpty()) nNumber = vNumber.ToLong();
  });
  host::IgnoreErrors([&] {
    if (!vDescription.IsEmpty()) sDescription = vDescription.ToString();
  });
  WriteLine(sSource, sDescription, nNumber, tkError, 1);
}

void Assert(bool bCondition, const std::string& sSource, const std::string& sMessage) {
  if (!bCondition) TraceError(sSource, 0, "ASSERT FAILED - " + sMessage);
}

int32_t GetOutlookVersion() {
  try {
    std::string sVersion = host::Deref(g_oApp).Version();
    size_t nDot = sVersion.find('.');
    if (nDot != std::string::npos) sVersion.resize(nDot);
    return Variant(sVersion).ToLong();
  } catch (...) {
    return 0;
  }
}

}  // namespace mGlobals
