// The page's input: mouse and wheel on the game's canvas ("#screen"), the
// keyboard on the document, and what the page's script sends for touch and
// its reader bar, turned into the engine's events in picture pixels and
// queued on the platform.
#pragma once

namespace pelto5 {

class TWebPlatform;

// The canvas element that shows the game.
constexpr const char* kWebCanvasSelector = "#screen";

// Registers the page's event handlers; they queue on platform, which must
// outlive the page's session.
void ListenToPage(TWebPlatform& platform);
// Ends the page script's input to platform (pelto5_web_pointer and
// pelto5_web_key, which the touch gestures and the reader bar call).
void StopListeningToPage(TWebPlatform& platform);

}  // namespace pelto5
