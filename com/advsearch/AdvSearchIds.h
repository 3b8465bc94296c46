// The COM identity of the search component QuilloAdvSearch.
#pragma once

#include <windows.h>

namespace com::advsearch {

// {27F96D9D-1028-416A-980E-23DCECB38318}
inline constexpr GUID LIBID_QuilloAdvSearch = {
    0x27F96D9D, 0x1028, 0x416A, {0x98, 0x0E, 0x23, 0xDC, 0xEC, 0xB3, 0x83, 0x18}};
// {DA9B89D0-E671-4748-8BB0-3347C2A514F2}
inline constexpr IID IID__CAdvSearch = {
    0xDA9B89D0, 0xE671, 0x4748, {0x8B, 0xB0, 0x33, 0x47, 0xC2, 0xA5, 0x14, 0xF2}};
// {C581EF75-2C4B-42E8-AE27-08D7721E41A9}
inline constexpr CLSID CLSID_CAdvSearch = {
    0xC581EF75, 0x2C4B, 0x42E8, {0xAE, 0x27, 0x08, 0xD7, 0x72, 0x1E, 0x41, 0xA9}};

// The dispatch IDs of _CAdvSearch: a Visual Basic class numbers its public methods from
// 0x60030000 in the order they are declared.
constexpr DISPID kSyncSearch = 0x60030000;
constexpr DISPID kASyncSearch = 0x60030001;

constexpr const char* kDllName = "QuilloAdvSearch.dll";

// The DLL's plain C exports for the program that tests or demonstrates it: the logger's
// DebugTarget, and the log file's path (returns the length it needs, writes it when it fits).
extern "C" {
using SetDebugTargetFn = void (*)(int32_t nTarget);
using GetLogFilePathFn = int32_t (*)(char* pBuffer, int32_t nSize);
using SetLibraryFolderFn = void (*)(const char* sFolder);
}

}  // namespace com::advsearch
