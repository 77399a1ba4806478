#include "base/IntegerConversion.h"

#include <gtest/gtest.h>

namespace pelto5 {
namespace {

TEST(IntegerConversion, AcceptsDecimalAndHexForms) {
  EXPECT_EQ(StrToIntDef("42", -1), 42);
  EXPECT_EQ(StrToIntDef("  -17", 0), -17);
  EXPECT_EQ(StrToIntDef("+8", 0), 8);
  EXPECT_EQ(StrToIntDef("$ff", 0), 255);
  EXPECT_EQ(StrToIntDef("x10", 0), 16);
  EXPECT_EQ(StrToIntDef("X10", 0), 16);
  EXPECT_EQ(StrToIntDef("0x1F", 0), 31);
  EXPECT_EQ(StrToIntDef("$00C0C0C0", 0), 0x00C0C0C0);
  EXPECT_EQ(StrToIntDef("$FFFFFFFF", 0), -1);
  EXPECT_EQ(StrToIntDef("2147483647", 0), 2147483647);
  EXPECT_EQ(StrToIntDef("-2147483648", 0), INT32_MIN);
}

TEST(IntegerConversion, RejectsEverythingElse) {
  for (const char* bad : {"", " ", "12 ", "1a", "abc", "$", "0x", "-", "2147483648", "-2147483649",
                          "$100000000", "1.5", "\t1"}) {
    EXPECT_EQ(StrToIntDef(bad, 77), 77) << bad;
  }
}

}  // namespace
}  // namespace pelto5
