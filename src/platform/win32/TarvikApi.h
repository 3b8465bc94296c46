// The entry points of the support library Tarvik.dll as the add-in binds them, shared with our
// stand-in in tools/tarvik. Plain C, WINAPI (__stdcall; on x64 the one Windows convention, and
// the names stay undecorated), ANSI strings, 32-bit results that the add-in ignores except the
// About entry's. hInstance is the calling add-in's module instance handle.
//
// TarvikAddAboutMenu receives the explorer as an opaque pointer: the real library is handed
// the Explorer's IDispatch by the add-in, which a native build cannot give. Our binding passes
// the address of the host::Explorer object, or null for Nothing; a library may compare it and
// record it, never call through it or keep it past the call.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {

typedef int32_t(WINAPI* PFN_TarvikLogMsg)(HINSTANCE hInstance, const char* sMessage, int32_t nError,
                                          const char* sSource, int32_t nKind, int32_t nLevel);
typedef int32_t(WINAPI* PFN_TarvikShowContextHelp)(HINSTANCE hInstance, const char* sTopic);
typedef int32_t(WINAPI* PFN_TarvikAddAboutMenu)(void* pExplorer);
typedef int32_t(WINAPI* PFN_TarvikReportProblem)(void);

}  // extern "C"

#define TARVIK_DLL_NAME "Tarvik.dll"
