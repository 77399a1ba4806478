// Force-included into the Windows build of the tests (cmake/WindowsTests.cmake):
// the few POSIX calls the tests make, spelled with the C runtime's functions.
#pragma once

#ifdef _WIN32
#include <process.h>
#include <stdlib.h>

#ifdef __cplusplus
// _putenv_s sets the C runtime's copy and the process's environment both,
// so programs started afterwards and GetEnvironmentVariableW see it.
inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name) != nullptr) return 0;
  return _putenv_s(name, value) == 0 ? 0 : -1;
}
inline int unsetenv(const char* name) { return _putenv_s(name, "") == 0 ? 0 : -1; }
#endif
#endif
