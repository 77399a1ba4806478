#include "media/AudioFileOpener.h"
#include "base/NativeFile.h"

#include <filesystem>
#include <fstream>

#include "media/FfmpegDecoder.h"
#include "media/MidiFile.h"
#ifdef _WIN32
#include "media/SystemMidiDecoder.h"
#else
#include "media/MidiDecoder.h"
#endif

namespace pelto5 {

TAudioOpenResult TAudioFileOpener::Open(const std::string& path, TAudioUse use) {
  TAudioOpenResult result;
  std::error_code error;
  if (!std::filesystem::is_regular_file(native::Path(path), error)) {
    result.Reason = "no such file";
    return result;
  }
  std::ifstream in(native::Path(path), std::ios::binary);
  std::string head(12, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  if (head.empty()) {
    result.Reason = "empty file";
    return result;
  }

  if (TMidiFile::LooksLikeMidi(head)) {
#ifdef _WIN32
    // Windows plays MIDI with its own synthesizer, opened when played.
    (void)use;
    auto midi = std::make_unique<TSystemMidiDecoder>();
    const TResult opened = midi->Open(path);
#else
    auto midi = std::make_unique<TMidiDecoder>();
    const TResult opened = midi->Open(path, use == TAudioUse::Play);
#endif
    if (opened) {
      result.DecoderName = "midi";
      result.Decoder = std::move(midi);
    } else {
      result.Reason = opened.Reason();
    }
    return result;
  }
  auto ffmpeg = std::make_unique<TFfmpegDecoder>();
  const TResult opened = ffmpeg->Open(path);
  if (opened) {
    result.DecoderName = ffmpeg->CodecName();
    result.Decoder = std::move(ffmpeg);
  } else {
    result.Reason = opened.Reason();
  }
  return result;
}

}  // namespace pelto5
