// The exported entry points of the QuilloAdvSearch library, for the program that installs it in
// its process (as regsvr32 would call DllRegisterServer). The add-in never includes this file:
// it finds the component only by its ProgID.
//
// On Windows the library is a DLL with its own copy of the host vocabulary, so the program hands
// it the process's class registry and the thread's message pump (which the simulation keeps in
// the program, not in the operating system).
#pragma once

#include <cstdint>
#include <string>

#include "host/Object.h"
#include "platform/Ui.h"

#if defined(_WIN32) && defined(QUILLO_ADVSEARCH_SHARED)
#ifdef QUILLO_ADVSEARCH_BUILDING
#define QUILLO_ADVSEARCH_API __declspec(dllexport)
#else
#define QUILLO_ADVSEARCH_API __declspec(dllimport)
#endif
#else
#define QUILLO_ADVSEARCH_API
#endif

using QuilloPumpGetter = platform::MessageLoop& (*)();

QUILLO_ADVSEARCH_API void QuilloAdvSearch_DllRegisterServer(host::ObjectRegistry& oRegistry,
                                                            QuilloPumpGetter fnPump);
QUILLO_ADVSEARCH_API void QuilloAdvSearch_DllUnregisterServer(host::ObjectRegistry& oRegistry);
// The logger's DebugTarget (1 by default: nothing is written; 3 also writes the log file).
QUILLO_ADVSEARCH_API void QuilloAdvSearch_SetDebugTarget(int32_t nTarget);
// The log file's path as the system's file functions take it, and the folder it goes into
// ("" for the library's own).
QUILLO_ADVSEARCH_API std::string QuilloAdvSearch_LogFilePath();
QUILLO_ADVSEARCH_API void QuilloAdvSearch_SetLibraryFolder(const std::string& sFolder);

// "QuilloAdvSearch.CAdvSearch" becomes creatable in this process, on this thread's pump.
inline void RegisterQuilloAdvSearch() {
  QuilloAdvSearch_DllRegisterServer(host::ObjectRegistry::Instance(), &platform::Loop);
}
inline void UnregisterQuilloAdvSearch() {
  QuilloAdvSearch_DllUnregisterServer(host::ObjectRegistry::Instance());
}
