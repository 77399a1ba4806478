#include "image/NativePlugIn.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/ByteOrder.h"
#include "image/BmpDecoder.h"

namespace pelto5 {

namespace {

constexpr uint32_t kInputMemory = 1;
constexpr size_t kMaxInfoHeaderSize = 124;
constexpr uint32_t kBiBitFields = 3;

// The player never cancels a decode.
int32_t SPI_CALL ProgressCallback(int32_t, int32_t, intptr_t) { return 0; }

// The entry point name, whose arguments take argumentBytes on a 32-bit
// stack. A 32-bit Windows plug-in linked without --kill-at exports its
// stdcall functions as "name@bytes" (or "_name@bytes"); those are taken
// when the plain name is missing.
template <typename T>
T EntryPoint(const TSharedLibrary& library, const char* name, [[maybe_unused]] int argumentBytes) {
  void* address = library.Symbol(name);
#if defined(_WIN32) && !defined(_WIN64)
  for (const char* prefix : {"", "_"}) {
    if (address) break;
    address = library.Symbol((prefix + std::string(name) + "@" + std::to_string(argumentBytes)).c_str());
  }
#endif
  return reinterpret_cast<T>(address);
}

}  // namespace

bool TNativePlugIn::Load(const std::string& path) {
  if (!FLibrary.Open(path)) return false;
  FGetPluginInfo = EntryPoint<TGetPluginInfo>(FLibrary, "GetPluginInfo", 12);
  if (!FGetPluginInfo) return false;
  ApiVersion = InfoText(0);
  Description = InfoText(1);
  FFormatName = InfoText(3);
  Extensions = InfoText(2);
  for (char& c : Extensions) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  FIsSupported = EntryPoint<TIsSupported>(FLibrary, "IsSupported", 8);
  FGetPicture = EntryPoint<TGetPicture>(FLibrary, "GetPicture", 28);
  FFreePicture = EntryPoint<TFreePicture>(FLibrary, "FreePicture", 4);
  return true;
}

bool TNativePlugIn::Usable() const { return ApiVersion == "00IN" && FIsSupported && FGetPicture; }

std::string TNativePlugIn::InfoText(int32_t index) const {
  char buffer[256] = {};
  FGetPluginInfo(index, buffer, 255);
  buffer[255] = '\0';
  return buffer;
}

bool TNativePlugIn::IsSupported(std::string_view data) const {
  if (!FIsSupported) return false;
  std::vector<char> probe(kProbeSize, '\0');
  std::memcpy(probe.data(), data.data(), std::min(data.size(), kProbeSize));
  return FIsSupported(nullptr, probe.data()) != 0;
}

bool TNativePlugIn::GetPictureBlocks(std::string_view data, const TResultSink& sink) {
  if (!FGetPicture) return false;
  void* info = nullptr;
  void* bits = nullptr;
  const int32_t result = FGetPicture(data.data(), static_cast<intptr_t>(data.size()), kInputMemory, &info,
                                     &bits, ProgressCallback, reinterpret_cast<intptr_t>(this));
  // Without FreePicture the blocks are the system allocator's (on Windows
  // local memory handles, which also say how long they are).
  size_t infoAvailable = SIZE_MAX;
  size_t bitsAvailable = SIZE_MAX;
  const void* infoBytes = info;
  const void* bitsBytes = bits;
  if (!FFreePicture && result == 0) {
    infoBytes = TSharedLibrary::LockBlock(info, infoAvailable);
    bitsBytes = TSharedLibrary::LockBlock(bits, bitsAvailable);
  }
  bool ok = false;
  if (result == 0 && infoBytes && bitsBytes && infoAvailable >= kInfoHeaderSize) {
    const std::string_view header(static_cast<const char*>(infoBytes), kInfoHeaderSize);
    const size_t infoSize = InfoBlockSize(header);
    const size_t bitsSize = ReadLe32(header, 20);
    if (infoSize != 0 && infoSize <= infoAvailable && bitsSize <= bitsAvailable) {
      ok = sink(std::string_view(static_cast<const char*>(infoBytes), infoSize),
                std::string_view(static_cast<const char*>(bitsBytes), bitsSize));
    }
  }
  // The blocks are released whatever the result said.
  for (void* block : {info, bits}) {
    if (!block) continue;
    if (FFreePicture) {
      FFreePicture(block);
    } else {
      TSharedLibrary::ReleaseBlock(block);
    }
  }
  return ok;
}

TDecodeResult TNativePlugIn::Decode(std::string_view data, TPicture& picture) {
  return TDecodeResult::Of(GetPictureBlocks(data, [&picture](std::string_view info, std::string_view bits) {
    return ConvertResult(reinterpret_cast<const uint8_t*>(info.data()), info.size(),
                         reinterpret_cast<const uint8_t*>(bits.data()), bits.size(), picture);
  }));
}

size_t TNativePlugIn::InfoBlockSize(std::string_view header) {
  const uint32_t headerSize = ReadLe32(header, 0);
  if (header.size() < kInfoHeaderSize || headerSize < kInfoHeaderSize || headerSize > kMaxInfoHeaderSize)
    return 0;
  const uint32_t bitCount = ReadLe16(header, 14);
  const uint32_t compression = ReadLe32(header, 16);
  const uint32_t colorsUsed = ReadLe32(header, 32);
  size_t infoSize = headerSize;
  if (compression == kBiBitFields && headerSize == kInfoHeaderSize) infoSize += 12;
  if (bitCount >= 1 && bitCount <= 8) {
    const uint32_t full = 1u << bitCount;
    infoSize += 4 * size_t{colorsUsed != 0 && colorsUsed < full ? colorsUsed : full};
  }
  return infoSize;
}

bool TNativePlugIn::ConvertResult(const uint8_t* info, size_t infoAvailable, const uint8_t* bits,
                                  size_t bitsAvailable, TPicture& picture) {
  if (!info || !bits || infoAvailable < kInfoHeaderSize) return false;
  // The fields read below all lie in the first 40 bytes.
  const std::string_view header(reinterpret_cast<const char*>(info), kInfoHeaderSize);
  const size_t infoSize = InfoBlockSize(header);
  const uint32_t sizeImage = ReadLe32(header, 20);
  if (infoSize == 0 || infoSize > infoAvailable || sizeImage > bitsAvailable) return false;
  // The bits block holds biSizeImage bytes; the bitmap reader checks that the
  // rows fit in them before it allocates the picture.
  const std::string_view infoBlock(reinterpret_cast<const char*>(info), infoSize);
  const std::string_view bitsBlock(reinterpret_cast<const char*>(bits), sizeImage);
  return DecodeDib(infoBlock, bitsBlock, picture);
}

}  // namespace pelto5
