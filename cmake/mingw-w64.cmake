# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix). The
# posix thread model gives std::thread; everything is linked statically, so the programs run
# on a bare Windows (or Wine) without MinGW's DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QS_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QS_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QS_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QS_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run through Wine, in a prefix of the build tree (cmake/wine-run.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
