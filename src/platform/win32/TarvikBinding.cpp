#include "platform/win32/TarvikBinding.h"

#include <mutex>
#include <utility>

#include "platform/win32/TarvikApi.h"

namespace platform::win32 {

struct TarvikBinding::Impl {
  // One entry point: looked up once, at its first call.
  struct Slot {
    const char* sName;
    bool bLookedUp = false;
    FARPROC pfn = nullptr;
  };

  std::string m_sLibrary;
  std::mutex m_mtx;
  bool m_bLoadTried = false;
  HMODULE m_hLibrary = nullptr;
  Slot m_oLogMsg{"TarvikLogMsg"};
  Slot m_oShowContextHelp{"TarvikShowContextHelp"};
  Slot m_oAddAboutMenu{"TarvikAddAboutMenu"};
  Slot m_oReportProblem{"TarvikReportProblem"};

  // The entry point as its C type, or null when the DLL or the name is missing. A failed load
  // is not retried: every call of a missing library would search the disk again.
  template <class F>
  F Bind(Slot& oSlot) {
    std::lock_guard<std::mutex> oLock(m_mtx);
    if (!oSlot.bLookedUp) {
      oSlot.bLookedUp = true;
      if (!m_bLoadTried) {
        m_bLoadTried = true;
        m_hLibrary = LoadLibraryA(m_sLibrary.c_str());
      }
      if (m_hLibrary) oSlot.pfn = GetProcAddress(m_hLibrary, oSlot.sName);
    }
    // Through void(*)() : the one function type GCC lets any other be cast from silently.
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(oSlot.pfn));
  }
};

TarvikBinding::TarvikBinding(std::string sLibrary) : m_pImpl(std::make_unique<Impl>()) {
  m_pImpl->m_sLibrary = std::move(sLibrary);
}

TarvikBinding::~TarvikBinding() {
  if (m_pImpl->m_hLibrary) FreeLibrary(m_pImpl->m_hLibrary);
}

int32_t TarvikBinding::TarvikLogMsg(host::ModuleHandle hInstance, const std::string& sMessage, int32_t nError,
                                    const std::string& sSource, int32_t nKind, int32_t nLevel) {
  auto pfn = m_pImpl->Bind<PFN_TarvikLogMsg>(m_pImpl->m_oLogMsg);
  return pfn ? pfn(reinterpret_cast<HINSTANCE>(hInstance), sMessage.c_str(), nError, sSource.c_str(), nKind,
                   nLevel)
             : 0;
}

int32_t TarvikBinding::TarvikShowContextHelp(host::ModuleHandle hInstance, const std::string& sTopic) {
  auto pfn = m_pImpl->Bind<PFN_TarvikShowContextHelp>(m_pImpl->m_oShowContextHelp);
  return pfn ? pfn(reinterpret_cast<HINSTANCE>(hInstance), sTopic.c_str()) : 0;
}

int32_t TarvikBinding::TarvikAddAboutMenu(const std::shared_ptr<host::Object>& oExplorer) {
  auto pfn = m_pImpl->Bind<PFN_TarvikAddAboutMenu>(m_pImpl->m_oAddAboutMenu);
  return pfn ? pfn(static_cast<void*>(oExplorer.get())) : 0;
}

int32_t TarvikBinding::TarvikReportProblem() {
  auto pfn = m_pImpl->Bind<PFN_TarvikReportProblem>(m_pImpl->m_oReportProblem);
  return pfn ? pfn() : 0;
}

bool TarvikBinding::IsLoaded() const {
  std::lock_guard<std::mutex> oLock(m_pImpl->m_mtx);
  return m_pImpl->m_hLibrary != nullptr;
}

}  // namespace platform::win32
