// The support library on Windows, bound the way the add-in binds it: Tarvik.dll is loaded and
// each entry point looked up by name at its first call. A missing DLL or entry point makes the
// calls do nothing and return 0; the caller never sees an error.
#pragma once

#include <memory>
#include <string>

#include "host/Tarvik.h"

namespace platform::win32 {

class TarvikBinding : public host::SupportLibrary {
 public:
  // sLibrary is the DLL looked for by LoadLibrary's search (the executable's folder first).
  explicit TarvikBinding(std::string sLibrary = "Tarvik.dll");
  ~TarvikBinding() override;
  TarvikBinding(const TarvikBinding&) = delete;
  TarvikBinding& operator=(const TarvikBinding&) = delete;

  int32_t TarvikLogMsg(host::ModuleHandle hInstance, const std::string& sMessage, int32_t nError,
                       const std::string& sSource, int32_t nKind, int32_t nLevel) override;
  int32_t TarvikShowContextHelp(host::ModuleHandle hInstance, const std::string& sTopic) override;
  // The explorer crosses as an opaque pointer (see TarvikApi.h).
  int32_t TarvikAddAboutMenu(const std::shared_ptr<host::Object>& oExplorer) override;
  int32_t TarvikReportProblem() override;

  // Whether the DLL was found; false also before the first call.
  bool IsLoaded() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> m_pImpl;
};

}  // namespace platform::win32
