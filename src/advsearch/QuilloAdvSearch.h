// Installing the search component in the program's process, for quillo-sim, the tests and the
// benchmarks (as regsvr32 installs it on a real machine). The add-in never includes this file:
// it finds the component only by its ProgID.
//
// Natively the component is linked into the program and registers in the process's object
// registry. In the Windows build it is the COM server QuilloAdvSearch.dll beside the program,
// and every call to it crosses IDispatch.
#pragma once

#include <cstdint>
#include <string>

// "QuilloAdvSearch.CAdvSearch" becomes creatable in this process (from the program's
// registry; in the Windows build from the DLL beside the program, through COM).
void RegisterQuilloAdvSearch();
// Removes it again. In the Windows build the ProgID then resolves through the system's COM
// registration, if any.
void UnregisterQuilloAdvSearch();

// The logger's DebugTarget (1 by default: nothing is written; 3 also writes the log file).
void QuilloAdvSearch_SetDebugTarget(int32_t nTarget);
// The log file's path as the system's file functions take it, and the folder it goes into
// ("" for the library's own).
std::string QuilloAdvSearch_LogFilePath();
void QuilloAdvSearch_SetLibraryFolder(const std::string& sFolder);
// Where "QuilloAdvSearch.CAdvSearch" is found now, in words.
std::string QuilloAdvSearch_Where();
