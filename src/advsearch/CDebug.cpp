#include "advsearch/CDebug.h"

#include <algorithm>

#include "advsearch/mFileUtils.h"
#include "host/Error.h"

namespace {

// A value as text, the way "&" joins it: Null adds nothing.
std::string TextOf(const host::Variant& v) {
  return v.IsNull() ? std::string() : v.ToString();
}

}  // namespace

CDebug& g_debug() {
  static CDebug s_debug;
  return s_debug;
}

std::string CDebug::LogFilePath() {
  return mFileUtils::LibraryFolder() + LOG_FILE_NAME;
}

CDebug::CDebug() {
  host::IgnoreErrors([&] {
    std::string sPath = LogFilePath();
    if (mFileUtils::FileSize(sPath) > LOG_SIZE_LIMIT) mFileUtils::RemoveFile(sPath);
  });
}

CDebug::~CDebug() {
  host::IgnoreErrors([&] {
    if (m_TimerCount != 0) Out("Warning - g_debug.m_TimerCount <> 0!");
  });
}

void CDebug::RebuildIndent() {
  m_sIndent.assign(static_cast<size_t>(m_nIndentWidth), ' ');
}

void CDebug::AppendToLog(const std::string& sFileName, const std::string& sLine) {
  if ((m_nDebugTarget & TARGET_FILE) == 0) return;
  mFileUtils::AppendToFile(mFileUtils::LibraryFolder() + sFileName, sLine);
}

void CDebug::WriteLine(const std::string& sText) {
  std::string sLine = host::Variant::Date(mFileUtils::Now()).ToString() + " " + m_sIndent + sText + "\r\n";
  AppendToLog(LOG_FILE_NAME, sLine);
}

void CDebug::OutLastDllError(const std::string& sWhere) {
  WriteLine("DllError(" + std::to_string(mFileUtils::LastDllError()) + ") : " + sWhere);
}

void CDebug::Assert(bool bCondition, const std::string& sWhere, const std::string& sExpression) {
  if (!bCondition) WriteLine("ERROR - ASSERT FAILED: " + sWhere + "\t" + sExpression + " = FALSE");
}

void CDebug::PushTab() {
  m_nIndentWidth += INDENT_STEP;
  RebuildIndent();
}

void CDebug::PopTab() {
  m_nIndentWidth = std::max(0, m_nIndentWidth - INDENT_STEP);
  RebuildIndent();
}

void CDebug::printf(const std::string& sFormat, const Values& vecValues) {
  try {
    std::string sResult;
    size_t nRead = 0, nArg = 0;
    auto NextValue = [&]() -> const host::Variant& {
      if (nArg >= vecValues.size()) host::Raise(host::err::SubscriptOutOfRange);
      return vecValues[nArg++];
    };
    for (;;) {
      size_t nPercent = sFormat.find('%', nRead);
      if (nPercent == std::string::npos) {
        sResult += sFormat.substr(nRead);
        break;
      }
      sResult += sFormat.substr(nRead, nPercent - nRead);
      std::string sSpec = sFormat.substr(nPercent + 1, 1);
      if (sSpec == "%") {
        sResult += "%";
      } else if (sSpec == "s") {
        const host::Variant& v = NextValue();
        if (v.Type() != host::vbString)
          OutWarning("CDebug.out", "VarType(" + std::to_string(v.Type()) + ") <> vbString");
        sResult += TextOf(v);
      } else if (sSpec == "d") {
        const host::Variant& v = NextValue();
        if (!v.IsNumeric()) OutWarning("CDebug.out", "Not IsNumeric(" + std::to_string(v.Type()) + ")");
        sResult += std::to_string(v.ToLong());
      } else {
        OutWarning("CDebug.out", "Invalid format specificator(" + sSpec + ")");
      }
      nRead = nPercent + 2;
      if (nRead >= sFormat.size()) break;
    }
    Out(sResult);
  } catch (...) {
    OutError("CDebug.printf");
  }
}

void CDebug::Out(const Values& vecValues) {
  std::string sText;
  for (const auto& v : vecValues) sText += TextOf(v);
  WriteLine(sText);
}

void CDebug::Out1(const Values& vecValues) {
  if (m_nDebugLevel == 1) Out(vecValues);
}

void CDebug::Out2(const Values& vecValues) {
  if (m_nDebugLevel == 2) Out(vecValues);
}

void CDebug::OutCustomError(const std::string& sWhere, const std::string& sDescription) {
  WriteLine("Error(custom) : " + sWhere + "\t" + sDescription);
}

void CDebug::OutError(const std::string& sWhere) {
  host::ErrorInfo oError = host::CurrentError();
  WriteLine("Error(" + std::to_string(oError.nNumber) + ") : " + sWhere + "\t" + oError.sDescription);
}

void CDebug::OutWarning(const std::string& sWhere, const std::string& sWhat) {
  WriteLine("Warning : " + sWhere + "\t" + sWhat);
}

void CDebug::StartTimer() {
  if (m_TimerCount >= TIMER_STACK) {
    Out("Warning CDebug.StartTimer can't run");
    return;
  }
  m_afTimerStarts[static_cast<size_t>(m_TimerCount)] = mFileUtils::Timer();
  ++m_TimerCount;
}

void CDebug::EndTimer(const std::string& sMessage) {
  if (m_TimerCount <= 0) {
    Out("Warning: CDebug::EndTimer can't run");
    return;
  }
  float fElapsed = mFileUtils::Timer() - m_afTimerStarts[static_cast<size_t>(m_TimerCount - 1)];
  Out2("  " + sMessage + " timing : " + host::Variant(fElapsed).ToString());
  --m_TimerCount;
}

void CDebug::OutCall(const Values& vecValues) {
  std::string sText = "Call " + (vecValues.empty() ? std::string() : TextOf(vecValues[0])) + "(";
  for (size_t i = 1; i < vecValues.size(); ++i) {
    if (i > 1) sText += ", ";
    const host::Variant& v = vecValues[i];
    sText += v.IsNumeric() ? TextOf(v) : "'" + TextOf(v) + "'";
  }
  WriteLine(sText + ")");
}
