// A short bitmap that claims a huge size must fail before the picture is
// allocated. The decode runs in a child process whose peak resident size
// (VmHWM, which starts at the current size after fork) shows whether a
// large block was allocated and filled.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "image/BmpDecoder.h"

namespace pelto5 {
namespace {

long PeakResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// A 24-bit BMP header claiming width x height, followed by a few bytes.
std::string ShortBmp(int32_t width, int32_t height) {
  std::string s(54 + 16, '\0');
  auto put32 = [&s](size_t p, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[p + i] = static_cast<char>(v >> (8 * i));
  };
  s[0] = 'B';
  s[1] = 'M';
  put32(2, static_cast<uint32_t>(s.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  s[26] = 1;
  s[28] = 24;
  return s;
}

// Runs the decode in a child; returns the growth of its peak resident size
// in kB, or -1 if the child did not report. decoded tells the result.
long PeakGrowthOfDecode(const std::string& bmp, bool& decoded) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    const long before = PeakResidentKb();
    TPicture picture;
    const bool ok = DecodeBmp(bmp, picture);
    const long growth = PeakResidentKb() - before;
    char report[64];
    const int n = std::snprintf(report, sizeof report, "%d %ld", ok ? 1 : 0, growth);
    if (write(pipeFds[1], report, static_cast<size_t>(n)) != n) _exit(2);
    _exit(0);
  }
  close(pipeFds[1]);
  char buffer[64] = {};
  const ssize_t n = read(pipeFds[0], buffer, sizeof buffer - 1);
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (n <= 0) return -1;
  int ok = 0;
  long growth = -1;
  if (std::sscanf(buffer, "%d %ld", &ok, &growth) != 2) return -1;
  decoded = ok != 0;
  return growth;
}

TEST(BmpAllocation, AShortBitmapClaimingAHugeSizeFailsWithoutALargeAllocation) {
  // 16000 x 16000 and 8192 x 8192 (the largest area a surface takes, which
  // would be a 256 MB picture).
  for (const auto& [w, h] : {std::pair{16000, 16000}, std::pair{8192, 8192}, std::pair{8192, -8192}}) {
    bool decoded = true;
    const long growth = PeakGrowthOfDecode(ShortBmp(w, h), decoded);
    ASSERT_GE(growth, 0) << w << "x" << h;
    EXPECT_FALSE(decoded) << w << "x" << h;
    EXPECT_LT(growth, 16 * 1024) << w << "x" << h << ": peak grew by " << growth << " kB";
  }
  // The measurement does see a picture that is allocated: a complete
  // 2048 x 2048 bitmap (16 MB of pixels) decodes and shows up.
  std::string full = ShortBmp(2048, 2048);
  full.resize(54 + size_t{2048} * 2048 * 3, '\x7F');
  bool decoded = false;
  const long growth = PeakGrowthOfDecode(full, decoded);
  EXPECT_TRUE(decoded);
  EXPECT_GT(growth, 12 * 1024);
}

}  // namespace
}  // namespace pelto5
