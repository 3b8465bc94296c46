// Our stand-in for the maker's support library Tarvik.dll, so that the Windows build can run the
// add-in's real binding end to end. Every call becomes one line appended to a log file:
//
//   LogMsg <TAB> module <TAB> kind <TAB> level <TAB> error number <TAB> source <TAB> message
//   ContextHelp <TAB> module <TAB> topic
//   AddAboutMenu <TAB> explorer | Nothing
//   ReportProblem
//
// "module" is the file name of the instance handle the caller passed. Backslash, tab, CR and LF
// inside a field are written as \\ \t \r \n, so a line stays a line and nothing is lost. The
// file is $TARVIK_LOG, or Tarvik.log next to this DLL; each line is one appending write, so
// lines of several processes never interleave. Nothing is thrown into the caller; the result is
// 0 when the line was written, -1 when it was not (the About entry always answers 0).
#include <windows.h>

#include <string>
#include <type_traits>

#include "platform/win32/TarvikApi.h"

namespace {

std::string Escaped(const char* s) {
  std::string sOut;
  for (; s && *s; ++s) {
    switch (*s) {
      case '\\': sOut += "\\\\"; break;
      case '\t': sOut += "\\t"; break;
      case '\r': sOut += "\\r"; break;
      case '\n': sOut += "\\n"; break;
      default: sOut += *s;
    }
  }
  return sOut;
}

std::string ModuleFileName(HMODULE hModule) {
  char sPath[MAX_PATH];
  DWORD n = GetModuleFileNameA(hModule, sPath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return sPath;
}

std::string BaseName(const std::string& sPath) {
  size_t nSlash = sPath.find_last_of("\\/");
  return nSlash == std::string::npos ? sPath : sPath.substr(nSlash + 1);
}

// The caller's module by name; "?" for a handle that names no module.
std::string ModuleName(HINSTANCE hInstance) {
  std::string sPath = hInstance ? ModuleFileName(hInstance) : std::string();
  return sPath.empty() ? "?" : BaseName(sPath);
}

std::string LogPath() {
  std::string sValue(MAX_PATH, '\0');
  DWORD n = GetEnvironmentVariableA("TARVIK_LOG", sValue.data(), static_cast<DWORD>(sValue.size()));
  if (n >= sValue.size()) {  // too long for the buffer: n is the size it needs
    sValue.resize(n);
    n = GetEnvironmentVariableA("TARVIK_LOG", sValue.data(), n);
  }
  if (n > 0 && n < sValue.size()) return sValue.substr(0, n);
  HMODULE hSelf = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&LogPath), &hSelf);
  std::string sDll = ModuleFileName(hSelf);
  size_t nSlash = sDll.find_last_of("\\/");
  return (nSlash == std::string::npos ? std::string() : sDll.substr(0, nSlash + 1)) + "Tarvik.log";
}

int32_t Append(std::string sLine) {
  sLine += "\r\n";
  HANDLE hFile = CreateFileA(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) return -1;
  DWORD nWritten = 0;
  BOOL bOk = WriteFile(hFile, sLine.data(), static_cast<DWORD>(sLine.size()), &nWritten, nullptr);
  CloseHandle(hFile);
  return bOk && nWritten == sLine.size() ? 0 : -1;
}

// Builds and writes a line; an allocation failure loses the line, never reaches the caller.
template <class F>
int32_t Write(F&& fnLine) noexcept {
  try {
    return Append(fnLine());
  } catch (...) {
    return -1;
  }
}

}  // namespace

extern "C" {

__declspec(dllexport) int32_t WINAPI TarvikLogMsg(HINSTANCE hInstance, const char* sMessage, int32_t nError,
                                                  const char* sSource, int32_t nKind, int32_t nLevel) {
  return Write([&] {
    return "LogMsg\t" + ModuleName(hInstance) + "\t" + std::to_string(nKind) + "\t" + std::to_string(nLevel) +
           "\t" + std::to_string(nError) + "\t" + Escaped(sSource) + "\t" + Escaped(sMessage);
  });
}

__declspec(dllexport) int32_t WINAPI TarvikShowContextHelp(HINSTANCE hInstance, const char* sTopic) {
  return Write([&] { return "ContextHelp\t" + ModuleName(hInstance) + "\t" + Escaped(sTopic); });
}

__declspec(dllexport) int32_t WINAPI TarvikAddAboutMenu(void* pExplorer) {
  Write([&] { return std::string("AddAboutMenu\t") + (pExplorer ? "explorer" : "Nothing"); });
  return 0;
}

__declspec(dllexport) int32_t WINAPI TarvikReportProblem(void) {
  return Write([] { return std::string("ReportProblem"); });
}

}  // extern "C"

// The exports must keep the types the add-in binds them with.
static_assert(std::is_same_v<decltype(&TarvikLogMsg), PFN_TarvikLogMsg>);
static_assert(std::is_same_v<decltype(&TarvikShowContextHelp), PFN_TarvikShowContextHelp>);
static_assert(std::is_same_v<decltype(&TarvikAddAboutMenu), PFN_TarvikAddAboutMenu>);
static_assert(std::is_same_v<decltype(&TarvikReportProblem), PFN_TarvikReportProblem>);
