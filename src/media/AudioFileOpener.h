// The one place that decides whether a sound file plays and with which
// decoder, for both backends: a MIDI file (".mid" / ".rmi", by its first
// bytes) goes to the synthesizer, anything else to FFmpeg. A file that
// neither decodes does not open, with a short reason for the trace.
#pragma once

#include <memory>
#include <string>

#include "media/AudioDecoder.h"

namespace pelto5 {

// What the decoder is opened for.
enum class TAudioUse {
  Play,   // to be read now: everything is made ready (a synthesizer loads its font)
  Check,  // to be checked and timed; samples may never be read
};

struct TAudioOpenResult {
  std::unique_ptr<TAudioDecoder> Decoder;  // empty if the file does not open
  std::string Reason;                      // why not (empty on success)
  std::string DecoderName;                 // "midi" or the FFmpeg decoder's name
};

class TAudioFileOpener {
 public:
  static TAudioOpenResult Open(const std::string& path, TAudioUse use);
};

}  // namespace pelto5
