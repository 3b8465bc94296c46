#include "common/mGlobals.h"

#include <charconv>

#include "host/Tarvik.h"
#include "host/Text.h"

using host::Variant;

std::shared_ptr<host::Application> g_oApp;

namespace mGlobals {
namespace {

constexpr const char* kSprintfSource = "mGlobals::sprintf";

void WriteLine(const std::string& sSource, const std::string& sMessage, int32_t nError, int32_t nKind,
               int32_t nLevel) {
  // ASCII text is already ANSI: most lines pass through without a copy.
  std::string sMessageAnsi, sSourceAnsi;
  const bool bMessageAscii = host::IsAscii(sMessage), bSourceAscii = host::IsAscii(sSource);
  if (!bMessageAscii) sMessageAnsi = host::Utf8ToAnsi(sMessage);
  if (!bSourceAscii) sSourceAnsi = host::Utf8ToAnsi(sSource);
  host::Tarvik().TarvikLogMsg(host::AddinModuleHandle(), bMessageAscii ? sMessage : sMessageAnsi, nError,
                              bSourceAscii ? sSource : sSourceAnsi, nKind, nLevel);
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

std::string sprintf(std::string_view sFormat, const std::vector<Variant>& vecArgs) {
  return sprintf(sFormat, vecArgs.data(), vecArgs.size());
}

std::string sprintf(std::string_view sFormat, const Variant* pArgsIn, size_t nArgsIn) {
  // Without a backslash the escape pass has nothing to do: no copy (progress labels format on
  // every step).
  std::string sEscaped;
  std::string_view sText = sFormat;
  if (sFormat.find('\\') != std::string_view::npos) {
    try {
      sEscaped = Unescape(std::string(sFormat));
    } catch (...) {
      TraceError(kSprintfSource);
      return std::string(sFormat);
    }
    sText = sEscaped;
  }
  try {
    const Variant* pArgs = pArgsIn;
    size_t nArgs = nArgsIn;
    // One array argument holds the arguments themselves.
    if (nArgs == 1 && pArgs[0].IsArray() && host::EqualsNoCase(pArgs[0].TypeName(), "Variant()")) {
      const auto& vecItems = pArgs[0].ToArray().items;
      pArgs = vecItems.data();
      nArgs = vecItems.size();
    }
    size_t nArg = 0;
    auto nextArg = [&]() -> const Variant& {
      if (nArg >= nArgs) host::Raise(host::err::SubscriptOutOfRange);
      return pArgs[nArg++];
    };

    std::string sResult;
    sResult.reserve(sText.size() + 16);
    size_t nRead = 0;
    for (;;) {
      size_t nPct = sText.find('%', nRead);
      if (nPct == std::string_view::npos) {
        sResult.append(sText.substr(nRead));
        break;
      }
      sResult.append(sText.substr(nRead, nPct - nRead));
      const size_t nSpecLength = host::Utf8CharLength(sText, nPct + 1);
      const std::string_view sSpec = sText.substr(nPct + 1, nSpecLength);
      if (sSpec == "%") {
        sResult += '%';
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
        char buf[16];
        auto [pEnd, ec] = std::to_chars(buf, buf + sizeof buf, v.ToLong());
        sResult.append(buf, pEnd);
      } else {
        TraceWarning(kSprintfSource, "Invalid format specificator(" + std::string(sSpec) + ")");
      }
      nRead = nPct + 1 + nSpecLength;
    }
    return sResult;
  } catch (...) {
    TraceError(kSprintfSource);
    return std::string(sText);
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
