# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (the
# "posix" variants, whose C++ runtime has std::thread and std::mutex).
# Programs and tests are linked statically, so the .exe files run on a
# plain Windows (or under wine) without any DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUARN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUARN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUARN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUARN_MINGW_TRIPLE}-windres)

# Libraries, headers and packages come from the mingw-w64 tree only, never
# from the build machine's /usr; programs (wine, code generators) from the
# build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${QUARN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Windows 7 and later: inet_pton, getaddrinfo, WSAPoll.
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
