#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/mGlobals.h"
#include "host/Error.h"
#include "host/Tarvik.h"
#include "support/RecordingSupport.h"

using host::Variant;
using testsupport::LogLine;

namespace {

constexpr const char* kSprintf = "mGlobals::sprintf";

// Every test gets a fresh recorder as the support library; it is unbound when the test ends.
class mGlobalsTest : public ::testing::Test {
 protected:
  testsupport::ScopedRecordingSupport log;

  const std::vector<LogLine>& Lines() const { return log->lines; }
  void ExpectOneLine(const std::string& sSource, const std::string& sMessage, int32_t nError, int32_t nKind,
                     int32_t nLevel) const {
    ASSERT_EQ(Lines().size(), 1u) << (Lines().empty() ? "" : Lines().front().sMessage);
    const LogLine& l = Lines().front();
    EXPECT_EQ(l.sSource, sSource);
    EXPECT_EQ(l.sMessage, sMessage);
    EXPECT_EQ(l.nError, nError);
    EXPECT_EQ(l.nKind, nKind);
    EXPECT_EQ(l.nLevel, nLevel);
  }
};

// --- sprintf: conversions ---------------------------------------------------------------------

TEST_F(mGlobalsTest, SprintfFillsSpecifiersInOrder) {
  EXPECT_EQ(mGlobals::sprintf("Please wait.Resolving recipients [%d of %d] ...", 3, 10),
            "Please wait.Resolving recipients [3 of 10] ...");
  EXPECT_EQ(mGlobals::sprintf("sFilter = %s", "[MessageClass] = \"IPM.Contact\""),
            "sFilter = [MessageClass] = \"IPM.Contact\"");
  EXPECT_EQ(mGlobals::sprintf("%s has %d items", std::string("Inbox"), int16_t{4}), "Inbox has 4 items");
  EXPECT_EQ(mGlobals::sprintf("100%%"), "100%");
  EXPECT_EQ(mGlobals::sprintf("%%d %d%%", 5), "%d 5%");
  EXPECT_EQ(mGlobals::sprintf("no specifiers"), "no specifiers");
  EXPECT_EQ(mGlobals::sprintf(""), "");
  EXPECT_EQ(mGlobals::sprintf("%s%s", "ab", "cd"), "abcd");
  EXPECT_EQ(mGlobals::sprintf("unused argument", 1), "unused argument");
  EXPECT_TRUE(Lines().empty());
}

TEST_F(mGlobalsTest, SprintfPercentDRoundsHalvesToEven) {
  EXPECT_EQ(mGlobals::sprintf("%d %d %d %d", 2.5, 3.5, -2.5, 2.6), "2 4 -2 3");
  EXPECT_EQ(mGlobals::sprintf("%d|%d|%d", true, false, -7), "-1|0|-7");
  EXPECT_EQ(mGlobals::sprintf("[%d]", "12"), "[12]");      // a numeric string: no warning
  EXPECT_EQ(mGlobals::sprintf("[%d]", Variant()), "[0]");  // Empty is numeric
  EXPECT_EQ(mGlobals::sprintf("[%d]", uint8_t{255}), "[255]");
  EXPECT_TRUE(Lines().empty());
}

TEST_F(mGlobalsTest, SprintfPercentSWarnsOnceForEveryNonString) {
  struct Case {
    Variant v;
    const char* sText;
    const char* sWarning;
  };
  const Case cases[] = {
      {Variant(int16_t{5}), "5", "VarType(2) <> vbString, Typename = Integer"},
      {Variant(5), "5", "VarType(3) <> vbString, Typename = Long"},
      {Variant(2.5), "2.5", "VarType(5) <> vbString, Typename = Double"},
      {Variant(0.1f), "0.1", "VarType(4) <> vbString, Typename = Single"},
      {Variant(true), "True", "VarType(11) <> vbString, Typename = Boolean"},
      {Variant(false), "False", "VarType(11) <> vbString, Typename = Boolean"},
      {Variant(), "", "VarType(0) <> vbString, Typename = Empty"},
  };
  for (const auto& c : cases) {
    log->lines.clear();
    EXPECT_EQ(mGlobals::sprintf("<%s>", c.v), std::string("<") + c.sText + ">");
    ExpectOneLine(kSprintf, c.sWarning, 0, 2, 1);
  }
}

TEST_F(mGlobalsTest, SprintfInvalidSpecifierIsDroppedWithAWarning) {
  EXPECT_EQ(mGlobals::sprintf("a%xb", 1), "ab");
  ExpectOneLine(kSprintf, "Invalid format specificator(x)", 0, 2, 1);

  log->lines.clear();
  EXPECT_EQ(mGlobals::sprintf("100%"), "100");
  ExpectOneLine(kSprintf, "Invalid format specificator()", 0, 2, 1);

  // An invalid specifier takes no argument: the next one still gets the first.
  log->lines.clear();
  EXPECT_EQ(mGlobals::sprintf("%q%d", 7), "7");
  EXPECT_EQ(Lines().size(), 1u);

  // A letter of more than one byte after "%" goes as a whole.
  log->lines.clear();
  EXPECT_EQ(mGlobals::sprintf("x%éy"), "xy");
  ExpectOneLine(kSprintf, "Invalid format specificator(\xE9)", 0, 2, 1);
}

TEST_F(mGlobalsTest, SprintfOfADateBeyondVisualBasicsRangeIsAnOverflow) {
  EXPECT_EQ(mGlobals::sprintf("[%s]", Variant::Date(38353)), "[1/1/2005]");
  EXPECT_EQ(mGlobals::sprintf("[%s]", Variant::Date(1e300)), "[%s]");
  ASSERT_EQ(Lines().size(), 3u);  // a warning about the type for each, then the error
  EXPECT_EQ(Lines()[2].nError, 6);
}

// --- sprintf: escapes -------------------------------------------------------------------------

TEST_F(mGlobalsTest, SprintfEscapes) {
  // Each separator of the stored path is two backslashes, which make one.
  EXPECT_EQ(mGlobals::sprintf("Software\\\\Microsoft\\\\Office\\\\%d.0\\\\Outlook\\\\Preferences", 11),
            "Software\\Microsoft\\Office\\11.0\\Outlook\\Preferences");
  EXPECT_EQ(mGlobals::sprintf("a\\nb\\Nc"), "a\r\nb\r\nc");
  EXPECT_EQ(mGlobals::sprintf("a\\tb\\Tc"), "a\tb\tc");
  EXPECT_EQ(mGlobals::sprintf("say \\\"hi\\\""), "say \"hi\"");
  // An escaped backslash is never read again as the start of an escape.
  EXPECT_EQ(mGlobals::sprintf("\\\\n"), "\\n");
  EXPECT_EQ(mGlobals::sprintf("\\\\\\\\"), "\\\\");
  // Escapes are resolved before the specifiers, so an escaped "%" is still a specifier.
  EXPECT_EQ(mGlobals::sprintf("\\t%d", 1), "\t1");
  EXPECT_TRUE(Lines().empty());
}

TEST_F(mGlobalsTest, SprintfInvalidEscapeStaysWithOneErrorLine) {
  EXPECT_EQ(mGlobals::sprintf("a\\qb"), "a\\qb");
  ExpectOneLine(kSprintf, "Invalid format specificator '\\q'", 0, 3, 1);

  // A backslash at the very end has no character after it.
  log->lines.clear();
  EXPECT_EQ(mGlobals::sprintf("end\\"), "end\\");
  ExpectOneLine(kSprintf, "Invalid format specificator '\\'", 0, 3, 1);

  // Formatting goes on after an invalid escape, and the next escape still works.
  log->lines.clear();
  EXPECT_EQ(mGlobals::sprintf("\\x\\n%d", 4), "\\x\r\n4");
  EXPECT_EQ(Lines().size(), 1u);

  // A letter of more than one byte is quoted whole (here in ANSI, as the sink receives it).
  log->lines.clear();
  EXPECT_EQ(mGlobals::sprintf("\\é"), "\\é");
  ExpectOneLine(kSprintf, "Invalid format specificator '\\\xE9'", 0, 3, 1);
}

// --- sprintf: failures ------------------------------------------------------------------------

TEST_F(mGlobalsTest, SprintfFailureReturnsTheEscapedFormatWithOneErrorLine) {
  // More specifiers than arguments.
  EXPECT_EQ(mGlobals::sprintf("\\t%s and %s", "one"), "\t%s and %s");
  ExpectOneLine(kSprintf, host::DescriptionOf(9), 9, 3, 1);

  // A string that is not a number: the warning, then the conversion fails.
  log->lines.clear();
  EXPECT_EQ(mGlobals::sprintf("[%d]", "abc"), "[%d]");
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0].sMessage, "Not IsNumeric(8), Typename = String");
  EXPECT_EQ(Lines()[0].nKind, 2);
  EXPECT_EQ(Lines()[1].nKind, 3);
  EXPECT_EQ(Lines()[1].nError, 13);
  EXPECT_EQ(Lines()[1].sSource, kSprintf);

  // Overflow of the 32-bit conversion, without a warning (the value is numeric).
  log->lines.clear();
  EXPECT_EQ(mGlobals::sprintf("%d", 3e9), "%d");
  ExpectOneLine(kSprintf, host::DescriptionOf(6), 6, 3, 1);

  // Null has no text and no number.
  log->lines.clear();
  EXPECT_EQ(mGlobals::sprintf("%s", Variant::Null()), "%s");
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0].sMessage, "VarType(1) <> vbString, Typename = Null");
  EXPECT_EQ(Lines()[1].nError, 94);

  log->lines.clear();
  EXPECT_EQ(mGlobals::sprintf("%d", Variant::Null()), "%d");
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0].sMessage, "Not IsNumeric(1), Typename = Null");
  EXPECT_EQ(Lines()[1].nError, 94);
}

class CNoText : public host::Object {
 public:
  std::string TypeName() const override { return "CNoText"; }
};

TEST_F(mGlobalsTest, SprintfObjectHasNoText) {
  EXPECT_EQ(mGlobals::sprintf("%s", std::make_shared<CNoText>()), "%s");
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0].sMessage, "VarType(9) <> vbString, Typename = CNoText");
  EXPECT_EQ(Lines()[1].nError, 13);
}

TEST_F(mGlobalsTest, SprintfUnpacksASingleArrayOfVariants) {
  EXPECT_EQ(mGlobals::sprintf("%s=%d", Variant::Array({Variant("n"), Variant(5)})), "n=5");
  // Counted from the array's own lower bound.
  EXPECT_EQ(mGlobals::sprintf("%s%s", Variant::Array({Variant("a"), Variant("b")}, 1)), "ab");
  EXPECT_EQ(mGlobals::sprintf("%d|%d", std::vector<Variant>{Variant::Array({Variant(1), Variant(2)})}),
            "1|2");
  EXPECT_TRUE(Lines().empty());

  // An array of strings is one argument, and it has no text.
  EXPECT_EQ(mGlobals::sprintf("%s", Variant::Array({Variant("a")}, 0, host::vbString)), "%s");
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0].sMessage, "VarType(8200) <> vbString, Typename = String()");
  EXPECT_EQ(Lines()[1].nError, 13);

  // With a second argument the array is not unpacked either.
  log->lines.clear();
  EXPECT_EQ(mGlobals::sprintf("%s %s", Variant::Array({Variant("a")}), "b"), "%s %s");
  EXPECT_EQ(Lines().back().nError, 13);
}

// --- line writers -----------------------------------------------------------------------------

TEST_F(mGlobalsTest, LinesCarryKindLevelAndTheModuleHandle) {
  host::ModuleHandle hPrevious = host::AddinModuleHandle();
  host::SetAddinModuleHandle(0x10000000);
  mGlobals::Trace("Connect::Init", "->", 3);
  mGlobals::Trace("Connect::AddinInstance_OnConnection", "->OK", 1);
  mGlobals::TraceWarning("COptions::Load", "Unknown value");
  mGlobals::TraceError("CClipboard::Save", 5, "Invalid procedure call or argument");
  host::SetAddinModuleHandle(hPrevious);

  ASSERT_EQ(Lines().size(), 4u);
  const struct {
    const char* sSource;
    const char* sMessage;
    int32_t nError, nKind, nLevel;
  } expected[] = {
      {"Connect::Init", "->", 0, 1, 3},
      {"Connect::AddinInstance_OnConnection", "->OK", 0, 1, 1},
      {"COptions::Load", "Unknown value", 0, 2, 1},
      {"CClipboard::Save", "Invalid procedure call or argument", 5, 3, 1},
  };
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(Lines()[i].hInstance, 0x10000000);
    EXPECT_EQ(Lines()[i].sSource, expected[i].sSource);
    EXPECT_EQ(Lines()[i].sMessage, expected[i].sMessage);
    EXPECT_EQ(Lines()[i].nError, expected[i].nError);
    EXPECT_EQ(Lines()[i].nKind, expected[i].nKind);
    EXPECT_EQ(Lines()[i].nLevel, expected[i].nLevel);
  }
}

TEST_F(mGlobalsTest, TextReachesTheSinkInAnsi) {
  mGlobals::Trace("CRecipients::Add", "Ärger über 5 € — Ωmega", 2);
  mGlobals::TraceWarning("Señor::Pérez", "x");
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0].sMessage,
            "\xC4rger \xFC"
            "ber 5 \x80 \x97 ?mega");
  EXPECT_EQ(Lines()[1].sSource, "Se\xF1or::P\xE9rez");
}

TEST_F(mGlobalsTest, TraceErrorReadsTheErrorBeingHandled) {
  try {
    host::Raise(91);
  } catch (...) {
    mGlobals::TraceError("CExplorerMenu::m_btnTO_Click");
  }
  ExpectOneLine("CExplorerMenu::m_btnTO_Click", host::DescriptionOf(91), 91, 3, 1);

  // Only the missing value comes from the pending error.
  log->lines.clear();
  try {
    host::Raise(-2147221233, "The operation failed.");
  } catch (...) {
    mGlobals::TraceError("A::B", Variant(), "own text");
    mGlobals::TraceError("A::C", 7, Variant());
  }
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0].nError, -2147221233);
  EXPECT_EQ(Lines()[0].sMessage, "own text");
  EXPECT_EQ(Lines()[1].nError, 7);
  EXPECT_EQ(Lines()[1].sMessage, "The operation failed.");

  // Without a pending error the line carries 0 and no text.
  log->lines.clear();
  mGlobals::TraceError("A::D");
  ExpectOneLine("A::D", "", 0, 3, 1);
}

TEST_F(mGlobalsTest, HandlerThatFormatsBeforeTracingStillReportsItsOwnError) {
  // An error handler whose message formatting fails inside must still log its own error.
  try {
    host::Raise(457);
  } catch (...) {
    std::string sMsg = mGlobals::sprintf("%s %s", "only one");
    EXPECT_EQ(sMsg, "%s %s");
    mGlobals::TraceError("CRecipients::Add");
  }
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0].nError, 9);  // sprintf's own failure
  EXPECT_EQ(Lines()[1].nError, 457);
  EXPECT_EQ(Lines()[1].sSource, "CRecipients::Add");
}

TEST_F(mGlobalsTest, Assert) {
  mGlobals::Assert(true, "CAdvancedSearch::Resort", "HasObject");
  EXPECT_TRUE(Lines().empty());
  mGlobals::Assert(false, "CAdvancedSearch::Resort", "HasObject");
  ExpectOneLine("CAdvancedSearch::Resort", "ASSERT FAILED - HasObject", 0, 3, 1);
}

// A support library that fails on every call: the add-in must not notice.
class CThrowingSupport : public testsupport::RecordingSupport {
 public:
  int32_t TarvikLogMsg(host::ModuleHandle, const std::string&, int32_t, const std::string&, int32_t,
                       int32_t) override {
    throw std::runtime_error("sink down");
  }
};

TEST(mGlobalsSink, MissingOrFailingLibraryIsHarmless) {
  auto pPrevious = host::BindTarvik(nullptr);
  EXPECT_NO_THROW(mGlobals::Trace("A::B", "dropped", 1));
  EXPECT_EQ(mGlobals::sprintf("a\\qb%x"), "a\\qb");

  host::BindTarvik(std::make_shared<CThrowingSupport>());
  EXPECT_NO_THROW(mGlobals::TraceWarning("A::B", "lost"));
  EXPECT_NO_THROW(mGlobals::Assert(false, "A::B", "lost"));
  EXPECT_EQ(mGlobals::sprintf("%d %s", 1), "%d %s");
  host::BindTarvik(pPrevious);
}

// --- GetOutlookVersion ------------------------------------------------------------------------

class CFakeApplication : public host::Application {
 public:
  std::string sVersion;
  bool bFail = false;

  std::string Version() override {
    if (bFail) host::Raise(host::err::E_FAIL);
    return sVersion;
  }
  int32_t Class() override { return host::olApplication; }
  std::shared_ptr<host::OutlookObject> Parent() override { return nullptr; }
  std::shared_ptr<host::Explorers> Explorers() override { return nullptr; }
  std::shared_ptr<host::Explorer> ActiveExplorer() override { return nullptr; }
  std::shared_ptr<host::NameSpace> Session() override { return nullptr; }
  std::shared_ptr<host::OutlookItem> CreateItem(int32_t) override { return nullptr; }
  std::shared_ptr<host::Search> AdvancedSearch(const std::string&, const Variant&, const Variant&,
                                               const Variant&) override {
    return nullptr;
  }
};

class GetOutlookVersionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_pApp = std::make_shared<CFakeApplication>();
    g_oApp = m_pApp;
  }
  void TearDown() override { g_oApp.reset(); }
  std::shared_ptr<CFakeApplication> m_pApp;
  testsupport::ScopedRecordingSupport log;
};

TEST_F(GetOutlookVersionTest, MajorVersionBeforeTheFirstPoint) {
  const struct {
    const char* sVersion;
    int32_t nMajor;
  } cases[] = {
      {"11.0.5608", 11}, {"9.0.0.2711", 9}, {"10.0.2627", 10}, {"12", 12}, {"", 0}, {".5", 0}, {"abc.1", 0},
  };
  for (const auto& c : cases) {
    m_pApp->sVersion = c.sVersion;
    EXPECT_EQ(mGlobals::GetOutlookVersion(), c.nMajor) << c.sVersion;
  }
}

TEST_F(GetOutlookVersionTest, UnreadableVersionIsZeroAndSilent) {
  m_pApp->bFail = true;
  EXPECT_EQ(mGlobals::GetOutlookVersion(), 0);
  g_oApp.reset();
  EXPECT_EQ(mGlobals::GetOutlookVersion(), 0);
  EXPECT_TRUE(log->lines.empty());
}

}  // namespace
