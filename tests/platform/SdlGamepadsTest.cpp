// A game controller's events as the SDL backend hands them on: buttons as
// presses and releases, the left stick as D-pad presses with a gap between
// leaning far enough to press and coming back far enough to release, and
// nothing but plugging followed while input is not taken.
#include "platform/sdl/SdlGamepads.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelto5 {
namespace {

class TPadClient : public TPlatformClient {
 public:
  std::vector<std::string> Pad;
  void FormMouseDown(TMouseButton, int, int) override {}
  void FormMouseUp(TMouseButton, int, int) override {}
  void FormMouseMove(int, int) override {}
  void FormKeyDown(int) override {}
  void FormKeyUp(int) override {}
  void FormPaint() override {}
  void FormActivate() override {}
  void MainTimerTimer() override {}
  void FormPadButton(TPadButton button, bool down) override {
    Pad.push_back(std::to_string(static_cast<int>(button)) + (down ? " down" : " up"));
  }
};

SDL_Event Axis(uint8_t axis, int16_t value) {
  SDL_Event e{};
  e.type = SDL_CONTROLLERAXISMOTION;
  e.caxis.axis = axis;
  e.caxis.value = value;
  return e;
}

SDL_Event Button(uint8_t button, bool down) {
  SDL_Event e{};
  e.type = down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
  e.cbutton.button = button;
  return e;
}

std::string Of(TPadButton b, const char* what) { return std::to_string(static_cast<int>(b)) + " " + what; }

TEST(SdlGamepads, StickPressesAndReleasesDirectionsWithAGapAndButtonsPassThrough) {
  TSdlGamepads pads;
  TPadClient client;
  // Leaning right: pressed only past the press threshold, held while it
  // stays beyond the release one, released below it; then all the way left.
  for (int16_t x : {12000, 20000, 30000, 10000, 7000, -32768, 0}) {
    EXPECT_TRUE(pads.Handle(Axis(SDL_CONTROLLER_AXIS_LEFTX, x), &client));
  }
  // Down on the vertical axis; the right stick moves nothing.
  EXPECT_TRUE(pads.Handle(Axis(SDL_CONTROLLER_AXIS_LEFTY, 32767), &client));
  EXPECT_TRUE(pads.Handle(Axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767), &client));
  EXPECT_TRUE(pads.Handle(Button(SDL_CONTROLLER_BUTTON_A, true), &client));
  EXPECT_TRUE(pads.Handle(Button(SDL_CONTROLLER_BUTTON_A, false), &client));
  EXPECT_TRUE(pads.Handle(Button(SDL_CONTROLLER_BUTTON_GUIDE, true), &client));
  const std::vector<std::string> expected = {
      Of(TPadButton::DpadRight, "down"), Of(TPadButton::DpadRight, "up"), Of(TPadButton::DpadLeft, "down"),
      Of(TPadButton::DpadLeft, "up"),    Of(TPadButton::DpadDown, "down"), Of(TPadButton::A, "down"),
      Of(TPadButton::A, "up")};
  EXPECT_EQ(client.Pad, expected);

  // While a dialog is up the events are taken but reach nobody; a key
  // event is not the controller's.
  EXPECT_TRUE(pads.Handle(Button(SDL_CONTROLLER_BUTTON_B, true), nullptr));
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  EXPECT_FALSE(pads.Handle(key, &client));
  EXPECT_EQ(client.Pad.size(), expected.size());
}

}  // namespace
}  // namespace pelto5
