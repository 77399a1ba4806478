#include "script/VariableCtrl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "content/PackageReader.h"
#include "content/PackageWriter.h"
#include "base/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "script/PeltoFile.h"

namespace pelto5 {
namespace {

THeadlessOptions Quiet() {
  THeadlessOptions options;
  options.EchoToStderr = false;
  return options;
}

// Test texts are written in UTF-8 and used as Shift-JIS.
std::string Sjis(const char* utf8) { return sjis::FromUtf8(utf8); }

class VariableCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallPlatform(&FPlatform); }
  void TearDown() override { InstallPlatform(nullptr); }
  const std::vector<std::string>& Messages() const { return FPlatform.OutputLines(); }

  THeadlessPlatform FPlatform{Quiet()};
};

TEST_F(VariableCtrlTest, ExpandTextReplacesStringsThenValues) {
  TVariableCtrl vars;
  vars.Set_Text("$name$", "Taro");
  vars.Set_Value("%score%", 5);
  bool failed = true;
  EXPECT_EQ(vars.ExpandText("$name$ has %score% points", failed), "Taro has 5 points");
  EXPECT_FALSE(failed);

  // A string holding a value reference is expanded in the value pass.
  vars.Set_Text("$s$", "%score%");
  EXPECT_EQ(vars.ExpandText("[$s$]"), "[5]");
  // What the string pass produced is not scanned for "$" again.
  vars.Set_Text("$t$", "a$b");
  EXPECT_EQ(vars.ExpandText("$t$ and %n%"), "a$b and 0");
  // So a string naming itself, or two naming each other, expand once.
  vars.Set_Text("$self$", "<$self$>");
  EXPECT_EQ(vars.ExpandText("$self$"), "<$self$>");
  vars.Set_Text("$a$", "$b$");
  vars.Set_Text("$b$", "$a$");
  EXPECT_EQ(vars.ExpandText("$a$$b$"), "$b$$a$");
  // Japanese text around the references passes through unchanged.
  vars.Set_Text(Sjis("$名前$"), Sjis("太郎"));
  EXPECT_EQ(vars.ExpandText(Sjis("ようこそ$名前$さん。ソ表示")), Sjis("ようこそ太郎さん。ソ表示"));
  EXPECT_EQ(vars.ExpandText("no references"), "no references");
  EXPECT_EQ(vars.ExpandText(""), "");
}

TEST_F(VariableCtrlTest, ExpandTextReportsUnpairedDelimiters) {
  TVariableCtrl vars;
  const std::string percentError = Sjis("メッセージ解析エラー：\"%\"の数が合いません。");
  const std::string dollarError = Sjis("メッセージ解析エラー：\"$\"の数が合いません。");
  bool failed = false;
  EXPECT_EQ(vars.ExpandText("100%", failed), percentError);
  EXPECT_TRUE(failed);
  EXPECT_EQ(vars.ExpandText("$a$ costs $3", failed), dollarError);
  EXPECT_TRUE(failed);
  // The "%" a string brings in counts too.
  vars.Set_Text("$rate$", "100%");
  EXPECT_EQ(vars.ExpandText("$rate$", failed), percentError);
  EXPECT_TRUE(failed);
  // An empty name is a variable like any other.
  EXPECT_EQ(vars.ExpandText("50%% off", failed), "500 off");
  EXPECT_FALSE(failed);
  EXPECT_EQ(vars.ExpandText("<$$>", failed), "<>");
  EXPECT_FALSE(failed);
}

TEST_F(VariableCtrlTest, GetValueTakesLiteralsOrDelimitedNames) {
  TVariableCtrl vars;
  vars.SetValueByName("score", 77);
  EXPECT_EQ(vars.GetValue("42"), 42);
  EXPECT_EQ(vars.GetValue("-7"), -7);
  EXPECT_EQ(vars.GetValue("$10"), 16);
  EXPECT_EQ(vars.GetValue("abc"), 0);
  EXPECT_EQ(vars.GetValue(""), 0);
  EXPECT_EQ(vars.GetValue("%unset%"), 0);
  EXPECT_EQ(vars.GetValue("%score%"), 77);
  EXPECT_EQ(vars.GetValue("%score!"), 77);  // the last character is dropped unchecked
  EXPECT_EQ(vars.GetValue("%"), vars.GetValueByName(""));
  EXPECT_EQ(vars.GetValue("%@Version%"), 3100);
  EXPECT_EQ(vars.GetValue("%@CommandVersion%"), 19);
  // A value variable whose text is not a number reads as 0.
  vars.FValueVars.push_back("broken=1a");
  EXPECT_EQ(vars.GetValueByName("broken"), 0);
}

TEST_F(VariableCtrlTest, NamesIgnoreLetterCaseAndKeepTheirPlace) {
  TVariableCtrl vars;
  vars.Set_Value("%a%", 1);
  vars.Set_Value("%b%", 2);
  vars.Set_Value("%A%", 3);
  EXPECT_EQ(vars.GetValueByName("a"), 3);
  TStringList list = {"kept"};
  vars.CopyValueVars(list);
  EXPECT_EQ(list, (TStringList{"kept", "A=3", "b=2"}));
  vars.Set_Text("$Name$", "x");
  vars.Set_Text("$NAME$", "y");
  EXPECT_EQ(vars.GetTextByName("name"), "y");
  EXPECT_EQ(vars.FStringVars.size(), 1u);
  // Values and strings are separate name spaces.
  EXPECT_EQ(vars.GetTextByName("a"), "");
  // Japanese names compare byte for byte.
  vars.SetValueByName(Sjis("得点"), 10);
  EXPECT_EQ(vars.GetValue(Sjis("%得点%")), 10);
  EXPECT_EQ(vars.GetValueByName(Sjis("得")), 0);
}

TEST_F(VariableCtrlTest, BadReferencesAreReportedAndStoreNothing) {
  TVariableCtrl vars;
  vars.Set_Value("score", 1);
  vars.Set_Text("name", "x");
  vars.Set_Value("", 1);
  EXPECT_TRUE(vars.FValueVars.empty());
  EXPECT_TRUE(vars.FStringVars.empty());
  ASSERT_EQ(Messages().size(), 3u);
  EXPECT_EQ(Messages()[0],
            "message (none, ok): debug - TVariableCtrl::Set_Value()\\nsyntax error : VarName=score");
  EXPECT_EQ(Messages()[1],
            "message (none, ok): debug - TVariableCtrl::Set_Text()\\nsyntax error : VarName=name");
  EXPECT_EQ(Messages()[2], "message (none, ok): debug - TVariableCtrl::Set_Value()\\nsyntax error : VarName=");
}

TEST_F(VariableCtrlTest, BuiltInsCannotBeSetAndUnstorableNamesAreIgnored) {
  TVariableCtrl vars;
  vars.Set_Value(Sjis("%@乱数%"), 1);
  vars.Set_Value("%@Version%", 1);
  vars.Set_Text("$@ScriptFile$", "x");
  // A name holding "=" could never be found again; it is not stored.
  vars.Set_Value("%a=b%", 1);
  vars.Set_Value("%a=b%", 2);
  EXPECT_TRUE(vars.FValueVars.empty());
  EXPECT_TRUE(vars.FStringVars.empty());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(vars.GetValueByName("@Version"), 3100);
  EXPECT_EQ(vars.GetTextByName("@ScriptFile"), "unknown file");
  EXPECT_EQ(vars.GetValue("%a=b%"), 0);
}

TEST_F(VariableCtrlTest, DateAndTimeComeFromTheLocalClock) {
  TVariableCtrl vars;
  // 2000-01-01 00:00:00 is a Saturday; one day, 13 h 2 min 3 s later.
  FPlatform.AdvanceClock(((24 + 13) * 3600 + 2 * 60 + 3) * 1000);
  EXPECT_EQ(vars.GetValueByName(Sjis("@年月日")), 20000102);
  EXPECT_EQ(vars.GetValueByName(Sjis("@年")), 2000);
  EXPECT_EQ(vars.GetValueByName(Sjis("@月")), 1);
  EXPECT_EQ(vars.GetValueByName(Sjis("@日")), 2);
  EXPECT_EQ(vars.GetValueByName(Sjis("@時分秒")), 130203);
  EXPECT_EQ(vars.GetValueByName(Sjis("@時")), 13);
  EXPECT_EQ(vars.GetValueByName(Sjis("@分")), 2);
  EXPECT_EQ(vars.GetValueByName(Sjis("@秒")), 3);
  EXPECT_EQ(vars.GetTextByName(Sjis("@曜日")), Sjis("日"));
  EXPECT_EQ(vars.ExpandText(Sjis("%@月%月%@日%日($@曜日$)")), Sjis("1月2日(日)"));

  const char* const weekdays[] = {"月", "火", "水", "木", "金", "土", "日"};
  for (const char* day : weekdays) {
    FPlatform.AdvanceClock(24 * 3600 * 1000);
    EXPECT_EQ(vars.GetTextByName(Sjis("@曜日")), Sjis(day));
  }
  // Names are exact: another spelling is an unknown built-in.
  EXPECT_EQ(vars.GetValueByName("@version"), 0);
  EXPECT_EQ(vars.GetValueByName("@Nothing"), 0);
  EXPECT_EQ(vars.GetTextByName("@Nothing"), "");
  EXPECT_EQ(vars.GetTextByName("@Version"), "");
  EXPECT_EQ(vars.GetValueByName(Sjis("@曜日")), 0);
}

TEST_F(VariableCtrlTest, ElapsedTimeCountsWholeSecondsSinceConstruction) {
  FPlatform.AdvanceClock(7300);
  TVariableCtrl vars;
  const std::string elapsed = Sjis("@経過時間");
  EXPECT_EQ(vars.GetValueByName(elapsed), 0);
  FPlatform.AdvanceClock(1500);
  EXPECT_EQ(vars.GetValueByName(elapsed), 1);
  FPlatform.AdvanceClock(1000);
  EXPECT_EQ(vars.GetValueByName(elapsed), 2);
  // Across the wrap of the tick counter.
  FPlatform.AdvanceClock(0xFFFFFFFFu - FPlatform.GetTickCount() + 1 + 4000);
  EXPECT_EQ(FPlatform.GetTickCount(), 4000u);
  EXPECT_EQ(vars.GetValueByName(elapsed), static_cast<int32_t>((0x100000000ull + 4000 - 7300) / 1000));
}

TEST_F(VariableCtrlTest, RandomNumbersAreUniformOverTheRangeAndSeedable) {
  const std::string random = Sjis("@乱数");
  TVariableCtrl a;
  TVariableCtrl b;
  a.Randomize(20240101);
  b.Randomize(20240101);
  std::vector<int> buckets(10, 0);
  int low = 1000, high = -1;
  constexpr int kDraws = 100000;
  for (int i = 0; i < kDraws; ++i) {
    const int32_t value = a.GetValueByName(random);
    ASSERT_EQ(value, b.GetValueByName(random));
    ASSERT_GE(value, 0);
    ASSERT_LT(value, TVariableCtrl::FRandomMax);
    ++buckets[value / 100];
    low = std::min(low, value);
    high = std::max(high, value);
  }
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 999);
  for (int count : buckets) {
    EXPECT_GT(count, kDraws / 10 - 600);
    EXPECT_LT(count, kDraws / 10 + 600);
  }
  b.Randomize(7);
  int same = 0;
  for (int i = 0; i < 100; ++i) same += a.GetValueByName(random) == b.GetValueByName(random);
  EXPECT_LT(same, 10);
}

TEST_F(VariableCtrlTest, HeaderValuesAndTheScriptFileName) {
  TPeltoFile file;
  file.LoadFromStream(Sjis("///\r\n///\r\n<Head=\"Pelto\">\r\nTitle=My Game\r\nImageWidth=800\r\n"
                           "<Head End>\r\n<Head=\"設定\">\r\n名前=値\r\n<Head End>\r\n"));
  TVariableCtrl vars;
  EXPECT_EQ(vars.GetTextByName("@Pelto:Title"), "");  // no script bound yet
  EXPECT_EQ(vars.GetValueByName("@Pelto:ImageWidth"), 0);
  vars.FFile = &file;
  EXPECT_EQ(vars.GetTextByName("@Pelto:Title"), "My Game");
  EXPECT_EQ(vars.GetValueByName("@Pelto:ImageWidth"), 800);
  EXPECT_EQ(vars.GetValueByName("@Pelto:Title"), 0);
  EXPECT_EQ(vars.GetTextByName("@Pelto:Missing"), "");
  EXPECT_EQ(vars.GetTextByName("@Pelto"), "");
  EXPECT_EQ(vars.GetTextByName(Sjis("@設定:名前")), Sjis("値"));
  EXPECT_EQ(vars.ExpandText("$@Pelto:Title$ (%@Pelto:ImageWidth%)"), "My Game (800)");

  EXPECT_EQ(vars.GetTextByName("@ScriptFile"), "unknown file");
  vars.FScriptFileName = "game.pp5";
  EXPECT_EQ(vars.ExpandText("$@ScriptFile$"), "game.pp5");
}

// Saving and loading through a real save container.
class VariableSaveTest : public VariableCtrlTest {
 protected:
  void SetUp() override {
    VariableCtrlTest::SetUp();
    FDir = std::filesystem::temp_directory_path() /
           ("pelto5-vars-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(FDir);
    FPath = (FDir / "save.sav").generic_string();
  }
  void TearDown() override {
    std::filesystem::remove_all(FDir);
    VariableCtrlTest::TearDown();
  }
  std::filesystem::path FDir;
  std::string FPath;
};

TEST_F(VariableSaveTest, VariablesRoundTripInListOrder) {
  TVariableCtrl vars;
  vars.Set_Value("%a%", 1);
  vars.Set_Value("%b%", 2);
  vars.Set_Value("%a%", 3);
  vars.Set_Text(Sjis("$名前$"), Sjis("太郎"));
  {
    PackageWriter writer;
    ASSERT_TRUE(SetWriterMagic(writer, "PV5SAVE"));
    ASSERT_TRUE(CreatePackage(writer, FPath));
    ASSERT_TRUE(vars.SaveVariables(writer));
    ASSERT_TRUE(FinishPackage(writer));
  }
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FPath, reader));
  std::string raw;
  ASSERT_TRUE(ExtractEntry(reader, "valuevar.info", raw));
  EXPECT_EQ(raw, "a=3\r\nb=2\r\n");
  ASSERT_TRUE(ExtractEntry(reader, "stringvar.info", raw));
  EXPECT_EQ(raw, Sjis("名前=太郎") + "\r\n");

  TVariableCtrl loaded;
  loaded.SetValueByName("old", 9);
  loaded.LoadVariables(reader);
  ClosePackage(reader);
  EXPECT_EQ(loaded.FValueVars, vars.FValueVars);
  EXPECT_EQ(loaded.FStringVars, vars.FStringVars);
  EXPECT_EQ(loaded.GetValueByName("old"), 0);
}

TEST_F(VariableSaveTest, MissingEntryKeepsThatList) {
  {
    PackageWriter writer;
    ASSERT_TRUE(SetWriterMagic(writer, "PV5SAVE"));
    ASSERT_TRUE(CreatePackage(writer, FPath));
    ASSERT_TRUE(AddEntryFromStrings(writer, {"x=5"}, "valuevar.info"));
    ASSERT_TRUE(FinishPackage(writer));
  }
  TVariableCtrl vars;
  vars.SetValueByName("x", 1);
  vars.SetTextByName("s", "kept");
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FPath, reader));
  vars.LoadVariables(reader);
  ClosePackage(reader);
  EXPECT_EQ(vars.GetValueByName("x"), 5);
  EXPECT_EQ(vars.GetTextByName("s"), "kept");
}

}  // namespace
}  // namespace pelto5
