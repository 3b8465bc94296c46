#include "sim/SupportLibraryStandIn.h"

#include <stdexcept>

#include "host/Text.h"

namespace sim {
namespace {

const char* KindName(int32_t nKind) {
  switch (nKind) {
    case 1: return "DEBUG";
    case 2: return "WARNING";
    case 3: return "ERROR";
    default: return "KIND?";
  }
}

}  // namespace

std::string OneLine(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s) {
    if (c == '\r') continue;
    if (c == '\n')
      r += "\\n";
    else
      r += c;
  }
  return r;
}

std::string SupportLibraryStandIn::Format(const LogLine& o) {
  std::string s = std::string(KindName(o.nKind)) + " L" + std::to_string(o.nLevel) + " " +
                  OneLine(o.sSource) + ": " + OneLine(o.sMessage);
  if (o.nError != 0) s += " [error " + std::to_string(o.nError) + "]";
  return s;
}

int32_t SupportLibraryStandIn::TarvikLogMsg(host::ModuleHandle, const std::string& sMessage, int32_t nError,
                                            const std::string& sSource, int32_t nKind, int32_t nLevel) {
  LogLine oLine{host::AnsiToUtf8(sMessage), nError, host::AnsiToUtf8(sSource), nKind, nLevel};
  m_vecLines.push_back(oLine);
  if (m_oLogFile.is_open()) {
    m_oLogFile << Format(oLine) << '\n';
    m_oLogFile.flush();
  }
  if (auto fn = fnOnLine) fn(oLine);
  return 0;
}

int32_t SupportLibraryStandIn::TarvikShowContextHelp(host::ModuleHandle, const std::string& sTopic) {
  m_vecHelpTopics.push_back(host::AnsiToUtf8(sTopic));
  return 0;
}

int32_t SupportLibraryStandIn::TarvikAddAboutMenu(const std::shared_ptr<host::Object>&) {
  ++m_nAboutCalls;
  return m_nAboutResult;
}

int32_t SupportLibraryStandIn::TarvikReportProblem() {
  ++m_nProblemReports;
  return 0;
}

void SupportLibraryStandIn::SetLogFile(const std::string& sPath) {
  if (m_oLogFile.is_open()) m_oLogFile.close();
  if (sPath.empty()) return;
  m_oLogFile.open(sPath, std::ios::out | std::ios::app | std::ios::binary);
  if (!m_oLogFile) throw std::runtime_error("cannot open the log file " + sPath);
}

}  // namespace sim
