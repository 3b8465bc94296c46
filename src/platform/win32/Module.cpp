#include "platform/win32/Module.h"

#include <windows.h>

namespace platform::win32 {

host::ModuleHandle ThisModule() {
  HMODULE hModule = nullptr;
  const DWORD nFlags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!GetModuleHandleExA(nFlags, reinterpret_cast<LPCSTR>(&ThisModule), &hModule)) return 0;
  return reinterpret_cast<host::ModuleHandle>(hModule);
}

}  // namespace platform::win32
