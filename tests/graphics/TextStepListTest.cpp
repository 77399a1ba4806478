// Replay of the text-step list: which codes are absorbed into the replay
// state, how CharEnd turns right edges into widths, and the bounds.
#include "graphics/TextStepList.h"

#include <gtest/gtest.h>

namespace pelto5 {
namespace {

TEST(TextStepList, AbsorbsStateCodesAndReturnsTheRest) {
  TTextStepList list;
  list.Clear();
  list.Push(tsLineTop, 40);
  list.Push(tsLineX, 5);
  list.Push(tsCharWidthReset, 0);
  list.Push(tsLineHeight, 18);
  list.Push(tsSpeedSlow);
  list.Push(tsCharEnd, 25);  // X = 5 + 0, width 25 - 5
  list.Push(tsCharEnd, 31);  // X = 5 + 20, width 31 - 25
  list.Push(tsPageKeyWait, 0);
  list.Push(tsNewPage, 300);
  list.Push(tsEnd);
  list.Push(tsCharEnd, 99);  // behind End: never reached

  TTextStep s = list.Next();
  EXPECT_EQ(s.Code, tsCharEnd);
  EXPECT_EQ(s.X, 5);
  EXPECT_EQ(s.CharWidth, 20);
  EXPECT_EQ(s.Y, 40);
  EXPECT_EQ(s.LineHeight, 18);
  EXPECT_EQ(s.Delay, kDelaySlow);
  s = list.Next();
  EXPECT_EQ(s.X, 25);
  EXPECT_EQ(s.CharWidth, 6);
  EXPECT_EQ(list.Next().Code, tsPageKeyWait);
  s = list.Next();
  EXPECT_EQ(s.Code, tsNewPage);
  EXPECT_EQ(s.Value, 300);
  const size_t at = list.Position();
  EXPECT_EQ(list.Next().Code, tsEnd);
  EXPECT_EQ(list.Next().Code, tsEnd);
  EXPECT_EQ(list.Position(), at);

  list.Clear();
  EXPECT_EQ(list.Next().Code, tsEnd);
  EXPECT_EQ(list.Next().Delay, kDelayNormal);
}

TEST(TextStepList, DropsPushesPastCapacity) {
  TTextStepList list;
  for (size_t i = 0; i < TTextStepList::kCapacity + 10; ++i) list.Push(tsWait, static_cast<int>(i));
  EXPECT_EQ(list.Count(), TTextStepList::kCapacity);
  EXPECT_EQ(list.Entry(TTextStepList::kCapacity - 1).Value,
            static_cast<int>(TTextStepList::kCapacity) - 1);
  EXPECT_EQ(list.Entry(TTextStepList::kCapacity).Code, tsEnd);
  size_t waits = 0;
  while (list.Next().Code == tsWait) ++waits;
  EXPECT_EQ(waits, TTextStepList::kCapacity);
}

}  // namespace
}  // namespace pelto5
