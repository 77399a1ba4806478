#include "platform/sdl/SdlMessageBox.h"

#include <cstdio>
#include <vector>

#include "base/SjisText.h"
#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/SdlTicks.h"

namespace pelto5 {

namespace {

// Line breaks as the message box draws them: CR LF and lone CR become LF.
std::string NormalizeLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
      continue;
    }
    out += '\n';
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  return out;
}

// Drops the input events queued since the tick; other events are kept in order.
void DropInputSince(uint32_t since) {
  SDL_PumpEvents();
  std::vector<SDL_Event> kept;
  SDL_Event event;
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    if (IsInputEvent(event.type) && TickReached(event.common.timestamp, since)) continue;
    kept.push_back(event);
  }
  if (!kept.empty()) SDL_PeepEvents(kept.data(), static_cast<int>(kept.size()), SDL_ADDEVENT, 0, 0);
}

}  // namespace

TMessageResult ShowSdlMessageBox(const std::string& text, TMessageIcon icon, TMessageButtons buttons,
                                 const std::string& caption, SDL_Window* parent, bool videoStarted) {
  // Enter answers the first result, Escape the second.
  TMessageResult enterResult = TMessageResult::Ok;
  TMessageResult escapeResult = TMessageResult::Ok;
  std::vector<SDL_MessageBoxButtonData> buttonData;
  switch (buttons) {
    case TMessageButtons::Ok:
      buttonData = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                     static_cast<int>(TMessageResult::Ok), "OK"}};
      break;
    case TMessageButtons::AbortIgnore:
      enterResult = TMessageResult::Ignore;
      escapeResult = TMessageResult::Abort;
      buttonData = {{SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, static_cast<int>(TMessageResult::Abort), "Abort"},
                    {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, static_cast<int>(TMessageResult::Ignore), "Ignore"}};
      break;
    case TMessageButtons::YesNo:
      enterResult = TMessageResult::Yes;
      escapeResult = TMessageResult::No;
      buttonData = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, static_cast<int>(TMessageResult::Yes), "Yes"},
                    {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, static_cast<int>(TMessageResult::No), "No"}};
      break;
  }
  Uint32 flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  switch (icon) {
    case TMessageIcon::Error: flags |= SDL_MESSAGEBOX_ERROR; break;
    case TMessageIcon::Warning: flags |= SDL_MESSAGEBOX_WARNING; break;
    case TMessageIcon::None: flags |= SDL_MESSAGEBOX_INFORMATION; break;
  }
  const std::string message = NormalizeLineBreaks(sjis::ToUtf8(text));
  const std::string title = sjis::ToUtf8(caption);
  SDL_MessageBoxData data{};
  data.flags = flags;
  data.window = parent;
  data.title = title.c_str();
  data.message = message.c_str();
  data.numbuttons = static_cast<int>(buttonData.size());
  data.buttons = buttonData.data();
  if (videoStarted) SDL_PumpEvents();  // earlier input keeps its earlier time stamp
  const uint32_t shownAt = SDL_GetTicks();
  int pressed = -1;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) {
    // No box could be shown: say it on standard error and go on as if the
    // default button had been chosen.
    std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
    return enterResult;
  }
  if (videoStarted) DropInputSince(shownAt);
  for (const SDL_MessageBoxButtonData& button : buttonData) {
    if (button.buttonid == pressed) return static_cast<TMessageResult>(pressed);
  }
  return escapeResult;  // the box was closed without a button
}

}  // namespace pelto5
