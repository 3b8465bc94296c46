// Fault injection for the simulated host. Every simulated member begins with one Hit() under its
// name ("Explorers.Item", "MAPIFolder.DefaultItemType", "CommandBars.Add"); a rule can make that
// call throw host::Error, so tests and the reliability sweeps can fail any call of a scenario.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/Error.h"

namespace sim {

class FaultInjector {
 public:
  // "*" as the member matches every member.
  static constexpr const char* kAnyMember = "*";

  // Counts the call and throws host::Error(number, "<member> failed (injected)") when a rule fires.
  void Hit(std::string_view sMember);
  // The same for "<interface>.<member>", for objects that share their members (the item kinds).
  void Hit(std::string_view sInterface, std::string_view sMember);

  // The nth matching call from now fails once (1 = the next one).
  void FailNth(const std::string& sMember, int64_t nNth, int32_t nNumber = host::err::E_FAIL);
  // Every nth matching call from now fails (n, 2n, 3n, ...).
  void FailEvery(const std::string& sMember, int64_t nEvery, int32_t nNumber = host::err::E_FAIL);
  // Every matching call fails until the rules are cleared.
  void FailAlways(const std::string& sMember, int32_t nNumber = host::err::E_FAIL);
  // Drops every rule; the counts stay.
  void Clear();
  bool HasRules() const { return !m_vecRules.empty(); }

  int64_t Calls(std::string_view sMember) const;
  int64_t TotalCalls() const { return m_nTotal; }
  int64_t InjectedCount() const { return m_nInjected; }
  // Every member called so far with its count, sorted by name.
  std::map<std::string, int64_t> AllCalls() const;
  void ResetCounts();

  // Called with the member name of each injected failure (quillo-sim prints them).
  std::function<void(const std::string&)> fnOnInjected;

 private:
  enum class Kind { Nth, Every, Always };
  struct Rule {
    std::string sMember;
    Kind eKind;
    int64_t n;
    int32_t nNumber;
    int64_t nSeen = 0;
    bool bSpent = false;
  };
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
  };

  void AddRule(Rule oRule);
  [[noreturn]] void Fail(std::string_view sMember, int32_t nNumber);

  std::unordered_map<std::string, int64_t, Hash, std::equal_to<>> m_mapCalls;
  std::vector<Rule> m_vecRules;
  int64_t m_nTotal = 0;
  int64_t m_nInjected = 0;
};

}  // namespace sim
