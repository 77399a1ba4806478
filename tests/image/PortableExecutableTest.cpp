// The machine of a Windows DLL, read from the start of its file before the
// player hands it to the loader: what a real linker writes, and starts of
// files that only look like one.
#include "image/PortableExecutable.h"

#include <gtest/gtest.h>

#include <string>

namespace pelto5 {
namespace {

// The start of a PE file: "MZ", the PE header's offset at 0x3C, then the
// signature and the machine there.
std::string Head(uint32_t peOffset, uint16_t machine, size_t size = 1024) {
  std::string head(size, '\0');
  head[0] = 'M';
  head[1] = 'Z';
  for (int i = 0; i < 4; ++i) head[0x3C + i] = static_cast<char>((peOffset >> (8 * i)) & 0xFF);
  if (size_t{peOffset} + 6 <= size) {
    head.replace(peOffset, 4, std::string("PE\0\0", 4));
    head[peOffset + 4] = static_cast<char>(machine & 0xFF);
    head[peOffset + 5] = static_cast<char>(machine >> 8);
  }
  return head;
}

TEST(PortableExecutable, ReadsTheMachineWhereTheDosHeaderPoints) {
  EXPECT_EQ(TPortableExecutable::Machine(Head(0x80, 0x014C)), TPortableExecutable::kMachineI386);
  EXPECT_EQ(TPortableExecutable::Machine(Head(0x100, 0x8664)), TPortableExecutable::kMachineAmd64);
  // The header may lie anywhere in the head, its last byte included.
  EXPECT_EQ(TPortableExecutable::Machine(Head(1018, 0xAA64)), TPortableExecutable::kMachineArm64);
  EXPECT_EQ(TPortableExecutable::MachineName(0x014C), "32-bit x86");
  EXPECT_EQ(TPortableExecutable::MachineName(0x8664), "64-bit x86");
  EXPECT_EQ(TPortableExecutable::MachineName(0x0200), "machine 0x0200");
}

TEST(PortableExecutable, AnythingElseIsNoPeFile) {
  EXPECT_EQ(TPortableExecutable::Machine(""), 0);
  EXPECT_EQ(TPortableExecutable::Machine("MZ"), 0);
  std::string elf = Head(0x80, 0x8664);
  elf.replace(0, 4, "\x7F" "ELF");
  EXPECT_EQ(TPortableExecutable::Machine(elf), 0);
  // An old DOS program: "MZ" but no PE signature where the field points.
  std::string dos = Head(0x80, 0x8664);
  dos[0x80] = 'N';
  EXPECT_EQ(TPortableExecutable::Machine(dos), 0);
  // The header cut off by the end of the head, or pointed to far beyond it
  // (a pointer near 4 GB must not wrap around).
  EXPECT_EQ(TPortableExecutable::Machine(Head(1019, 0x8664)), 0);
  EXPECT_EQ(TPortableExecutable::Machine(Head(0xFFFFFFFEu, 0x8664)), 0);
  EXPECT_EQ(TPortableExecutable::Machine(Head(0x3C, 0x8664, 0x40)), 0);
}

}  // namespace
}  // namespace pelto5
