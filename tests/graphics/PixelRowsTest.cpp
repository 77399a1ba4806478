// The row loops against the one-pixel arithmetic they stand for, over
// lengths that leave every tail (the vector loops take 8 and 4 pixels at a
// time) and alpha rows mixing 0, 255 and everything between.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/PixelRows.h"

namespace pelto5 {
namespace {

TEST(PixelRows, MaskAndBlendRowsGiveThePixelsOfTheOnePixelRule) {
  std::mt19937 random(7);
  for (int count = 0; count <= 41; ++count) {
    for (int kind = 0; kind < 4; ++kind) {
      std::vector<uint32_t> dest(count), source(count);
      std::vector<uint8_t> alpha(count);
      for (int i = 0; i < count; ++i) {
        dest[i] = random();
        source[i] = random();
        // Runs of all-0 and all-255 alpha take the loops' short cuts.
        const uint32_t r = random();
        alpha[i] = kind == 0 ? static_cast<uint8_t>(r) : kind == 1 ? (r % 3 ? 255 : 0)
                   : kind == 2 ? (i < count / 2 ? 0 : 255) : static_cast<uint8_t>(r % 2 ? r : 0);
      }
      for (bool separate : {true, false}) {
        std::vector<uint32_t> masked = dest, blended = dest;
        MaskRow(masked.data(), source.data(), alpha.data(), count, separate);
        BlendRow(blended.data(), source.data(), alpha.data(), count, separate);
        for (int i = 0; i < count; ++i) {
          ASSERT_EQ(masked[i], alpha[i] ? source[i] : dest[i]) << "mask, " << count << " pixels, at " << i;
          ASSERT_EQ(blended[i], alpha[i] ? BlendPixel(dest[i], source[i], alpha[i]) : dest[i])
              << "blend, " << count << " pixels, at " << i << ", alpha " << int(alpha[i]);
        }
      }
    }
  }
}

TEST(PixelRows, BlendPixelMixesEachChannelByAlphaAndClearsTheFourthByte) {
  EXPECT_EQ(BlendPixel(0xFF000000u, 0x00FFFFFFu, 255), 0x00FEFEFEu);
  EXPECT_EQ(BlendPixel(0x00FFFFFFu, 0x00000000u, 0), 0x00FEFEFEu);
  EXPECT_EQ(BlendPixel(0x00102030u, 0x00F0E0D0u, 128), ((0x10 * 127 + 0xF0 * 128) >> 8) << 16 |
                                                           ((0x20 * 127 + 0xE0 * 128) >> 8) << 8 |
                                                           ((0x30 * 127 + 0xD0 * 128) >> 8));
}

}  // namespace
}  // namespace pelto5
