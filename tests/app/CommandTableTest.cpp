// How quillo-sim's table joins the forms several groups give one command, and which usage line
// a line that fits none of them is answered with.
#include <gtest/gtest.h>

#include <sstream>

#include "CommandTable.h"
#include "ScriptRunner.h"

namespace {

struct CommandTableTest : ::testing::Test {
  // The error line of a script of one line; empty when it ran.
  std::string Refusal(const std::string& sLine) {
    std::istringstream in(sLine + "\n");
    std::ostringstream err;
    app::CommandContext ctx{out, [] { return nullptr; }, {}};
    if (app::RunScript(in, "t", oTable, ctx, err, false) == 0) return {};
    const std::string s = err.str();
    return s.substr(s.find("\n  ") + 3, s.size() - s.find("\n  ") - 4);
  }
  app::CommandHandler Says(const std::string& sWhat) {
    return [this, sWhat](app::CommandContext&, const app::Args&) { out << sWhat << "\n"; };
  }

  std::ostringstream out;
  app::CommandTable oTable;
};

TEST_F(CommandTableTest, FormsOfOneCommandFromSeveralGroupsRunTheirOwnAndJoinTheirLines) {
  oTable.AddForms({"progress"},
                  {"at", "progress stage N", "when the window reaches a stage", Says("progress")});
  oTable.AddForms({"options"},
                  {"at", "options click CONTROL | options close", "the dialog", Says("options")});
  oTable.Add({"show", "", "prints", Says("show")});
  oTable.AddForms({"dialog"}, {"show", "dialog", "opens the dialog", Says("dialog")});

  EXPECT_EQ(oTable.Find("at")->sUsage, "progress stage N | options click CONTROL | options close");
  EXPECT_EQ(oTable.Find("at")->sHelp, "when the window reaches a stage; the dialog");
  // A command that took no arguments still does.
  EXPECT_EQ(oTable.Find("show")->sUsage, "[dialog]");

  EXPECT_EQ(Refusal("at options close"), "");
  EXPECT_EQ(Refusal("at progress stage 1"), "");
  EXPECT_EQ(Refusal("show"), "");
  EXPECT_EQ(Refusal("show dialog"), "");
  EXPECT_EQ(out.str(), "options\nprogress\nshow\ndialog\n");
  // No group takes the first word: the whole line of the command.
  EXPECT_EQ(Refusal("at nothing"), "usage: at progress stage N | options click CONTROL | options close");
}

TEST_F(CommandTableTest, AReplacedHandlerKeepsTheLinesAndLeavesTheRestToTheEarlierOne) {
  oTable.Add({"show", "log | explorers", "prints", Says("earlier")});
  oTable.Replace("show",
                 [this](const app::CommandHandler& fnEarlier, app::CommandContext& ctx, const app::Args& a) {
                   if (a.at(0) != "explorers") return fnEarlier(ctx, a);
                   out << "replaced\n";
                 });
  oTable.Replace("nothing", [](auto&, auto&, auto&) { FAIL(); });

  EXPECT_EQ(Refusal("show explorers"), "");
  EXPECT_EQ(Refusal("show log"), "");
  EXPECT_EQ(out.str(), "replaced\nearlier\n");
  EXPECT_EQ(oTable.Find("show")->sUsage, "log | explorers");
  EXPECT_EQ(oTable.Find("nothing"), nullptr);
}

TEST_F(CommandTableTest, AMisfitIsAnsweredWithTheFormsItBeganAndWhatWasWrong) {
  oTable.Add({"explorer", "open PATH [--activate] | activate N | close N", "explorers", [](auto&, auto& a) {
                if (a.empty()) app::ThrowUsage();
                if (a[0] == "open") app::NeedArgs(a, 2, 3, a[0]);
                if (a[0] == "close") app::ThrowUsage(a[0], "no explorer " + a[1]);
                if (a[0] == "shut") app::ThrowUsage(a[0]);
              }});
  EXPECT_EQ(Refusal("explorer"), "usage: explorer open PATH [--activate] | activate N | close N");
  EXPECT_EQ(Refusal("explorer open"), "usage: explorer open PATH [--activate]");
  EXPECT_EQ(Refusal("explorer close 9"), "no explorer 9; usage: explorer close N");
  // A word that begins no form: the whole line.
  EXPECT_EQ(Refusal("explorer shut"), "usage: explorer open PATH [--activate] | activate N | close N");
  EXPECT_EQ(Refusal("explorer open a b c"), "usage: explorer open PATH [--activate]");
}

}  // namespace
