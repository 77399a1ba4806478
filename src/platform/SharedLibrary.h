// A shared library loaded by path, and the environment's plug-in settings
// (search path, time limit). The library stays loaded while the object
// lives.
#pragma once

#include <string>
#include <vector>

namespace pelto5 {

class TSharedLibrary {
 public:
  TSharedLibrary() = default;
  ~TSharedLibrary() { Close(); }
  TSharedLibrary(const TSharedLibrary&) = delete;
  TSharedLibrary& operator=(const TSharedLibrary&) = delete;

  // Loads the library at path (a native path, used as is; UTF-8 with "/"
  // or "\" between folders on Windows, where a broken library shows no
  // system dialog and its own dependencies are looked for beside it first).
  // False if it cannot be loaded; the reason is in Error().
  [[nodiscard]] bool Open(const std::string& path);
  void Close();
  [[nodiscard]] bool IsOpen() const { return FHandle != nullptr; }
  // Address of an exported symbol, or null.
  void* Symbol(const char* name) const;
  const std::string& Error() const { return FError; }

  // What separates the folders of $PELTO5_PLUGIN_PATH.
#ifdef _WIN32
  static constexpr char kPathListSeparator = ';';
#else
  static constexpr char kPathListSeparator = ':';
#endif
  // The folders of $PELTO5_PLUGIN_PATH (separated by kPathListSeparator,
  // empty parts dropped), in order.
  static std::vector<std::string> PluginPathFromEnvironment();
  // $PELTO5_PLUGIN_TIMEOUT_MS when it is a positive number of
  // milliseconds, else fallbackMs.
  static int PluginTimeoutFromEnvironment(int fallbackMs);

 private:
  void* FHandle = nullptr;
  std::string FError;
};

}  // namespace pelto5
