// quillo-sim commands run from script text, as the program runs them, with what they print kept
// for the test. A test registers the command groups it needs in m_oTable.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "CommandTable.h"
#include "ScriptRunner.h"
#include "SimSession.h"
#include "sim/Profile.h"

class AppCommandsFixture : public ::testing::Test {
 protected:
  void SetUp() override { m_pSession = std::make_shared<app::SimSession>(sim::DemoProfile(), "", m_out); }

  // Runs script lines; the exit code of the run.
  int Run(const std::string& sScript) {
    std::istringstream in(sScript);
    app::CommandContext ctx{m_out, [] { return nullptr; }, {}};
    return app::RunScript(in, "test", m_oTable, ctx, m_err, false);
  }
  bool Printed(const std::string& s) const { return m_out.str().find(s) != std::string::npos; }

  std::ostringstream m_out, m_err;
  std::shared_ptr<app::SimSession> m_pSession;
  app::CommandTable m_oTable;
};
