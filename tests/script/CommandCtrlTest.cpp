#include "script/CommandCtrl.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "base/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "script/PeltoCommand.h"
#include "script/PeltoFile.h"

namespace pelto5 {
namespace {

THeadlessOptions QuietOptions() {
  THeadlessOptions options;
  options.EchoToStderr = false;
  return options;
}

std::string Sjis(const char* utf8) { return sjis::FromUtf8(utf8); }

// A script with book "B" holding page "P" with the given lines.
std::string PageScript(const std::vector<std::string>& lines) {
  std::string text = "<Book=\"B\">\r\n<Page=\"P\">\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text + "<Page End>\r\n<Book End>\r\n";
}

const std::string kTooMany = "message (error, ok): １ページあたりのコマンド数が多すぎます";

class CommandCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&FPlatform);
    FCtrl.SetFile(&FFile);
  }
  void TearDown() override { InstallPlatform(nullptr); }

  void LoadPage(const std::vector<std::string>& lines) {
    FFile.LoadFromStream(PageScript(lines));
    FCtrl.SetBookName("B");
    FCtrl.SetPageName("P");
  }
  std::vector<int> Levels() {
    std::vector<int> levels;
    for (int i = 0; i < FCtrl.GetCommandCount(); ++i) levels.push_back(FCtrl.GetCommandLevel(i));
    return levels;
  }
  const std::vector<std::string>& Messages() const { return FPlatform.OutputLines(); }

  THeadlessPlatform FPlatform{QuietOptions()};
  TPeltoFile FFile;
  TCommandCtrl FCtrl;
};

TEST(CommandTypeOf, KnowsEveryCommandOfTheTableExactly) {
  const char* names[] = {"@rem",        "@if",          "@else",          "@endif",
                         "@MessageDraw", "@GraphicDraw", "@Effect",        "@Music",
                         "@Sound",      "@MusicStop",   "@ValueCtrl",     "@StringCtrl",
                         "@LayerCtrl",  "@GraphicCtrl", "@Wait",          "@Select",
                         "@Move",       "@Call",        "@Return",        "@DynamicLayer",
                         "@DynamicLayerClear", "@WindowShow", "@StringInput", "@SaveCtrl",
                         "@System"};
  int32_t type = 1;
  for (const char* name : names) EXPECT_EQ(TCommandCtrl::CommandTypeOf(name), type++) << name;
  EXPECT_EQ(TCommandCtrl::CommandTypeOf("@Wait"), TCommandCtrl::ctWait);
  EXPECT_EQ(TCommandCtrl::CommandTypeOf("@System"), TCommandCtrl::ctSystem);
  for (const char* other : {"@wait", "@Wait x", "@Wait ", "Wait", "@", "", "@REM", "@Musicstop",
                            "@DynamicLayerClear2"}) {
    EXPECT_EQ(TCommandCtrl::CommandTypeOf(other), TCommandCtrl::ctUnknown) << other;
  }
}

TEST_F(CommandCtrlTest, CommandsAreTheirPropertyLinesClosedByACommandLine) {
  LoadPage({"MessageDraw.Text=Hello", "@MessageDraw", "Wait.Time=500", "", "  Wait.TimeBreak=1",
            "@Wait", "trailing=1", "no command follows"});
  ASSERT_EQ(FCtrl.GetCommandCount(), 2);

  TPeltoCommand command;
  ASSERT_TRUE(FCtrl.GetCommand(0, command));
  EXPECT_EQ(command.CommandType, TCommandCtrl::ctMessageDraw);
  EXPECT_EQ(command.Level, 0);
  EXPECT_EQ(command.Properties, TStringList{"MessageDraw.Text=Hello"});
  EXPECT_EQ(command.CommandLine, "@MessageDraw");
  EXPECT_EQ(command.ReadString("MessageDraw.Text", ""), "Hello");

  ASSERT_TRUE(FCtrl.GetCommand(1, command));
  EXPECT_EQ(command.CommandType, TCommandCtrl::ctWait);
  // Property lines are kept exactly as written, blank and indented ones included.
  EXPECT_EQ(command.Properties, (TStringList{"Wait.Time=500", "", "  Wait.TimeBreak=1"}));
  EXPECT_EQ(command.ReadInteger("Wait.Time", 0), 500);
  EXPECT_EQ(command.ReadString("trailing", "-"), "-");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(CommandCtrlTest, CommandLinesAreRecognisedAfterTrimming) {
  LoadPage({"  @Wait  ", "\t@MessageDraw", "@wait", "@Wait x", Sjis("@表示")});
  ASSERT_EQ(FCtrl.GetCommandCount(), 5);
  TPeltoCommand command;
  ASSERT_TRUE(FCtrl.GetCommand(0, command));
  EXPECT_EQ(command.CommandType, TCommandCtrl::ctWait);
  EXPECT_EQ(command.CommandLine, "@Wait");
  EXPECT_TRUE(command.Properties.empty());
  ASSERT_TRUE(FCtrl.GetCommand(1, command));
  EXPECT_EQ(command.CommandType, TCommandCtrl::ctMessageDraw);
  for (int i = 2; i < 5; ++i) {
    ASSERT_TRUE(FCtrl.GetCommand(i, command));
    EXPECT_EQ(command.CommandType, TCommandCtrl::ctUnknown) << i;
  }
  EXPECT_EQ(command.CommandLine, Sjis("@表示"));
}

TEST_F(CommandCtrlTest, LevelsFollowIfElseEndifNesting) {
  LoadPage({"@if", "@MessageDraw", "@else", "@MessageDraw", "@endif", "@Wait"});
  EXPECT_EQ(Levels(), (std::vector<int>{0, 1, 0, 1, 0, 0}));

  LoadPage({"@if", "@if", "@Wait", "@else", "@endif", "@endif"});
  FCtrl.SetPageName("Q");  // force a rebuild for the new lines
  FCtrl.SetPageName("P");
  EXPECT_EQ(Levels(), (std::vector<int>{0, 1, 2, 1, 1, 0}));

  TPeltoCommand command;
  ASSERT_TRUE(FCtrl.GetCommand(2, command));
  EXPECT_EQ(command.Level, 2);

  // A stray endif drives the depth negative, and the commands after it too.
  FCtrl.SetPageName("Q");
  FFile.LoadFromStream(PageScript({"@Wait", "@endif", "@Wait", "@else"}));
  FCtrl.SetPageName("P");
  EXPECT_EQ(Levels(), (std::vector<int>{0, -1, -1, -2}));
}

TEST_F(CommandCtrlTest, OutOfRangeQueriesLeaveTheCommandUntouched) {
  LoadPage({"Wait.Time=1", "@Wait"});
  TPeltoCommand command;
  command.CommandType = 77;
  command.Level = 5;
  command.Properties = {"keep=1"};
  command.CommandLine = "@keep";
  EXPECT_FALSE(FCtrl.GetCommand(-1, command));
  EXPECT_FALSE(FCtrl.GetCommand(1, command));
  EXPECT_EQ(command.CommandType, 77);
  EXPECT_EQ(command.Level, 5);
  EXPECT_EQ(command.Properties, TStringList{"keep=1"});
  EXPECT_EQ(command.CommandLine, "@keep");
  EXPECT_EQ(FCtrl.GetCommandLevel(-1), -1);
  EXPECT_EQ(FCtrl.GetCommandLevel(1), -1);
  EXPECT_EQ(FCtrl.GetCommandLevel(0), 0);
}

TEST_F(CommandCtrlTest, CacheIsRebuiltOnlyWhenBookOrPageChanges) {
  LoadPage({"@Wait"});
  EXPECT_TRUE(FCtrl.CacheStale());
  EXPECT_EQ(FCtrl.GetCommandCount(), 1);
  EXPECT_FALSE(FCtrl.CacheStale());

  // New lines alone do not invalidate the cache, nor does setting the same names.
  FFile.LoadFromStream(PageScript({"@Wait", "@Wait", "@Wait"}));
  FCtrl.SetBookName("B");
  FCtrl.SetPageName("P");
  EXPECT_FALSE(FCtrl.CacheStale());
  EXPECT_EQ(FCtrl.GetCommandCount(), 1);

  FCtrl.SetBookName("Other");
  EXPECT_TRUE(FCtrl.CacheStale());
  EXPECT_EQ(FCtrl.GetCommandCount(), 0);  // a missing page has no commands
  FCtrl.SetBookName("B");
  EXPECT_EQ(FCtrl.GetCommandCount(), 3);
  EXPECT_EQ(FCtrl.BookName(), "B");
  EXPECT_EQ(FCtrl.PageName(), "P");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(CommandCtrlTest, WithoutAScriptEveryQueryReportsAndFindsNothing) {
  TCommandCtrl ctrl;
  ctrl.SetBookName("B");
  ctrl.SetPageName("P");
  EXPECT_EQ(ctrl.GetCommandCount(), 0);
  TPeltoCommand command;
  EXPECT_FALSE(ctrl.GetCommand(0, command));
  EXPECT_TRUE(ctrl.CacheStale());
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[0],
            "message (error, ok): Error : Make_CommandCache()\\nCan't access \"PeltoFile\"");
  EXPECT_EQ(Messages()[1], Messages()[0]);

  // Binding a script makes the next query build the cache.
  LoadPage({"@Wait"});
  ctrl.SetFile(&FFile);
  EXPECT_EQ(ctrl.GetCommandCount(), 1);
  EXPECT_EQ(Messages().size(), 2u);
}

std::vector<std::string> Commands(int count) { return std::vector<std::string>(count, "@Wait"); }

TEST_F(CommandCtrlTest, APageHoldsAtMostFiveHundredCommands) {
  // Exactly 500, the last on the page's last line.
  LoadPage(Commands(500));
  EXPECT_EQ(FCtrl.GetCommandCount(), 500);
  EXPECT_EQ(FCtrl.GetCommandLevel(499), 0);
  EXPECT_TRUE(Messages().empty());

  // 500 commands followed by any line: the limit is hit before that line.
  FCtrl.SetPageName("");
  std::vector<std::string> lines = Commands(500);
  lines.push_back("trailing");
  LoadPage(lines);
  EXPECT_EQ(FCtrl.GetCommandCount(), 0);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], kTooMany);
  EXPECT_TRUE(FCtrl.CacheStale());
  // Every query builds again and reports again; the page holds no commands,
  // so the run ends instead of executing a truncated page.
  TPeltoCommand command;
  command.CommandType = TCommandCtrl::ctRem;
  EXPECT_FALSE(FCtrl.GetCommand(0, command));
  EXPECT_EQ(command.CommandType, TCommandCtrl::ctRem);
  EXPECT_FALSE(FCtrl.GetCommand(499, command));
  EXPECT_EQ(Messages().size(), 3u);

  // 501 commands.
  FCtrl.SetPageName("");
  LoadPage(Commands(501));
  EXPECT_EQ(FCtrl.GetCommandCount(), 0);
  EXPECT_EQ(Messages().size(), 4u);

  // Another page ends it.
  FFile.LoadFromStream(PageScript(Commands(3)));
  FCtrl.SetPageName("");
  FCtrl.SetPageName("P");
  EXPECT_EQ(FCtrl.GetCommandCount(), 3);
  EXPECT_EQ(Messages().size(), 4u);
}

TEST_F(CommandCtrlTest, APageOfMoreLinesThanTheLimitHoldsNoCommand) {
  std::vector<std::string> lines(TCommandCtrl::kMaxPageLines - 1, "");
  lines.push_back("@rem");
  LoadPage(lines);
  EXPECT_EQ(FCtrl.GetCommandCount(), 1);
  EXPECT_EQ(FCtrl.GetCommandLineIndex(0), TCommandCtrl::kMaxPageLines - 1);
  EXPECT_TRUE(Messages().empty());

  FCtrl.SetPageName("");
  lines.insert(lines.begin(), "x=1");
  LoadPage(lines);
  EXPECT_EQ(FCtrl.GetCommandCount(), 0);
  EXPECT_EQ(Messages(), std::vector<std::string>{"message (error, ok): １ページあたりの行数が多すぎます"});
  EXPECT_TRUE(FCtrl.CacheStale());
}

TEST_F(CommandCtrlTest, DoubleByteBookPageAndPropertyNames) {
  const std::string book = Sjis("ソ表");  // trail bytes "\"
  const std::string page = Sjis("予定");
  FFile.LoadFromStream("<Book=\"" + book + "\">\r\n<Page=\"" + page + "\">\r\n" +
                       Sjis("ソ.表=能\r\n@Wait\r\n") + "<Page End>\r\n<Book End>\r\n");
  FCtrl.SetBookName(book);
  FCtrl.SetPageName(page);
  ASSERT_EQ(FCtrl.GetCommandCount(), 1);
  TPeltoCommand command;
  ASSERT_TRUE(FCtrl.GetCommand(0, command));
  EXPECT_EQ(command.ReadString(Sjis("ソ.表"), ""), Sjis("能"));
  EXPECT_TRUE(Messages().empty());
}

TEST(PeltoCommand, PropertyKeysIgnoreLetterCaseOnly) {
  TPeltoCommand command;
  command.Properties = {
      "no equals sign",
      "MessageDraw.Text =blank before",
      "MessageDraw.Text=Hello",
      "messagedraw.text=second",
      "Expr=a=b",
      "Wait.TimeBreak=2",
      "Wait.Empty=",
      "Wait.Hex=$10",
      // "ア" is 0x83 0x41: its trail byte is the letter "A".
      "\x83\x41=katakana",
  };
  EXPECT_EQ(command.ReadString("messagedraw.text", ""), "Hello");
  EXPECT_EQ(command.ReadString("MESSAGEDRAW.TEXT", ""), "Hello");
  EXPECT_EQ(command.ReadString("MessageDraw.Text ", "-"), "blank before");
  EXPECT_EQ(command.ReadString("no equals sign", "-"), "-");
  EXPECT_EQ(command.ReadString("expr", ""), "a=b");
  EXPECT_EQ(command.ReadString("\x83\x41", ""), "katakana");
  // The trail byte of a double-byte character is never folded.
  EXPECT_EQ(command.ReadString("\x83\x61", "-"), "-");

  EXPECT_TRUE(command.ReadBool("Wait.TimeBreak", false));
  EXPECT_FALSE(command.ReadBool("Wait.Empty", false));
  EXPECT_TRUE(command.ReadBool("Wait.Empty", true));
  EXPECT_EQ(command.ReadInteger("Wait.Hex", 0), 16);
  EXPECT_EQ(command.ReadInteger("Wait.Missing", 9), 9);
  EXPECT_EQ(command.ReadInteger("Expr", 9), 9);
}

}  // namespace
}  // namespace pelto5
