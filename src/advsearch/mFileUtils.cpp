#include "advsearch/mFileUtils.h"

#include <chrono>
#include <ctime>

#include "host/Error.h"
#include "host/Text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#endif

namespace mFileUtils {
namespace {

constexpr int32_t kPathFileAccessError = 75;

std::string g_sFolderOverride;
uint32_t g_nLastDllError = 0;

[[noreturn]] void RaiseAccessError() {
  host::Raise(kPathFileAccessError, "Path/File access error");
}

#ifdef _WIN32

// The module that holds this code: the DLL in the library build, the executable otherwise.
std::string ModuleFolder() {
  HMODULE hModule = nullptr;
  const DWORD nFlags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!GetModuleHandleExA(nFlags, reinterpret_cast<LPCSTR>(&ModuleFolder), &hModule)) return ".";
  char szPath[MAX_PATH + 1] = {};
  DWORD nLen = GetModuleFileNameA(hModule, szPath, MAX_PATH);
  if (nLen == 0 || nLen >= MAX_PATH) return ".";
  std::string sPath = host::AnsiToUtf8(std::string(szPath, nLen));
  size_t nSep = sPath.find_last_of("\\/");
  return nSep == std::string::npos ? "." : sPath.substr(0, nSep);
}

void RecordError() {
  g_nLastDllError = GetLastError();
}

#else

std::string ModuleFolder() {
  std::error_code ec;
  std::filesystem::path oExe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || !oExe.has_parent_path()) return ".";
  return oExe.parent_path().string();
}

void RecordError() {
  g_nLastDllError = static_cast<uint32_t>(errno);
}

#endif

}  // namespace

std::string LibraryFolder() {
  return g_sFolderOverride.empty() ? ModuleFolder() : g_sFolderOverride;
}

void SetLibraryFolder(const std::string& sFolder) {
  g_sFolderOverride = sFolder;
  while (g_sFolderOverride.size() > 1 &&
         (g_sFolderOverride.back() == '\\' || g_sFolderOverride.back() == '/'))
    g_sFolderOverride.pop_back();
}

uint32_t LastDllError() {
  return g_nLastDllError;
}

std::string NativePath(const std::string& sPath) {
#ifdef _WIN32
  return host::Utf8ToAnsi(sPath);
#else
  std::string s = sPath;
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
#endif
}

#ifdef _WIN32

uint32_t FileSize(const std::string& sPath) {
  HANDLE hFile = CreateFileA(NativePath(sPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) {
    RecordError();
    return 0;
  }
  DWORD nSize = GetFileSize(hFile, nullptr);
  CloseHandle(hFile);
  return nSize == INVALID_FILE_SIZE ? 0 : nSize;
}

bool RemoveFile(const std::string& sPath) {
  if (DeleteFileA(NativePath(sPath).c_str())) return true;
  RecordError();
  return false;
}

void AppendToFile(const std::string& sPath, const std::string& sText) {
  HANDLE hFile = CreateFileA(NativePath(sPath).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) {
    RecordError();
    RaiseAccessError();
  }
  DWORD nWritten = 0;
  BOOL bOk = WriteFile(hFile, sText.data(), static_cast<DWORD>(sText.size()), &nWritten, nullptr);
  if (!bOk) RecordError();
  CloseHandle(hFile);
  if (!bOk || nWritten != sText.size()) RaiseAccessError();
}

#else

uint32_t FileSize(const std::string& sPath) {
  struct stat oStat {};
  if (::stat(NativePath(sPath).c_str(), &oStat) != 0 || !S_ISREG(oStat.st_mode)) {
    RecordError();
    return 0;
  }
  return static_cast<uint32_t>(static_cast<uint64_t>(oStat.st_size) & 0xFFFFFFFFu);
}

bool RemoveFile(const std::string& sPath) {
  if (::unlink(NativePath(sPath).c_str()) == 0) return true;
  RecordError();
  return false;
}

void AppendToFile(const std::string& sPath, const std::string& sText) {
  int nFile = ::open(NativePath(sPath).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (nFile < 0) {
    RecordError();
    RaiseAccessError();
  }
  size_t nDone = 0;
  bool bOk = true;
  while (nDone < sText.size()) {
    ssize_t n = ::write(nFile, sText.data() + nDone, sText.size() - nDone);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      RecordError();
      bOk = false;
      break;
    }
    nDone += static_cast<size_t>(n);
  }
  ::close(nFile);
  if (!bOk) RaiseAccessError();
}

#endif

namespace {

// The local broken-down time of now, and the milliseconds within its second.
std::tm LocalNow(int& nMilliseconds) {
  auto oNow = std::chrono::system_clock::now();
  std::time_t nSeconds = std::chrono::system_clock::to_time_t(oNow);
  nMilliseconds = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(oNow.time_since_epoch()).count() % 1000);
  if (nMilliseconds < 0) nMilliseconds += 1000;
  std::tm oTime{};
#ifdef _WIN32
  localtime_s(&oTime, &nSeconds);
#else
  localtime_r(&nSeconds, &oTime);
#endif
  return oTime;
}

}  // namespace

double Now() {
  using namespace std::chrono;
  int nMs = 0;
  std::tm t = LocalNow(nMs);
  auto oDay = sys_days(year(t.tm_year + 1900) / month(static_cast<unsigned>(t.tm_mon + 1)) /
                       day(static_cast<unsigned>(t.tm_mday)));
  auto nDays = (oDay - sys_days(year(1899) / December / 30)).count();
  return static_cast<double>(nDays) + (t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec) / 86400.0;
}

float Timer() {
  int nMs = 0;
  std::tm t = LocalNow(nMs);
  return static_cast<float>(t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec) + static_cast<float>(nMs) / 1000.0f;
}

}  // namespace mFileUtils
