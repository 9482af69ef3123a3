# Cross build for 64-bit Windows with Debian's MinGW-w64
# (g++-mingw-w64-x86-64): the same sources, built to be tested under wine64 on
# machines that cannot run 32-bit programs. It is never shipped.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_prefix x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
