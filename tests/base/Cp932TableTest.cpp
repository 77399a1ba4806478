// The code page 932 table that the browser build converts with must agree
// with glibc's iconv, which the desktop build uses: every code, every
// character, and whole texts with broken bytes in them.
#include "base/Cp932Table.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <iconv.h>
#endif

#include <string>

#include "base/SjisText.h"

namespace pelto5 {
namespace {

#ifndef _WIN32
std::string Iconv(const char* to, const char* from, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no converter>";
  std::string out(in.size() * 4 + 8, '\0');
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || inLeft != 0) return "<invalid>";
  out.resize(out.size() - outLeft);
  return out;
}
#endif


TEST(Cp932Table, EveryCodeAndCharacterAsGlibcConvertsIt) {
#ifdef _WIN32
  GTEST_SKIP() << "glibc's iconv is the reference, and Windows has none";
#else
  int codes = 0;
  for (unsigned code = 0x80; code <= 0xFCFC; ++code) {
    std::string bytes;
    if (code > 0xFF) {
      const unsigned lead = code >> 8;
      if (lead < 0x81 || (lead >= 0xA0 && lead < 0xE0)) continue;
      bytes.push_back(static_cast<char>(lead));
    } else if (code >= 0xA0 && code < 0xE0 && code != 0xA0) {
      // single-byte katakana
    } else if (code > 0x80) {
      continue;
    }
    bytes.push_back(static_cast<char>(code & 0xFF));
    const std::string expected = Iconv("UTF-8", "CP932", bytes);
    const std::string byTable = sjis::ToUtf8ByTable(bytes);
    if (expected == "<invalid>") {
      EXPECT_EQ(cp932::ToUnicode(code), 0u) << std::hex << code;
      continue;
    }
    ++codes;
    ASSERT_EQ(byTable, expected) << std::hex << code;
    // Back again: the code glibc writes for that character.
    EXPECT_EQ(sjis::FromUtf8ByTable(expected), Iconv("CP932", "UTF-8", expected)) << std::hex << code;
  }
  EXPECT_GT(codes, 9000);
#endif
}

TEST(Cp932Table, TextsWithBrokenBytesConvertAsTheDesktopDoes) {
  // "灯台①～" with a lone lead byte, an unmapped code and ASCII around.
  const std::string sjisText = "a\x93\x95\x91\xe4\x87\x40\x81\x60 \x85\x40 b\x82";
  EXPECT_EQ(sjis::ToUtf8ByTable(sjisText), sjis::ToUtf8(sjisText));
  const std::string utf8 = "x\xe7\x81\xaf\xe2\x91\xa0\xef\xbd\x9e \xf0\x9f\x98\x80 \xc3 y\xe2\x82";
  EXPECT_EQ(sjis::FromUtf8ByTable(utf8), sjis::FromUtf8(utf8));
}

}  // namespace
}  // namespace pelto5
