// The commands of quillo-sim: each group registers its commands here (core commands, settings,
// search, ...), and the script runner looks them up by name.
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

// A command that cannot run (bad argument, unknown name) throws this; the runner prints the
// script line and the message and stops with a non-zero exit.
struct UsageError {
  std::string sMessage;
};

// What every command can reach. Groups keep their own state in objects they create at
// registration and capture in their handlers.
struct CommandContext {
  std::ostream& out;
  // The simulated Outlook of this run; Nothing before "start" creates it.
  std::function<sim::Outlook*()> fnOutlook;
  // Options of the command line that groups may need (registry file path, ...).
  std::map<std::string, std::string> mapOptions;
};

using CommandHandler = std::function<void(CommandContext&, const std::vector<std::string>& vecArgs)>;

struct CommandSpec {
  std::string sName;   // first word of the script line ("start", "reg", "explorer")
  std::string sUsage;  // one line: arguments
  std::string sHelp;   // one line: what it does
  CommandHandler fnRun;
};

class CommandTable {
 public:
  void Add(CommandSpec oSpec) { m_mapCommands[oSpec.sName] = std::move(oSpec); }
  const CommandSpec* Find(const std::string& sName) const {
    auto it = m_mapCommands.find(sName);
    return it == m_mapCommands.end() ? nullptr : &it->second;
  }
  const std::map<std::string, CommandSpec>& All() const { return m_mapCommands; }

 private:
  std::map<std::string, CommandSpec> m_mapCommands;
};

}  // namespace app
