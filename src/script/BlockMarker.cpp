#include "script/BlockMarker.h"

#include "base/SjisText.h"

namespace pelto5 {

TBlockMarker ClassifyBlockLine(std::string_view line) {
  const std::string_view text = sjis::TrimmedView(line);
  if (text.empty() || text[0] != '<') return TBlockMarker::None;
  const size_t eq = sjis::FindChar(text, '=');
  if (eq != std::string_view::npos) {
    const std::string_view word = text.substr(1, eq - 1);
    if (word == "Head") return TBlockMarker::HeadStart;
    if (word == "Book") return TBlockMarker::BookStart;
    if (word == "Page") return TBlockMarker::PageStart;
    return TBlockMarker::Unknown;
  }
  size_t blank = 1;
  while (blank < text.size() && static_cast<unsigned char>(text[blank]) > 0x20) {
    blank += sjis::CharLength(text, blank);
  }
  const std::string_view word = text.substr(1, blank - 1);
  if (word == "Head") return TBlockMarker::HeadEnd;
  if (word == "Book") return TBlockMarker::BookEnd;
  if (word == "Page") return TBlockMarker::PageEnd;
  return TBlockMarker::Unknown;
}

std::string BlockName(std::string_view line) {
  const size_t eq = sjis::FindChar(line, '=');
  if (eq == std::string_view::npos) return {};
  const std::string_view rest = line.substr(eq + 1);
  const size_t gt = sjis::FindChar(rest, '>');
  if (gt == std::string_view::npos) return {};
  std::string_view name = rest.substr(0, gt);
  const size_t open = sjis::FindChar(name, '"');
  if (open != std::string_view::npos) {
    name = name.substr(open + 1);
    const size_t close = sjis::FindChar(name, '"');
    if (close != std::string_view::npos) name = name.substr(0, close);
  }
  return std::string(name);
}

}  // namespace pelto5
