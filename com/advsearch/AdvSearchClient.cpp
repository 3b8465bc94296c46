// The program's side of the search component in the Windows build: the component is the COM
// server QuilloAdvSearch.dll, and every call to it crosses IDispatch. "Registering" it in the
// process makes the ProgID resolve to the DLL beside the program (loaded and asked for its
// class factory as COM would, without the system registry); without that, host::CreateObject
// falls back to COM's own registration, which regsvr32 writes.
#include <windows.h>

#include "advsearch/QuilloAdvSearch.h"
#include "com/Bridge.h"
#include "com/DispatchServer.h"
#include "com/Error.h"
#include "com/HostLoop.h"
#include "com/Module.h"
#include "com/Text.h"
#include "com/advsearch/AdvSearchBinding.h"
#include "com/advsearch/AdvSearchIds.h"
#include "com/outlook/OutlookBinding.h"
#include "com/simserver/OutlookServer.h"

namespace {

using namespace com;
using namespace com::advsearch;

// The DLL beside the program, loaded once for the life of the process.
HMODULE Component() {
  static HMODULE s_h = [] {
    std::wstring sPath = ModulePath(GetModuleHandleW(nullptr));
    sPath = sPath.substr(0, sPath.find_last_of(L"\\/") + 1) + Wide(kDllName);
    return LoadLibraryW(sPath.c_str());
  }();
  return s_h;
}

template <class F>
F Export(const char* sName) {
  HMODULE h = Component();
  if (!h) host::Raise(host::err::CantCreateObject, std::string(kDllName) + " cannot be loaded");
  auto fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(h, sName)));
  if (!fn) host::Raise(host::err::NoSuchMember, std::string(kDllName) + " lacks " + sName);
  return fn;
}

std::shared_ptr<host::Object> CreateFromComponent() {
  using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
  auto fnGetClassObject = Export<GetClassObjectFn>("DllGetClassObject");
  ComPtr<IClassFactory> pFactory;
  Check(fnGetClassObject(CLSID_CAdvSearch, IID_IClassFactory, pFactory.put_void()), "DllGetClassObject");
  ComPtr<IDispatch> pDisp;
  Check(pFactory->CreateInstance(nullptr, IID_IDispatch, pDisp.put_void()), "CreateInstance");
  return BindCreated(std::move(pDisp), typeid(host::_CAdvSearch));
}

// Objects of the program that want to hear of the end of an asynchronous search.
std::shared_ptr<const ServerClass> NotifyClass() {
  static std::shared_ptr<const ServerClass> s_p = [] {
    auto p = std::make_shared<ServerClass>();
    p->sName = "ASyncSearchNotify";
    p->vecMembers.push_back({"ASyncSearchDone", 1, Member::Method, 0, 0, [](host::Object& o, const Args&) {
                               dynamic_cast<host::ASyncSearchNotify&>(o).ASyncSearchDone();
                               return host::Variant();
                             }});
    return p;
  }();
  return s_p;
}

void PrepareProcess() {
  static bool s_bDone = false;
  if (s_bDone) return;
  s_bDone = true;
  EnsureComInitialized();
  ExportProgramLoop();
  simserver::RegisterOutlookServers();
  outlook::RegisterBinders();
  RegisterAdvSearchBinder();
  AddExposer([](const std::shared_ptr<host::Object>& p) -> IDispatch* {
    if (!dynamic_cast<host::ASyncSearchNotify*>(p.get())) return nullptr;
    return CServer::For(p, NotifyClass()).Detach();
  });
  InstallCreateObjectFallback();
}

}  // namespace

void RegisterQuilloAdvSearch() {
  PrepareProcess();
  host::ObjectRegistry::Instance().Register(host::kAdvSearchProgId, &CreateFromComponent);
}

void UnregisterQuilloAdvSearch() {
  PrepareProcess();
  host::ObjectRegistry::Instance().Unregister(host::kAdvSearchProgId);
}

void QuilloAdvSearch_SetDebugTarget(int32_t nTarget) {
  Export<SetDebugTargetFn>("QuilloAdvSearchSetDebugTarget")(nTarget);
}

std::string QuilloAdvSearch_LogFilePath() {
  auto fn = Export<GetLogFilePathFn>("QuilloAdvSearchGetLogFilePath");
  std::string s(static_cast<size_t>(fn(nullptr, 0)), '\0');
  fn(s.data(), static_cast<int32_t>(s.size()));
  if (!s.empty()) s.pop_back();  // the terminating zero
  return s;
}

void QuilloAdvSearch_SetLibraryFolder(const std::string& sFolder) {
  Export<SetLibraryFolderFn>("QuilloAdvSearchSetLibraryFolder")(sFolder.c_str());
}

std::string QuilloAdvSearch_Where() {
  PrepareProcess();
  if (host::ObjectRegistry::Instance().IsRegistered(host::kAdvSearchProgId))
    return "the COM server " + std::string(kDllName) + " beside the program";
  CLSID clsid{};
  std::wstring wProgId = Wide(host::kAdvSearchProgId);
  if (FAILED(CLSIDFromProgID(wProgId.c_str(), &clsid))) return "not registered";
  std::wstring sKey = std::wstring(L"CLSID\\") + GuidString(clsid) + L"\\InprocServer32";
  std::wstring sPath = GetStringValue(HKEY_CLASSES_ROOT, sKey, L"");
  return "the COM server registered as " + Utf8(GuidString(clsid)) +
         (sPath.empty() ? "" : " in " + Utf8(sPath));
}
