// The plug-in helper process: plug-ins that crash in IsSupported or
// GetPicture, hang, or lie about their result cost only that call, and the
// next picture is decoded by a new helper; a missing helper leaves no
// plug-ins; nothing the helper answers is taken on trust.
#include "image/PlugInHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "image/PlugInMessages.h"
#include "image/SusiePlugIn.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

std::string TestPlugIn(const std::string& name) {
  return std::string(PELTO5_TEST_PLUGINS) + "/" + name + ".spi";
}

class PlugInHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&FPlatform);
    std::filesystem::copy_file(TestPlugIn("faulty"), FDir.Path() + "/1faulty.spi");
    std::filesystem::copy_file(TestPlugIn("red"), FDir.Path() + "/2red.spi");
  }
  void TearDown() override { InstallPlatform(nullptr); }

  // Whether the plug-ins decode data; a success must be the red plug-in's.
  bool Decodes(const std::string& data) {
    TPicture picture;
    if (!FPlugIns.LoadFromMemory(data, picture)) return false;
    EXPECT_EQ(picture.Width, 2);
    EXPECT_EQ(picture.Pixels.at(0) & 0xFFFFFF, 0xFF0000u);
    return true;
  }
  // The trace lines naming a failed call, one per failure.
  std::vector<std::string> Failures() const {
    std::vector<std::string> lines;
    for (const std::string& line : FPlatform.OutputLines()) {
      if (line.rfind("plug-in failed in ", 0) == 0) lines.push_back(line);
    }
    return lines;
  }

  THeadlessPlatform FPlatform{[] {
    THeadlessOptions o;
    o.EchoToStderr = false;
    o.Trace = true;
    return o;
  }()};
  test::TTempDir FDir;
  TSusiePlugIn FPlugIns;
};

TEST_F(PlugInHostTest, ACrashOrHangCostsOnlyThatPictureAndTheNextOneDecodes) {
  ASSERT_EQ(FPlugIns.OpenPlugIn(FDir.Path() + "/*.spi"), 2);
  EXPECT_EQ(FPlugIns.GetPlugInInfo(0)->Extensions, "*.BAD");
  const std::string good = "P6 2 1 255\n" + std::string(6, '\0');
  ASSERT_TRUE(Decodes(good));

  EXPECT_FALSE(Decodes("CRASH"));
  EXPECT_TRUE(Decodes(good));
  EXPECT_FALSE(Decodes("PROBECRASH"));
  EXPECT_TRUE(Decodes(good));
  FPlugIns.Host().SetTimeout(1000);
  EXPECT_FALSE(Decodes("HANG"));
  FPlugIns.Host().SetTimeout(TPlugInHost::kDefaultTimeoutMs);
  EXPECT_TRUE(Decodes(good));
  // A result whose header promises more rows than its bits hold is refused
  // by the player's conversion; the helper itself is fine.
  EXPECT_FALSE(Decodes("LIAR"));
  EXPECT_TRUE(Decodes(good));

  const std::vector<std::string> failures = Failures();
  ASSERT_EQ(failures.size(), 3u);
  const std::string plugIn = "): " + FDir.Path() + "/1faulty.spi";
  EXPECT_EQ(failures[0].rfind("plug-in failed in GetPicture (helper ended with ", 0), 0u) << failures[0];
  EXPECT_EQ(failures[1].rfind("plug-in failed in IsSupported (helper ended with ", 0), 0u) << failures[1];
  EXPECT_EQ(failures[2], "plug-in failed in GetPicture (no answer within 1000 ms" + plugIn);
  for (const std::string& line : failures) EXPECT_NE(line.find(plugIn), std::string::npos) << line;

  // Closed and opened again: a new helper lists them again.
  EXPECT_TRUE(FPlugIns.ClosePlugIn());
  EXPECT_EQ(FPlugIns.OpenPlugIn(FDir.Path() + "/*.spi"), 2);
  EXPECT_TRUE(Decodes(good));
}

TEST_F(PlugInHostTest, WithoutTheHelperProgramNoPlugInIsListed) {
  FPlugIns.Host().SetProgram(FDir.Path() + "/no-such-helper");
  EXPECT_EQ(FPlugIns.OpenPlugIn(FDir.Path() + "/*.spi"), 0);
  int startLines = 0;
  for (const std::string& line : FPlatform.OutputLines()) {
    if (line == "plug-in helper cannot start: " + FDir.Path() + "/no-such-helper") ++startLines;
  }
  EXPECT_EQ(startLines, 1);
}

// --- What the helper answers ------------------------------------------------

// A shared block holding a 2 x 1 picture of 24 bits: the info block at 0,
// the bits at 64.
std::string Block() {
  std::string block(128, '\0');
  const uint8_t header[] = {40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0};
  block.replace(0, sizeof header, reinterpret_cast<const char*>(header), sizeof header);
  block[64] = '\x30';  // blue of the first pixel
  return block;
}

TPlugInAnswer Placed(uint64_t infoOffset, uint64_t infoSize, uint64_t bitsOffset, uint64_t bitsSize) {
  TPlugInAnswer answer;
  answer.Ok = true;
  answer.InfoOffset = infoOffset;
  answer.InfoSize = infoSize;
  answer.BitsOffset = bitsOffset;
  answer.BitsSize = bitsSize;
  return answer;
}

TEST(PlugInHostAnswerTest, BlocksOutsideTheSharedMemoryAreRefused) {
  const std::string block = Block();
  const auto* data = reinterpret_cast<const uint8_t*>(block.data());
  std::string scratch;
  TPicture picture;
  ASSERT_TRUE(TPlugInHost::ReadResult(data, block.size(), Placed(0, 40, 64, 8), scratch, picture));
  EXPECT_EQ(picture.Pixels, (std::vector<uint32_t>{0x30, 0}));

  TPicture untouched;
  for (const TPlugInAnswer& answer :
       {Placed(0, 40, 124, 8), Placed(100, 40, 64, 8), Placed(0, 40, 64, UINT64_MAX),
        Placed(UINT64_MAX - 10, 40, 64, 8), Placed(0, 40, 129, 0), Placed(0, 40, 64, 7)}) {
    EXPECT_FALSE(TPlugInHost::ReadResult(data, block.size(), answer, scratch, untouched))
        << answer.InfoOffset << "+" << answer.InfoSize << " " << answer.BitsOffset << "+" << answer.BitsSize;
  }
  // An info block longer than any there is, even inside a large block.
  const std::string large(8192, '\0');
  EXPECT_FALSE(TPlugInHost::ReadResult(reinterpret_cast<const uint8_t*>(large.data()), large.size(),
                                       Placed(0, 4096, 4096, 8), scratch, untouched));
  EXPECT_EQ(untouched.Width, 0);
}

TEST(PlugInHostAnswerTest, OnlyWholeWellFormedMessagesAreRead) {
  TPlugInAnswer described;
  described.Ok = true;
  described.ApiVersion = "00IN";
  described.FormatName = "name";
  described.Usable = true;
  const std::string message = EncodePlugInAnswer(TPlugInCall::Describe, described);
  TPlugInAnswer read;
  ASSERT_TRUE(DecodePlugInAnswer(TPlugInCall::Describe, message, read));
  EXPECT_EQ(read.ApiVersion, "00IN");
  EXPECT_EQ(read.FormatName, "name");
  EXPECT_TRUE(read.Usable);
  for (size_t cut = 0; cut < message.size(); ++cut) {
    EXPECT_FALSE(DecodePlugInAnswer(TPlugInCall::Describe, message.substr(0, cut), read)) << cut;
  }
  EXPECT_FALSE(DecodePlugInAnswer(TPlugInCall::Describe, message + "x", read));
  EXPECT_FALSE(
      DecodePlugInAnswer(TPlugInCall::GetPicture, std::string(33, '\x02'), read));  // a flag is 0 or 1
  // A text claiming more bytes than the message has.
  EXPECT_FALSE(DecodePlugInAnswer(TPlugInCall::Describe, std::string("\x01\xFF\xFF\xFF\xFF", 5), read));

  TPlugInRequest request;
  request.Call = TPlugInCall::GetPicture;
  request.Path = "/p/a.spi";
  request.InputSize = 0x123456789ull;
  TPlugInRequest back;
  ASSERT_TRUE(DecodePlugInRequest(EncodePlugInRequest(request), back));
  EXPECT_EQ(back.Call, TPlugInCall::GetPicture);
  EXPECT_EQ(back.Path, "/p/a.spi");
  EXPECT_EQ(back.InputSize, 0x123456789ull);
  EXPECT_FALSE(DecodePlugInRequest(std::string("\x07\0\0\0\0", 5), back));  // no such call
}

}  // namespace
}  // namespace pelto5
