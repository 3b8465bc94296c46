// A support library for unit tests: records every log line as it arrives (ANSI text, as the
// real library receives it) and answers every call with 0. Bind it with host::BindTarvik and
// unbind it at the end of the test; the simulation has its own, fuller stand-in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/Tarvik.h"

namespace testsupport {

struct LogLine {
  host::ModuleHandle hInstance = 0;
  std::string sMessage;
  int32_t nError = 0;
  std::string sSource;
  int32_t nKind = 0;
  int32_t nLevel = 0;
};

class RecordingSupport : public host::SupportLibrary {
 public:
  std::vector<LogLine> lines;
  std::vector<std::string> helpTopics;
  int32_t nAboutMenus = 0;
  int32_t nProblemReports = 0;

  int32_t TarvikLogMsg(host::ModuleHandle hInstance, const std::string& sMessage, int32_t nError,
                       const std::string& sSource, int32_t nKind, int32_t nLevel) override {
    lines.push_back({hInstance, sMessage, nError, sSource, nKind, nLevel});
    return 0;
  }
  int32_t TarvikShowContextHelp(host::ModuleHandle, const std::string& sTopic) override {
    helpTopics.push_back(sTopic);
    return 0;
  }
  int32_t TarvikAddAboutMenu(const std::shared_ptr<host::Object>&) override {
    ++nAboutMenus;
    return 0;
  }
  int32_t TarvikReportProblem() override {
    ++nProblemReports;
    return 0;
  }

  // Lines of one kind (1 debug, 2 warning, 3 error).
  std::vector<LogLine> OfKind(int32_t nKind) const {
    std::vector<LogLine> v;
    for (const auto& l : lines)
      if (l.nKind == nKind) v.push_back(l);
    return v;
  }
};

// Binds a fresh recorder for the lifetime of the guard and restores the previous binding after.
class ScopedRecordingSupport {
 public:
  ScopedRecordingSupport()
      : m_pRecorder(std::make_shared<RecordingSupport>()), m_pPrevious(host::BindTarvik(m_pRecorder)) {}
  ~ScopedRecordingSupport() { host::BindTarvik(m_pPrevious); }
  ScopedRecordingSupport(const ScopedRecordingSupport&) = delete;
  ScopedRecordingSupport& operator=(const ScopedRecordingSupport&) = delete;

  RecordingSupport& operator*() const { return *m_pRecorder; }
  RecordingSupport* operator->() const { return m_pRecorder.get(); }

 private:
  std::shared_ptr<RecordingSupport> m_pRecorder;
  std::shared_ptr<host::SupportLibrary> m_pPrevious;
};

}  // namespace testsupport
