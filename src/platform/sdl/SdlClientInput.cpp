#include "platform/sdl/SdlClientInput.h"

#include "platform/sdl/SdlKeys.h"

namespace pelto5 {

void MapPointerToPicture(SDL_Event& event, const TLetterbox& box) {
  if (event.type == SDL_MOUSEMOTION) {
    box.ToPicture(event.motion.x, event.motion.y, event.motion.x, event.motion.y);
  } else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
    box.ToPicture(event.button.x, event.button.y, event.button.x, event.button.y);
  }
}

void DeliverInput(const SDL_Event& event, uint32_t mainWindowId, const TLetterbox& box,
                  TPlatformClient& client) {
  if (mainWindowId == 0 || !IsInputEvent(event.type) || InputEventWindow(event) != mainWindowId) return;
  SDL_Event mapped = event;
  MapPointerToPicture(mapped, box);
  switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      TMouseButton button;
      if (!MouseButtonFromSdl(event.button.button, button)) return;
      if (event.type == SDL_MOUSEBUTTONDOWN) {
        client.FormMouseDown(button, mapped.button.x, mapped.button.y);
      } else {
        client.FormMouseUp(button, mapped.button.x, mapped.button.y);
      }
      return;
    }
    case SDL_MOUSEMOTION:
      client.FormMouseMove(mapped.motion.x, mapped.motion.y);
      return;
    case SDL_MOUSEWHEEL: {
      if (event.wheel.y == 0) return;
      const int delta = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      int x = 0;
      int y = 0;
      SDL_GetMouseState(&x, &y);
      box.ToPicture(x, y, x, y);
      client.FormMouseWheel(delta, x, y);
      return;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      if (event.key.keysym.sym == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT) != 0) {
        // Alt+Enter switches full screen; the script sees no Enter.
        if (event.type == SDL_KEYDOWN && !event.key.repeat) client.FormToggleFullScreen();
        return;
      }
      const int key = VirtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.scancode);
      if (key == 0) return;
      if (event.type == SDL_KEYDOWN) {
        client.FormKeyDown(key);
      } else {
        client.FormKeyUp(key);
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace pelto5
