// Game controllers through SDL's GameController layer: every controller
// plugged in (at start or later) is opened, its buttons reach the client
// as TPadButton presses and its left stick as the D-pad's buttons.
#pragma once

#include <SDL.h>

#include <array>
#include <vector>

#include "platform/Platform.h"

namespace pelto5 {

class TSdlGamepads {
 public:
  // How far the stick must lean to press a direction, and come back to
  // release it (of 32767).
  static constexpr int kStickPress = 16000;
  static constexpr int kStickRelease = 8000;

  TSdlGamepads() = default;
  ~TSdlGamepads() { Stop(); }
  TSdlGamepads(const TSdlGamepads&) = delete;
  TSdlGamepads& operator=(const TSdlGamepads&) = delete;

  // Starts SDL's controller subsystem and opens the controllers there are;
  // without one the player simply has none.
  void Start();
  void Stop();
  // True when event was a controller's (handled here); client null while
  // input is not taken (a dialog is up), when only plugging is followed.
  bool Handle(const SDL_Event& event, TPlatformClient* client);

  // SDL's controller button as ours; false for one the player does not use.
  static bool ButtonFromSdl(uint8_t button, TPadButton& out);

 private:
  void Open(int deviceIndex);
  void Close(SDL_JoystickID id);
  // The stick's lean on one axis as presses and releases of two directions.
  void StickAxis(int value, TPadButton negative, TPadButton positive, TPlatformClient* client);

  bool FStarted = false;
  std::vector<SDL_GameController*> FControllers;
  // The D-pad directions the stick holds down now (by TPadButton).
  std::array<bool, 12> FStickDown{};
};

}  // namespace pelto5
