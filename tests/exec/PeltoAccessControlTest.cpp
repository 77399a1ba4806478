#include "exec/PeltoAccessControl.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "content/PackageTestSupport.h"
#include "exec/PeltoProcess.h"
#include "exec/PeltoProcessStack.h"
#include "base/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "script/CommandCtrl.h"
#include "script/PeltoFile.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

using test::MakeScript;
using test::ScriptWithPage;
using test::TTempDir;

THeadlessOptions Quiet() {
  THeadlessOptions o;
  o.EchoToStderr = false;
  // The player's own texts in Japanese, as the tests here spell them.
  o.Language = TLanguage::Japanese;
  return o;
}

class AccessControlTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallPlatform(&FPlatform); }
  void TearDown() override { InstallPlatform(nullptr); }
  THeadlessPlatform FPlatform{Quiet()};
  TTempDir FDir;
};

TEST_F(AccessControlTest, DataDirectoryFollowsTheContentNameOrTheSetting) {
  const std::string plain = FDir.Write("story.pf5", MakeScript(ScriptWithPage({"@rem"})));
  TPeltoAccessControl a;
  ASSERT_TRUE(a.Open(plain));
  EXPECT_EQ(a.ContentDirectory(), FDir.Path() + "/");
  EXPECT_EQ(a.DataDirectory(), FDir.Path() + "/story/");
  EXPECT_EQ(a.CommandCtrl().BookName(), sjis::FromUtf8("スタートブック"));
  EXPECT_EQ(a.Process().PlayerMode, TPeltoProcess::Idle);

  const std::string set = FDir.Write("set.pf5", MakeScript(ScriptWithPage({"@rem"}, {"DataDirectory=save"})));
  TPeltoAccessControl b;
  ASSERT_TRUE(b.Open(set));
  EXPECT_EQ(b.DataDirectory(), FDir.Path() + "/save/");

  // "." and empty components are ignored, a ".." that stays inside is fine.
  for (const char* setting : {"DataDirectory=.\\save\\", "DataDirectory=save\\\\", "DataDirectory=x\\..\\save"}) {
    const std::string odd = FDir.Write("odd.pf5", MakeScript(ScriptWithPage({"@rem"}, {setting})));
    TPeltoAccessControl d;
    ASSERT_TRUE(d.Open(odd));
    EXPECT_EQ(d.DataDirectory(), FDir.Path() + "/save/") << setting;
  }
  EXPECT_TRUE(FPlatform.OutputLines().empty());

  // A setting that would leave the content's folder is not followed, and
  // the refusal is reported.
  for (const char* setting : {"DataDirectory=..\\up", "DataDirectory=x\\..\\..\\up", "DataDirectory=\\up"}) {
    const std::string escape = FDir.Write("esc.pf5", MakeScript(ScriptWithPage({"@rem"}, {setting})));
    TPeltoAccessControl c;
    const size_t before = FPlatform.OutputLines().size();
    ASSERT_TRUE(c.Open(escape));
    EXPECT_EQ(c.DataDirectory(), FDir.Path() + "/esc/") << setting;
    ASSERT_EQ(FPlatform.OutputLines().size(), before + 1) << setting;
    EXPECT_NE(FPlatform.OutputLines().back().find("(error, ok)"), std::string::npos);
  }
}

TEST_F(AccessControlTest, FilesAreFoundInTheDataDirectoryFirstThenBesideTheContent) {
  const std::string plain = FDir.Write("story.pf5", MakeScript(ScriptWithPage({"@rem"})));
  FDir.Write("story/both.png", "data");
  FDir.Write("both.png", "content");
  FDir.Write("Only Here.WAV", "content");
  FDir.Write("story/sub/Deep.bmp", "deep");
  TPeltoAccessControl a;
  ASSERT_TRUE(a.Open(plain));
  EXPECT_EQ(a.FindDataFile("both.png"), FDir.Path() + "/story/both.png");
  // Names from scripts were made on a case-insensitive file system.
  EXPECT_EQ(a.FindDataFile("only here.wav"), FDir.Path() + "/Only Here.WAV");
  EXPECT_EQ(a.FindDataFile("SUB\\deep.BMP"), FDir.Path() + "/story/sub/Deep.bmp");
  EXPECT_EQ(a.FindDataFile("missing.png"), "No Entry");
  // Out of the data directory, but inside the content's folder.
  EXPECT_EQ(a.FindDataFile("..\\both.png"), FDir.Path() + "/both.png");
  EXPECT_EQ(a.FindDataFile(".\\sub\\\\.\\deep.bmp"), FDir.Path() + "/story/sub/Deep.bmp");
  EXPECT_EQ(a.FindDataFile("sub\\..\\both.png"), FDir.Path() + "/story/both.png");
  EXPECT_EQ(a.FindDataFile("..\\..\\both.png"), "No Entry");
  EXPECT_EQ(a.FindDataFile("sub\\..\\..\\..\\both.png"), "No Entry");
  EXPECT_EQ(a.FindDataFile("/etc/passwd"), "No Entry");
  EXPECT_EQ(a.FindDataFile("C:\\x.png"), "No Entry");
}

TEST_F(AccessControlTest, CallsAndReturnsKeepTheirFrames) {
  const std::string plain = FDir.Write("story.pf5", MakeScript(ScriptWithPage({"@rem"})));
  TPeltoAccessControl a;
  ASSERT_TRUE(a.Open(plain));
  a.SetNextCommandIndex(4);
  a.Process().StartWait();
  a.Process().EnableAnyKeyBreak();
  a.CallPageKeepState("B", "P");
  EXPECT_EQ(a.Process().PlayerMode, TPeltoProcess::Idle);
  EXPECT_EQ(a.NextCommandIndex(), 0);
  a.SetNextCommandIndex(2);
  a.CallPage("C", "Q");
  TStringList info;
  a.GetStackInfo(info);
  ASSERT_GE(info.size(), 5u);
  EXPECT_EQ(info[0], "Stack.BookName=C");
  EXPECT_EQ(info[3], "@StackBorder");
  EXPECT_EQ(info[4], "Stack.CommandIndex=2");

  ASSERT_TRUE(a.ReturnFromCall());
  EXPECT_EQ(a.CommandCtrl().PageName(), "P");
  EXPECT_EQ(a.NextCommandIndex(), 2);
  EXPECT_EQ(a.Process().PlayerMode, TPeltoProcess::Idle);
  ASSERT_TRUE(a.ReturnFromCall());
  EXPECT_EQ(a.NextCommandIndex(), 4);
  EXPECT_EQ(a.Process().PlayerMode, TPeltoProcess::Waiting);
  EXPECT_TRUE(a.Process().IsAnyKeyBreak());
  EXPECT_FALSE(a.ReturnFromCall());
}

TEST_F(AccessControlTest, TheRuntimeLibraryMustBeALibraryWithAScript) {
  const std::string plain = FDir.Write("story.pf5", MakeScript(ScriptWithPage({"@rem"})));
  TPeltoAccessControl a;
  ASSERT_TRUE(a.Open(plain));
  EXPECT_FALSE(a.OpenRuntimeLibrary(FDir.Path() + "/none.pml"));
  EXPECT_FALSE(a.OpenRuntimeLibrary(plain));
  EXPECT_TRUE(a.OpenRuntimeLibrary(std::string(PELTO5_BINARY_DIR) + "/peltort5.pml"));
  EXPECT_TRUE(a.PeltoFile().PageExists("_system", "_timer"));
  EXPECT_TRUE(a.PeltoFile().PageExists("_system", "_reload"));
}


// A package of the script "pelto.pf5" and a picture "bg.png", as bytes.
std::string SmallPackage() {
  return test::ArchiveHeaderBytes("PV5PKG") +
         test::PlainEntryBytes("pelto.pf5", MakeScript(ScriptWithPage({"@rem"}))) +
         test::PlainEntryBytes("bg.png", std::string(40, 'p')) + "EP";
}

struct TOpenResult {
  bool Opened = false;
  bool Terminated = false;
  std::string Reason;                // DamagedPackageReason()
  std::vector<std::string> Lines;    // the message lines written
};

// Writes bytes to path and opens it as content on a platform of its own.
TOpenResult OpenBytes(const std::string& path, const std::string& bytes) {
  test::WriteFileBytes(path, bytes);
  THeadlessPlatform platform(Quiet());
  TPlatform& previous = Platform();
  InstallPlatform(&platform);
  TOpenResult result;
  {
    TPeltoAccessControl a;
    result.Opened = a.Open(path);
    result.Reason = a.DamagedPackageReason();
  }
  result.Terminated = platform.Terminated();
  result.Lines = platform.OutputLines();
  InstallPlatform(&previous);
  return result;
}

TEST_F(AccessControlTest, APackageCutOffAnywhereIsDamagedNotAScript) {
  const std::string whole = SmallPackage();
  const std::string exe = "MZ" + std::string(100, '\x90') + std::string(255, '-') + "+";
  const std::string path = FDir.Path() + "/story.pp5";
  for (const std::string& intact : {whole, exe + whole}) {
    const TOpenResult r = OpenBytes(path, intact);
    EXPECT_TRUE(r.Opened);
    EXPECT_TRUE(r.Lines.empty()) << r.Lines.front();
  }

  const size_t scriptData = kPackageHeaderSize + kPackageEntryFixedSize + 9;
  const size_t pictureHeader = whole.find("LI", scriptData);
  for (const bool appended : {false, true}) {
    const std::string prefix = appended ? exe : "";
    for (size_t length = appended ? 0 : 10; length < whole.size(); ++length) {
      const std::string at = (appended ? "appended, " : "") + std::to_string(length) + " bytes";
      const TOpenResult r = OpenBytes(path, prefix + whole.substr(0, length));
      EXPECT_FALSE(r.Opened) << at;
      EXPECT_TRUE(r.Terminated) << at;
      ASSERT_EQ(r.Lines.size(), 1u) << at << ": " << r.Lines.back();
      EXPECT_EQ(r.Lines[0].rfind("message (error, ok): " + path + "\\nファイルが破損しています\\n[", 0), 0u)
          << at << ": " << r.Lines[0];
      // What is wrong names the entry it happened in.
      if (length > scriptData && length < pictureHeader) {
        EXPECT_EQ(r.Reason, "data of entry \"pelto.pf5\" at offset " +
                                std::to_string(prefix.size() + kPackageHeaderSize) + " runs past the end of the file")
            << at;
      } else if (length > pictureHeader + 7 + 6) {
        EXPECT_NE(r.Reason.find("entry \"bg.png\""), std::string::npos) << at << ": " << r.Reason;
      } else {
        EXPECT_FALSE(r.Reason.empty()) << at;
      }
    }
  }

  // An executable without a package is still read as a script (and found
  // not to be one).
  const TOpenResult plainExe = OpenBytes(path, "MZ" + std::string(600, 'x'));
  EXPECT_TRUE(plainExe.Reason.empty());
  ASSERT_FALSE(plainExe.Lines.empty());
  EXPECT_NE(plainExe.Lines.front().find("ファイルタイプが違います"), std::string::npos) << plainExe.Lines.front();
}

}  // namespace
}  // namespace pelto5
