#include "platform/ProgramArguments.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include "base/NativeFile.h"
#endif

namespace pelto5 {

std::vector<std::string> TProgramArguments::Utf8(int argc, char** argv) {
#ifdef _WIN32
  // A program of the window subsystem started from a console writes there
  // only once it attaches to it; redirected output needs nothing.
  if (GetStdHandle(STD_ERROR_HANDLE) == nullptr && AttachConsole(ATTACH_PARENT_PROCESS)) {
    FILE* ignored = nullptr;
    freopen_s(&ignored, "CONOUT$", "w", stdout);
    freopen_s(&ignored, "CONOUT$", "w", stderr);
  }
  SetConsoleOutputCP(CP_UTF8);
  // Lines end in "\n" alone, as on every other system: scripts that read
  // the player's output compare it byte for byte.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide != nullptr) {
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(native::FromWide(wide[i]));
    LocalFree(wide);
    return args;
  }
#endif
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

}  // namespace pelto5
