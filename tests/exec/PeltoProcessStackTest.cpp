#include "exec/PeltoProcessStack.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "content/PackageReader.h"
#include "content/PackageWriter.h"

namespace pelto5 {
namespace {

std::vector<std::string> StackLines(const TPeltoProcessStack& stack) {
  TStringList lines;
  stack.AppendTo(lines);
  return lines;
}

void PushPosition(TPeltoProcessStack& stack, const std::string& book, const std::string& page,
                  int32_t index) {
  stack.ClearFrame();
  stack.WriteString("Stack.BookName", book);
  stack.WriteString("Stack.PageName", page);
  stack.WriteInteger("Stack.CommandIndex", index);
  stack.PushFrame();
}

TEST(PeltoProcessStack, PushedFrameStandsReversedAboveItsBorder) {
  TPeltoProcessStack stack;
  PushPosition(stack, "B", "P", 1);
  TStringList lines = {"kept"};
  stack.AppendTo(lines);
  EXPECT_EQ(lines, (TStringList{"kept", "Stack.CommandIndex=1", "Stack.PageName=P",
                                "Stack.BookName=B", "@StackBorder"}));
  EXPECT_TRUE(stack.Frame().empty());
}

TEST(PeltoProcessStack, NestedFramesPopNewestFirstThenUnderflow) {
  TPeltoProcessStack stack;
  PushPosition(stack, "main", "A", 4);
  PushPosition(stack, "main", "B", 7);

  const std::vector<std::string> lines = StackLines(stack);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[2], "Stack.BookName=main");
  EXPECT_EQ(lines[1], "Stack.PageName=B");
  EXPECT_EQ(lines[3], "@StackBorder");
  EXPECT_EQ(lines[5], "Stack.PageName=A");
  EXPECT_EQ(lines[7], "@StackBorder");

  ASSERT_TRUE(stack.PopFrame());
  EXPECT_EQ(stack.ReadString("Stack.PageName", ""), "B");
  EXPECT_EQ(stack.ReadInteger("Stack.CommandIndex", 0), 7);
  EXPECT_EQ(stack.Lines().size(), 4u);  // the border went with the frame

  ASSERT_TRUE(stack.PopFrame());
  EXPECT_EQ(stack.ReadString("Stack.PageName", ""), "A");
  EXPECT_EQ(stack.ReadInteger("Stack.CommandIndex", 0), 4);
  EXPECT_TRUE(stack.Empty());

  EXPECT_FALSE(stack.PopFrame());
  EXPECT_TRUE(stack.Frame().empty());
  EXPECT_EQ(stack.ReadString("Stack.PageName", "none"), "none");
  EXPECT_EQ(stack.PopLine(), "");
}

TEST(PeltoProcessStack, EmptyFramePushesOnlyABorderAndPopsAsUnderflow) {
  TPeltoProcessStack stack;
  PushPosition(stack, "main", "A", 2);
  stack.ClearFrame();
  stack.PushFrame();
  EXPECT_EQ(stack.Lines().front(), "@StackBorder");
  EXPECT_FALSE(stack.PopFrame());
  // The frame below is still there.
  ASSERT_TRUE(stack.PopFrame());
  EXPECT_EQ(stack.ReadString("Stack.PageName", ""), "A");
}

TEST(PeltoProcessStack, FrameKeysIgnoreLetterCaseAndReplaceInPlace) {
  TPeltoProcessStack stack;
  stack.PushLine("@StackBorder");
  stack.PushLine("stack.bookname=Lower");
  stack.PushLine("STACK.COMMANDINDEX=12");
  ASSERT_TRUE(stack.PopFrame());
  EXPECT_EQ(stack.ReadString("Stack.BookName", ""), "Lower");
  EXPECT_EQ(stack.ReadInteger("Stack.CommandIndex", 0), 12);

  stack.WriteString("Stack.BOOKNAME", "Upper");
  ASSERT_EQ(stack.Frame().size(), 2u);
  EXPECT_EQ(stack.ReadString("stack.bookname", ""), "Upper");
  // Text that is not a number reads as the default.
  stack.WriteString("Stack.CommandIndex", "three");
  EXPECT_EQ(stack.ReadInteger("Stack.CommandIndex", -5), -5);
}

TEST(PeltoProcessStack, DeepNestingUnwindsInOrder) {
  // A page that calls itself many times: each frame must come back intact.
  TPeltoProcessStack stack;
  constexpr int kDepth = 50000;
  for (int i = 0; i < kDepth; ++i) PushPosition(stack, "B", "P" + std::to_string(i), i);
  EXPECT_EQ(stack.Lines().size(), 4u * kDepth);
  for (int i = kDepth - 1; i >= 0; --i) {
    ASSERT_TRUE(stack.PopFrame());
    ASSERT_EQ(stack.ReadInteger("Stack.CommandIndex", -1), i);
    ASSERT_EQ(stack.ReadString("Stack.PageName", ""), "P" + std::to_string(i));
  }
  EXPECT_FALSE(stack.PopFrame());
}

// A save container in a fresh temporary directory.
class StackContainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    FDir = std::filesystem::temp_directory_path() /
           (std::string("pelto5-stack-") + info->name() + "-" + std::to_string(std::random_device{}()));
    std::filesystem::remove_all(FDir);
    std::filesystem::create_directories(FDir);
    FPath = (FDir / "save.sav").generic_string();
  }
  void TearDown() override { std::filesystem::remove_all(FDir); }

  bool BeginSave(PackageWriter& writer) {
    return SetWriterMagic(writer, "PV5SAVE") && CreatePackage(writer, FPath);
  }

  std::filesystem::path FDir;
  std::string FPath;
};

TEST_F(StackContainerTest, StackRoundTripsThroughStackInfo) {
  TPeltoProcessStack stack;
  PushPosition(stack, "main", "A", 4);
  PushPosition(stack, "main", "B", 7);
  {
    PackageWriter writer;
    ASSERT_TRUE(BeginSave(writer));
    ASSERT_TRUE(stack.SaveToContainer(writer));
    ASSERT_TRUE(FinishPackage(writer));
  }
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FPath, reader));
  std::string raw;
  ASSERT_TRUE(ExtractEntry(reader, "stack.info", raw));
  EXPECT_EQ(raw,
            "Stack.CommandIndex=7\r\nStack.PageName=B\r\nStack.BookName=main\r\n@StackBorder\r\n"
            "Stack.CommandIndex=4\r\nStack.PageName=A\r\nStack.BookName=main\r\n@StackBorder\r\n");

  TPeltoProcessStack loaded;
  PushPosition(loaded, "old", "X", 1);  // replaced by the load
  ASSERT_TRUE(loaded.LoadFromContainer(reader));
  ClosePackage(reader);
  EXPECT_EQ(StackLines(loaded), StackLines(stack));
  // The depth that bounds further calls comes with the loaded frames.
  EXPECT_EQ(loaded.Depth(), 2u);
  ASSERT_TRUE(loaded.PopFrame());
  EXPECT_EQ(loaded.ReadString("Stack.PageName", ""), "B");
  EXPECT_EQ(loaded.Depth(), 1u);
  ASSERT_TRUE(loaded.PopFrame());
  EXPECT_FALSE(loaded.PopFrame());
  EXPECT_EQ(loaded.Depth(), 0u);
}

TEST_F(StackContainerTest, MissingEntryLeavesTheStackAlone) {
  {
    PackageWriter writer;
    ASSERT_TRUE(BeginSave(writer));
    ASSERT_TRUE(AddEntryFromStrings(writer, {"a=1"}, "valuevar.info"));
    ASSERT_TRUE(FinishPackage(writer));
  }
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FPath, reader));
  TPeltoProcessStack stack;
  PushPosition(stack, "main", "A", 4);
  const std::vector<std::string> before = StackLines(stack);
  EXPECT_FALSE(stack.LoadFromContainer(reader));
  EXPECT_EQ(StackLines(stack), before);
}

}  // namespace
}  // namespace pelto5
