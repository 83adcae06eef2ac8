# Shared by the MinGW-w64 toolchain files: set SEALWING_MINGW_TRIPLE, then include this file.
# The posix thread model is required: the win32 model has no std::thread and no std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${SEALWING_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SEALWING_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SEALWING_MINGW_TRIPLE}-windres)

# Headers and libraries come from the target's sysroot only; tools (widl, dlltool) run on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${SEALWING_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
