// The faces of the Windows player: a Windows Japanese face the machine has
// is drawn with itself, not with its stand-in; one it lacks falls to the
// shipped IPA faces, by the same rules as on Linux. The "system" face here is
// an IPA face renamed to the Windows family (with fontTools), since no
// Windows face may be used.
#include "platform/fonts/WindowsFontLocator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/fonts/FreeTypeFontService.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

using test::TTempDir;

namespace fs = std::filesystem;

const char* const kGothicFolder = "/usr/share/fonts/opentype/ipafont-gothic";
const char* const kMinchoFolder = "/usr/share/fonts/opentype/ipafont-mincho";
// "ＭＳ 明朝" and "ＭＳ ゴシック" in Shift-JIS.
const char* const kMsMincho = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";
const char* const kMsGothic = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Writes a copy of the face at from whose family is "MS Mincho" (in Japanese
// "ＭＳ 明朝"); false when fontTools is not installed.
bool WriteRenamedFace(const fs::path& from, const fs::path& to) {
  const std::string script =
      "from fontTools.ttLib import TTFont\n"
      "import sys\n"
      "face = TTFont(sys.argv[1])\n"
      "for record in face['name'].names:\n"
      "    if record.nameID in (1, 4, 16):\n"
      "        japanese = record.platformID == 3 and record.langID == 0x411\n"
      "        record.string = '\\uff2d\\uff33 \\u660e\\u671d' if japanese else 'MS Mincho'\n"
      "face.save(sys.argv[2])\n";
  TTempDir dir;
  const std::string program = dir.Write("rename.py", script);
  // Debian's Python, which has Debian's fontTools (python3-fonttools).
  const std::string command = "/usr/bin/python3 " + Quoted(program) + " " + Quoted(from.string()) + " " +
                              Quoted(to.string()) + " 2>/dev/null";
  return std::system(command.c_str()) == 0 && fs::exists(to);
}

TEST(WindowsFontLocator, AGenuineWindowsFaceIsDrawnWithItselfAndAMissingOneByItsStandIn) {
  if (!fs::exists(std::string(kGothicFolder) + "/ipag.ttf") || !fs::exists(std::string(kMinchoFolder) + "/ipam.ttf")) {
    GTEST_SKIP() << "IPA fonts not installed";
  }
  TTempDir dir;
  const fs::path system = fs::path(dir.Path()) / "Windows Fonts";
  const fs::path shipped = fs::path(dir.Path()) / "fonts";
  fs::create_directories(system);
  fs::create_directories(shipped);
  if (!WriteRenamedFace(fs::path(kMinchoFolder) / "ipam.ttf", system / "msmincho.ttf")) {
    GTEST_SKIP() << "python3 with fontTools is needed to make the stand-in Windows face";
  }
  for (const char* folder : {kGothicFolder, kMinchoFolder}) {
    for (const auto& entry : fs::directory_iterator(folder)) fs::copy_file(entry.path(), shipped / entry.path().filename());
  }

  TWindowsFontLocator locator(std::vector<std::string>{system.string(), (fs::path(dir.Path()) / "absent").string()},
                              shipped.string());
  EXPECT_TRUE(locator.GenuineFamilyInstalled("MS Mincho"));
  EXPECT_TRUE(locator.GenuineFamilyInstalled("\xef\xbc\xad\xef\xbc\xb3 \xe6\x98\x8e\xe6\x9c\x9d"));  // ＭＳ 明朝
  EXPECT_FALSE(locator.GenuineFamilyInstalled("IPAGothic"));
  EXPECT_TRUE(locator.FamilyInstalled("IPAGothic"));

  TFreeTypeFontService service(std::make_unique<TWindowsFontLocator>(
      std::vector<std::string>{system.string()}, shipped.string()));
  TFont font;
  font.Size = 16;
  const auto faceOf = [&](const char* name) {
    font.Name = name;
    return fs::path(service.FaceFile(font)).filename().string();
  };
  EXPECT_EQ(faceOf(kMsMincho), "msmincho.ttf");   // the genuine face
  EXPECT_EQ(faceOf("MS Mincho"), "msmincho.ttf");
  EXPECT_EQ(faceOf(kMsGothic), "ipag.ttf");       // no genuine face: its stand-in
  EXPECT_EQ(faceOf("IPAPMincho"), "ipamp.ttf");
  // A family nobody has: a shipped Japanese face, whatever the system holds.
  const std::string fallback = faceOf("No Such Family");
  EXPECT_TRUE(fallback.starts_with("ipa")) << fallback;
  EXPECT_TRUE(service.IsInstalled(kMsMincho));
  EXPECT_FALSE(service.IsInstalled("No Such Family"));
}

}  // namespace
}  // namespace pelto5
