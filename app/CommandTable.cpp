#include "CommandTable.h"

#include <algorithm>
#include <charconv>

namespace app {

void ThrowUsage(const std::string& sForm, const std::string& sWhy) {
  throw UsageError{sWhy, true, sForm};
}

void NeedArgs(const Args& vecArgs, size_t nMin, size_t nMax, const std::string& sForm) {
  if (vecArgs.size() < nMin || vecArgs.size() > nMax) ThrowUsage(sForm);
}

int ParseInt(const std::string& s, const std::string& sWhat) {
  int n = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc() || p != s.data() + s.size())
    throw UsageError{sWhat + " must be a number, not '" + s + "'"};
  return n;
}

std::string UsageLine(const CommandSpec& oSpec, const std::string& sForm) {
  std::string sForms;
  if (!sForm.empty()) {
    const std::string kBar = " | ";
    for (size_t nStart = 0; nStart <= oSpec.sUsage.size();) {
      size_t nEnd = oSpec.sUsage.find(kBar, nStart);
      if (nEnd == std::string::npos) nEnd = oSpec.sUsage.size();
      const std::string sOne = oSpec.sUsage.substr(nStart, nEnd - nStart);
      if (sOne == sForm || sOne.rfind(sForm + " ", 0) == 0) sForms += (sForms.empty() ? "" : kBar) + sOne;
      nStart = nEnd + kBar.size();
    }
  }
  if (sForms.empty()) sForms = oSpec.sUsage;
  return "usage: " + oSpec.sName + (sForms.empty() ? "" : " " + sForms);
}

void CommandTable::AddForms(const std::vector<std::string>& vecForms, CommandSpec oSpec) {
  CommandHandler fnEarlier;
  if (const CommandSpec* pEarlier = Find(oSpec.sName)) {
    fnEarlier = pEarlier->fnRun;
    // A command that took no arguments keeps working without them.
    oSpec.sUsage =
        pEarlier->sUsage.empty() ? "[" + oSpec.sUsage + "]" : pEarlier->sUsage + " | " + oSpec.sUsage;
    oSpec.sHelp = pEarlier->sHelp + "; " + oSpec.sHelp;
  }
  oSpec.fnRun = [vecForms, fnForms = std::move(oSpec.fnRun), fnEarlier](CommandContext& ctx, const Args& a) {
    if (!a.empty() && std::find(vecForms.begin(), vecForms.end(), a[0]) != vecForms.end())
      return fnForms(ctx, a);
    if (!fnEarlier) ThrowUsage();
    fnEarlier(ctx, a);
  };
  Add(std::move(oSpec));
}

void CommandTable::Replace(const std::string& sName, Override fnRun) {
  auto it = m_mapCommands.find(sName);
  if (it == m_mapCommands.end()) return;
  it->second.fnRun = [fnRun = std::move(fnRun), fnEarlier = it->second.fnRun](
                         CommandContext& ctx, const Args& a) { fnRun(fnEarlier, ctx, a); };
}

}  // namespace app
