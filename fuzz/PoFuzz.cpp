// libFuzzer target: any bytes read as a translation's PO file. A file that
// is refused holds no entry and says why; a file that is taken finds each
// of its entries under its own context and text, and each translation
// becomes engine text (wide sequences for what code page 932 lacks) that
// steps character by character to its very end and converts back and
// forth unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/SjisText.h"
#include "script/Translation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pelto5::TTranslation translation;
  std::vector<std::string> errors;
  const bool taken =
      translation.Parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz.po", errors);
  if (taken != errors.empty()) std::abort();
  if (!taken && !translation.Empty()) std::abort();
  for (const std::string& e : errors) {
    if (e.rfind("fuzz.po:", 0) != 0 || e.find(": error: ") == std::string::npos) std::abort();
  }
  for (const auto& [context, entry] : translation.Entries()) {
    const std::string text = pelto5::sjis::FromUtf8Wide(entry.Text);
    size_t at = 0;
    while (at < text.size()) at += pelto5::sjis::CharLength(text, at);
    if (at != text.size()) std::abort();
    if (pelto5::sjis::FromUtf8Wide(pelto5::sjis::ToUtf8(text)) != text) std::abort();
  }
  return 0;
}
