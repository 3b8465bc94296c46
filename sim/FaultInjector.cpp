#include "sim/FaultInjector.h"

#include <utility>

namespace sim {

void FaultInjector::Hit(std::string_view sMember) {
  ++m_nTotal;
  auto it = m_mapCalls.find(sMember);
  if (it == m_mapCalls.end()) it = m_mapCalls.emplace(std::string(sMember), 0).first;
  ++it->second;
  if (m_vecRules.empty()) return;
  // Every matching rule counts the call, even when an earlier one already fails it.
  bool bFired = false;
  int32_t nNumber = 0;
  for (Rule& oRule : m_vecRules) {
    if (oRule.bSpent || (oRule.sMember != kAnyMember && oRule.sMember != sMember)) continue;
    ++oRule.nSeen;
    bool bFire = oRule.eKind == Kind::Always || (oRule.eKind == Kind::Every && oRule.nSeen % oRule.n == 0) ||
                 (oRule.eKind == Kind::Nth && oRule.nSeen == oRule.n);
    if (oRule.eKind == Kind::Nth && bFire) oRule.bSpent = true;
    if (bFire && !bFired) {
      bFired = true;
      nNumber = oRule.nNumber;
    }
  }
  if (bFired) Fail(sMember, nNumber);
}

void FaultInjector::Hit(std::string_view sInterface, std::string_view sMember) {
  // Built on the stack: this runs for every member of every item, so no allocation.
  char buf[96];
  size_t nLen = sInterface.size() + 1 + sMember.size();
  if (nLen > sizeof buf) {
    Hit(std::string(sInterface) + "." + std::string(sMember));
    return;
  }
  sInterface.copy(buf, sInterface.size());
  buf[sInterface.size()] = '.';
  sMember.copy(buf + sInterface.size() + 1, sMember.size());
  Hit(std::string_view(buf, nLen));
}

void FaultInjector::Fail(std::string_view sMember, int32_t nNumber) {
  ++m_nInjected;
  std::string sName(sMember);
  if (auto fn = fnOnInjected) fn(sName);
  throw host::Error(nNumber, sName + " failed (injected)");
}

void FaultInjector::AddRule(Rule oRule) {
  if (oRule.eKind != Kind::Always && oRule.n < 1)
    throw host::Error(host::err::InvalidProcedureCall, "A fault rule counts calls from 1 on.");
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
  auto it = m_mapCalls.find(sMember);
  return it == m_mapCalls.end() ? 0 : it->second;
}

std::map<std::string, int64_t> FaultInjector::AllCalls() const {
  return std::map<std::string, int64_t>(m_mapCalls.begin(), m_mapCalls.end());
}

void FaultInjector::ResetCounts() {
  m_mapCalls.clear();
  m_nTotal = 0;
  m_nInjected = 0;
}

}  // namespace sim
