// TSusiePlugIn: the list of native image plug-ins (".spi" shared objects)
// and the decoding of pictures by them, in the order they were found. A
// picture goes to each in turn: the first that accepts it (IsSupported) and
// decodes it wins; one that accepts it but fails lets the next one try. The
// player's own JPEG and GIF decoders are not in this list: they come just
// before it in the image decoder table, as if they were plug-ins found
// first.
//
// The plug-ins run in the helper process of TPlugInHost, never in the
// player: listing one loads it there and reads its texts, and a decode
// asks its IsSupported and GetPicture there. A plug-in that crashes or
// hangs in any of them counts as one that failed (is not listed, does not
// decode the picture).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "image/ImageDecoder.h"

namespace pelto5 {

class TPlugInHost;

// One usable plug-in.
struct TSusiePlugInRecord {
  std::string FileName;     // full path
  std::string ApiVersion;   // "00IN"
  std::string Description;
  std::string Extensions;   // upper-cased file masks ("*.PPM;*.PGM")
  std::string FormatName;
  std::unique_ptr<TImageDecoder> Decoder;
};

class TSusiePlugIn {
 public:
  TSusiePlugIn();
  ~TSusiePlugIn();
  TSusiePlugIn(const TSusiePlugIn&) = delete;
  TSusiePlugIn& operator=(const TSusiePlugIn&) = delete;

  // Loads every plug-in matching pathMask (a native folder and a file mask
  // such as "/opt/game/*.spi", letter case ignored) that is not listed yet
  // and reports version "00IN"; returns the number added. A file that
  // cannot be loaded here is skipped quietly, with one line under --trace:
  // a Windows DLL (starting with "MZ") on other systems; on Windows a file
  // that is no DLL, or a DLL built for another machine (a 32-bit one in the
  // 64-bit player).
  int OpenPlugIn(const std::string& pathMask);
  // Unloads every plug-in (stops the helper) and empties the list; the
  // filter text stays. True.
  bool ClosePlugIn();
  int GetPlugNum() const { return static_cast<int>(FPlugIns.size()); }
  // The record at index, or null outside 0 .. count - 1.
  const TSusiePlugInRecord* GetPlugInInfo(int index) const;
  // 0 if a listed plug-in has exactly this path, -1 otherwise.
  int CheckPlug(const std::string& fileName) const;

  // Decoding: the whole file, a memory stream, or bytes in memory. False,
  // picture untouched, when no plug-in decodes the data.
  [[nodiscard]] bool LoadFromFile(const std::string& fileName, TPicture& picture);
  [[nodiscard]] bool LoadFromStream(const std::string& stream, TPicture& picture);
  [[nodiscard]] bool LoadFromMemory(std::string_view data, TPicture& picture);

  // File-dialog filter: "AllType   [*.*]|*.*|" and one part per plug-in.
  std::string Filter;

  // The helper process the plug-ins run in.
  TPlugInHost& Host() { return *FHost; }

 private:
  void Append(TSusiePlugInRecord record);
  // Why the file at path is no plug-in this build can load, in the words
  // of the trace line; empty when it may be one.
  static std::string SkipReason(const std::string& path);

  // Declared before the records whose decoders use it, so destroyed after.
  std::unique_ptr<TPlugInHost> FHost;
  std::vector<TSusiePlugInRecord> FPlugIns;
};

}  // namespace pelto5
