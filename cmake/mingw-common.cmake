# What both Windows toolchains share; ZIMBALOT_MINGW_TRIPLET names the target.
set(CMAKE_C_COMPILER ${ZIMBALOT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZIMBALOT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZIMBALOT_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZIMBALOT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The programs carry their C and C++ runtimes, so the zip needs no mingw DLLs
# beside them and a test under Wine finds everything it links.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests and scenarios run under Wine; wine64 runs both 32- and 64-bit programs
# when Wine's 32-bit part is installed.
find_program(ZIMBALOT_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(ZIMBALOT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZIMBALOT_WINE})
endif()
