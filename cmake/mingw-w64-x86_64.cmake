# Cross build for Windows x64 with Debian's mingw-w64 (POSIX threading variant:
# GoogleTest and std::thread need it; the unsuffixed names are alternatives
# that may point at the win32 variant).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KELAR_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER   ${KELAR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELAR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${KELAR_MINGW_PREFIX}-windres)
set(KELAR_WIDL         ${KELAR_MINGW_PREFIX}-widl)
set(KELAR_WIDL_FLAGS   -m64)

set(CMAKE_FIND_ROOT_PATH /usr/${KELAR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Import only system DLLs: the runtime is linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Windows executables run under Wine, in the build folder's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
