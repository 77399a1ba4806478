// The browser build decodes sound in the page (see TWebAudioChannel), not
// in the engine: FFmpeg and the synthesizer are not part of it. The
// headless backend, which times files by decoding them, therefore finds no
// sound file playable in this build and says why.
#include "media/AudioFileOpener.h"

namespace pelto5 {

TAudioOpenResult TAudioFileOpener::Open(const std::string& /*path*/, TAudioUse /*use*/) {
  TAudioOpenResult result;
  result.Reason = "the browser build decodes sound only in the page";
  return result;
}

}  // namespace pelto5
