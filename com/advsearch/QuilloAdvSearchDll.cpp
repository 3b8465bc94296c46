// QuilloAdvSearch.dll: the search component as an in-process COM server. The class
// "QuilloAdvSearch.CAdvSearch" answers _CAdvSearch by name; its arguments come by reference,
// the Application it is given is bound to the Outlook model over IDispatch, and the Search it
// returns goes back as the IDispatch Outlook handed out.
#include <windows.h>

#include <cstring>

#include "advsearch/CAdvSearch.h"
#include "advsearch/CDebug.h"
#include "advsearch/mFileUtils.h"
#include "com/Bridge.h"
#include "com/DispatchServer.h"
#include "com/Error.h"
#include "com/HostLoop.h"
#include "com/Module.h"
#include "com/advsearch/AdvSearchIds.h"
#include "com/outlook/OutlookBinding.h"

namespace {

using namespace com;
using namespace com::advsearch;

std::shared_ptr<const ServerClass> AdvSearchClass() {
  static std::shared_ptr<const ServerClass> s_p = [] {
    auto p = std::make_shared<ServerClass>();
    p->sName = "_CAdvSearch";
    p->vecInterfaces.push_back(IID__CAdvSearch);
    p->vecMembers.push_back(
        {"SyncSearch", kSyncSearch, Member::Method, 5, 5, [](host::Object& o, const Args& a) {
           auto& oSearch = static_cast<host::_CAdvSearch&>(o);
           return host::Variant(oSearch.SyncSearch(a.ObjectAs<host::Application>(0), a.String(1), a.String(2),
                                                   a.Bool(3), a.String(4)));
         }});
    p->vecMembers.push_back(
        {"ASyncSearch", kASyncSearch, Member::Method, 6, 6, [](host::Object& o, const Args& a) {
           auto& oSearch = static_cast<host::_CAdvSearch&>(o);
           return host::Variant(oSearch.ASyncSearch(a.ObjectAs<host::Application>(0), a.String(1),
                                                    a.String(2), a.Bool(3), a.String(4), a.Object(5)));
         }});
    return p;
  }();
  return s_p;
}

}  // namespace

// The one search class; no keys besides its own.
const ServerModule& com::ThisServerModule() {
  static const ServerModule s_module{{{CLSID_CAdvSearch, host::kAdvSearchProgId, "QuilloAdvSearch CAdvSearch",
                                       [] {
                                         InstallModuleLoop();
                                         outlook::RegisterBinders();
                                         return CreateServer(std::make_shared<CAdvSearch>(),
                                                             AdvSearchClass());
                                       }}},
                                     {},
                                     {}};
  return s_module;
}

extern "C" {

void QuilloAdvSearchSetDebugTarget(int32_t nTarget) {
  host::IgnoreErrors([&] { g_debug().SetDebugTarget(nTarget); });
}

int32_t QuilloAdvSearchGetLogFilePath(char* pBuffer, int32_t nSize) {
  std::string sPath;
  host::IgnoreErrors([&] { sPath = mFileUtils::NativePath(CDebug::LogFilePath()); });
  int32_t nNeeded = static_cast<int32_t>(sPath.size()) + 1;
  if (pBuffer && nSize >= nNeeded) std::memcpy(pBuffer, sPath.c_str(), static_cast<size_t>(nNeeded));
  return nNeeded;
}

void QuilloAdvSearchSetLibraryFolder(const char* sFolder) {
  host::IgnoreErrors([&] { mFileUtils::SetLibraryFolder(sFolder ? sFolder : ""); });
}

}  // extern "C"
