// The message history's text: markup removed as the layout reads it, pages
// without text dropped, only the newest pages kept; and the headless events
// that reach the comforts.
#include "shell/MessageHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"

namespace pelto5 {
namespace {

using TLines = std::vector<std::string>;

TEST(MessageHistoryText, MarkupIsRemovedAndLineBreaksKept) {
  EXPECT_EQ(TMessageHistory::PlainLines("<*16><clBlack>Ab<KEY>c#<B>d<W10>e##f#"),
            (TLines{"Abc", "de", "", "f"}));
  // "ソ" and "表" end in the bytes of "\" and "|"; "<>" does not close a tag,
  // and a "<" without any ">" takes the byte after it along.
  EXPECT_EQ(TMessageHistory::PlainLines("\x83\x5C<>x>\x95\x5C#y<z"), (TLines{"\x83\x5C\x95\x5C", "y"}));
  // A lead byte at the very end stays a whole (broken) character.
  EXPECT_EQ(TMessageHistory::PlainLines("a\r\n\x82"), (TLines{"a\x82"}));
  EXPECT_TRUE(TMessageHistory::PlainLines("<FAST><KEY>#").empty());
}

TEST(MessageHistoryText, KeepsTheNewestPagesWithText) {
  TMessageHistory history;
  history.AddPage("<KEY>");
  EXPECT_EQ(history.PageCount(), 0u);
  for (size_t i = 0; i < TMessageHistory::kMaxPages + 5; ++i) history.AddPage("page " + std::to_string(i));
  ASSERT_EQ(history.PageCount(), TMessageHistory::kMaxPages);
  EXPECT_EQ(history.PageLines(0), TLines{"page 5"});
  EXPECT_EQ(history.PageLines(TMessageHistory::kMaxPages - 1), TLines{"page 204"});
  // Nothing to show opens no view.
  TMessageHistory empty;
  EXPECT_FALSE(empty.Open(TFont{}, 640, 480));
  EXPECT_FALSE(empty.IsOpen());
}

TEST(HeadlessComfortEvents, KeyDownKeyUpAndWheelAreParsed) {
  THeadlessOptions options;
  options.EchoToStderr = false;
  THeadlessPlatform platform(options);
  const TResult parsed = platform.ParseEvents("0 key-down ctrl\n5 key-up 17\n7 wheel -2\n8 wheel 3\n9 key 123\n");
  ASSERT_TRUE(parsed) << parsed.Reason();
  EXPECT_FALSE(platform.ParseEvents("1 wheel 0\n"));
  EXPECT_FALSE(platform.ParseEvents("1 wheel up\n"));
  EXPECT_FALSE(platform.ParseEvents("1 key-down\n"));
  EXPECT_FALSE(platform.ParseEvents("1 key-up ctrl x\n"));
}

}  // namespace
}  // namespace pelto5
