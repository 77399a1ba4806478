#include "platform/sdl/SdlGamepads.h"

#include <algorithm>

namespace pelto5 {

void TSdlGamepads::Start() {
  if (FStarted) return;
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;
  FStarted = true;
  // The controllers there are now also arrive as "added" events; opening
  // them twice is harmless, as SDL counts the opens.
  for (int i = 0; i < SDL_NumJoysticks(); ++i) Open(i);
}

void TSdlGamepads::Stop() {
  if (!FStarted) return;
  for (SDL_GameController* controller : FControllers) SDL_GameControllerClose(controller);
  FControllers.clear();
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  FStarted = false;
}

void TSdlGamepads::Open(int deviceIndex) {
  if (!SDL_IsGameController(deviceIndex)) return;
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  for (SDL_GameController* c : FControllers) {
    if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c)) == id) return;
  }
  if (SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex)) FControllers.push_back(controller);
}

void TSdlGamepads::Close(SDL_JoystickID id) {
  auto gone = [id](SDL_GameController* c) {
    if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c)) != id) return false;
    SDL_GameControllerClose(c);
    return true;
  };
  std::erase_if(FControllers, gone);
}

bool TSdlGamepads::ButtonFromSdl(uint8_t button, TPadButton& out) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A: out = TPadButton::A; return true;
    case SDL_CONTROLLER_BUTTON_B: out = TPadButton::B; return true;
    case SDL_CONTROLLER_BUTTON_X: out = TPadButton::X; return true;
    case SDL_CONTROLLER_BUTTON_Y: out = TPadButton::Y; return true;
    case SDL_CONTROLLER_BUTTON_BACK: out = TPadButton::Back; return true;
    case SDL_CONTROLLER_BUTTON_START: out = TPadButton::Start; return true;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: out = TPadButton::LeftShoulder; return true;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: out = TPadButton::RightShoulder; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: out = TPadButton::DpadUp; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: out = TPadButton::DpadDown; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: out = TPadButton::DpadLeft; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: out = TPadButton::DpadRight; return true;
    default: return false;
  }
}

void TSdlGamepads::StickAxis(int value, TPadButton negative, TPadButton positive, TPlatformClient* client) {
  for (const TPadButton direction : {negative, positive}) {
    const int lean = direction == negative ? -value : value;
    bool& down = FStickDown[static_cast<size_t>(direction)];
    const bool now = down ? lean > kStickRelease : lean > kStickPress;
    if (now == down) continue;
    down = now;
    if (client) client->FormPadButton(direction, now);
  }
}

bool TSdlGamepads::Handle(const SDL_Event& event, TPlatformClient* client) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
      Open(event.cdevice.which);
      return true;
    case SDL_CONTROLLERDEVICEREMOVED:
      Close(event.cdevice.which);
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      TPadButton button = TPadButton::A;
      if (client && ButtonFromSdl(event.cbutton.button, button)) {
        client->FormPadButton(button, event.type == SDL_CONTROLLERBUTTONDOWN);
      }
      return true;
    }
    case SDL_CONTROLLERAXISMOTION:
      if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
        StickAxis(event.caxis.value, TPadButton::DpadLeft, TPadButton::DpadRight, client);
      } else if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
        StickAxis(event.caxis.value, TPadButton::DpadUp, TPadButton::DpadDown, client);
      }
      return true;
    default:
      return false;
  }
}

}  // namespace pelto5
