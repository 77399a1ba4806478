// The installed player: `cmake --install` into a temporary prefix puts
// everything in its place and the installed player plays the demo from
// another folder; the Debian package names its dependencies; the manual
// pages describe every option --help lists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

bool Have(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

TEST(Install, InstalledPlayerPlaysTheDemoFromAnotherFolder) {
  if (!Have("cmake")) GTEST_SKIP() << "needs cmake";
  TTempDir dir;
  const std::string prefix = dir.Path() + "/usr";
  ASSERT_EQ(std::system(("env -u LD_PRELOAD cmake --install " + Quote(PELTO5_BINARY_DIR) + " --prefix " + Quote(prefix) +
                         " >/dev/null").c_str()),
            0);
  for (const char* file : {"bin/pelto5", "bin/pelto5-plugin-host", "bin/pelto5-pack", "share/pelto5/peltort5.pml",
                           "share/pelto5/demo.pp5", "share/applications/pelto5.desktop",
                           "share/mime/packages/pelto5.xml",
                           "share/icons/hicolor/48x48/apps/pelto5.png", "share/icons/hicolor/256x256/apps/pelto5.png",
                           "share/man/man1/pelto5.1", "share/man/man1/pelto5-pack.1"}) {
    EXPECT_TRUE(fs::is_regular_file(prefix + "/" + file)) << file;
  }
  // The sample image plug-in goes under the prefix like everything else.
  bool plugIn = false;
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(prefix + "/lib", ec)) {
    plugIn = plugIn || (entry.path().filename() == "ppm.spi" && entry.path().parent_path().filename() == "plugins");
  }
  EXPECT_TRUE(plugIn) << "no lib/.../pelto5/plugins/ppm.spi under " << prefix;
  EXPECT_NE(ReadFileText(prefix + "/share/applications/pelto5.desktop").find("MimeType=application/x-pelto5-package;"),
            std::string::npos);
  EXPECT_NE(ReadFileText(prefix + "/share/mime/packages/pelto5.xml").find("<glob pattern=\"*.pp5\"/>"),
            std::string::npos);

  // The demo copied into a folder of its own, played from a third one: the
  // library can only come from the installed share/pelto5/.
  fs::create_directories(dir.Path() + "/games");
  fs::create_directories(dir.Path() + "/games/demo");  // its data directory
  fs::create_directories(dir.Path() + "/elsewhere");
  fs::copy_file(prefix + "/share/pelto5/demo.pp5", dir.Path() + "/games/demo.pp5");
  const std::string events = dir.Write("events.txt",
                                       "5000 key space\n10000 key space\n"
                                       "15000 move 320 160\n15200 click 320 160\n17000 key enter\n"
                                       "18000 move 300 210\n18200 click 300 210\n"
                                       "21000 key space\n22000 key space\n39000 key space\n");
  const std::string dump = dir.Path() + "/dump.txt";
  const std::string err = dir.Path() + "/err.txt";
  const std::string command = "cd " + Quote(dir.Path() + "/elsewhere") + " && " + Quote(prefix + "/bin/pelto5") +
                              " --headless --events " + Quote(events) + " --dump-state " + Quote(dump) +
                              " --max-time 60000 ../games 2>" + Quote(err);
  EXPECT_EQ(std::system(command.c_str()), 0) << ReadFileText(err);
  EXPECT_EQ(ReadFileText(err).find("message"), std::string::npos) << ReadFileText(err);
  const std::string state = ReadFileText(dump);
  EXPECT_NE(state.find("[values]\n夜=2\n見回り=1\n[strings]\n名前=ナギ\n"), std::string::npos) << state;
  EXPECT_TRUE(fs::exists(dir.Path() + "/games/demo/p_save00.svi"));
}

// Every option --help names appears in the manual page, and the other way
// round (roff writes "-" as "\-").
std::set<std::string> OptionsIn(const std::string& text) {
  std::set<std::string> options;
  const std::regex option(R"((?:^|[^\w\\-])(--[a-z][a-z-]*))");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it) {
    options.insert((*it)[1].str());
  }
  return options;
}

std::string Unroff(std::string text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '-') {
      out += '-';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

TEST(Install, ManualPagesDescribeEveryOptionOfTheHelp) {
  const std::set<std::string> playerOptions = OptionsIn(RunPlayer({"--help"}).StdOut);
  EXPECT_TRUE(playerOptions.count("--save-dir")) << "--help lost its options";
  EXPECT_EQ(OptionsIn(Unroff(ReadFileText(std::string(PELTO5_SOURCE_DIR) + "/data/man/pelto5.1"))),
            playerOptions);
  std::string packHelp;
  for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
           {"--help"}, {"create", "--help"}, {"list", "--help"}, {"extract", "--help"}, {"cat", "--help"},
           {"verify", "--help"}}) {
    packHelp += RunPack(command).StdOut;
  }
  std::set<std::string> packOptions = OptionsIn(packHelp);
  std::set<std::string> manOptions =
      OptionsIn(Unroff(ReadFileText(std::string(PELTO5_SOURCE_DIR) + "/data/man/pelto5-pack.1")));
  packOptions.erase("--help");
  manOptions.erase("--help");
  EXPECT_TRUE(packOptions.count("--compress")) << "pelto5-pack --help lost its options";
  EXPECT_EQ(manOptions, packOptions);
}

TEST(Install, DebianPackageListsItsRuntimeDependencies) {
  if (!Have("cpack") || !Have("dpkg-deb") || !Have("dpkg-shlibdeps")) GTEST_SKIP() << "needs cpack and dpkg-dev";
  TTempDir dir;
  const std::string log = dir.Path() + "/cpack.log";
  // The packaging tools are not ours: a sanitizer runtime preloaded for the
  // test run must not reach them.
  ASSERT_EQ(std::system(("cd " + Quote(PELTO5_BINARY_DIR) + " && env -u LD_PRELOAD cpack -G DEB -B " + Quote(dir.Path()) + " >" +
                         Quote(log) + " 2>&1").c_str()),
            0)
      << ReadFileText(log);
  std::string deb;
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    if (entry.path().extension() == ".deb") deb = entry.path().string();
  }
  ASSERT_FALSE(deb.empty()) << ReadFileText(log);
  const std::string info = CaptureOutput("env -u LD_PRELOAD dpkg-deb --info " + Quote(deb));
  EXPECT_NE(info.find("Package: pelto5"), std::string::npos) << info;
  const std::string depends = CaptureOutput("env -u LD_PRELOAD dpkg-deb --field " + Quote(deb) + " Depends");
  // The font the message boxes are drawn with comes along, not only the libraries.
  for (const char* package : {"libsdl2-2.0-0", "libsdl2-mixer-2.0-0", "libfreetype6", "libfontconfig1", "libpng16-16",
                              "zlib1g", "fonts-ipafont-gothic"}) {
    EXPECT_NE(depends.find(package), std::string::npos) << package << " missing from: " << depends;
  }
  const std::string files = CaptureOutput("env -u LD_PRELOAD dpkg-deb --contents " + Quote(deb));
  EXPECT_NE(files.find("./usr/bin/pelto5\n"), std::string::npos) << files;
  EXPECT_NE(files.find("./usr/bin/pelto5-plugin-host\n"), std::string::npos) << files;
  EXPECT_NE(files.find("./usr/share/pelto5/peltort5.pml"), std::string::npos) << files;
  EXPECT_NE(files.find("/pelto5/plugins/ppm.spi"), std::string::npos) << files;
  EXPECT_EQ(files.find("./usr/local/"), std::string::npos) << files;
}

}  // namespace
}  // namespace pelto5::test
