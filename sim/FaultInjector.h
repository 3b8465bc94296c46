// Fault injection for the simulated host. Every simulated member begins with one hit under its
// name ("MAPIFolder.DefaultItemType", "CommandBars.Add"); a rule can make that call throw
// host::Error, so tests and the reliability sweeps can fail any call of a scenario. Member names
// are interned once per process: a hit by id is a counter increment.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/Error.h"

namespace sim {

class FaultInjector {
 public:
  using MemberId = uint32_t;

  // "*" as the member matches every member.
  static constexpr const char* kAnyMember = "*";

  // The process-wide id of a member name, the same for every injector.
  static MemberId Intern(std::string_view sMember);
  static std::optional<MemberId> Find(std::string_view sMember);
  static std::string NameOf(MemberId nId);

  // Counts the call and throws host::Error(number, "<member> failed (injected)") when a rule fires.
  void Hit(MemberId nId) {
    ++m_nTotal;
    if (nId >= m_vecCalls.size()) m_vecCalls.resize(nId + 1, 0);
    ++m_vecCalls[nId];
    if (!m_vecRules.empty()) ApplyRules(nId);
  }
  void Hit(std::string_view sMember) { Hit(Intern(sMember)); }

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
    bool bAny = false;
    MemberId nId = 0;
  };

  void AddRule(Rule oRule);
  void ApplyRules(MemberId nId);
  [[noreturn]] void Fail(MemberId nId, int32_t nNumber);

  std::vector<int64_t> m_vecCalls;  // by member id; 0 for a member not called
  std::vector<Rule> m_vecRules;
  int64_t m_nTotal = 0;
  int64_t m_nInjected = 0;
};

// A member name fixed where the member is written ("Recipient.Name"): its id is found once per
// process, so the hook costs a counter increment.
template <size_t N>
struct MemberName {
  constexpr MemberName(const char (&s)[N]) { std::copy_n(s, N, sz); }
  constexpr std::string_view View() const { return {sz, N - 1}; }
  char sz[N];
};

template <MemberName kName>
FaultInjector::MemberId MemberIdOf() {
  static const FaultInjector::MemberId s_nId = FaultInjector::Intern(kName.View());
  return s_nId;
}

// "<interface>.<member>", for objects that share their members (the item kinds, the safe items).
template <MemberName kInterface, MemberName kMember>
FaultInjector::MemberId MemberIdOf() {
  static const FaultInjector::MemberId s_nId =
      FaultInjector::Intern(std::string(kInterface.View()) + "." + std::string(kMember.View()));
  return s_nId;
}

}  // namespace sim
