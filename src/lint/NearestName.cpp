#include "lint/NearestName.h"

#include <algorithm>

#include "base/SjisText.h"

namespace pelto5 {

namespace {

// Insertions, deletions, substitutions and swaps of two neighbours each
// count one edit ("@Wiat" is one edit from "@Wait").
size_t EditDistance(const std::string& a, const std::string& b) {
  const size_t width = b.size() + 1;
  std::vector<size_t> d((a.size() + 1) * width);
  auto at = [&](size_t i, size_t j) -> size_t& { return d[i * width + j]; };
  for (size_t i = 0; i <= a.size(); ++i) at(i, 0) = i;
  for (size_t j = 0; j <= b.size(); ++j) at(0, j) = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t best = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) best = std::min(best, at(i - 2, j - 2) + 1);
      at(i, j) = best;
    }
  }
  return at(a.size(), b.size());
}

}  // namespace

std::string NearestName(std::string_view name, const std::vector<std::string>& candidates) {
  const std::string folded = sjis::UpperAscii(name);
  // One edit in four characters, at least one and at most three.
  const size_t limit = std::clamp<size_t>(folded.size() / 4, 1, 3);
  std::string best;
  size_t bestDistance = limit + 1;
  for (const std::string& candidate : candidates) {
    const size_t d = EditDistance(folded, sjis::UpperAscii(candidate));
    if (d < bestDistance) {
      bestDistance = d;
      best = candidate;
    }
  }
  return best;
}

}  // namespace pelto5
