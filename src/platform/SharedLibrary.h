// A shared library loaded by path, and the environment's plug-in settings
// (search path, time limit). The library stays loaded while the object
// lives.
#pragma once

#include <cstddef>
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

  // A block of memory a library's function handed over for the caller to
  // release with the system's allocator: a malloc() pointer, or on Windows
  // a local memory handle (LocalAlloc), as Windows libraries hand them
  // over. The address of its bytes (null for none) and, in available, how
  // many there are when the system knows (else SIZE_MAX).
  static const void* LockBlock(void* block, size_t& available);
  // Releases a block of LockBlock.
  static void ReleaseBlock(void* block);

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
