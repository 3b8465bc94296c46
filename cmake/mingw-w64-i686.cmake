# Cross-build for 32-bit Windows with Debian's mingw-w64: Outlook 2000-2003 are 32-bit programs
# and load only 32-bit DLLs. This machine cannot run 32-bit Wine, so only the two COM server
# DLLs are built with it (compiled and linked, not run).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QUILLO_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
