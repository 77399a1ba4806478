#include "platform/web/WebFonts.h"

#include <emscripten.h>

namespace pelto5 {

EM_ASYNC_JS(int, pelto5_web_fetch_font, (const char* path), {
  const page = Module.pelto5Page;
  if (!page || !page.fetchFont) return 0;
  return (await page.fetchFont(UTF8ToString(path))) ? 1 : 0;
});

bool FetchWebFont(const std::string& path) { return pelto5_web_fetch_font(path.c_str()) != 0; }

}  // namespace pelto5
