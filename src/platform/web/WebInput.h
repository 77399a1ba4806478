// The page's input: mouse and wheel on the game's canvas ("#screen") and
// the keyboard on the document, turned into the engine's events in picture
// pixels and queued on the platform.
#pragma once

namespace pelto5 {

class TWebPlatform;

// The canvas element that shows the game.
constexpr const char* kWebCanvasSelector = "#screen";

// Registers the page's event handlers; they queue on platform, which must
// outlive the page's session.
void ListenToPage(TWebPlatform& platform);

}  // namespace pelto5
