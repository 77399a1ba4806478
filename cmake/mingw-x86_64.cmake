# Cross-compiling for Windows (x86_64) with Debian's mingw-w64 tool chain, the
# POSIX-threads flavour (std::thread and std::mutex need it). Programs built
# here run on this machine under wine (the tests' emulator).
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
#         -DPELTO5_WINDOWS_DEPS=$PWD/build-windows/x86_64/deps ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PELTO5_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
