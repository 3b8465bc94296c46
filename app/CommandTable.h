// The commands of quillo-sim: each group registers its commands here (core commands, settings,
// search, ...), and the script runner looks them up by name.
//
// Every group is written alike: each command is a named function of the object it works on
// (the run's session, or a dialog's script) and its arguments, registered once with its name,
// its one usage line and its help line. A command whose arguments do not fit calls ThrowUsage,
// and the runner prints the usage line from the table, so that it is written in one place.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace sim {
class Outlook;
}

namespace app {

using Args = std::vector<std::string>;

// A command that cannot run (bad argument, unknown name) throws this; the runner prints the
// script line and the message and stops with a non-zero exit. With bShowUsage the message is
// followed by the command's usage line (only the forms that begin with sForm, when given).
struct UsageError {
  explicit UsageError(std::string sMessageIn, bool bShowUsageIn = false, std::string sFormIn = {})
      : sMessage(std::move(sMessageIn)), bShowUsage(bShowUsageIn), sForm(std::move(sFormIn)) {}
  std::string sMessage;
  bool bShowUsage;
  std::string sForm;
};

// The arguments fit none of the command's forms, or none of those that begin with the word
// sForm; sWhy, when given, says what is wrong first.
[[noreturn]] void ThrowUsage(const std::string& sForm = {}, const std::string& sWhy = {});
// The argument count must lie between nMin and nMax (ThrowUsage with sForm otherwise).
void NeedArgs(const Args& vecArgs, size_t nMin, size_t nMax, const std::string& sForm = {});
// A whole decimal number: "<sWhat> must be a number, not '<s>'" otherwise.
int ParseInt(const std::string& s, const std::string& sWhat);

// What every command can reach. Groups keep their own state in objects they create at
// registration and capture in their handlers.
struct CommandContext {
  std::ostream& out;
  // The simulated Outlook of this run; Nothing before "start" creates it.
  std::function<sim::Outlook*()> fnOutlook;
  // Options of the command line that groups may need (registry file path, ...).
  std::map<std::string, std::string> mapOptions;
};

using CommandHandler = std::function<void(CommandContext&, const Args& vecArgs)>;

struct CommandSpec {
  std::string sName;   // first word of the script line ("start", "reg", "explorer")
  std::string sUsage;  // one line: arguments, alternative forms separated by " | "
  std::string sHelp;   // one line: what it does
  CommandHandler fnRun;
};

// "usage: NAME USAGE", or with sForm only the forms of the usage line that begin with it.
std::string UsageLine(const CommandSpec& oSpec, const std::string& sForm = {});

// The handler of a command written as a named function of the object it works on.
template <class T>
CommandHandler On(std::shared_ptr<T> p, void (*fnRun)(T&, const Args&)) {
  return [p = std::move(p), fnRun](CommandContext&, const Args& a) { fnRun(*p, a); };
}
template <class T>
CommandHandler On(std::shared_ptr<T> p, void (*fnRun)(T&, CommandContext&, const Args&)) {
  return [p = std::move(p), fnRun](CommandContext& ctx, const Args& a) { fnRun(*p, ctx, a); };
}

class CommandTable {
 public:
  void Add(CommandSpec oSpec) { m_mapCommands[oSpec.sName] = std::move(oSpec); }
  // Forms of a command that another group may have registered already ("at", "item"): a line
  // whose first argument is one of vecForms runs oSpec, any other the command as it was. The
  // usage and help lines are joined, the earlier first.
  void AddForms(const std::vector<std::string>& vecForms, CommandSpec oSpec);
  // Another handler for a registered command, which keeps its name, usage and help; fnRun gets
  // the earlier handler for the lines it leaves to it. Nothing when the command is not there.
  using Override = std::function<void(const CommandHandler& fnEarlier, CommandContext&, const Args&)>;
  void Replace(const std::string& sName, Override fnRun);
  const CommandSpec* Find(const std::string& sName) const {
    auto it = m_mapCommands.find(sName);
    return it == m_mapCommands.end() ? nullptr : &it->second;
  }
  const std::map<std::string, CommandSpec>& All() const { return m_mapCommands; }

 private:
  std::map<std::string, CommandSpec> m_mapCommands;
};

}  // namespace app
