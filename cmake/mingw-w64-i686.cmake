# Cross-build for 32-bit Windows with Debian's mingw-w64: Outlook 2000-2003 are 32-bit programs
# and load only 32-bit DLLs. This machine cannot run 32-bit Wine, so only the two COM server
# DLLs are built with it (compiled and linked, not run).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(QUILLO_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLO_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthreads go into every binary: nothing to copy next to the
# executables, and Wine needs no mingw DLLs on its path.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Release at -O2, the native build's level: -O3 brings GCC 12 false positives (-Wrestrict in
# std::string::replace) that -Werror would turn into failures found only here.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")

