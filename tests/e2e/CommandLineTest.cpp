// What the player says about its own command line and the files it names:
// output folders that do not exist, events files that are no file, carry a
// byte-order mark or name a point out of range, a headless run cut short by
// its time limit, and the libraries --version names.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

namespace fs = std::filesystem;

std::string Joined(const TPlayerResult& r) {
  std::string text;
  for (const std::string& l : r.ErrorLines) text += l + "\n";
  return text;
}

TEST(CommandLine, OutputFilesInAFolderThatDoesNotExistAreRefusedAtOnce) {
  TTempDir dir;
  const std::string script = dir.Write("g.pf5", MakeScript(ScriptWithPage({"@rem"})));
  for (const char* option : {"--screenshot", "--dump-state"}) {
    const std::string missing = dir.Path() + "/no such folder/out.png";
    const TPlayerResult r = RunPlayer({"--headless", option, missing, script});
    EXPECT_EQ(r.ExitStatus, 2) << option;
    EXPECT_TRUE(r.HasLine(std::string("pelto5: ") + option + " " + missing + ": the folder " + dir.Path() +
                          "/no such folder/ does not exist"))
        << Joined(r);
  }
  // In a folder that exists, and as a bare name in the current one, the
  // file is written.
  const std::string shot = dir.Path() + "/out.png";
  const TPlayerResult r = RunPlayer({"--headless", "--screenshot", shot, script});
  EXPECT_EQ(r.ExitStatus, 0) << Joined(r);
  EXPECT_TRUE(fs::exists(shot));
}

TEST(CommandLine, EventsFilesAreReadWithTheirFaultsNamed) {
  TTempDir dir;
  const std::string script =
      dir.Write("g.pf5", MakeScript(ScriptWithPage({"Wait.TimeBreak=1", "Wait.Time=2000", "@Wait"})));

  // A folder is no events file.
  fs::create_directory(dir.Path() + "/events");
  TPlayerResult r = RunPlayer({"--headless", "--events", dir.Path() + "/events", script});
  EXPECT_EQ(r.ExitStatus, 2);
  EXPECT_TRUE(r.HasLine("pelto5: events file " + dir.Path() + "/events: is a folder, not an events file"))
      << Joined(r);

  // A byte-order mark in front of the first event is no part of it.
  const std::string shot = dir.Path() + "/bom.png";
  r = RunPlayer({"--headless", "--events", dir.Write("bom.events", "\xEF\xBB\xBF" "100 shot " + shot + "\n"), script});
  EXPECT_EQ(r.ExitStatus, 0) << Joined(r);
  EXPECT_TRUE(fs::exists(shot));

  // A number too large for a coordinate is said to be out of range.
  const struct {
    const char* Line;
    const char* Reason;
  } bad[] = {
      {"10 click 200000 5", "\"click\": coordinate X 200000 is out of range (0 to 100000)"},
      {"10 move 5 -1", "\"move\": coordinate Y -1 is out of range (0 to 100000)"},
      {"10 debug-drag 1 2 3 100001", "\"debug-drag\": coordinate Y2 100001 is out of range (0 to 100000)"},
      {"10 rclick 5 y", "\"rclick\": coordinate Y is not a number: \"y\""},
      {"10 click 5", "\"click\" needs two coordinates X Y"},
  };
  for (const auto& b : bad) {
    const std::string events = dir.Write("bad.events", std::string(b.Line) + "\n");
    r = RunPlayer({"--headless", "--events", events, script});
    EXPECT_EQ(r.ExitStatus, 2) << b.Line;
    EXPECT_TRUE(r.HasLine("pelto5: events file " + events + ":1: " + b.Reason + ": " + b.Line)) << Joined(r);
  }
}

TEST(CommandLine, AHeadlessRunStoppedByItsTimeLimitSaysSo) {
  TTempDir dir;
  const std::string script =
      dir.Write("g.pf5", MakeScript(ScriptWithPage({"Wait.TimeBreak=1", "Wait.Time=60000", "@Wait"})));
  TPlayerResult r = RunPlayer({"--headless", "--max-time", "1000", script});
  EXPECT_EQ(r.ExitStatus, 3);
  EXPECT_TRUE(r.HasLine("headless: stopped by --max-time at 1000 ms")) << Joined(r);
  // A run that ends by itself says nothing of the kind.
  r = RunPlayer({"--headless", "--max-time", "100000", script});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(r.LinesStartingWith("headless: stopped").empty()) << Joined(r);
}

// The libraries a program names in its --version text, against those its
// dynamic section asks for: every library linked is named.
void ExpectVersionNamesTheLinkedLibraries(const std::string& program, const std::string& firstLine) {
  const std::string version = RunProgram({program, "--version"}).StdOut;
  EXPECT_EQ(version.substr(0, version.find('\n')), firstLine);
  // The libraries named in the dynamic section, one a line:
  // " 0x0000000000000001 (NEEDED)  Shared library: [libSDL2-2.0.so.0]".
  const TProgramResult dynamic = RunProgram({"readelf", "-d", program});
  ASSERT_EQ(dynamic.ExitStatus, 0) << dynamic.StdErr;
  std::string needed;
  for (const std::string& line : SplitLines(dynamic.StdOut)) {
    const size_t open = line.find('[');
    if (line.find("(NEEDED)") == std::string::npos || open == std::string::npos) continue;
    needed += line.substr(open + 1, line.find(']', open) - open - 1) + "\n";
  }
  ASSERT_FALSE(needed.empty());
  // The soname's beginning and how --version's line for it begins
  // (libjpeg may be libjpeg-turbo).
  const std::pair<const char*, const char*> known[] = {
      {"libSDL2-", "SDL2 "},           {"libSDL2_mixer", "SDL2_mixer "},    {"libfreetype", "FreeType "},
      {"libfontconfig", "fontconfig "}, {"libpng", "libpng "},               {"libz.", "zlib "},
      {"libjpeg", "libjpeg"},           {"libgif", "giflib "},               {"libavformat", "libavformat "},
      {"libavcodec", "libavcodec "},    {"libavutil", "libavutil "},         {"libswresample", "libswresample "},
      {"libfluidsynth", "FluidSynth "},
  };
  // The C and C++ run-time and the sanitizers are no libraries of ours.
  const char* runtime[] = {"libc.", "libm.", "libstdc++", "libgcc_s", "libdl.", "libpthread", "ld-linux",
                           "libasan", "libubsan", "librt."};
  std::istringstream lines(needed);
  std::string soname;
  while (std::getline(lines, soname)) {
    bool skip = false;
    for (const char* r : runtime) skip = skip || soname.rfind(r, 0) == 0;
    if (skip) continue;
    const char* name = nullptr;
    for (const auto& [prefix, shown] : known) {
      if (soname.rfind(prefix, 0) == 0) name = shown;
    }
    ASSERT_NE(name, nullptr) << program << " links " << soname << ", which --version does not know";
    EXPECT_NE(version.find(std::string("\n  ") + name), std::string::npos)
        << program << " links " << soname << " but --version says:\n" << version;
  }
}

TEST(CommandLine, VersionNamesEveryLibraryTheProgramsLink) {
#ifdef _WIN32
  GTEST_SKIP() << "the Windows programs link their libraries statically: they have no list of libraries to read";
#endif
  if (FindProgram("readelf").empty()) GTEST_SKIP() << "needs readelf (binutils)";
  ExpectVersionNamesTheLinkedLibraries(PELTO5_PLAYER, "pelto5 " PELTO5_TEST_VERSION);
  ExpectVersionNamesTheLinkedLibraries(PELTO5_PACK, "pelto5-pack " PELTO5_TEST_VERSION);
}

}  // namespace
}  // namespace pelto5::test
