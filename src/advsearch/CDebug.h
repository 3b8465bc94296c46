// The search component's own diagnostic log: time-stamped text lines appended to
// "\QuilloAdvSearch.log" in the library's folder, only while DebugTarget has flag 2. Besides the
// plain lines (Out) it formats (printf), traces calls (OutCall), indents and times.
//
// Errors of the file operations reach the caller of the member; only printf and creation trap
// their own. Used on the UI thread only.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/Variant.h"

class CDebug {
 public:
  using Values = std::vector<host::Variant>;

  static constexpr const char* LOG_FILE_NAME = "\\QuilloAdvSearch.log";
  static constexpr uint32_t LOG_SIZE_LIMIT = 512000;
  static constexpr int32_t TIMER_STACK = 10;
  static constexpr int32_t INDENT_STEP = 4;
  static constexpr int32_t TARGET_FILE = 2;

  // Deletes a log file grown over the size limit; failures are ignored.
  CDebug();
  // Warns about timers still running.
  ~CDebug();
  CDebug(const CDebug&) = delete;
  CDebug& operator=(const CDebug&) = delete;

  // The error code of the last failed library call. The pending error is the exception being
  // handled by the caller's catch block; writing it is all that "clearing" takes here.
  void OutLastDllError(const std::string& sWhere);
  void Assert(bool bCondition, const std::string& sWhere, const std::string& sExpression);
  void PushTab();
  void PopTab();

  int32_t DebugTarget() const { return m_nDebugTarget; }
  void SetDebugTarget(int32_t nTarget) { m_nDebugTarget = nTarget; }
  int32_t DebugLevel() const { return m_nDebugLevel; }
  void SetDebugLevel(int32_t nLevel) { m_nDebugLevel = nLevel; }

  // %s, %d and %%; a failure writes the error line for "CDebug.printf" instead of the text.
  void printf(const std::string& sFormat, const Values& vecValues);
  template <class... A>
  void printf(const std::string& sFormat, const A&... values) {
    printf(sFormat, Values{host::Variant(values)...});
  }

  // The values as text, joined without separators.
  void Out(const Values& vecValues);
  template <class... A>
  void Out(const A&... values) {
    Out(Values{host::Variant(values)...});
  }
  void Out1(const Values& vecValues);
  template <class... A>
  void Out1(const A&... values) {
    Out1(Values{host::Variant(values)...});
  }
  void Out2(const Values& vecValues);
  template <class... A>
  void Out2(const A&... values) {
    Out2(Values{host::Variant(values)...});
  }

  void OutCustomError(const std::string& sWhere, const std::string& sDescription);
  // Number and description of the error being handled (call it from a catch block).
  void OutError(const std::string& sWhere);
  void OutWarning(const std::string& sWhere, const std::string& sWhat);

  void StartTimer();
  void EndTimer(const std::string& sMessage);

  // "Call Name(arg, 'text', ...)": the first value is the routine's name.
  void OutCall(const Values& vecValues);
  template <class... A>
  void OutCall(const A&... values) {
    OutCall(Values{host::Variant(values)...});
  }

  int32_t TimerCount() const { return m_TimerCount; }
  // Where the lines go: the library's folder and the file name.
  static std::string LogFilePath();

 private:
  void WriteLine(const std::string& sText);
  void AppendToLog(const std::string& sFileName, const std::string& sLine);
  void RebuildIndent();

  int32_t m_nDebugLevel = 2;
  int32_t m_nDebugTarget = 1;
  int32_t m_TimerCount = 0;
  std::array<float, TIMER_STACK> m_afTimerStarts{};
  int32_t m_nIndentWidth = 0;
  std::string m_sIndent;
};

// The component's logger, created on first use and kept until the library unloads.
CDebug& g_debug();
