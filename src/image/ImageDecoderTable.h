// TImageDecoderTable: every decoder of pictures, in the one order they are
// asked, and the rule of which of them a picture's file name may use. The
// same table serves pictures from saves, packages, the disk and the
// library.
//
// The order: PNG, BMP, MAG, JPEG, GIF, then the native plug-ins in the order
// the plug-in list found them. A name ending in ".png" may use PNG only, one
// ending in ".bmp" BMP only; a ".mag" name tries MAG first and then the
// plug-in route (JPEG, GIF, the native plug-ins); any other name goes the
// plug-in route alone. Extensions are compared without regard to letter
// case.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "image/DecodedImage.h"
#include "image/ImageDecoder.h"

namespace pelto5 {

class TSusiePlugIn;
struct TSusiePlugInRecord;

// What a file name's extension makes of a picture, and which names an entry
// of the table serves. Other names go the plug-in route; an entry of kind
// Other is on that route and serves ".mag" names as well.
enum class TImageKind { Png, Bmp, Mag, Other };

TImageKind ImageKindOf(const std::string& name);

struct TImageDecoderEntry {
  TImageDecoder* Decoder = nullptr;
  TImageKind Kind = TImageKind::Other;
  TAlphaRule Alpha = TAlphaRule::Opaque;
  const TSusiePlugInRecord* PlugIn = nullptr;  // the native plug-in's record, or null

  // Whether a picture whose name is of kind name may use this entry.
  [[nodiscard]] bool Serves(TImageKind name) const;
};

class TImageDecoderTable {
 public:
  // Called once a decode reaches the plug-in route, before its first entry
  // is asked: the caller loads the plug-ins there.
  using TPreparePlugIns = std::function<void()>;
  // Receives the warning a decoder leaves, the moment it returns.
  using TWarning = std::function<void(const std::string& text)>;

  // The native plug-ins are those of plugIns, which outlives the table.
  explicit TImageDecoderTable(const TSusiePlugIn& plugIns);
  ~TImageDecoderTable();
  TImageDecoderTable(const TImageDecoderTable&) = delete;
  TImageDecoderTable& operator=(const TImageDecoderTable&) = delete;

  // Every entry in table order: the built-in decoders and the native
  // plug-ins listed now.
  std::vector<TImageDecoderEntry> Entries() const;

  // Decodes data, the file called name, by the first entry the name may use
  // that accepts the data and decodes it; an entry that fails lets the next
  // one try. False, image untouched, when none does.
  [[nodiscard]] bool Decode(const std::string& name, std::string_view data, TDecodedImage& image,
                            const TPreparePlugIns& preparePlugIns, const TWarning& warning);

 private:
  void Add(std::unique_ptr<TImageDecoder> decoder, TImageKind kind, TAlphaRule alpha);
  TImageDecoderEntry PlugInEntry(int index) const;

  const TSusiePlugIn& FPlugIns;
  std::vector<std::unique_ptr<TImageDecoder>> FDecoders;
  std::vector<TImageDecoderEntry> FBuiltIns;
};

}  // namespace pelto5
