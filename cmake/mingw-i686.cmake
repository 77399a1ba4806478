# Cross-compiling for Windows (i686) with Debian's mingw-w64 tool chain, the
# POSIX-threads flavour (std::thread and std::mutex need it). Programs built
# here run on this machine under wine (the tests' emulator).
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
#         -DPELTO5_WINDOWS_DEPS=$PWD/build-windows/i686/deps ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PELTO5_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
