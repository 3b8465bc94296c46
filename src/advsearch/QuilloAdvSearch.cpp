#include "advsearch/QuilloAdvSearch.h"

#include <memory>

#include "advsearch/CAdvSearch.h"
#include "advsearch/CDebug.h"
#include "advsearch/mFileUtils.h"

namespace {

#ifdef QUILLO_ADVSEARCH_SHARED
// The library's view of the program's pump: every call goes to the loop the program has
// installed at that moment (it may change, a test installs a fresh one each time).
class CProgramPump : public platform::MessageLoop {
 public:
  explicit CProgramPump(QuilloPumpGetter fnPump) : m_fnPump(fnPump) {}
  void DoEvents() override { m_fnPump().DoEvents(); }
  void Sleep(uint32_t nMilliseconds) override { m_fnPump().Sleep(nMilliseconds); }
  void Post(std::function<void()> fnTask, uint32_t nDelayMs) override {
    m_fnPump().Post(std::move(fnTask), nDelayMs);
  }
  TimerId SetTimer(uint32_t nIntervalMs, std::function<void()> fnTick) override {
    return m_fnPump().SetTimer(nIntervalMs, std::move(fnTick));
  }
  void KillTimer(TimerId nId) override { m_fnPump().KillTimer(nId); }
  uint64_t TickCount() override { return m_fnPump().TickCount(); }

 private:
  QuilloPumpGetter m_fnPump;
};
#endif

}  // namespace

void QuilloAdvSearch_DllRegisterServer(host::ObjectRegistry& oRegistry, QuilloPumpGetter fnPump) {
#ifdef QUILLO_ADVSEARCH_SHARED
  if (fnPump) platform::SetLoop(std::make_shared<CProgramPump>(fnPump));
#else
  (void)fnPump;  // linked into the program: it already shares the program's pump
#endif
  RegisterCAdvSearch(oRegistry);
}

void QuilloAdvSearch_DllUnregisterServer(host::ObjectRegistry& oRegistry) {
  UnregisterCAdvSearch(oRegistry);
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
