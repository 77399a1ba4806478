#include "base/DeviceNames.h"

#include <gtest/gtest.h>

namespace pelto5 {
namespace {

// Windows takes these as devices whatever follows the first dot, so a
// package must never have one extracted; names that merely look alike are
// ordinary files.
TEST(DeviceNames, DevicesWithAnyExtensionButNotTheirLookAlikes) {
  for (const char* name : {"CON", "con", "Prn.txt", "AUX.tar.gz", "nul.", "NUL ", "nul .txt", "COM1", "com9.log",
                           "LPT1", "lpt9.x", "CONIN$", "conout$.txt"}) {
    EXPECT_TRUE(IsDeviceName(name)) << name;
  }
  for (const char* name : {"", "CONSOLE", "con_", "xcon", "COM", "COM0", "COM10", "LPT", "lpt0.txt", "nul_.txt",
                           ".con", "CON1", "auxiliary.txt"}) {
    EXPECT_FALSE(IsDeviceName(name)) << name;
  }
}

TEST(DeviceNames, AnyComponentOfAScriptNameCounts) {
  EXPECT_TRUE(NamesDevice("sound\\con.wav"));
  EXPECT_TRUE(NamesDevice("aux/inside.txt"));
  EXPECT_TRUE(NamesDevice("a\\b\\LPT3"));
  EXPECT_FALSE(NamesDevice("sound\\console.wav"));
  EXPECT_FALSE(NamesDevice("com\\1.txt"));
  // "表" ends in the byte of "\": one character, not a separator before "nul".
  EXPECT_FALSE(NamesDevice("\x95\x5Cnul"));
  EXPECT_TRUE(NamesDevice("\x95\x5C\\nul"));
}

}  // namespace
}  // namespace pelto5
