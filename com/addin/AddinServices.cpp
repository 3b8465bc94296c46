// The platform's own names come before <windows.h> takes them as macros.
#include "platform/Clipboard.h"
#include "platform/Registry.h"
//
#include "com/addin/AddinServices.h"

#include <string>

#include "addin/Connect.h"
#include "com/Bridge.h"
#include "com/HostLoop.h"
#include "com/Module.h"
#include "com/Text.h"
#include "com/advsearch/AdvSearchBinding.h"
#include "com/office/OfficeBinding.h"
#include "com/outlook/OutlookBinding.h"
#include "com/redemption/RedemptionBinding.h"
#include "host/Error.h"
#include "host/Tarvik.h"
#include "platform/Ui.h"
#include "platform/win32/FormsWin32.h"
#include "platform/win32/TarvikBinding.h"
#include "platform/win32/Win32Boxes.h"
#include "platform/win32/Win32Clipboard.h"
#include "platform/win32/Win32Registry.h"

namespace com::addin {
namespace {

class CProgramBoxes : public platform::MessageBoxes {
 public:
  explicit CProgramBoxes(QuilloHostBoxes_ShowFn fn) : m_fn(fn) {}
  int32_t Show(const std::string& sPrompt, int32_t nButtons, const std::string& sTitle) override {
    int32_t nAnswer = 0;
    int32_t n = m_fn(sPrompt.c_str(), nButtons, sTitle.c_str(), &nAnswer);
    if (n != 0) throw host::Error(n, "the program's message box failed");
    return nAnswer;
  }

 private:
  QuilloHostBoxes_ShowFn m_fn;
};

// Tarvik.dll beside the add-in's DLL, where the set-up puts both; the ordinary search otherwise.
std::string TarvikPath(HMODULE hAddin) {
  std::wstring sPath = ModulePath(hAddin);
  size_t nSlash = sPath.find_last_of(L"\\/");
  if (nSlash != std::wstring::npos) {
    std::wstring sBeside = sPath.substr(0, nSlash + 1) + L"Tarvik.dll";
    if (GetFileAttributesW(sBeside.c_str()) != INVALID_FILE_ATTRIBUTES) return Utf8(sBeside);
  }
  return "Tarvik.dll";
}

}  // namespace

void InstallAddinServices(HMODULE hAddin) {
  static bool s_bDone = false;
  if (s_bDone) return;
  EnsureComInitialized();
  InstallModuleLoop();
  platform::reg::SetRegistry(std::make_shared<platform::win32::Win32Registry>());
  platform::SetClipboard(std::make_shared<platform::win32::Win32Clipboard>());
  // Without a desktop (a service, a test without display) the add-in still loads; its forms
  // then fail with an error each time one is shown, which the add-in traps.
  auto fnNoUser = reinterpret_cast<QuilloHostForms_NoUserFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), "QuilloHostForms_NoUser")));
  host::IgnoreErrors([&] {
    auto pForms = platform::win32::InstallWin32Forms();
    if (fnNoUser && fnNoUser())
      pForms->fnOnModalIdle = [](platform::Form& oForm) {
        platform::Forms().Driver().CloseBox(oForm);
        return true;
      };
  });
  auto fnShow = reinterpret_cast<QuilloHostBoxes_ShowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), "QuilloHostBoxes_Show")));
  if (fnShow)
    platform::SetBoxes(std::make_shared<CProgramBoxes>(fnShow));
  else
    platform::SetBoxes(std::make_shared<platform::win32::Win32Boxes>());
  host::SetAddinModuleHandle(reinterpret_cast<host::ModuleHandle>(hAddin));
  host::BindTarvik(std::make_shared<platform::win32::TarvikBinding>(TarvikPath(hAddin)));
  outlook::RegisterBinders();
  office::RegisterBinders();
  redemption::RegisterBinders();
  advsearch::RegisterAdvSearchBinder();
  InstallCreateObjectFallback();
  RegisterQuilloAddin();
  s_bDone = true;
}

}  // namespace com::addin
