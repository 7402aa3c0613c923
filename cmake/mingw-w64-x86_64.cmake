# SPDX-License-Identifier: GPL-3.0-or-later
# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model,
# so std::thread and std::mutex work), linked statically so the programs run
# under Wine or on a bare Windows machine without any of mingw's DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVALEN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORVALEN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVALEN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVALEN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVALEN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests and test discovery run the programs through Wine.
find_program(ORVALEN_WINE wine)
if(ORVALEN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVALEN_WINE})
endif()
