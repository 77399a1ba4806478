#include "base/DeviceNames.h"

#include "base/SjisText.h"

namespace pelto5 {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameUpper(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (Upper(text[i]) != upper[i]) return false;
  }
  return true;
}

}  // namespace

bool IsDeviceName(std::string_view component) {
  // The device is named by what comes before the first dot; Windows drops
  // the blanks at its end.
  std::string_view stem = component.substr(0, component.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (SameUpper(stem, device)) return true;
  }
  if (stem.size() != 4 || stem[3] < '1' || stem[3] > '9') return false;
  return SameUpper(stem.substr(0, 3), "COM") || SameUpper(stem.substr(0, 3), "LPT");
}

bool NamesDevice(std::string_view sjisName) {
  size_t start = 0;
  for (size_t at = 0; at <= sjisName.size();) {
    const bool end = at == sjisName.size();
    const size_t length = end ? 1 : sjis::CharLength(sjisName, at);
    if (end || (length == 1 && (sjisName[at] == '\\' || sjisName[at] == '/'))) {
      if (IsDeviceName(sjisName.substr(start, at - start))) return true;
      start = at + 1;
    }
    at += length;
  }
  return false;
}

}  // namespace pelto5
