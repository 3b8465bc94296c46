#include "sim/FaultInjector.h"

#include <deque>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace sim {
namespace {

// The names met so far, each once, at the position of its id.
struct NameTable {
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
  };
  std::mutex oLock;
  std::deque<std::string> deqNames;
  std::unordered_map<std::string_view, FaultInjector::MemberId, Hash, std::equal_to<>> mapIds;
};

NameTable& Names() {
  static NameTable s_oTable;
  return s_oTable;
}

}  // namespace

FaultInjector::MemberId FaultInjector::Intern(std::string_view sMember) {
  NameTable& o = Names();
  std::lock_guard<std::mutex> oGuard(o.oLock);
  auto it = o.mapIds.find(sMember);
  if (it != o.mapIds.end()) return it->second;
  auto nId = static_cast<MemberId>(o.deqNames.size());
  o.deqNames.emplace_back(sMember);
  o.mapIds.emplace(o.deqNames.back(), nId);
  return nId;
}

std::optional<FaultInjector::MemberId> FaultInjector::Find(std::string_view sMember) {
  NameTable& o = Names();
  std::lock_guard<std::mutex> oGuard(o.oLock);
  auto it = o.mapIds.find(sMember);
  if (it == o.mapIds.end()) return std::nullopt;
  return it->second;
}

std::string FaultInjector::NameOf(MemberId nId) {
  NameTable& o = Names();
  std::lock_guard<std::mutex> oGuard(o.oLock);
  return nId < o.deqNames.size() ? o.deqNames[nId] : std::string();
}

void FaultInjector::ApplyRules(MemberId nId) {
  // Every matching rule counts the call, even when an earlier one already fails it.
  bool bFired = false;
  int32_t nNumber = 0;
  for (Rule& oRule : m_vecRules) {
    if (oRule.bSpent || (!oRule.bAny && oRule.nId != nId)) continue;
    ++oRule.nSeen;
    bool bFire = oRule.eKind == Kind::Always || (oRule.eKind == Kind::Every && oRule.nSeen % oRule.n == 0) ||
                 (oRule.eKind == Kind::Nth && oRule.nSeen == oRule.n);
    if (oRule.eKind == Kind::Nth && bFire) oRule.bSpent = true;
    if (bFire && !bFired) {
      bFired = true;
      nNumber = oRule.nNumber;
    }
  }
  if (bFired) Fail(nId, nNumber);
}

void FaultInjector::Fail(MemberId nId, int32_t nNumber) {
  ++m_nInjected;
  std::string sName = NameOf(nId);
  if (auto fn = fnOnInjected) fn(sName);
  throw host::Error(nNumber, sName + " failed (injected)");
}

void FaultInjector::AddRule(Rule oRule) {
  if (oRule.eKind != Kind::Always && oRule.n < 1)
    throw host::Error(host::err::InvalidProcedureCall, "A fault rule counts calls from 1 on.");
  oRule.bAny = oRule.sMember == kAnyMember;
  if (!oRule.bAny) oRule.nId = Intern(oRule.sMember);
  m_vecRules.push_back(std::move(oRule));
}

void FaultInjector::FailNth(const std::string& sMember, int64_t nNth, int32_t nNumber) {
  AddRule({sMember, Kind::Nth, nNth, nNumber});
}

void FaultInjector::FailEvery(const std::string& sMember, int64_t nEvery, int32_t nNumber) {
  AddRule({sMember, Kind::Every, nEvery, nNumber});
}

void FaultInjector::FailAlways(const std::string& sMember, int32_t nNumber) {
  AddRule({sMember, Kind::Always, 0, nNumber});
}

void FaultInjector::Clear() {
  m_vecRules.clear();
}

int64_t FaultInjector::Calls(std::string_view sMember) const {
  auto nId = Find(sMember);
  return nId && *nId < m_vecCalls.size() ? m_vecCalls[*nId] : 0;
}

std::map<std::string, int64_t> FaultInjector::AllCalls() const {
  std::map<std::string, int64_t> mapCalls;
  for (size_t i = 0; i < m_vecCalls.size(); ++i)
    if (m_vecCalls[i] != 0) mapCalls.emplace(NameOf(static_cast<MemberId>(i)), m_vecCalls[i]);
  return mapCalls;
}

void FaultInjector::ResetCounts() {
  m_vecCalls.clear();
  m_nTotal = 0;
  m_nInjected = 0;
}

}  // namespace sim
