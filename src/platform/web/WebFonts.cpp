#include "platform/web/WebFonts.h"

#include <emscripten.h>

namespace pelto5 {

EM_ASYNC_JS(int, pelto5_web_fetch_font, (const char* path, int whole), {
  const page = Module.pelto5Page;
  if (!page || !page.fetchFont) return 0;
  return (await page.fetchFont(UTF8ToString(path), whole !== 0)) ? 1 : 0;
});

bool FetchWebFont(const std::string& path, bool whole) {
  return pelto5_web_fetch_font(path.c_str(), whole ? 1 : 0) != 0;
}

}  // namespace pelto5
