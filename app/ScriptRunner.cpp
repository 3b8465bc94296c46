#include "ScriptRunner.h"

#include <exception>

#include "host/Error.h"

namespace app {

std::vector<std::string> SplitWords(const std::string& sLine) {
  std::vector<std::string> vecWords;
  std::string sWord;
  bool bInWord = false;
  char cQuote = 0;
  for (char c : sLine) {
    if (cQuote) {
      if (c == cQuote)
        cQuote = 0;
      else
        sWord += c;
    } else if (c == '"' || c == '\'') {
      cQuote = c;
      bInWord = true;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      if (bInWord) vecWords.push_back(std::move(sWord));
      sWord.clear();
      bInWord = false;
    } else {
      sWord += c;
      bInWord = true;
    }
  }
  if (cQuote) throw UsageError{std::string("unterminated quote ") + cQuote};
  if (bInWord) vecWords.push_back(std::move(sWord));
  return vecWords;
}

int RunScript(std::istream& in, const std::string& sScriptName, const CommandTable& oTable,
              CommandContext& oContext, std::ostream& sErr, bool bEcho) {
  std::string sLine;
  int nLine = 0;
  while (std::getline(in, sLine)) {
    ++nLine;
    std::string sWhy;
    const CommandSpec* pSpec = nullptr;
    // A comment is not read as words: its quotes need no partner.
    size_t nFirst = sLine.find_first_not_of(" \t\r");
    if (nFirst == std::string::npos || sLine[nFirst] == '#') continue;
    try {
      auto vecWords = SplitWords(sLine);
      if (vecWords.empty()) continue;
      pSpec = oTable.Find(vecWords[0]);
      if (!pSpec) throw UsageError{"unknown command '" + vecWords[0] + "' (try 'help')"};
      if (bEcho) oContext.out << "> " << sLine << "\n";
      vecWords.erase(vecWords.begin());
      pSpec->fnRun(oContext, vecWords);
      continue;
    } catch (const UsageError& e) {
      sWhy = e.sMessage;
      if (e.bShowUsage && pSpec) sWhy += (sWhy.empty() ? "" : "; ") + UsageLine(*pSpec, e.sForm);
    } catch (const host::Error& e) {
      sWhy = "error " + std::to_string(e.Number()) + ": " + e.Description();
    } catch (const std::exception& e) {
      sWhy = e.what();
    }
    oContext.out.flush();
    sErr << sScriptName << ":" << nLine << ": " << sLine << "\n  " << sWhy << "\n";
    return 2;
  }
  return 0;
}

}  // namespace app
