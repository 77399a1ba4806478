// Translated text through the headless player: characters code page 932
// lacks drawn with the scenario's face or a fallback face, Latin text
// wrapped at spaces, and saves that do not depend on the translation.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "content/PackageReader.h"
#include "support/PlayerRun.h"
#include "support/PngRead.h"

namespace pelto5::test {
namespace {

const std::string kContext = "スタートブック/スタートページ#";

// A PO file translating the message at index of the start page.
std::string Po(int index, const std::string& msgid, const std::string& msgstr) {
  return "msgctxt \"" + kContext + std::to_string(index) + "\"\nmsgid \"" + msgid + "\"\nmsgstr \"" + msgstr +
         "\"\n";
}

// The environment that gives the player a fallback face for Latin beyond
// code page 932. On Linux that is fontconfig's choice among the system's
// faces. A Windows system (wine's, here) may have none besides the shipped
// Japanese faces, so there the host's DejaVu Sans is installed as a font of
// the user's own (%LOCALAPPDATA%\Microsoft\Windows\Fonts), as a user
// would install one.
std::vector<std::string> FallbackFaceEnvironment(const TTempDir& dir) {
#ifdef _WIN32
  // The tests' paths are on the drive that maps to the build machine's root.
  const std::string drive = std::string(PELTO5_SOURCE_DIR).substr(0, 2);
  const std::string dejaVu = drive + "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  const std::string local = dir.Path() + "/local";
  std::error_code error;
  std::filesystem::create_directories(local + "/Microsoft/Windows/Fonts", error);
  std::filesystem::copy_file(dejaVu, local + "/Microsoft/Windows/Fonts/DejaVuSans.ttf", error);
  EXPECT_FALSE(error) << dejaVu << ": " << error.message();
  return {"LOCALAPPDATA=" + local};
#else
  static_cast<void>(dir);
  return {};
#endif
}

// A run of script whose screen is shot at each of the times (ms).
std::vector<TRgbImage> Shots(const TTempDir& dir, const std::string& script, const std::string& po,
                             const std::string& name, const std::vector<int>& times,
                             const std::vector<std::string>& extra = {},
                             const std::vector<std::string>& environment = {}) {
  std::string events;
  for (size_t i = 0; i < times.size(); ++i) {
    events += std::to_string(times[i]) + " shot " + dir.Path() + "/" + name + std::to_string(i) + ".png\n";
  }
  std::vector<std::string> args = {"--headless", "--max-time", "10000", "--events",
                                   dir.Write(name + ".events", events)};
  if (!po.empty()) args.insert(args.end(), {"--translation", dir.Write(name + ".po", po)});
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back(script);
  const TPlayerResult r = RunPlayerBinary(PELTO5_PLAYER, args, environment);
  EXPECT_EQ(r.ExitStatus, 0) << name;
  for (const std::string& l : r.ErrorLines) EXPECT_EQ(l.find("error"), std::string::npos) << name << ": " << l;
  std::vector<TRgbImage> shots;
  for (size_t i = 0; i < times.size(); ++i) shots.push_back(ReadPng(dir.Path() + "/" + name + std::to_string(i) + ".png"));
  return shots;
}

// The pixels of a that differ from blank, inside their bounding box, one
// string of "#" and "." a row: the shape of what was drawn.
std::vector<std::string> Ink(const TRgbImage& a, const TRgbImage& blank) {
  int left = a.Width, right = -1, top = a.Height, bottom = -1;
  for (int y = 0; y < a.Height; ++y) {
    for (int x = 0; x < a.Width; ++x) {
      if (a.At(x, y) == blank.At(x, y)) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  std::vector<std::string> rows;
  for (int y = top; y <= bottom; ++y) {
    std::string row;
    for (int x = left; x <= right; ++x) row += a.At(x, y) == blank.At(x, y) ? '.' : '#';
    rows.push_back(row);
  }
  return rows;
}

TEST(TranslatedText, CharactersBeyondCodePage932AreDrawnWithTheirGlyphs) {
  TTempDir dir;
  const std::string script = dir.Write(
      "game.pf5", MakeScript(ScriptWithPage({"MessageDraw.Effect=None", "MessageDraw.Text=灯台守の話", "@MessageDraw",
                                             "Wait.TimeBreak=1", "Wait.Time=1000", "@Wait"})));
  const std::vector<std::string> faces = FallbackFaceEnvironment(dir);
  auto shot = [&](const std::string& msgstr, const std::string& name) {
    return Shots(dir, script, msgstr.empty() ? "" : Po(0, "灯台守の話", msgstr), name, {600}, {}, faces).at(0);
  };
  const TRgbImage blank = shot(" ", "blank");
  const std::vector<std::string> question = Ink(shot("?", "question"), blank);
  // U+10FFFD is in no face: the scenario face's missing-glyph box.
  const std::vector<std::string> missing = Ink(shot("\xF4\x8F\xBF\xBD", "missing"), blank);
  ASSERT_FALSE(question.empty());
  // é and ß are the scenario face's (the IPA faces have Latin-1); ạ is
  // not, and comes from a face that has it.
  for (const char* c : {"é", "ß", "ạ"}) {
    const std::vector<std::string> ink = Ink(shot(c, "char"), blank);
    EXPECT_FALSE(ink.empty()) << c;
    EXPECT_NE(ink, question) << c;
    EXPECT_NE(ink, missing) << c;
  }
  // 简 is drawn where some face has it, and is never a "?".
  const std::vector<std::string> jian = Ink(shot("简", "jian"), blank);
  EXPECT_NE(jian, question);
#ifndef _WIN32
  // (Windows has no fontconfig to ask which face has it.)
  const bool faceHasJian = !CaptureOutput("fc-list ':charset=7b80' file 2>/dev/null | head -n 1").empty();
  EXPECT_EQ(jian != missing, faceHasJian);
#endif

  // The text stream carries the characters themselves.
  const std::string out = dir.Path() + "/text.jsonl";
  EXPECT_EQ(RunPlayer({"--headless", "--max-time", "3000", "--translation",
                       dir.Write("t.po", Po(0, "灯台守の話", "Café Straße 简 ạ")), "--text-out", out, script})
                .ExitStatus,
            0);
  EXPECT_NE(ReadFileText(out).find("\"text\":\"Café Straße 简 ạ\""), std::string::npos) << ReadFileText(out);
}

TEST(TranslatedText, LatinTranslationsWrapAtSpaces) {
  TTempDir dir;
  // A 200-pixel area: twenty half-width characters of the 16-point gothic.
  const std::string text = "alpha beta gamma delta";
  const std::string script = dir.Write(
      "game.pf5",
      MakeScript(ScriptWithPage({"MessageDraw.Effect=None", "MessageDraw.Text=" + text, "MessageDraw.Layer.Move=1",
                                 "MessageDraw.Area.Left=0", "MessageDraw.Area.Top=0", "MessageDraw.Area.Width=200",
                                 "MessageDraw.Area.Height=100", "@MessageDraw", "Wait.TimeBreak=1", "Wait.Time=1000",
                                 "@Wait"})));
  const TRgbImage original = Shots(dir, script, "", "original", {600}).at(0);
  const TRgbImage translated = Shots(dir, script, Po(0, text, text), "translated", {600}).at(0);
  const TRgbImage broken = Shots(dir, script, Po(0, text, "alpha beta gamma#delta"), "broken", {600}).at(0);
  const TRgbImage midWord = Shots(dir, script, Po(0, text, "alpha beta gamma del#ta"), "midword", {600}).at(0);
  // The translation breaks before "delta", as a written line break would;
  // the scenario's own text still breaks where the line is full.
  EXPECT_EQ(CountDifferentPixels(translated, broken), 0);
  EXPECT_EQ(CountDifferentPixels(original, midWord), 0);
  EXPECT_GT(CountDifferentPixels(original, translated), 50);
}

// The entries of a save container by name.
std::vector<std::pair<std::string, std::string>> Entries(const std::string& path) {
  std::vector<std::pair<std::string, std::string>> entries;
  PackageReader reader;
  if (!OpenPackage(path, reader)) return entries;
  for (const PackageEntry& e : reader.Entries) {
    std::string data;
    EXPECT_TRUE(ExtractEntry(reader, e.Name, data)) << e.Name;
    entries.emplace_back(e.Name, data);
  }
  ClosePackage(reader);
  return entries;
}

TEST(TranslatedText, ASaveIsTheSameWithOrWithoutTheTranslationAndLoadsTranslated) {
  // Shown translated, saved, then changed (a variable the text uses too)
  // and loaded back; the save resumes in the branch that waits.
  const std::vector<std::string> lines = [] {
    std::vector<std::string> l = ScriptWithPage(
        {"ValueCtrl.ValueVar=%n%", "ValueCtrl.LeftValue=3", "@ValueCtrl",                    // #0
         "MessageDraw.Effect=None", "MessageDraw.Text=灯台守の話<B>%n%", "@MessageDraw",     // #1
         "Wait.TimeBreak=1", "Wait.Time=1000", "@Wait",                                      // #2
         "SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=t.sav", "@SaveCtrl",               // #3
         "SaveCtrl.Command=LoadValue", "SaveCtrl.Key=loaded", "SaveCtrl.Variable=%loaded%", "@SaveCtrl",
         "if.Variable1=%loaded%", "if.Variable2=1", "@if",
         "Wait.TimeBreak=1", "Wait.Time=3000", "@Wait",
         "Move.BookName=スタートブック", "Move.PageName=終", "@Move",
         "@endif",
         "ValueCtrl.ValueVar=%n%", "ValueCtrl.LeftValue=4", "@ValueCtrl",
         "MessageDraw.Effect=None", "MessageDraw.Text=別の話", "@MessageDraw",
         "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=loaded", "SaveCtrl.Value=1", "@SaveCtrl",
         "SaveCtrl.Command=AutoLoad", "SaveCtrl.FileName=t.sav", "@SaveCtrl"});
    l.insert(l.end() - 1, {"<Page=\"終\">", "@rem", "<Page End>"});
    return l;
  }();
  const std::string po = Po(1, "灯台守の話<B>%n%", "The keeper<B>%n%") + "\n" + Po(10, "別の話", "Another tale");
  TTempDir plainDir;
  TTempDir translatedDir;
  std::vector<TRgbImage> plain;
  std::vector<TRgbImage> translated;
  for (TTempDir* dir : {&plainDir, &translatedDir}) {
    std::filesystem::create_directory(dir->Path() + "/game");
    const std::string script = dir->Write("game.pf5", MakeScript(lines));
    // Before the save, and after the load.
    (dir == &plainDir ? plain : translated) =
        Shots(*dir, script, dir == &plainDir ? "" : po, "shot", {500, 3000});
  }
  ASSERT_EQ(plain.size(), 2u);
  ASSERT_EQ(translated.size(), 2u);
  EXPECT_GT(CountDifferentPixels(plain[0], translated[0]), 50);
  // Each load shows what its run showed when it saved: the translation
  // comes back with the saved variable (3, not 4).
  EXPECT_EQ(CountDifferentPixels(plain[0], plain[1]), 0);
  EXPECT_EQ(CountDifferentPixels(translated[0], translated[1]), 0);

  // The saves are the same but for the thumbnail, a picture of the screen.
  const auto a = Entries(plainDir.Path() + "/game/t.sav");
  const auto b = Entries(translatedDir.Path() + "/game/t.sav");
  ASSERT_EQ(a.size(), b.size());
  ASSERT_FALSE(a.empty());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].first, b[i].first);
    if (a[i].first == "_smallimage.bmp") continue;
    EXPECT_EQ(a[i].second, b[i].second) << a[i].first;
  }
}

}  // namespace
}  // namespace pelto5::test
