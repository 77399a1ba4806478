// The folder of font files that the browser build draws with must draw
// exactly what fontconfig's faces draw on the desktop, so a game looks the
// same in both. Run against the IPA faces, copied into a folder of their own.
#include "platform/fonts/FontFolderLocator.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/fonts/FontconfigLocator.h"
#include "platform/fonts/FreeTypeFontService.h"

namespace pelto5 {
namespace {

namespace fs = std::filesystem;

const char* const kIpaFolders[] = {"/usr/share/fonts/opentype/ipafont-gothic",
                                   "/usr/share/fonts/opentype/ipafont-mincho"};

// "ＭＳ ゴシック", "ＭＳ Ｐ明朝", "IPAゴシック" in Shift-JIS.
const char* const kMsGothic = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";
const char* const kMsPMincho = "\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9";
const char* const kIpaGothicJapanese = "IPA\x83\x53\x83\x56\x83\x62\x83\x4e";

// A folder holding the IPA faces (with an unrelated file beside them).
class TFontFolder {
 public:
  TFontFolder() : FPath(fs::temp_directory_path() / ("pelto5-fonts-" + std::to_string(::getpid()))) {
    fs::create_directories(FPath);
    for (const char* folder : kIpaFolders) {
      std::error_code ec;
      for (const auto& entry : fs::directory_iterator(folder, ec)) {
        fs::copy_file(entry.path(), FPath / entry.path().filename(), ec);
      }
    }
    std::ofstream(FPath / "readme.txt") << "not a font";
  }
  ~TFontFolder() { fs::remove_all(FPath); }
  std::string Path() const { return FPath.generic_string(); }

 private:
  fs::path FPath;
};

// The Windows build has no fontconfig to draw the reference with.
#ifndef _WIN32
std::vector<uint32_t> Draw(TFontService& service, const TFont& font, const std::string& text) {
  constexpr int kWidth = 400;
  constexpr int kHeight = 40;
  std::vector<uint32_t> pixels(kWidth * kHeight, 0);
  TTextTarget target;
  target.Pixels = pixels.data();
  target.Stride = kWidth;
  target.Width = kWidth;
  target.Height = kHeight;
  service.DrawRun(target, 2, 2, text, font);
  return pixels;
}
#endif

TEST(FontFolderLocator, DrawsTheSamePixelsAsFontconfig) {
#ifdef _WIN32
  GTEST_SKIP() << "fontconfig is the reference here, and the Windows build has none";
#else
  if (!fs::exists(std::string(kIpaFolders[0]) + "/ipag.ttf")) GTEST_SKIP() << "IPA fonts not installed";
  TFontFolder folder;
  TFreeTypeFontService desktop(std::make_unique<TFontconfigLocator>());
  TFreeTypeFontService web(std::make_unique<TFontFolderLocator>(folder.Path()));

  // "灯台守の夜 Lighthouse 123" in Shift-JIS.
  const std::string text = "\x93\x95\x91\xe4\x8e\xe7\x82\xcc\x96\xe9 Lighthouse 123";
  for (const char* name : {kMsGothic, kMsPMincho, "IPAPGothic", kIpaGothicJapanese}) {
    for (bool bold : {false, true}) {
      TFont font;
      font.Name = name;
      font.Size = 16;
      font.Bold = bold;
      font.Color = 0xFFFFFF;
      SCOPED_TRACE(std::string(name) + (bold ? " bold" : ""));
      EXPECT_TRUE(web.IsInstalled(name));
      EXPECT_EQ(fs::path(web.FaceFile(font)).filename(),
                fs::canonical(desktop.FaceFile(font)).filename());
      EXPECT_EQ(web.Measure(text, font).Width, desktop.Measure(text, font).Width);
      const std::vector<uint32_t> drawn = Draw(web, font, text);
      EXPECT_EQ(drawn, Draw(desktop, font, text));
      EXPECT_GT(std::count(drawn.begin(), drawn.end(), 0xFFFFFFu), 100);
    }
  }
#endif
}

// With an index the faces are listed without being read, and a face's file
// is fetched only when text is first drawn with it (the browser downloads
// only what a game uses); what is drawn is the same.
TEST(FontFolderLocator, AnIndexListsFacesThatAreFetchedWhenFirstUsed) {
#ifdef _WIN32
  GTEST_SKIP() << "fontconfig is the reference here, and the Windows build has none";
#else
  if (!fs::exists(std::string(kIpaFolders[0]) + "/ipag.ttf")) GTEST_SKIP() << "IPA fonts not installed";
  TFontFolder shipped;  // what the page holds
  const fs::path folder = fs::path(shipped.Path() + "-index");
  fs::create_directories(folder);
  std::ofstream(folder / "faces.txt") << "ipag.ttf\t0\t0\t1\tIPAGothic\tIPA\xe3\x82\xb4\xe3\x82\xb7\xe3\x83\x83\xe3\x82\xaf\r\n"
                                      << "ipam.ttf\t0\t0\t1\tIPAMincho\n"
                                      << "../ipagp.ttf\t0\t0\t1\tIPAPGothic\n"
                                      << "broken line\n";
  std::vector<std::string> fetched;
  auto fetch = [&](const std::string& path, bool whole) {
    if (whole) return false;  // these are whole faces
    fetched.push_back(fs::path(path).filename().string());
    std::error_code ec;
    fs::copy_file(fs::path(shipped.Path()) / fs::path(path).filename(), path, ec);
    return !ec;
  };
  TFreeTypeFontService web(std::make_unique<TFontFolderLocator>(folder.string(), fetch));
  TFreeTypeFontService desktop(std::make_unique<TFontconfigLocator>());

  EXPECT_TRUE(web.IsInstalled(kMsGothic));
  EXPECT_TRUE(web.IsInstalled(kIpaGothicJapanese));
  EXPECT_FALSE(web.IsInstalled("IPAPGothic"));  // its line names a file outside the folder
  EXPECT_TRUE(fetched.empty());

  TFont font;
  font.Name = kMsGothic;
  font.Size = 16;
  font.Color = 0xFFFFFF;
  const std::string text = "\x93\x95\x91\xe4\x8e\xe7 Lighthouse";
  EXPECT_EQ(Draw(web, font, text), Draw(desktop, font, text));
  EXPECT_EQ(Draw(web, font, text), Draw(desktop, font, text));
  EXPECT_EQ(fetched, std::vector<std::string>{"ipag.ttf"});
  fs::remove_all(folder);
#endif
}

// A face shipped as a subset of its characters draws those as the whole
// face does; the first character it lacks brings the whole face in its
// place (asked for once), and from then on everything is drawn as the whole
// face draws it. A whole face that cannot be had leaves the subset drawing.
TEST(FontFolderLocator, ASubsetFaceIsMadeWholeWhenACharacterIsMissing) {
#ifdef _WIN32
  GTEST_SKIP() << "fontconfig is the reference here, and the Windows build has none";
#else
  const std::string ipag = std::string(kIpaFolders[0]) + "/ipag.ttf";
  if (!fs::exists(ipag)) GTEST_SKIP() << "IPA fonts not installed";
  const fs::path folder = fs::temp_directory_path() / ("pelto5-subset-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const fs::path subset = folder / "subset.ttf";
  // "燈台 Light" only, cut by fonttools as the web build cuts its faces.
  const std::string command = "/usr/bin/python3 -m fontTools.subset '" + ipag + "' --text='\xe7\x87\x88\xe5\x8f\xb0 Light' " +
                              "--output-file='" + subset.string() + "' --name-IDs='*' --notdef-glyph --notdef-outline " +
                              "--no-prune-unicode-ranges >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0 || !fs::exists(subset)) {
    fs::remove_all(folder);
    GTEST_SKIP() << "fonttools (python3-fonttools) not installed";
  }
  TFreeTypeFontService desktop(std::make_unique<TFontconfigLocator>());
  TFont font;
  font.Name = kMsGothic;
  font.Size = 16;
  font.Color = 0xFFFFFF;
  const std::string inSubset = "\x93\x95\x91\xe4 Light";                // 燈台 Light
  const std::string outside = "\x93\x95\x91\xe4\x8e\xe7 Lighthouse";  // 燈台守 Lighthouse

  for (const bool wholeAvailable : {true, false}) {
    SCOPED_TRACE(wholeAvailable ? "the whole face can be had" : "the whole face cannot be had");
    const fs::path web = folder / (wholeAvailable ? "a" : "b");
    fs::create_directories(web);
    std::ofstream(web / "faces.txt") << "ipag.ttf\t0\t0\t1\tIPAGothic\n";
    std::vector<bool> asked;
    auto fetch = [&](const std::string& path, bool whole) {
      asked.push_back(whole);
      if (whole && !wholeAvailable) return false;
      std::error_code ec;
      fs::copy_file(whole ? fs::path(ipag) : subset, path, fs::copy_options::overwrite_existing, ec);
      return !ec;
    };
    TFreeTypeFontService service(std::make_unique<TFontFolderLocator>(web.string(), fetch));
    EXPECT_EQ(Draw(service, font, inSubset), Draw(desktop, font, inSubset));
    EXPECT_EQ(asked, std::vector<bool>{false});
    const std::vector<uint32_t> drawn = Draw(service, font, outside);
    if (wholeAvailable) {
      EXPECT_EQ(drawn, Draw(desktop, font, outside));
      EXPECT_EQ(service.Measure(outside, font).Width, desktop.Measure(outside, font).Width);
    } else {
      EXPECT_NE(drawn, Draw(desktop, font, outside));  // "守", "o", "u", "s", "e" are missing
      EXPECT_EQ(Draw(service, font, inSubset), Draw(desktop, font, inSubset));
    }
    Draw(service, font, outside);
    EXPECT_EQ(asked, (std::vector<bool>{false, true}));
  }
  fs::remove_all(folder);
#endif
}

TEST(FontFolderLocator, UnknownFamiliesFallBackToAJapaneseFace) {
  if (!fs::exists(std::string(kIpaFolders[0]) + "/ipag.ttf")) GTEST_SKIP() << "IPA fonts not installed";
  TFontFolder folder;
  TFontFolderLocator locator(folder.Path());
  EXPECT_FALSE(locator.FamilyInstalled("No Such Family"));
  EXPECT_TRUE(locator.FamilyInstalled("ipa gothic"));  // case and spaces as fontconfig ignores them
  TFaceQuery query;
  query.RequireJapanese = true;
  TFaceFile face;
  ASSERT_TRUE(locator.Match(query, face));
  EXPECT_NE(face.Path.find(".ttf"), std::string::npos);

  TFontFolderLocator empty(folder.Path() + "/missing");
  EXPECT_FALSE(empty.FamilyInstalled("IPAGothic"));
  EXPECT_FALSE(empty.Match(query, face));
}

// The fallback for a character a face lacks (a translation's): the face in
// the folder that has it, whatever its family; none when no face has it.
TEST(FontFolderLocator, ACharacterFindsTheFaceThatHasIt) {
  const std::string dejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!fs::exists(std::string(kIpaFolders[0]) + "/ipag.ttf") || !fs::exists(dejaVu)) {
    GTEST_SKIP() << "IPA or DejaVu fonts not installed";
  }
  TFontFolder folder;
  fs::copy_file(dejaVu, folder.Path() + "/DejaVuSans.ttf");
  TFontFolderLocator locator(folder.Path());
  TFaceQuery query;
  TFaceFile face;
  query.Covers = U'\u1EA1';  // ạ: DejaVu has it, the IPA faces do not
  ASSERT_TRUE(locator.Match(query, face));
  EXPECT_EQ(fs::path(face.Path).filename(), "DejaVuSans.ttf");
  query.Covers = U'\u3042';  // あ: only the IPA faces
  ASSERT_TRUE(locator.Match(query, face));
  EXPECT_EQ(fs::path(face.Path).filename().string().rfind("ipa", 0), 0u) << face.Path;
  query.Covers = 0x10FFFD;
  EXPECT_FALSE(locator.Match(query, face));
  // A family that lacks it is no answer.
  query.Family = "IPAGothic";
  query.Covers = U'\u1EA1';
  EXPECT_FALSE(locator.Match(query, face));
}

}  // namespace
}  // namespace pelto5
