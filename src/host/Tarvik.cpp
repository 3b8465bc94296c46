#include "host/Tarvik.h"

#include <utility>

namespace host {
namespace {

// Forwards to the bound library; a call into a missing library does nothing and returns 0,
// and nothing the library might throw reaches the add-in.
class Dispatcher : public SupportLibrary {
 public:
  std::shared_ptr<SupportLibrary> pBound;

  int32_t TarvikLogMsg(ModuleHandle hInstance, const std::string& sMessage, int32_t nError,
                       const std::string& sSource, int32_t nKind, int32_t nLevel) override {
    return Call([&](SupportLibrary& l) {
      return l.TarvikLogMsg(hInstance, sMessage, nError, sSource, nKind, nLevel);
    });
  }
  int32_t TarvikShowContextHelp(ModuleHandle hInstance, const std::string& sTopic) override {
    return Call([&](SupportLibrary& l) { return l.TarvikShowContextHelp(hInstance, sTopic); });
  }
  int32_t TarvikAddAboutMenu(const std::shared_ptr<Object>& oExplorer) override {
    return Call([&](SupportLibrary& l) { return l.TarvikAddAboutMenu(oExplorer); });
  }
  int32_t TarvikReportProblem() override {
    return Call([&](SupportLibrary& l) { return l.TarvikReportProblem(); });
  }

 private:
  template <class F>
  int32_t Call(F&& fn) noexcept {
    try {
      auto p = pBound;  // the library may be rebound during the call
      return p ? fn(*p) : 0;
    } catch (...) {
      return 0;
    }
  }
};

Dispatcher& TheDispatcher() {
  static Dispatcher s_oDispatcher;
  return s_oDispatcher;
}

ModuleHandle g_hAddinModule = 0;

}  // namespace

SupportLibrary& Tarvik() {
  return TheDispatcher();
}

std::shared_ptr<SupportLibrary> BindTarvik(std::shared_ptr<SupportLibrary> pLibrary) {
  return std::exchange(TheDispatcher().pBound, std::move(pLibrary));
}

ModuleHandle AddinModuleHandle() {
  return g_hAddinModule;
}
void SetAddinModuleHandle(ModuleHandle h) {
  g_hAddinModule = h;
}

}  // namespace host
