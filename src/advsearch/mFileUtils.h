// The operating-system services of the search component, in one place: the library's folder,
// the few file operations of its log, the last OS error code and the local clock. Paths are
// UTF-8 and written the Windows way ("C:\dir\file"); on other systems the backslashes are
// taken as path separators.
#pragma once

#include <cstdint>
#include <string>

namespace mFileUtils {

// The folder that holds the library file (the executable's when the library is linked into
// it), without a trailing separator; or the folder set with SetLibraryFolder.
std::string LibraryFolder();
// Lets a program put the library's files into a folder of its choice; "" restores the default.
void SetLibraryFolder(const std::string& sFolder);

// A path as the operating system's file calls take it (ANSI on Windows, "/" elsewhere).
std::string NativePath(const std::string& sPath);

// The size of a file (its low 32 bits), opened for reading with others allowed to read;
// 0 when it cannot be opened.
uint32_t FileSize(const std::string& sPath);
// False when the file could not be deleted (missing files included).
bool RemoveFile(const std::string& sPath);
// Appends the text, creating the file when needed; host::Error 75 ("Path/File access error")
// when the file cannot be opened or written.
void AppendToFile(const std::string& sPath, const std::string& sText);

// The error code of the last OS call of this module that failed (GetLastError on Windows,
// errno elsewhere); 0 when none has failed.
uint32_t LastDllError();

// The local date and time now, as an OLE date (days since 30 Dec 1899).
double Now();
// Seconds since local midnight, with the fraction (Visual Basic's Timer).
float Timer();

}  // namespace mFileUtils
