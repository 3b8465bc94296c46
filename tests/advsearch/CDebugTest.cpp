// The search component's logger: what reaches the file under which target, line texts, levels,
// indentation, timers, printf and the size check at creation.
#include <gtest/gtest.h>

#include "advsearch/CDebug.h"
#include "advsearch/LogFolder.h"
#include "host/Error.h"

namespace {

using Lines = std::vector<std::string>;

class CDebugTest : public ::testing::Test {
 protected:
  CDebug& Logging() {
    m_oDebug.SetDebugTarget(3);
    return m_oDebug;
  }

  LogFolder m_oFolder;
  CDebug m_oDebug;
};

TEST_F(CDebugTest, DefaultTargetWritesNoFile) {
  EXPECT_EQ(m_oDebug.DebugTarget(), 1);
  EXPECT_EQ(m_oDebug.DebugLevel(), 2);
  m_oDebug.Out("a");
  m_oDebug.Out2("b");
  m_oDebug.printf("%d", 5);
  m_oDebug.OutCall("Find", 1);
  m_oDebug.OutWarning("w", "x");
  m_oDebug.Assert(false, "w", "x");
  m_oDebug.EndTimer("t");
  try {
    host::Raise(host::err::InvalidProcedureCall);
  } catch (...) {
    m_oDebug.OutError("w");
  }
  EXPECT_FALSE(m_oFolder.Exists());
  // Only flag 2 writes.
  m_oDebug.SetDebugTarget(1 | 4);
  m_oDebug.Out("a");
  EXPECT_FALSE(m_oFolder.Exists());
}

TEST_F(CDebugTest, SizeCheckAtCreationKeepsTheLimitAndDeletesAbove) {
  m_oFolder.WriteBytes(CDebug::LOG_SIZE_LIMIT);
  { CDebug oKept; }
  ASSERT_TRUE(m_oFolder.Exists());
  m_oFolder.WriteBytes(CDebug::LOG_SIZE_LIMIT + 1);
  { CDebug oDeleting; }
  EXPECT_FALSE(m_oFolder.Exists());
}

TEST_F(CDebugTest, LinesAreStampedAndJoinValuesAsText) {
  Logging().Out("a", 1, true);
  Logging().Out(host::Variant::Null(), 2.5, int16_t{7});
  auto vecRaw = m_oFolder.RawLines();
  ASSERT_EQ(vecRaw.size(), 2u);
  EXPECT_EQ(m_oFolder.Lines(), (Lines{"a1True", "2.57"}));
  // Appending keeps what is there.
  CDebug oAgain;
  oAgain.SetDebugTarget(2);
  oAgain.Out("b");
  EXPECT_EQ(m_oFolder.Lines().size(), 3u);
}

TEST_F(CDebugTest, LevelsSelectOut1AndOut2) {
  for (int32_t nLevel : {1, 2, 3}) {
    Logging().SetDebugLevel(nLevel);
    m_oDebug.Out1("one at ", nLevel);
    m_oDebug.Out2("two at ", nLevel);
  }
  EXPECT_EQ(m_oFolder.Lines(), (Lines{"one at 1", "two at 2"}));
}

TEST_F(CDebugTest, IndentGrowsByFourAndNeverGoesBelowNothing) {
  Logging().PushTab();
  m_oDebug.Out("in");
  m_oDebug.PushTab();
  m_oDebug.PopTab();
  m_oDebug.PopTab();
  m_oDebug.PopTab();
  m_oDebug.Out("out");
  m_oDebug.PushTab();
  m_oDebug.Out("in again");
  EXPECT_EQ(m_oFolder.Lines(), (Lines{"    in", "out", "    in again"}));
}

TEST_F(CDebugTest, FixedLineTexts) {
  Logging().OutCall("Find", "abc", 5);
  m_oDebug.OutCall("Go");
  m_oDebug.OutCall("Mixed", "12", true, host::Variant());
  m_oDebug.OutCustomError("CX.Where", "what went wrong");
  m_oDebug.OutWarning("CX.Where", "careful");
  m_oDebug.Assert(true, "CX.Where", "bOk");
  m_oDebug.Assert(false, "CX.Where", "bOk");
  try {
    host::Raise(host::err::SubscriptOutOfRange);
  } catch (...) {
    m_oDebug.OutError("CX.Handler");
  }
  m_oDebug.OutLastDllError("CX.Api");
  auto vec = m_oFolder.Lines();
  ASSERT_EQ(vec.size(), 8u);
  EXPECT_EQ(vec[0], "Call Find('abc', 5)");
  EXPECT_EQ(vec[1], "Call Go()");
  // Numeric text, booleans and Empty count as numbers, as IsNumeric has it.
  EXPECT_EQ(vec[2], "Call Mixed(12, True, )");
  EXPECT_EQ(vec[3], "Error(custom) : CX.Where\twhat went wrong");
  EXPECT_EQ(vec[4], "Warning : CX.Where\tcareful");
  EXPECT_EQ(vec[5], "ERROR - ASSERT FAILED: CX.Where\tbOk = FALSE");
  EXPECT_EQ(vec[6], "Error(9) : CX.Handler\tSubscript out of range");
  EXPECT_TRUE(std::regex_match(vec[7], std::regex(R"(DllError\(\d+\) : CX\.Api)"))) << vec[7];
}

TEST_F(CDebugTest, TimersAreAStackOfTen) {
  Logging();
  for (int i = 0; i < 11; ++i) m_oDebug.StartTimer();
  EXPECT_EQ(m_oDebug.TimerCount(), 10);
  for (int i = 0; i < 10; ++i) m_oDebug.EndTimer("step");
  m_oDebug.EndTimer("none");
  EXPECT_EQ(m_oDebug.TimerCount(), 0);
  auto vec = m_oFolder.Lines();
  ASSERT_EQ(vec.size(), 12u);
  EXPECT_EQ(vec[0], "Warning CDebug.StartTimer can't run");
  EXPECT_TRUE(std::regex_match(vec[1], std::regex(R"(  step timing : -?[0-9.E+-]+)"))) << vec[1];
  EXPECT_EQ(vec[11], "Warning: CDebug::EndTimer can't run");
  // A timer's line is an Out2 line.
  m_oDebug.SetDebugLevel(1);
  m_oDebug.StartTimer();
  m_oDebug.EndTimer("quiet");
  EXPECT_EQ(m_oFolder.Lines().size(), 12u);
}

TEST_F(CDebugTest, ATimerStillRunningAtTheEndIsReported) {
  {
    CDebug oDebug;
    oDebug.SetDebugTarget(2);
    oDebug.StartTimer();
  }
  EXPECT_EQ(m_oFolder.Lines(), (Lines{"Warning - g_debug.m_TimerCount <> 0!"}));
}

TEST_F(CDebugTest, PrintfFormatsOrReportsWhatItCannot) {
  Logging().printf("%s has %d%% of %s", "Jane", 7.5, "it");
  m_oDebug.printf("%d", "x");
  m_oDebug.printf("%s and %d", 1, "2");
  m_oDebug.printf("bad %x end %");
  m_oDebug.printf("%s %s", "only one");
  EXPECT_EQ(m_oFolder.Lines(),
            (Lines{"Jane has 8% of it", "Warning : CDebug.out\tNot IsNumeric(8)",
                   "Error(13) : CDebug.printf\tType mismatch", "Warning : CDebug.out\tVarType(3) <> vbString",
                   "1 and 2", "Warning : CDebug.out\tInvalid format specificator(x)",
                   "Warning : CDebug.out\tInvalid format specificator()", "bad  end ",
                   "Error(9) : CDebug.printf\tSubscript out of range"}));
}

TEST_F(CDebugTest, AFileThatCannotBeWrittenIsTheCallersError) {
  Logging();
  mFileUtils::SetLibraryFolder((std::filesystem::path(m_oFolder.File()) / "missing").string());
  try {
    m_oDebug.Out("x");
    FAIL();
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), 75);
  }
  // printf traps its own failures; reporting them fails the same way and reaches the caller.
  EXPECT_THROW(m_oDebug.printf("x"), host::Error);
}

}  // namespace
