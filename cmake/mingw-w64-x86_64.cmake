# Cross-build for 64-bit Windows with Debian's mingw-w64 (POSIX thread model, so std::thread and
# std::mutex work). Executables run under Wine through wine-run.sh, which makes CTest and
# gtest_discover_tests work unchanged.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLO_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
