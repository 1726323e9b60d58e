# Cross-building the Windows programs with Debian's mingw-w64 (i686), the
# POSIX thread variant so std::thread and std::mutex are available:
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZIMBALOT_MINGW_TRIPLET i686-w64-mingw32)
# SSE2 arithmetic instead of the x87 unit's wider registers, so that the
# synthesizers round as on the other systems and give the same samples.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
