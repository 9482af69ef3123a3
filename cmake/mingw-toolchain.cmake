# The parts shared by both MinGW-w64 cross builds; the including toolchain file
# sets CMAKE_SYSTEM_PROCESSOR and mingw_prefix (the tools' name prefix) first.
# The POSIX thread model keeps every standard library facility available; the
# build links its runtime statically, so the program needs no MinGW DLL.
set(CMAKE_SYSTEM_NAME Windows)

find_program(mingw_gcc NAMES ${mingw_prefix}-gcc-posix ${mingw_prefix}-gcc REQUIRED)
find_program(mingw_gxx NAMES ${mingw_prefix}-g++-posix ${mingw_prefix}-g++ REQUIRED)
find_program(mingw_windres NAMES ${mingw_prefix}-windres REQUIRED)

set(CMAKE_C_COMPILER ${mingw_gcc})
set(CMAKE_CXX_COMPILER ${mingw_gxx})
set(CMAKE_RC_COMPILER ${mingw_windres})

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
# Programs (python3, wine, ...) come from the build host; libraries and headers
# from the MinGW tree only.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
