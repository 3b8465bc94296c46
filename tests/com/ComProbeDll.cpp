// ComProbe.dll: the model probe as a module of its own, calling the Outlook it is given only
// through IDispatch and the COM binding, as the add-in's DLL does. Nothing thrown leaves it.
#include <windows.h>

#include <memory>
#include <string>

#include "ModelProbe.h"
#include "com/Bridge.h"
#include "com/DispatchServer.h"
#include "com/office/OfficeBinding.h"
#include "com/outlook/OutlookBinding.h"
#include "host/Error.h"

namespace {

std::string g_sText;
std::unique_ptr<probe::CEventLog> g_pLog;

std::shared_ptr<host::Application> Adopt(IDispatch* pApp) {
  com::outlook::RegisterBinders();
  com::office::RegisterBinders();
  return com::Bind<host::Application>(com::AdoptDispatch(pApp));
}

std::string Failure() {
  host::ErrorInfo e = host::CurrentError();
  return "probe failed: " + std::to_string(e.nNumber) + " " + e.sDescription;
}

}  // namespace

extern "C" {

__declspec(dllexport) const char* ComProbe_Walk(IDispatch* pApp, int nItemLimit) {
  try {
    g_sText = probe::WalkModel(Adopt(pApp), nItemLimit);
  } catch (...) {
    g_sText = Failure();
  }
  return g_sText.c_str();
}

__declspec(dllexport) const char* ComProbe_Start(IDispatch* pApp, const char* sFailOn) {
  try {
    g_pLog = std::make_unique<probe::CEventLog>();
    g_pLog->Start(Adopt(pApp), sFailOn);
    g_sText.clear();
  } catch (...) {
    g_sText = Failure();
  }
  return g_sText.c_str();
}

__declspec(dllexport) const char* ComProbe_NewMail(const char* sSubject, const char* sName) {
  try {
    host::Deref(g_pLog).NewMail(sSubject, sName);
    g_sText.clear();
  } catch (...) {
    g_sText = Failure();
  }
  return g_sText.c_str();
}

__declspec(dllexport) const char* ComProbe_Log() {
  g_sText = g_pLog ? g_pLog->Text() : std::string();
  return g_sText.c_str();
}

__declspec(dllexport) void ComProbe_Stop() {
  host::IgnoreErrors([] {
    if (g_pLog) g_pLog->Stop();
  });
}

__declspec(dllexport) void ComProbe_End() {
  host::IgnoreErrors([] { g_pLog.reset(); });
}

// The module's own COM objects still alive (sinks, above all).
__declspec(dllexport) long ComProbe_LiveObjects() {
  return com::LiveObjects();
}

}  // extern "C"
