// TSusiePlugIn: the list of image plug-ins and the decoding of pictures
// the player has no decoder of its own for. The built-in JPEG and GIF
// decoders come first, as if they were plug-ins found first; native ".spi"
// plug-ins follow in the order they were found. A picture goes to each in
// turn: the first that accepts it (IsSupported) and decodes it wins; one
// that accepts it but fails lets the next one try.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "image/ImageDecoder.h"

namespace pelto5 {

// One usable plug-in.
struct TSusiePlugInRecord {
  std::string FileName;     // full path; empty for a built-in decoder
  std::string ApiVersion;   // "00IN"
  std::string Description;
  std::string Extensions;   // upper-cased file masks ("*.JPG;*.JPEG")
  std::string FormatName;
  std::unique_ptr<TImageDecoder> Decoder;
  bool BuiltIn() const { return FileName.empty(); }
};

class TSusiePlugIn {
 public:
  TSusiePlugIn();
  ~TSusiePlugIn();
  TSusiePlugIn(const TSusiePlugIn&) = delete;
  TSusiePlugIn& operator=(const TSusiePlugIn&) = delete;

  // Puts the built-in JPEG and GIF decoders at the front of the list
  // (once); returns the number added.
  int AddBuiltInDecoders();
  // Loads every plug-in matching pathMask (a native folder and a file mask
  // such as "/opt/game/*.spi", letter case ignored) that is not listed yet
  // and reports version "00IN"; returns the number added. A Windows DLL
  // (starting with "MZ") is skipped quietly, with one line under --trace.
  int OpenPlugIn(const std::string& pathMask);
  // Unloads every plug-in and empties the list (built-ins included); the
  // filter text stays. True.
  bool ClosePlugIn();
  int GetPlugNum() const { return static_cast<int>(FPlugIns.size()); }
  // The record at index, or null outside 0 .. count - 1.
  const TSusiePlugInRecord* GetPlugInInfo(int index) const;
  // 0 if a listed plug-in has exactly this path, -1 otherwise.
  int CheckPlug(const std::string& fileName) const;

  // Decoding: the whole file, a memory stream, or bytes in memory. False,
  // picture untouched, when no plug-in decodes the data.
  bool LoadFromFile(const std::string& fileName, TPicture& picture);
  bool LoadFromStream(const std::string& stream, TPicture& picture);
  bool LoadFromMemory(std::string_view data, TPicture& picture);

  // File-dialog filter: "AllType   [*.*]|*.*|" and one part per plug-in.
  std::string Filter;

 private:
  void Append(TSusiePlugInRecord record);

  std::vector<TSusiePlugInRecord> FPlugIns;
};

}  // namespace pelto5
