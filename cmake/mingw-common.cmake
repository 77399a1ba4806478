# Settings shared by the mingw-w64 tool chain files (mingw-x86_64.cmake,
# mingw-i686.cmake), which set PELTO5_MINGW_TRIPLE and the processor first.
#
# The Windows libraries come from scripts/build-windows-deps, installed into
# one prefix passed as -DPELTO5_WINDOWS_DEPS=<prefix>. find_* calls search it
# before the tool chain's own folder, pkg-config reads its .pc files and
# none of the host's, and try_compile projects get the same setting.
set(CMAKE_C_COMPILER ${PELTO5_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELTO5_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PELTO5_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${PELTO5_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${PELTO5_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

set(PELTO5_WINDOWS_DEPS "" CACHE PATH
    "Prefix of the Windows libraries built by scripts/build-windows-deps")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PELTO5_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${PELTO5_MINGW_TRIPLE})
if(PELTO5_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${PELTO5_WINDOWS_DEPS})
  set(ENV{PKG_CONFIG_LIBDIR} ${PELTO5_WINDOWS_DEPS}/lib/pkgconfig)
else()
  set(ENV{PKG_CONFIG_LIBDIR} /usr/${PELTO5_MINGW_TRIPLE}/lib/pkgconfig)
endif()
# The libraries are static only; PKG_CONFIG_PATH would add host folders.
unset(ENV{PKG_CONFIG_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs link the C and C++ run-time libraries and winpthreads statically:
# no DLL ships besides the player's own.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

find_program(PELTO5_WINE NAMES wine)
if(PELTO5_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PELTO5_WINE})
endif()
