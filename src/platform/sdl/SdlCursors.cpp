#include "platform/sdl/SdlCursors.h"

#include <vector>

namespace pelto5 {

namespace {

// The select cursor: a pointing hand. 'X' black, '.' white, ' ' transparent;
// the hot spot is the tip of the index finger.
constexpr int kCursorSize = 32;
constexpr int kCursorHotX = 5;
constexpr int kCursorHotY = 0;
constexpr const char* kHandCursor[] = {
    "     XX          ",
    "    X..X         ",
    "    X..X         ",
    "    X..X         ",
    "    X..X         ",
    "    X..XXX       ",
    "    X..X..XXX    ",
    "    X..X..X..XX  ",
    "    X..X..X..X.X ",
    "XXX X..X..X..X..X",
    "X..XX...........X",
    "X...X...........X",
    " X..............X",
    "  X.............X",
    "  X............X ",
    "   X...........X ",
    "   X..........X  ",
    "    X.........X  ",
    "    X.........X  ",
    "    XXXXXXXXXXX  ",
};

}  // namespace

SDL_Cursor* MakeSelectCursor() {
  constexpr int rowBytes = kCursorSize / 8;
  std::vector<Uint8> data(rowBytes * kCursorSize, 0);
  std::vector<Uint8> mask(rowBytes * kCursorSize, 0);
  int y = 0;
  for (const char* row : kHandCursor) {
    for (int x = 0; row[x] != '\0' && x < kCursorSize; ++x) {
      const size_t byte = static_cast<size_t>(y) * rowBytes + x / 8;
      const Uint8 bit = static_cast<Uint8>(0x80 >> (x % 8));
      if (row[x] == 'X') data[byte] |= bit;
      if (row[x] != ' ') mask[byte] |= bit;
    }
    ++y;
  }
  SDL_Cursor* cursor = SDL_CreateCursor(data.data(), mask.data(), kCursorSize, kCursorSize, kCursorHotX, kCursorHotY);
  return cursor ? cursor : SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
}

}  // namespace pelto5
