#include "shell/DebugIcons.h"

#include <cstring>

namespace pelto5 {

namespace {

// One letter per pixel; '.' is transparent. Rows and columns missing from
// a picture are transparent too.
uint32_t PaletteColor(char c, bool& opaque) {
  opaque = true;
  switch (c) {
    case 'k': return 0x202020;  // outline
    case 'w': return 0xFFFFFF;
    case 's': return 0xA8A8A8;  // grey
    case 'b': return 0x2F5FB8;  // blue
    case 'l': return 0x9CC2F0;  // light blue
    case 'g': return 0x2E8B57;  // green
    case 'G': return 0x5CC85C;  // light green
    case 'y': return 0xF2C230;  // yellow
    case 'o': return 0xE07820;  // orange
    case 'r': return 0xC83C3C;  // red
    case 'p': return 0x8A5CC0;  // purple
    default: opaque = false; return 0;
  }
}

constexpr const char* kIcons[TDebugIcons::kCount][TDebugIcons::kSize] = {
    // 0 process line: a green arrow head pointing at the line
    {"................", "................", "...kk...........", "...kGk..........",
     "...kGGk.........", "...kGGGk........", "...kGGGGk.......", "...kGGGGGk......",
     "...kGGGGGGk.....", "...kGGGGGk......", "...kGGGGk.......", "...kGGGk........",
     "...kGGk.........", "...kGk..........", "...kk...........", "................"},
    // 1 book name: a blue book seen from the front, pages at its side
    {"................", "..kkkkkkkkkk....", "..kbbbbbbbbkk...", "..kbllllllbkwk..",
     "..kbbbbbbbbkwk..", "..kbllllllbkwk..", "..kbbbbbbbbkwk..", "..kbbbbbbbbkwk..",
     "..kbbbbbbbbkwk..", "..kbbbbbbbbkwk..", "..kbbbbbbbbkwk..", "..kbbbbbbbbkwk..",
     "..kbbbbbbbbkwk..", "..kkkkkkkkkkkk..", "...kwwwwwwwwwk..", "...kkkkkkkkkkk.."},
    // 2 page name: a written sheet with a folded corner
    {"................", "...kkkkkkkk.....", "...kwwwwwwkk....", "...kwwwwwwksk...",
     "...kwsssswkkkk..", "...kwwwwwwwwwk..", "...kwssssssswk..", "...kwwwwwwwwwk..",
     "...kwssssssswk..", "...kwwwwwwwwwk..", "...kwssssssswk..", "...kwwwwwwwwwk..",
     "...kwsssswwwwk..", "...kwwwwwwwwwk..", "...kkkkkkkkkkk..", "................"},
    // 3 command index: a number sign
    {"................", "................", ".....oo...oo....", ".....oo...oo....",
     "..oooooooooooo..", "..oooooooooooo..", "....oo...oo.....", "....oo...oo.....",
     "....oo...oo.....", "..oooooooooooo..", "..oooooooooooo..", "...oo...oo......",
     "...oo...oo......", "...oo...oo......", "................", "................"},
    // 4 layer: two sheets, one above the other
    {"................", "................", ".kkkkkkkkkk.....", ".kllllllllk.....",
     ".kllllllllk.....", ".kllkkkkkkkkkk..", ".kllkbbbbbbbbk..", ".kllkbbbbbbbbk..",
     ".kkkkbbbbbbbbk..", "....kbbbbbbbbk..", "....kbbbbbbbbk..", "....kbbbbbbbbk..",
     "....kkkkkkkkkk..", "................", "................", "................"},
    // 5 dynamic layer: two sheets with a spark
    {"...........y....", "..........yyy...", ".kkkkkkkkyyyyy..", ".kssssssk.yyy...",
     ".kssssssk..y....", ".kssskkkkkkkkk..", ".kssskppppppppk.", ".kssskppppppppk.",
     ".kkkkkppppppppk.", ".....kppppppppk.", ".....kppppppppk.", ".....kppppppppk.",
     ".....kkkkkkkkkk.", "................", "................", "................"},
    // 6 value variable: a green tag with the digits 1 2
    {"................", "................", ".kkkkkkkkkkkkkk.", ".kggggggggggggk.",
     ".kgggwgggwwwggk.", ".kggwwggwgggwgk.", ".kgggwggggggwgk.", ".kgggwgggggwggk.",
     ".kgggwggggwgggk.", ".kgggwgggwggggk.", ".kggwwwggwwwwgk.", ".kggggggggggggk.",
     ".kkkkkkkkkkkkkk.", "................", "................", "................"},
    // 7 string variable: a red tag with the letter A
    {"................", "................", ".kkkkkkkkkkkkkk.", ".krrrrrrrrrrrrk.",
     ".krrrrrwwrrrrrk.", ".krrrrwrrwrrrrk.", ".krrrwrrrrwrrrk.", ".krrrwrrrrwrrrk.",
     ".krrrwwwwwwrrrk.", ".krrrwrrrrwrrrk.", ".krrrwrrrrwrrrk.", ".krrrrrrrrrrrrk.",
     ".kkkkkkkkkkkkkk.", "................", "................", "................"},
};

}  // namespace

int64_t TDebugIcons::PixelAt(int index, int x, int y) {
  if (index < 0 || index >= kCount || x < 0 || y < 0 || x >= kSize || y >= kSize) return -1;
  const char* row = kIcons[index][y];
  if (static_cast<size_t>(x) >= std::strlen(row)) return -1;
  bool opaque = false;
  const uint32_t color = PaletteColor(row[x], opaque);
  return opaque ? static_cast<int64_t>(color) : -1;
}

void TDebugIcons::Draw(const TPixelView& view, int index, int x, int y) {
  if (index < 0 || index >= kCount) return;
  for (int py = 0; py < kSize; ++py) {
    for (int px = 0; px < kSize; ++px) {
      const int64_t color = PixelAt(index, px, py);
      if (color >= 0) view.FillRect(x + px, y + py, 1, 1, static_cast<uint32_t>(color));
    }
  }
}

}  // namespace pelto5
