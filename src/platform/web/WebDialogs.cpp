#include "platform/web/WebDialogs.h"

#include <emscripten.h>

#include <cstdlib>

namespace pelto5 {

namespace {

// Button sets and answers as the page numbers them.
int ButtonsCode(TMessageButtons buttons) {
  switch (buttons) {
    case TMessageButtons::Ok: return 0;
    case TMessageButtons::AbortIgnore: return 1;
    case TMessageButtons::YesNo: return 2;
  }
  return 0;
}

int IconCode(TMessageIcon icon) {
  switch (icon) {
    case TMessageIcon::Error: return 0;
    case TMessageIcon::Warning: return 1;
    case TMessageIcon::None: return 2;
  }
  return 2;
}

// The answer a box gives when it is closed without a button: the one that
// goes on (Ignore, No) rather than the one that stops.
TMessageResult ClosedAnswer(TMessageButtons buttons) {
  switch (buttons) {
    case TMessageButtons::Ok: return TMessageResult::Ok;
    case TMessageButtons::AbortIgnore: return TMessageResult::Ignore;
    case TMessageButtons::YesNo: return TMessageResult::No;
  }
  return TMessageResult::Ok;
}

}  // namespace

// Resolves to the answer: 0 OK, 1 Abort, 2 Ignore, 3 Yes, 4 No; -1 when the
// box was closed otherwise.
EM_ASYNC_JS(int, pelto5_web_message_box, (const char* title, const char* text, int icon, int buttons), {
  const page = Module.pelto5Page;
  const t = UTF8ToString(title);
  const m = UTF8ToString(text);
  if (page && page.messageBox) return await page.messageBox(t, m, icon, buttons);
  if (buttons === 0) {
    alert(m);
    return 0;
  }
  const yes = confirm(m);
  if (buttons === 1) return yes ? 1 : 2;
  return yes ? 3 : 4;
});

// Resolves to a malloc'd UTF-8 copy of the accepted text, or 0 on Cancel.
EM_ASYNC_JS(char*, pelto5_web_input_query, (const char* caption, const char* prompt, const char* value), {
  const page = Module.pelto5Page;
  const c = UTF8ToString(caption);
  const p = UTF8ToString(prompt);
  const v = UTF8ToString(value);
  const answer = page && page.inputQuery ? await page.inputQuery(c, p, v) : prompt(p, v);
  if (answer === null || answer === undefined) return 0;
  const size = lengthBytesUTF8(answer) + 1;
  const copy = _malloc(size);
  if (copy) stringToUTF8(answer, copy, size);
  return copy;
});

TMessageResult ShowWebMessageBox(const std::string& title, const std::string& text, TMessageIcon icon,
                                 TMessageButtons buttons) {
  const int answer = pelto5_web_message_box(title.c_str(), text.c_str(), IconCode(icon), ButtonsCode(buttons));
  switch (answer) {
    case 0: return TMessageResult::Ok;
    case 1: return buttons == TMessageButtons::AbortIgnore ? TMessageResult::Abort : ClosedAnswer(buttons);
    case 2: return buttons == TMessageButtons::AbortIgnore ? TMessageResult::Ignore : ClosedAnswer(buttons);
    case 3: return buttons == TMessageButtons::YesNo ? TMessageResult::Yes : ClosedAnswer(buttons);
    case 4: return buttons == TMessageButtons::YesNo ? TMessageResult::No : ClosedAnswer(buttons);
    default: return ClosedAnswer(buttons);
  }
}

bool RunWebInputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
  char* answer = pelto5_web_input_query(caption.c_str(), prompt.c_str(), value.c_str());
  if (!answer) return false;
  value = answer;
  std::free(answer);
  return true;
}

}  // namespace pelto5
