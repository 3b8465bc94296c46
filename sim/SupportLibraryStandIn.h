// The maker's support library as the simulation provides it: every call is recorded, log lines
// are turned back from ANSI into UTF-8, and can be echoed to a callback and appended to a file.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/Tarvik.h"

namespace sim {

// A text on one line, as a log line shows it: line breaks written \n, carriage returns dropped.
std::string OneLine(const std::string& sText);

struct LogLine {
  std::string sMessage;
  int32_t nError = 0;
  std::string sSource;
  int32_t nKind = 0;
  int32_t nLevel = 0;
};

class SupportLibraryStandIn : public host::SupportLibrary {
 public:
  int32_t TarvikLogMsg(host::ModuleHandle hInstance, const std::string& sMessage, int32_t nError,
                       const std::string& sSource, int32_t nKind, int32_t nLevel) override;
  int32_t TarvikShowContextHelp(host::ModuleHandle hInstance, const std::string& sTopic) override;
  int32_t TarvikAddAboutMenu(const std::shared_ptr<host::Object>& oExplorer) override;
  int32_t TarvikReportProblem() override;

  const std::vector<LogLine>& Lines() const { return m_vecLines; }
  void ClearLines() { m_vecLines.clear(); }
  // Help topics asked for, in UTF-8.
  const std::vector<std::string>& HelpTopics() const { return m_vecHelpTopics; }
  int32_t AboutCalls() const { return m_nAboutCalls; }
  int32_t ProblemReports() const { return m_nProblemReports; }

  // What TarvikAddAboutMenu answers (0: the entry exists).
  void SetAboutResult(int32_t nResult) { m_nAboutResult = nResult; }

  // Appends one line per log line to the file; an empty path stops writing. Throws
  // std::runtime_error when the file cannot be opened.
  void SetLogFile(const std::string& sPath);

  std::function<void(const LogLine&)> fnOnLine;

  // The form of a log line in the file and in quillo-sim's output.
  static std::string Format(const LogLine& oLine);

 private:
  std::vector<LogLine> m_vecLines;
  std::vector<std::string> m_vecHelpTopics;
  int32_t m_nAboutCalls = 0;
  int32_t m_nProblemReports = 0;
  int32_t m_nAboutResult = 0;
  std::ofstream m_oLogFile;
};

}  // namespace sim
