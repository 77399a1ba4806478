#include "base/ByteOrder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace pelto5 {
namespace {

TEST(ByteOrder, ReadsBothOrdersWithoutSignExtendingHighBytes) {
  const std::string data("\x01\xFF\x80\x7F\xFE", 5);
  EXPECT_EQ(ReadLe16(data, 0), 0xFF01u);
  EXPECT_EQ(ReadBe16(data, 0), 0x01FFu);
  EXPECT_EQ(ReadLe16(data, 3), 0xFE7Fu);
  EXPECT_EQ(ReadLe32(data, 0), 0x7F80FF01u);
  EXPECT_EQ(ReadLe32(data, 1), 0xFE7F80FFu);
  EXPECT_EQ(ReadBe32(data, 0), 0x01FF807Fu);
  EXPECT_EQ(ReadBe32(data, 1), 0xFF807FFEu);
}

TEST(ByteOrder, ReadsPastTheEndGiveZero) {
  const std::string data("\xAA\xBB\xCC\xDD", 4);
  EXPECT_EQ(ReadLe32(data, 0), 0xDDCCBBAAu);
  EXPECT_EQ(ReadLe32(data, 1), 0u);
  EXPECT_EQ(ReadBe32(data, 1), 0u);
  EXPECT_EQ(ReadLe16(data, 2), 0xDDCCu);
  EXPECT_EQ(ReadLe16(data, 3), 0u);
  EXPECT_EQ(ReadBe16(data, 4), 0u);
  EXPECT_EQ(ReadLe16("", 0), 0u);
  // An offset near the top of the range must not wrap around to the start.
  EXPECT_EQ(ReadLe32(data, SIZE_MAX - 1), 0u);
  EXPECT_EQ(ReadBe16(data, SIZE_MAX), 0u);
}

TEST(ByteOrder, AppendsLowByteFirstAndReadsBack) {
  std::string out = "x";
  AppendLe16(out, 0x12345678u);  // only the low 16 bits
  AppendLe32(out, 0x89ABCDEFu);
  EXPECT_EQ(out, std::string("x\x78\x56\xEF\xCD\xAB\x89", 7));
  EXPECT_EQ(ReadLe16(out, 1), 0x5678u);
  EXPECT_EQ(ReadLe32(out, 3), 0x89ABCDEFu);
}

}  // namespace
}  // namespace pelto5
