// --text-out to a Windows named pipe, line by line: a reader that goes
// away loses the lines meanwhile, and one that comes back gets the next
// line on a pipe opened again; a full pipe takes no part of a line.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/PipeWriter.h"
#include "platform/TextOutput.h"
#include "support/PipeServer.h"

namespace pelto5 {
namespace {

using test::TPipeServer;

TEST(TextOutputPipe, ReaderThatGoesAwayAndComesBackGetsTheLinesWhileItIsThere) {
  auto reader = std::make_unique<TPipeServer>(4096);
  ASSERT_TRUE(reader->IsOpen());
  const std::string name = reader->Name();
  const std::unique_ptr<TTextOutput> out = TTextOutput::Open(name);
  out->Put("{\"n\":1}", "");
  out->Put("{\"n\":2}", "");
  EXPECT_EQ(reader->ReadAvailable(), "{\"n\":1}\n{\"n\":2}\n");
  EXPECT_EQ(out->Dropped(), 0);

  // Gone: the line written into the closed pipe is lost, and so is the one
  // for which no pipe is there to open.
  reader.reset();
  out->Put("{\"n\":3}", "");
  out->Put("{\"n\":4}", "");
  EXPECT_EQ(out->Dropped(), 2);

  // Back under the same name: the next line opens the pipe again.
  TPipeServer back(4096, name);
  ASSERT_TRUE(back.IsOpen());
  out->Put("{\"n\":5}", "");
  EXPECT_EQ(back.ReadAvailable(), "{\"n\":5}\n");
  EXPECT_EQ(out->Dropped(), 2);
}

TEST(TextOutputPipe, FullPipeDropsWholeLinesUntilTheReaderReads) {
  TPipeServer reader(64);
  ASSERT_TRUE(reader.IsOpen());
  // With "/" between the parts, as the player holds paths.
  std::string slashed = reader.Name();
  for (char& c : slashed) c = c == '\\' ? '/' : c;
  ASSERT_TRUE(TTextOutput::IsNamedPipe(slashed));
  const std::unique_ptr<TTextOutput> out = TTextOutput::Open(slashed);
  // Lines until the pipe is full and one is dropped (a line the pipe took
  // in part is finished later).
  std::string expected;
  for (int n = 0; n < 100000 && out->Dropped() == 0; ++n) {
    const std::string line = "{\"n\":" + std::to_string(n) + "}";
    out->Put(line, "");
    if (out->Dropped() == 0) expected += line + "\n";
  }
  ASSERT_EQ(out->Dropped(), 1);
  EXPECT_GT(expected.size(), 0u);
  // Once read, the pipe takes the rest of a broken line and the next one.
  std::string received = reader.ReadAvailable();
  out->Put("{\"n\":\"last\"}", "");
  received += reader.ReadAvailable();
  EXPECT_EQ(received, expected + "{\"n\":\"last\"}\n");
  EXPECT_EQ(out->Dropped(), 1);
}

TEST(TextOutputPipe, OnlyThePipeFolderNamesAPipe) {
  EXPECT_TRUE(TPipeWriter::IsPipeName("\\\\.\\pipe\\screen-reader"));
  EXPECT_TRUE(TPipeWriter::IsPipeName("//./PIPE/screen-reader"));
  EXPECT_FALSE(TPipeWriter::IsPipeName("\\\\.\\pipe\\"));
  EXPECT_FALSE(TPipeWriter::IsPipeName("\\\\.\\pipes\\x"));
  EXPECT_FALSE(TPipeWriter::IsPipeName("\\\\server\\pipe\\x"));
  EXPECT_FALSE(TPipeWriter::IsPipeName("C:/pipe/x"));
  // A pipe nobody serves does not open; writing says the reader is gone.
  TPipeWriter writer;
  EXPECT_FALSE(writer.Open("\\\\.\\pipe\\pelto5-nobody-serves-this"));
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(writer.Write("x", 1), -1);
}

}  // namespace
}  // namespace pelto5
#endif
