#include "script/PeltoFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "base/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"

namespace pelto5 {
namespace {

THeadlessOptions QuietOptions() {
  THeadlessOptions options;
  options.EchoToStderr = false;
  return options;
}

// Test texts are written in UTF-8 and handed to the parser as Shift-JIS.
std::string Sjis(const char* utf8) { return sjis::FromUtf8(utf8); }

std::string Script(std::initializer_list<const char*> utf8Lines) {
  std::string text;
  for (const char* line : utf8Lines) text += Sjis(line) + "\r\n";
  return text;
}

// The line the headless backend records for an error box.
std::string ErrorLine(const std::string& utf8Text) { return "message (error, ok): " + utf8Text; }

const std::string kDamaged = "ファイルが破損しています\\n";

class PeltoFileTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallPlatform(&FPlatform); }
  void TearDown() override { InstallPlatform(nullptr); }
  const std::vector<std::string>& Messages() const { return FPlatform.OutputLines(); }

  THeadlessPlatform FPlatform{QuietOptions()};
  TPeltoFile FFile;
};

TEST_F(PeltoFileTest, EmptyScriptHasOnlyTheCommentLinesAndAnEmptyIndex) {
  ASSERT_EQ(FFile.Lines().Count(), 2);
  EXPECT_TRUE(FFile.Lines()[0].starts_with("///"));
  EXPECT_TRUE(FFile.Lines()[1].starts_with("///"));
  EXPECT_TRUE(FFile.BlockIndex().empty());
  EXPECT_FALSE(FFile.IndexStale());
  EXPECT_EQ(FFile.ReadString("Pelto", "Title", "none"), "none");
  EXPECT_EQ(FFile.ReadInteger("Pelto", "ImageWidth", 640), 640);
  EXPECT_EQ(FFile.GetPageLineCount("A", "p"), 0);
  EXPECT_EQ(FFile.GetPageLine("A", "p", 0), "");

  // Clear after a load goes back to the same state.
  FFile.LoadFromStream(Script({"<Book=\"A\">", "<Book End>"}));
  ASSERT_EQ(FFile.BlockIndex().size(), 1u);
  FFile.Clear();
  EXPECT_EQ(FFile.Lines().Count(), 2);
  EXPECT_TRUE(FFile.BlockIndex().empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PeltoFileTest, MinimalScriptIndexesBlocksInOrderOfTheirEndMarkers) {
  FFile.LoadFromStream(Script({"/// Game Creative Tool - Peltoforge Fifth -", "/// notice",
                               "<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19",
                               "<Head End>", "<Book=\"スタートブック\">", "<Page=\"スタートページ\">",
                               "MessageDraw.Text=こんにちは", "@MessageDraw", "<Page End>",
                               "<Book End>"}));
  const TStringList expected = {Sjis("Pelto/:2,5"), Sjis("スタートブック/スタートページ:7,10"),
                                Sjis("スタートブック:6,11")};
  EXPECT_EQ(FFile.BlockIndex(), expected);
  EXPECT_FALSE(FFile.IndexStale());

  const std::string book = Sjis("スタートブック");
  const std::string page = Sjis("スタートページ");
  int start = 0;
  int end = 0;
  ASSERT_TRUE(FFile.FindPageBlock(book, page, start, end));
  EXPECT_EQ(start, 7);
  EXPECT_EQ(end, 10);
  ASSERT_TRUE(FFile.FindBookBlock(book, start, end));
  EXPECT_EQ(start, 6);
  EXPECT_EQ(end, 11);
  ASSERT_TRUE(FFile.FindHeaderBlock("Pelto", start, end));
  EXPECT_EQ(start, 2);
  EXPECT_EQ(end, 5);

  EXPECT_EQ(FFile.GetPageLineCount(book, page), 2);
  EXPECT_EQ(FFile.GetPageLine(book, page, 0), Sjis("MessageDraw.Text=こんにちは"));
  EXPECT_EQ(FFile.GetPageLine(book, page, 1), "@MessageDraw");
  EXPECT_EQ(FFile.ReadString("Pelto", "FileType", ""), "PV5");
  EXPECT_EQ(FFile.ReadInteger("Pelto", "CommandVersion", 0), 19);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PeltoFileTest, PageLinesAreThoseStrictlyBetweenTheMarkers) {
  FFile.LoadFromStream(Script({"<Book=\"A\">", "<Page=\"p\">", "first", "second", "<Page End>",
                               "<Book End>"}));
  EXPECT_EQ(FFile.BlockIndex(), (TStringList{"A/p:1,4", "A:0,5"}));
  EXPECT_EQ(FFile.GetPageLineCount("A", "p"), 2);
  EXPECT_EQ(FFile.GetPageLine("A", "p", 0), "first");
  EXPECT_EQ(FFile.GetPageLine("A", "p", 1), "second");
  // Outside the page nothing is handed out, not even the neighbouring markers.
  EXPECT_EQ(FFile.GetPageLine("A", "p", -1), "");
  EXPECT_EQ(FFile.GetPageLine("A", "p", 2), "");
  EXPECT_EQ(FFile.GetPageLine("A", "q", 0), "");
  EXPECT_EQ(FFile.GetPageLineCount("B", "p"), 0);

  // An empty page has no lines.
  FFile.LoadFromStream(Script({"<Book=\"A\">", "<Page=\"p\">", "<Page End>", "<Book End>"}));
  EXPECT_EQ(FFile.GetPageLineCount("A", "p"), 0);
  EXPECT_TRUE(FFile.PageExists("A", "p"));
}

TEST_F(PeltoFileTest, LinesEndAtCrLfLoneCrAndLoneLf) {
  FFile.LoadFromStream("<Book=\"A\">\r\n<Page=\"p\">\rone\ntwo\r\n\r\n<Page End>\n<Book End>");
  ASSERT_EQ(FFile.Lines().Count(), 7);
  EXPECT_EQ(FFile.GetPageLineCount("A", "p"), 3);
  EXPECT_EQ(FFile.GetPageLine("A", "p", 0), "one");
  EXPECT_EQ(FFile.GetPageLine("A", "p", 1), "two");
  EXPECT_EQ(FFile.GetPageLine("A", "p", 2), "");

  // A book imported after a last line without its line break starts on a
  // line of its own; empty lines of lone CRs stay empty.
  TPeltoFile library;
  library.LoadFromStream("<Book=\"L\">\r\r<Page=\"q\">\r\r\rx\n<Page End>\r<Book End>");
  FFile.ImportBook("L", library);
  EXPECT_EQ(FFile.Lines()[6], "<Book End>");
  EXPECT_EQ(FFile.GetPageLineCount("L", "q"), 3);
  EXPECT_EQ(FFile.GetPageLine("L", "q", 1), "");
  EXPECT_EQ(FFile.GetPageLine("L", "q", 2), "x");
  EXPECT_TRUE(FFile.PageExists("A", "p"));
}

TEST_F(PeltoFileTest, ALineLongerThanTheParseTakesStopsItAtThatLine) {
  const std::string atLimit(TPeltoFile::kMaxLineLength, 'a');
  FFile.LoadFromStream("<Book=\"A\">\r\n<Page=\"p\">\r\n" + atLimit + "\r\n<Page End>\r\n<Page=\"q\">\r\n" +
                       atLimit + "b\r\n<Page End>\r\n<Book End>\r\n");
  EXPECT_EQ(Messages(), std::vector<std::string>{ErrorLine(kDamaged + "[Line too long: line 6]")});
  EXPECT_TRUE(FFile.IndexBroken());
  EXPECT_EQ(FFile.GetPageLine("A", "p", 0), atLimit);
  EXPECT_FALSE(FFile.PageExists("A", "q"));
  EXPECT_FALSE(FFile.BookExists("A"));
}

TEST_F(PeltoFileTest, MarkersAreRecognisedAfterTrimmingAndNamesTakenFromTheLine) {
  FFile.LoadFromStream(Script({
      " \t<Book=Prologue>  ",       // 0: unquoted name, blanks around the marker
      "<Page=\"a\" extra>",         // 1: the name ends at the closing quote
      "<Page End>",                 // 2
      "<Page=\"b>",                 // 3: quote never closed: up to ">"
      "<Page  End-of-page>",        // 4: only the word before the first blank counts
      "<Page=c",                    // 5: no ">": empty name
      "<Page\tEnd>",                // 6: a tab is a blank too
      "<Book End>",                 // 7
  }));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(FFile.BlockIndex(),
            (TStringList{"Prologue/a:1,2", "Prologue/b:3,4", "Prologue/:5,6", "Prologue:0,7"}));
  EXPECT_TRUE(FFile.BookExists("Prologue"));
  TStringList pages;
  FFile.GetPageList("Prologue", pages);
  // The page with the empty name looks like a header entry and is not listed.
  EXPECT_EQ(pages, (TStringList{"a", "b"}));
}

TEST_F(PeltoFileTest, HeaderKeysMatchExactlyAtTheStartOfTheLine) {
  FFile.LoadFromStream(Script({"<Head=\"Pelto\">",
                               " Title=leading blank",
                               "Title =blank before",
                               "title=lower case",
                               "Titles=longer key",
                               "no key on this line",
                               "Title=abc ",
                               "Title=second",
                               "Expr=a=b",
                               "Empty=",
                               "<Head End>",
                               "Outside=1"}));
  EXPECT_EQ(FFile.ReadString("Pelto", "Title", "-"), "abc ");
  EXPECT_EQ(FFile.ReadString("Pelto", "title", "-"), "lower case");
  EXPECT_EQ(FFile.ReadString("Pelto", "Titles", "-"), "longer key");
  EXPECT_EQ(FFile.ReadString("Pelto", "Tit", "-"), "-");
  EXPECT_EQ(FFile.ReadString("Pelto", "Expr", "-"), "a=b");
  EXPECT_EQ(FFile.ReadString("Pelto", "Empty", "-"), "");
  // Only lines inside the block count; section names are case-sensitive.
  EXPECT_EQ(FFile.ReadString("Pelto", "Outside", "-"), "-");
  EXPECT_EQ(FFile.ReadString("pelto", "Title", "-"), "-");
  EXPECT_EQ(FFile.ReadString("Other", "Title", "-"), "-");
}

TEST_F(PeltoFileTest, IntegerAndBoolReadsFallBackToTheDefault) {
  FFile.LoadFromStream(Script({"<Head=\"S\">", "Two=2", "Zero=0", "Yes=yes", "Empty=", "Hex=$1F",
                               "Neg=-5", "Blank=5 ", "<Head End>"}));
  EXPECT_TRUE(FFile.ReadBool("S", "Two", false));
  EXPECT_FALSE(FFile.ReadBool("S", "Zero", true));
  EXPECT_TRUE(FFile.ReadBool("S", "Yes", true));
  EXPECT_FALSE(FFile.ReadBool("S", "Yes", false));
  EXPECT_TRUE(FFile.ReadBool("S", "Missing", true));
  EXPECT_EQ(FFile.ReadInteger("S", "Empty", 300), 300);
  EXPECT_EQ(FFile.ReadInteger("S", "Hex", 0), 31);
  EXPECT_EQ(FFile.ReadInteger("S", "Neg", 0), -5);
  EXPECT_EQ(FFile.ReadInteger("S", "Blank", 7), 7);
  EXPECT_EQ(FFile.ReadInteger("S", "Missing", -3), -3);
  EXPECT_EQ(FFile.ReadInteger("Nowhere", "Two", 60), 60);
}

TEST_F(PeltoFileTest, HeaderBlockAndBookOfTheSameNameStayApart) {
  FFile.LoadFromStream(Script({"<Head=\"X\">", "Key=header", "<Head End>", "<Book=\"X\">",
                               "<Page=\"p\">", "Key=page", "<Page End>", "<Book End>"}));
  int hs = 0, he = 0, bs = 0, be = 0;
  ASSERT_TRUE(FFile.FindHeaderBlock("X", hs, he));
  ASSERT_TRUE(FFile.FindBookBlock("X", bs, be));
  EXPECT_EQ(hs, 0);
  EXPECT_EQ(he, 2);
  EXPECT_EQ(bs, 3);
  EXPECT_EQ(be, 7);
  EXPECT_EQ(FFile.ReadString("X", "Key", ""), "header");
  TStringList books;
  FFile.GetBookList(books);
  EXPECT_EQ(books, TStringList{"X"});
  TStringList pages;
  FFile.GetPageList("X", pages);
  EXPECT_EQ(pages, TStringList{"p"});
}

TEST_F(PeltoFileTest, LookupKeysMatchWholeNamesAndTheFirstClosedBlockWins) {
  FFile.LoadFromStream(Script({"<Book=\"AB\">", "<Page=\"pq\">", "<Page End>", "<Book End>",
                               "<Book=\"A\">", "<Page=\"p\">", "x", "<Page End>", "<Book End>",
                               "<Book=\"A\">", "<Page=\"p\">", "y", "z", "<Page End>",
                               "<Page=\"q\">", "<Page End>", "<Book End>"}));
  int start = 0;
  int end = 0;
  ASSERT_TRUE(FFile.FindBookBlock("A", start, end));
  EXPECT_EQ(start, 4);
  EXPECT_EQ(end, 8);
  EXPECT_EQ(FFile.GetPageLineCount("A", "p"), 1);
  EXPECT_EQ(FFile.GetPageLine("A", "p", 0), "x");
  // Page q exists only in the second book "A", and is still found.
  EXPECT_TRUE(FFile.PageExists("A", "q"));
  EXPECT_FALSE(FFile.PageExists("A", "pq"));
  EXPECT_FALSE(FFile.PageExists("AB", "p"));
  EXPECT_FALSE(FFile.BookExists("B"));

  TStringList books;
  FFile.GetBookList(books);
  EXPECT_EQ(books, (TStringList{"AB", "A", "A"}));
  TStringList pages;
  FFile.GetPageList("A", pages);
  EXPECT_EQ(pages, (TStringList{"p", "p", "q"}));
}

TEST_F(PeltoFileTest, KindsOfBlocksAreTrackedIndependently) {
  FFile.LoadFromStream(Script({
      "<Book=\"A\">",       // 0
      "<Head=\"H\">",       // 1: a header may open inside a book
      "<Page=\"p\">",       // 2
      "K=v",                // 3
      "<Head End>",         // 4
      "<Page End>",         // 5
      "<Book End>",         // 6
      "<Page=\"late\">",    // 7: after the book closed, still counted to book A
      "<Page End>",         // 8
      "<Book=\"Open\">",    // 9: never closed
      "<Page=\"inner\">",   // 10
      "<Page End>",         // 11
      "<Page=\"dangling\">" // 12: never closed
  }));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(FFile.BlockIndex(),
            (TStringList{"H/:1,4", "A/p:2,5", "A:0,6", "A/late:7,8", "Open/inner:10,11"}));
  EXPECT_EQ(FFile.ReadString("H", "K", ""), "v");
  EXPECT_FALSE(FFile.BookExists("Open"));
  EXPECT_TRUE(FFile.PageExists("Open", "inner"));
  EXPECT_FALSE(FFile.PageExists("Open", "dangling"));
}

struct TParseErrorCase {
  std::initializer_list<const char*> Lines;
  const char* Message;
};

TEST_F(PeltoFileTest, EachMalformedMarkerStopsTheParseWithItsMessage) {
  const TParseErrorCase cases[] = {
      {{"<Head=\"Pelto\">", "<Head=\"Other\">", "<Head End>"}, "[Header block miss close flag]"},
      {{"<Head End>"}, "[Header block miss start flag]"},
      {{"<Book=\"A\">", "<Book=\"B\">"}, "[Book block miss close flag]"},
      {{"<Book=\"A\">", "<Book End>", "<Book End>"}, "[Book block miss start flag]"},
      {{"<Page=\"a\">", "<Page=\"b\">"}, "[Page block miss close flag]"},
      {{"<Page End>"}, "[Page block miss start flag]"},
  };
  for (const TParseErrorCase& c : cases) {
    const size_t before = Messages().size();
    FFile.LoadFromStream(Script(c.Lines));
    ASSERT_EQ(Messages().size(), before + 1) << c.Message;
    EXPECT_EQ(Messages().back(), ErrorLine(kDamaged + c.Message));
    EXPECT_TRUE(FFile.IndexBroken()) << c.Message;
  }
}

TEST_F(PeltoFileTest, UnknownBlockReportsTheUntrimmedLineEvenInsideAPage) {
  FFile.LoadFromStream(Script({"<Head=\"S\">", "K=1", "<Head End>", "<Book=\"A\">",
                               "<Page=\"p\">", "  <Style=1>", "<Page End>", "<Book End>"}));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], ErrorLine("ファイル内に未知のブロックが存在します\\n"
                                     "ファイル保護のため処理を停止します\\n  <Style=1>"));
  // The blocks closed before the faulty line stay usable.
  EXPECT_EQ(FFile.BlockIndex(), TStringList{"S/:0,2"});

  for (const char* bad : {"<BookEnd>", "<>", "<", "<Unknown=\"x\">", "<book=\"x\">"}) {
    FFile.LoadFromStream(Script({bad}));
    EXPECT_TRUE(Messages().back().ends_with(bad)) << bad;
  }
}

TEST_F(PeltoFileTest, StoppedParseIsReportedOnceAndQueriesUseThePartialIndex) {
  FFile.LoadFromStream(Script({"<Head=\"S\">", "K=v", "<Head End>", "<Book=\"A\">",
                               "<Page=\"p\">", "line", "<Page End>", "<Book End>", "<Page End>"}));
  ASSERT_EQ(Messages().size(), 1u);
  const std::string message = ErrorLine(kDamaged + "[Page block miss start flag]");
  EXPECT_EQ(Messages()[0], message);
  EXPECT_TRUE(FFile.IndexBroken());

  // Lookups and lists answer from the partial index without showing the
  // box again (a run queries the index thousands of times).
  EXPECT_EQ(FFile.ReadString("S", "K", ""), "v");
  EXPECT_EQ(FFile.GetPageLine("A", "p", 0), "line");
  EXPECT_EQ(FFile.GetPageLineCount("A", "p"), 1);
  TStringList books;
  FFile.GetBookList(books);
  EXPECT_EQ(books, TStringList{"A"});
  EXPECT_FALSE(FFile.BookExists("Z"));
  for (int i = 0; i < 50; ++i) EXPECT_FALSE(FFile.PageExists("A", "q"));
  EXPECT_EQ(Messages().size(), 1u);

  // A good script puts an end to it.
  FFile.LoadFromStream(Script({"<Book=\"A\">", "<Book End>"}));
  EXPECT_FALSE(FFile.IndexBroken());
  FFile.GetBookList(books);
  EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(PeltoFileTest, ImportedBookStaysReachableBehindABrokenScript) {
  TPeltoFile library;
  library.LoadFromStream(Script({"<Book=\"_system\">", "<Page=\"_init\">", "@rem", "<Page End>",
                                 "<Book End>"}));
  // A broken marker in the middle, and a last book and page left open.
  const std::initializer_list<const char*> scripts[] = {
      {"<Book=\"A\">", "<Page=\"p\">", "x", "<Page End>", "<Book End>", "<Book End>",
       "<Book=\"B\">"},
      {"<Book=\"A\">", "<Page=\"p\">", "x", "<Page End>", "<Book End>", "<Book=\"B\">",
       "<Page=\"q\">"},
  };
  for (const auto& lines : scripts) {
    const size_t before = Messages().size();
    FFile.LoadFromStream(Script(lines));
    FFile.ImportBook("_system", library);
    EXPECT_EQ(FFile.GetPageLine("_system", "_init", 0), "@rem");
    EXPECT_TRUE(FFile.PageExists("_system", "_init"));
    EXPECT_EQ(FFile.GetPageLine("A", "p", 0), "x");
    EXPECT_FALSE(FFile.BookExists("B"));
    // At most the script's own fault is reported, once.
    EXPECT_LE(Messages().size(), before + 1);
  }
}

TEST_F(PeltoFileTest, DoubleByteNamesWithBackslashOrLetterTrailBytes) {
  // The trail bytes of these characters are "\" and ASCII letters.
  ASSERT_EQ(Sjis("ソ"), "\x83\x5C");
  ASSERT_EQ(Sjis("表"), "\x95\x5C");
  ASSERT_EQ(Sjis("ア"), "\x83\x41");
  FFile.LoadFromStream(Script({"<Head=\"表示\">", "ソフト=表", "アイ=ア", "<Head End>",
                               "<Book=\"ソ\">", "<Page=\"表\">", "@Wait", "<Page End>",
                               "<Page=\"ア\">", "<Page End>", "<Book End>"}));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(FFile.BlockIndex(), (TStringList{Sjis("表示/:0,3"), Sjis("ソ/表:5,7"),
                                             Sjis("ソ/ア:8,9"), Sjis("ソ:4,10")}));
  EXPECT_EQ(FFile.ReadString(Sjis("表示"), Sjis("ソフト"), ""), Sjis("表"));
  EXPECT_EQ(FFile.ReadString(Sjis("表示"), Sjis("アイ"), ""), Sjis("ア"));
  // Header keys are exact: a letter trail byte is not folded.
  EXPECT_EQ(FFile.ReadString(Sjis("表示"), "\x83\x61\x83\x43", "-"), "-");
  EXPECT_EQ(FFile.GetPageLine(Sjis("ソ"), Sjis("表"), 0), "@Wait");
  TStringList pages;
  FFile.GetPageList(Sjis("ソ"), pages);
  EXPECT_EQ(pages, (TStringList{Sjis("表"), Sjis("ア")}));
  EXPECT_TRUE(FFile.BookExists(Sjis("ソ")));
  EXPECT_FALSE(FFile.BookExists("\x83"));
}

TEST_F(PeltoFileTest, NamesHoldingIndexSeparatorsNeverYieldWrongBlocks) {
  FFile.LoadFromStream(Script({"<Book=\"a:b\">", "<Page=\"p\">", "<Page End>", "<Book End>",
                               "<Book=\"c/d\">", "<Book End>", "<Book=\"x\">",
                               "<Page=\"y:1,2\">", "z", "<Page End>", "<Book End>"}));
  int start = 0;
  int end = 0;
  EXPECT_TRUE(FFile.FindBookBlock("a:b", start, end));
  EXPECT_FALSE(FFile.FindBookBlock("a", start, end));
  EXPECT_FALSE(FFile.FindPageBlock("x", "y", start, end));
  EXPECT_EQ(FFile.GetPageLine("x", "y:1,2", 0), "z");
  TStringList pages;
  FFile.GetPageList("a:b", pages);
  EXPECT_EQ(pages, TStringList{"p"});
  // The book list takes the text before the first ":" of each entry, so the
  // book "a:b" and its page list as "a"; a name holding "/" is not listed.
  TStringList books;
  FFile.GetBookList(books);
  EXPECT_EQ(books, (TStringList{"a", "a", "x"}));
  EXPECT_TRUE(FFile.FindBookBlock("c/d", start, end));
}

TEST_F(PeltoFileTest, GetBookLinesAppendsTheWholeBlock) {
  FFile.LoadFromStream(Script({"<Book=\"A\">", "<Page=\"p\">", "x", "<Page End>", "<Book End>"}));
  TStringList lines = {"kept"};
  ASSERT_TRUE(FFile.GetBookLines("A", lines));
  EXPECT_EQ(lines, (TStringList{"kept", "<Book=\"A\">", "<Page=\"p\">", "x", "<Page End>",
                                "<Book End>"}));
  EXPECT_FALSE(FFile.GetBookLines("B", lines));
  EXPECT_EQ(lines.size(), 6u);
}

TEST_F(PeltoFileTest, ImportBookCopiesAMissingBookOnly) {
  TPeltoFile library;
  library.LoadFromStream(Script({"<Book=\"_system\">", "<Page=\"_init\">", "@rem", "<Page End>",
                                 "<Book End>", "<Book=\"Other\">", "<Book End>"}));
  FFile.LoadFromStream(Script({"<Book=\"A\">", "<Book End>"}));

  int start = 0;
  int end = 0;
  ASSERT_TRUE(FFile.FindBookBlock("A", start, end));
  FFile.ImportBook("_system", library);
  EXPECT_EQ(FFile.Lines().Count(), 7);
  EXPECT_EQ(FFile.GetPageLine("_system", "_init", 0), "@rem");
  ASSERT_TRUE(FFile.FindBookBlock("_system", start, end));
  EXPECT_EQ(start, 2);
  EXPECT_EQ(end, 6);
  EXPECT_FALSE(FFile.BookExists("Other"));

  // A book of that name is already there: nothing is added.
  FFile.ImportBook("_system", library);
  EXPECT_EQ(FFile.Lines().Count(), 7);
  // The source has no such book: nothing is added.
  FFile.ImportBook("Missing", library);
  EXPECT_EQ(FFile.Lines().Count(), 7);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PeltoFileTest, LoadFromFileReadsTheWholeFile) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  const std::filesystem::path path = dir / "pelto5_peltofile_test.pf5";
  {
    std::ofstream out(path, std::ios::binary);
    out << Script({"/// x", "<Head=\"Pelto\">", "Title=T", "<Head End>"});
  }
  ASSERT_TRUE(FFile.LoadFromFile(path.string()));
  EXPECT_EQ(FFile.Lines().Count(), 4);
  EXPECT_EQ(FFile.ReadString("Pelto", "Title", ""), "T");
  std::filesystem::remove(path);

  // Unreadable paths leave the script as it was.
  EXPECT_FALSE(FFile.LoadFromFile(path.string()));
  EXPECT_FALSE(FFile.LoadFromFile(dir.string()));
  EXPECT_EQ(FFile.ReadString("Pelto", "Title", ""), "T");
}

}  // namespace
}  // namespace pelto5
