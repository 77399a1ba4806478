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

  // Loads the library at path (a native path, used as is). False if it
  // cannot be loaded; the reason is in Error().
  [[nodiscard]] bool Open(const std::string& path);
  void Close();
  [[nodiscard]] bool IsOpen() const { return FHandle != nullptr; }
  // Address of an exported symbol, or null.
  void* Symbol(const char* name) const;
  const std::string& Error() const { return FError; }

  // The folders of $PELTO5_PLUGIN_PATH (colon-separated, empty parts
  // dropped), in order.
  static std::vector<std::string> PluginPathFromEnvironment();
  // $PELTO5_PLUGIN_TIMEOUT_MS when it is a positive number of
  // milliseconds, else fallbackMs.
  static int PluginTimeoutFromEnvironment(int fallbackMs);

 private:
  void* FHandle = nullptr;
  std::string FError;
};

}  // namespace pelto5
