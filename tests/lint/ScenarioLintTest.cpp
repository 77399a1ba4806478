// pelto5 --check: a scenario with one fault of each kind gives exactly the
// expected findings; the bundled demo and the runtime library check clean;
// the JSON form carries the same findings; --no-CHECK leaves one check out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "graphics/LayerCtrl.h"
#include "graphics/ScreenControl.h"
#include "lint/NearestName.h"
#include "lint/ScenarioLint.h"
#include "script/CommandCtrl.h"
#include "script/CommandKeys.h"
#include "script/PeltoFile.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

using TFinding = std::tuple<int, std::string, std::string>;  // line, severity, check

const std::string kBuild = PELTO5_BINARY_DIR;

// The script lines after the two "///" lines, which are lines 1 and 2.
std::vector<std::string> FaultyScript() {
  return {
      "<Head=\"Pelto\">",                         // 3
      "FileType=PV5",                             // 4
      "CommandVersion=20",                        // 5  header: newer than 19
      "FontName=NoSuchFontPelto5Check",           // 6  resources: font not installed
      "<Head End>",                               // 7
      "<Book=\"スタートブック\">",                // 8
      "<Page=\"スタートページ\">",                // 9
      "MesageDraw.Text=hello",                    // 10 commands: unknown key
      "@MessageDraw",                             // 11
      "Wait.Time=abc",                            // 12 commands: not a number
      "Wait.Time=5",                              // 13 commands: given twice
      "@Wait",                                    // 14
      "@Wiat",                                    // 15 commands: unknown command
      "GraphicDraw.FileName=missing.png",         // 16 resources: no source
      "@GraphicDraw",                             // 17
      "GraphicDraw.FileName=photo.xyz",           // 18 resources: no decoder
      "@GraphicDraw",                             // 19
      "Music.FileName=nosound.ogg",               // 20 resources: no sound file
      "@Music",                                   // 21
      "MessageDraw.Text=50% off",                 // 22 variables: unpaired %
      "MessageDraw.Effect=none",                  // 23 commands: not a keyword
      "@MessageDraw",                             // 24
      "ValueCtrl.ValueVar=%unused%",              // 25 variables: never read
      "ValueCtrl.LeftValue=%never%",              // 26 variables: never written
      "@ValueCtrl",                               // 27
      "@if",                                      // 28 structure: no @endif
      "Call.BookName=スタートブック",             // 29
      "Call.PageName=なし",                       // 30 targets: no such page
      "@Call",                                    // 31
      "Move.BookName=スタートブック",             // 32
      "Move.PageName=次",                         // 33
      "@Move",                                    // 34
      "@Return",                                  // 35 structure: never runs
      "stray",                                    // 36 structure: after the last command
      "<Page End>",                               // 37
      "<Page=\"次\">",                            // 38
      "GraphicDraw.FileName=night.png",           // 39
      "@GraphicDraw",                             // 40
      "<Page End>",                               // 41
      "<Page=\"孤立\">",                          // 42 targets: never reached
      "@rem",                                     // 43
      "<Page End>",                               // 44
      "<Book End>",                               // 45
      "<Page End>",                               // 46 structure: end without start
  };
}

const std::vector<TFinding> kExpected = {
    {5, "error", "header"},      {6, "warning", "resources"}, {10, "warning", "commands"},
    {12, "warning", "commands"}, {13, "warning", "commands"}, {15, "error", "commands"},
    {16, "error", "resources"},  {18, "error", "resources"},  {20, "error", "resources"},
    {22, "error", "variables"},  {23, "warning", "commands"}, {25, "note", "variables"},
    {26, "note", "variables"},   {28, "error", "structure"},  {30, "error", "targets"},
    {35, "warning", "structure"}, {36, "warning", "structure"}, {42, "note", "targets"},
    {46, "error", "structure"},
};

// A scenario folder with the faulty script, one picture the player reads
// and one it cannot decode.
struct TFaultyScenario {
  TTempDir Dir;
  std::string Path;
  TFaultyScenario() {
    Path = Dir.Write("story.pf5", MakeScript(FaultyScript()));
    Dir.Write("night.png", ReadFileText(std::string(PELTO5_SOURCE_DIR) + "/data/demo/night.png"));
    Dir.Write("photo.xyz", "not a picture of any kind");
  }
};

std::vector<TFinding> Findings(const TDiagnosticList& list) {
  std::vector<TFinding> out;
  for (const TDiagnostic& d : list.Items()) {
    out.emplace_back(d.Line, TDiagnosticList::SeverityName(d.Severity), d.Check);
  }
  return out;
}

std::string Dump(const TDiagnosticList& list) {
  std::string out;
  for (const TDiagnostic& d : list.Items()) {
    out += d.File + ":" + std::to_string(d.Line) + ": " + TDiagnosticList::SeverityName(d.Severity) + ": " +
           d.Message + " [" + d.Check + "]\n";
  }
  return out;
}

TLintOptions Options() {
  TLintOptions options;
  options.LibraryPath = kBuild + "/peltort5.pml";
  return options;
}

TEST(ScenarioLint, OneFaultOfEachKindGivesExactlyTheExpectedFindings) {
  TFaultyScenario scenario;
  TScenarioLint lint(Options());
  lint.Run(scenario.Path);
  const TDiagnosticList& list = lint.Diagnostics();
  EXPECT_EQ(Findings(list), kExpected) << Dump(list);
  EXPECT_EQ(lint.ExitStatus(), 1);
  for (const TDiagnostic& d : list.Items()) EXPECT_EQ(d.File, scenario.Path);

  // The messages name what is wrong and, for typos, the nearest name.
  const std::string text = Dump(list);
  EXPECT_NE(text.find(":10: warning: unknown key \"MesageDraw.Text\" for @MessageDraw; did you mean "
                      "\"MessageDraw.Text\"?"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(":13: warning: key \"Wait.Time\" given twice; the player uses the first one, at line 12"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("unknown command \"@Wiat\"; did you mean \"@Wait\"?"), std::string::npos) << text;
  EXPECT_NE(text.find("goes to page \"なし\" of book \"スタートブック\", which does not exist"), std::string::npos)
      << text;
  EXPECT_NE(text.find("picture \"missing.png\" is not in"), std::string::npos) << text;
  EXPECT_NE(text.find("picture \"photo.xyz\" is present, but the player cannot decode it"), std::string::npos)
      << text;
  EXPECT_NE(text.find("value variable \"never\" is read but never written"), std::string::npos) << text;
  EXPECT_NE(text.find("page \"孤立\" of book \"スタートブック\" is never reached"), std::string::npos) << text;
}

TEST(ScenarioLint, TheBundledDemoAndTheRuntimeLibraryCheckClean) {
  for (const std::string& content : {kBuild + "/demo.pp5", kBuild + "/peltort5.pml",
                                    std::string(PELTO5_SOURCE_DIR) + "/data/demo/pelto.pf5"}) {
    TScenarioLint lint(Options());
    lint.Run(content);
    EXPECT_TRUE(lint.Diagnostics().Items().empty()) << content << "\n" << Dump(lint.Diagnostics());
    EXPECT_EQ(lint.ExitStatus(), 0);
  }
}

TEST(ScenarioLint, AGameFolderIsCheckedAsThePlayerWouldPlayIt) {
  TTempDir dir;
  std::filesystem::copy_file(kBuild + "/demo.pp5", dir.Path() + "/Demo.PP5");
  TScenarioLint clean(Options());
  clean.Run(dir.Path());
  EXPECT_TRUE(clean.Diagnostics().Items().empty()) << Dump(clean.Diagnostics());
  EXPECT_EQ(clean.ExitStatus(), 0);
  // Two packages: the player would ask which; so does the check.
  std::filesystem::copy_file(kBuild + "/demo.pp5", dir.Path() + "/other.pp5");
  TScenarioLint twice(Options());
  twice.Run(dir.Path());
  ASSERT_EQ(twice.Diagnostics().Items().size(), 1u) << Dump(twice.Diagnostics());
  EXPECT_NE(Dump(twice.Diagnostics()).find("other.pp5"), std::string::npos) << Dump(twice.Diagnostics());
  EXPECT_EQ(twice.ExitStatus(), 1);
}

TEST(ScenarioLint, StructureFaultsAreAllReportedAndTheRestIsStillChecked) {
  TTempDir dir;
  // The player stops reading at line 12; the check reports what follows too.
  const std::string path = dir.Write(
      "s.pf5", MakeScript({"<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19", "<Head End>",  // 3-6
                           "<Book=\"スタートブック\">", "<Page=\"スタートページ\">",              // 7-8
                           "@else", "@endif", "<Page End>", "<Style=1>",                          // 9-12
                           "<Page=\"残り\">", "<Page=\"二重\">", "<Book End>"}));              // 13-15
  TScenarioLint lint(Options());
  lint.Run(path);
  const std::vector<TFinding> expected = {{9, "error", "structure"},  {10, "error", "structure"},
                                          {12, "error", "structure"}, {14, "error", "structure"},
                                          {14, "error", "structure"}};
  EXPECT_EQ(Findings(lint.Diagnostics()), expected) << Dump(lint.Diagnostics());
}

TEST(ScenarioLint, ButtonsSaveValuesNumberedKeysAndOverfullPages) {
  TTempDir dir;
  std::vector<std::string> lines = {
      "<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19", "StartBook=B", "StartPage=P", "<Head End>",  // 3-8
      "<Book=\"B\">", "<Page=\"P\">",                                                                  // 9-10
      "DynamicLayer.Type=Text", "DynamicLayer.Text.Text=$who$ hi", "DynamicLayer.Clickable.Mode=All",      // 11-13
      "DynamicLayer.Clickable.BookName=B", "DynamicLayer.Clickable.PageName=Q2", "@DynamicLayer",          // 14-16
      "SaveCtrl.Command=LoadValue", "SaveCtrl.Variable=score", "@SaveCtrl",                               // 17-19
      "Select.Text1=a", "Select.Page1=big", "Select.Txt2=b", "@Select", "<Page End>",                     // 20-24
      "<Page=\"big\">"};                                                                                 // 25
  lines.insert(lines.end(), 501, "@rem");
  lines.insert(lines.end(), {"<Page End>", "<Book End>"});
  TScenarioLint lint(Options());
  lint.Run(dir.Write("t.pf5", MakeScript(lines)));
  const std::vector<TFinding> expected = {{12, "note", "variables"},   {15, "error", "targets"},
                                          {18, "error", "variables"},  {22, "warning", "commands"},
                                          {25, "error", "structure"}};
  EXPECT_EQ(Findings(lint.Diagnostics()), expected) << Dump(lint.Diagnostics());
  const std::string text = Dump(lint.Diagnostics());
  EXPECT_NE(text.find("\"score\" is not a variable written %name% or $name$"), std::string::npos) << text;
  EXPECT_NE(text.find("did you mean \"Select.Text2\"?"), std::string::npos) << text;
}

// Every command, each used as the player takes it: "@Effect", "@GraphicCtrl"
// and "@WindowShow" for their pause, "if.VariableType=Text" for a text
// comparison. Nothing of it is a finding, not even a note.
TEST(ScenarioLint, ACleanScenarioUsingEveryCommandGivesNoFindingAtAll) {
  TTempDir dir;
  dir.Write("bg.png", ReadFileText(std::string(PELTO5_SOURCE_DIR) + "/data/demo/night.png"));
  dir.Write("click.wav", "RIFF");
  dir.Write("theme.ogg", "OggS");
  std::vector<std::string> lines = ScriptWithPage({
      "@rem",
      "ValueCtrl.ValueVar=%hp%", "ValueCtrl.LeftValue=10", "ValueCtrl.RightValue=2", "ValueCtrl.Calc=Add",
      "@ValueCtrl",
      "StringCtrl.StringVar=$name$", "StringCtrl.Text=Taro", "@StringCtrl",
      "StringInput.StringVar=$name$", "StringInput.Text=$name$", "StringInput.Caption=Name", "@StringInput",
      "if.VariableType=Text", "if.Variable1=$name$", "if.Variable2=Taro", "@if",
      "MessageDraw.Text=Hello $name$ %hp%", "@MessageDraw",
      "@else",
      "GraphicDraw.FileName=bg.png", "@GraphicDraw",
      "@endif",
      "@Effect", "@GraphicCtrl", "@WindowShow",
      "Music.FileName=theme.ogg", "@Music", "@MusicStop",
      "Sound.FileName=click.wav", "@Sound",
      "Layer.Name=背景レイヤー", "Layer.Visible.Change=1", "Layer.Visible.Show=1", "@LayerCtrl",
      "Wait.TimeBreak=1", "Wait.Time=100", "@Wait",
      "DynamicLayer.Type=Text", "DynamicLayer.Text.Text=Go", "DynamicLayer.Clickable.Mode=All",
      "DynamicLayer.Clickable.BookName=スタートブック", "DynamicLayer.Clickable.PageName=二", "@DynamicLayer",
      "@DynamicLayerClear",
      "Select.Text1=One", "Select.Page1=二", "@Select",
      "Call.BookName=スタートブック", "Call.PageName=三", "@Call",
      "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=hp", "SaveCtrl.Value=%hp%", "@SaveCtrl",
      "SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=s1.sav", "@SaveCtrl",
      "System.Command=MessageDirect", "@System",
      "Move.BookName=スタートブック", "Move.PageName=二", "@Move"});
  lines.insert(lines.end() - 1, {"<Page=\"二\">", "@rem", "<Page End>", "<Page=\"三\">", "@Return", "<Page End>"});
  for (const TCommandInfo& command : TCommandKeys::Commands()) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), std::string(command.Line)), lines.end()) << command.Line;
  }
  TScenarioLint lint(Options());
  lint.Run(dir.Write("clean.pf5", MakeScript(lines)));
  EXPECT_EQ(Dump(lint.Diagnostics()), "");
  EXPECT_EQ(lint.ExitStatus(), 0);
}

// The player refuses a page whose 500th command is followed by any line;
// the faults inside a refused page are still reported.
TEST(ScenarioLint, PageFaultsAreFoundAlsoInPagesThePlayerRefuses) {
  TTempDir dir;
  std::vector<std::string> lines = {"<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19", "StartBook=B",
                                    "StartPage=P", "<Head End>", "<Book=\"B\">",  // 3-9
                                    "<Page=\"P\">", "Call.BookName=B", "Call.PageName=full", "@Call",  // 10-13
                                    "@if", "@rem", "<Page End>",                                      // 14-16
                                    "<Page=\"full\">"};                                               // 17
  lines.insert(lines.end(), 500, "@rem");                                                           // 18-517
  lines.insert(lines.end(), {"", "<Page End>", "<Page=\"over\">"});                                 // 518-520
  lines.insert(lines.end(), 500, "@rem");                                                           // 521-1020
  lines.insert(lines.end(), {"@if", "x=1", "<Page End>", "<Book End>"});                             // 1021-1024
  TScenarioLint lint(Options());
  lint.Run(dir.Write("p.pf5", MakeScript(lines)));
  const std::vector<TFinding> expected = {{14, "error", "structure"},  {17, "error", "structure"},
                                          {520, "error", "structure"},  {520, "note", "targets"},
                                          {1021, "error", "structure"}, {1022, "warning", "structure"}};
  EXPECT_EQ(Findings(lint.Diagnostics()), expected) << Dump(lint.Diagnostics());
  const std::string text = Dump(lint.Diagnostics());
  EXPECT_NE(text.find(":17: error: page \"full\" holds 500 commands and lines after the last one"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(":520: error: page \"over\" holds 501 commands, more than 500"), std::string::npos) << text;
}

TEST(ScenarioLint, PagesOfTooManyLinesAndLinesTooLongAreErrors) {
  TTempDir dir;
  std::vector<std::string> lines = {"<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19", "StartBook=B",
                                    "StartPage=P", "<Head End>", "<Book=\"B\">",  // 3-9
                                    "<Page=\"P\">", "@rem", "<Page End>", "<Page=\"huge\">"};  // 10-13
  lines.insert(lines.end(), TCommandCtrl::kMaxPageLines + 1, "");
  lines.insert(lines.end(), {"<Page End>", "<Page=\"long\">", std::string(TPeltoFile::kMaxLineLength + 1, 'a'),
                             "<Page End>", "<Book End>"});
  TScenarioLint lint(Options());
  lint.Run(dir.Write("l.pf5", MakeScript(lines)));
  const std::string text = Dump(lint.Diagnostics());
  EXPECT_NE(text.find(":13: error: page \"huge\" holds 1000001 lines, more than 1000000"), std::string::npos) << text;
  EXPECT_NE(text.find(":1000017: error: line of 1048577 bytes, longer than the 1048576 the player reads"),
            std::string::npos)
      << text;
}

TEST(ScenarioLint, NoCheckOptionLeavesOutExactlyThatCheck) {
  TFaultyScenario scenario;
  for (std::string_view check : TLintOptions::kChecks) {
    TLintOptions options = Options();
    options.Disabled.insert(std::string(check));
    TScenarioLint lint(options);
    lint.Run(scenario.Path);
    std::vector<TFinding> expected;
    for (const TFinding& f : kExpected) {
      if (std::get<2>(f) != check) expected.push_back(f);
    }
    EXPECT_EQ(Findings(lint.Diagnostics()), expected) << check;
  }
}

// A small JSON reader for the check's output: an array of flat objects
// whose values are strings or integers. Fails the parse on anything else.
class TJsonReader {
 public:
  explicit TJsonReader(const std::string& text) : FText(text) {}

  bool ReadArray(std::vector<std::map<std::string, std::string>>& out) {
    if (!Take('[')) return false;
    if (Peek() == ']') return Take(']') && End();
    do {
      std::map<std::string, std::string> object;
      if (!ReadObject(object)) return false;
      out.push_back(object);
    } while (Take(','));
    return Take(']') && End();
  }

 private:
  bool ReadObject(std::map<std::string, std::string>& out) {
    if (!Take('{')) return false;
    do {
      std::string key;
      std::string value;
      if (!ReadString(key) || !Take(':')) return false;
      if (Peek() == '"') {
        if (!ReadString(value)) return false;
      } else if (!ReadNumber(value)) {
        return false;
      }
      out[key] = value;
    } while (Take(','));
    return Take('}');
  }
  bool ReadString(std::string& out) {
    if (!Take('"')) return false;
    while (FPos < FText.size() && FText[FPos] != '"') {
      char c = FText[FPos++];
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c == '\\') {
        if (FPos >= FText.size()) return false;
        c = FText[FPos++];
        if (c == 'u') {
          if (FPos + 4 > FText.size()) return false;
          c = static_cast<char>(std::stoi(FText.substr(FPos, 4), nullptr, 16));
          FPos += 4;
        } else if (c != '"' && c != '\\' && c != '/') {
          return false;
        }
      }
      out += c;
    }
    return FPos++ < FText.size();
  }
  bool ReadNumber(std::string& out) {
    SkipBlanks();
    while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos]))) out += FText[FPos++];
    return !out.empty();
  }
  void SkipBlanks() {
    while (FPos < FText.size() && std::isspace(static_cast<unsigned char>(FText[FPos]))) ++FPos;
  }
  char Peek() {
    SkipBlanks();
    return FPos < FText.size() ? FText[FPos] : '\0';
  }
  bool Take(char c) {
    if (Peek() != c) return false;
    ++FPos;
    return true;
  }
  bool End() {
    SkipBlanks();
    return FPos == FText.size();
  }

  const std::string& FText;
  size_t FPos = 0;
};

TEST(ScenarioLintCommand, GccAndJsonFormsCarryTheSameFindingsAndTheExitStatusTellsErrors) {
  TFaultyScenario scenario;
  const TPlayerResult gcc = RunPlayer({"--check", scenario.Path});
  EXPECT_EQ(gcc.ExitStatus, 1);
  const TPlayerResult json = RunPlayer({"--check", "--format", "json", scenario.Path});
  EXPECT_EQ(json.ExitStatus, 1);

  std::vector<std::map<std::string, std::string>> objects;
  ASSERT_TRUE(TJsonReader(json.StdOut).ReadArray(objects)) << json.StdOut;
  std::string fromJson;
  for (auto& o : objects) {
    fromJson += o["file"] + ":" + o["line"] + ": " + o["severity"] + ": " + o["message"] + " [" + o["check"] + "]\n";
  }
  EXPECT_EQ(fromJson, gcc.StdOut);
  EXPECT_EQ(objects.size(), kExpected.size()) << gcc.StdOut;

  const TPlayerResult clean = RunPlayer({"--check", kBuild + "/demo.pp5"});
  EXPECT_EQ(clean.ExitStatus, 0);
  EXPECT_EQ(clean.StdOut, "");
  const TPlayerResult cleanJson = RunPlayer({"--check", "--format", "json", kBuild + "/demo.pp5"});
  EXPECT_EQ(cleanJson.StdOut, "[]\n");

  const TPlayerResult noTargets = RunPlayer({"--check", "--no-targets", scenario.Path});
  EXPECT_EQ(noTargets.StdOut.find("[targets]"), std::string::npos);
  EXPECT_NE(noTargets.StdOut.find("[structure]"), std::string::npos);

  EXPECT_EQ(RunPlayer({"--check", "--format", "xml", scenario.Path}).ExitStatus, 2);
  EXPECT_EQ(RunPlayer({"--check", "--no-spelling", scenario.Path}).ExitStatus, 2);
  EXPECT_EQ(RunPlayer({"--check"}).ExitStatus, 2);
  EXPECT_EQ(RunPlayer({"--check", scenario.Dir.Path() + "/absent.pf5"}).ExitStatus, 1);
}

// --check finds the runtime library as the player does: --library, else
// the content's folder before the player's own.
TEST(ScenarioLintCommand, ChecksWithTheLibraryThePlayerWouldUse) {
  TTempDir dir;
  const std::string missing = dir.Path() + "/missing.pml";
  const TPlayerResult named = RunPlayer({"--check", "--library", missing, kBuild + "/demo.pp5"});
  // Without the library the demo's calls into it lead nowhere.
  EXPECT_EQ(named.ExitStatus, 1);
  EXPECT_NE(named.StdOut.find("runtime library \"" + missing + "\" cannot be opened"), std::string::npos)
      << named.StdOut;

  // A player with no library beside it, a game with one in its folder.
  std::filesystem::create_directories(dir.Path() + "/bin");
  std::filesystem::create_directories(dir.Path() + "/game");
  std::filesystem::copy_file(PELTO5_PLAYER, dir.Path() + "/bin/pelto5");
  std::filesystem::copy_file(kBuild + "/demo.pp5", dir.Path() + "/game/demo.pp5");
  std::filesystem::copy_file(kBuild + "/peltort5.pml", dir.Path() + "/game/peltort5.pml");
  const TPlayerResult beside = RunPlayerBinary(dir.Path() + "/bin/pelto5", {"--check", dir.Path() + "/game/demo.pp5"});
  EXPECT_EQ(beside.ExitStatus, 0);
  EXPECT_EQ(beside.StdOut, "");
}

int Pack(const std::vector<std::string>& args) { return RunPack(args).ExitStatus; }

TEST(ScenarioLint, PackagesAreLookedUpInThePlayersOrderAndNothingIsWritten) {
  TTempDir dir;
  const std::string png = ReadFileText(std::string(PELTO5_SOURCE_DIR) + "/data/demo/night.png");
  dir.Write("src/pelto.pf5", MakeScript(ScriptWithPage({"GraphicDraw.FileName=inside.png", "@GraphicDraw",
                                                        "GraphicDraw.FileName=beside.png", "@GraphicDraw",
                                                        "Sound.FileName=click.wav", "@Sound",
                                                        "Music.FileName=theme.ogg", "@Music"},
                                                       {"AutoExtract=1"})));
  dir.Write("src/inside.png", png);
  dir.Write("src/click.wav", "RIFF");
  dir.Write("src/theme.ogg", "OggS");
  dir.Write("beside.png", png);  // beside the package: a packaged game never looks there
  const std::string package = dir.Path() + "/story.pp5";
  ASSERT_EQ(Pack({"create", "--extract", "*.wav", package, dir.Path() + "/src"}), 0);
  const std::string exe = dir.Write("stub.exe", std::string("MZ") + std::string(300, '\x01'));
  const std::string game = dir.Path() + "/game.exe";
  ASSERT_EQ(Pack({"create", "--extract", "*.wav", "--exe", exe, game, dir.Path() + "/src"}), 0);

  for (const std::string& content : {package, game}) {
    TScenarioLint lint(Options());
    lint.Run(content);
    const std::string text = Dump(lint.Diagnostics());
    ASSERT_EQ(lint.Diagnostics().Items().size(), 2u) << content << "\n" << text;
    EXPECT_EQ(lint.Diagnostics().Items()[0].File, "pelto.pf5");
    EXPECT_NE(text.find("error: picture \"beside.png\" is not in the package or the runtime library [resources]"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("error: sound \"theme.ogg\" is not in"), std::string::npos) << text;
    EXPECT_NE(text.find("it is in the package, but sounds are played from files on disk only"), std::string::npos)
        << text;
  }
  // The data folder the player would create for AutoExtract is left alone.
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/story"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/game"));
}

TEST(CommandKeys, TheTableAgreesWithTheCommandCacheAndTheScreen) {
  for (const TCommandInfo& command : TCommandKeys::Commands()) {
    EXPECT_EQ(TCommandCtrl::CommandTypeOf(command.Line), command.Type) << command.Line;
    EXPECT_EQ(TCommandKeys::Command(command.Type), &command);
  }
  EXPECT_EQ(cmdkey::kTextLayer, kTextLayerName);
  EXPECT_EQ(cmdkey::kBackgroundLayer, kBackgroundLayerName);
  const TCommandInfo& select = *TCommandKeys::Command(TCommandCtrl::ctSelect);
  int number = 0;
  EXPECT_EQ(TCommandKeys::Find(select, "select.page20", &number), &cmdkey::SelectPage);
  EXPECT_EQ(number, 20);
  EXPECT_EQ(TCommandKeys::Find(select, "Select.Page21"), nullptr);
  EXPECT_EQ(TCommandKeys::Find(select, "Select.Page01"), nullptr);
  EXPECT_EQ(NearestName("select.txt3", {"Select.Text3", "Select.Page3"}), "Select.Text3");
  EXPECT_EQ(NearestName("Completely", {"Select.Text3"}), "");
}

}  // namespace
}  // namespace pelto5::test
