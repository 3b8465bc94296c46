#include "advsearch/QuilloAdvSearch.h"

#include "advsearch/CAdvSearch.h"
#include "advsearch/CDebug.h"
#include "advsearch/mFileUtils.h"

void RegisterQuilloAdvSearch() {
  RegisterCAdvSearch(host::ObjectRegistry::Instance());
}

void UnregisterQuilloAdvSearch() {
  UnregisterCAdvSearch(host::ObjectRegistry::Instance());
}

void QuilloAdvSearch_SetDebugTarget(int32_t nTarget) {
  g_debug().SetDebugTarget(nTarget);
}

std::string QuilloAdvSearch_LogFilePath() {
  return mFileUtils::NativePath(CDebug::LogFilePath());
}

void QuilloAdvSearch_SetLibraryFolder(const std::string& sFolder) {
  mFileUtils::SetLibraryFolder(sFolder);
}

std::string QuilloAdvSearch_Where() {
  return host::ObjectRegistry::Instance().IsRegistered(host::kAdvSearchProgId) ? "linked into the program"
                                                                               : "not registered";
}
