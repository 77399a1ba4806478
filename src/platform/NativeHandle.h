// The system's handle of an open object (a socket, a pipe, a block of
// shared memory) as it is passed between the platform classes and to a
// child process: a file descriptor on POSIX systems, a HANDLE's value on
// Windows. kNoNativeHandle marks none on both.
#pragma once

#include <cstdint>

namespace pelto5 {

#ifdef _WIN32
using TNativeHandle = intptr_t;
#else
using TNativeHandle = int;
#endif

inline constexpr TNativeHandle kNoNativeHandle = -1;

}  // namespace pelto5
