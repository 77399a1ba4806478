#include "platform/sdl/SdlVideo.h"

#include <SDL.h>

#include <cstring>
#include <string>

namespace pelto5 {

namespace {

// How often, and how many milliseconds apart, a named display is tried.
constexpr int kDisplayAttempts = 5;
constexpr uint32_t kDisplayRetryDelay = 100;

bool HasEnvironment(const char* name) {
  const char* value = SDL_getenv(name);
  return value && *value;
}

// Whether this SDL was built with the named video driver.
bool HasDriver(const char* name) {
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const char* driver = SDL_GetVideoDriver(i);
    if (driver && std::strcmp(driver, name) == 0) return true;
  }
  return false;
}

}  // namespace

TResult TSdlVideo::Start() {
  const char* wanted = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  const bool driverAsked = wanted && *wanted;
  const bool displayNamed = HasEnvironment("DISPLAY") || HasEnvironment("WAYLAND_DISPLAY");
  // With only an X display named, SDL is not to go on to Wayland when the X
  // server refuses a connection for a moment: there is no Wayland session
  // to find, its library complains about that on standard error, and the
  // attempt is made again here anyway.
  // (Windows and macOS builds have no X11 driver, whatever DISPLAY says.)
  const bool onlyX =
      !driverAsked && HasEnvironment("DISPLAY") && !HasEnvironment("WAYLAND_DISPLAY") && HasDriver("x11");
  for (int attempt = 1;; ++attempt) {
    if (onlyX) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    const int started = SDL_InitSubSystem(SDL_INIT_VIDEO);
    if (onlyX) SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    if (started != 0) {
      if (!displayNamed || attempt >= kDisplayAttempts) {
        return TResult::Fail(std::string("cannot open the main window: no display is available (") +
                             SDL_GetError() + ")");
      }
      SDL_Delay(kDisplayRetryDelay);
      continue;
    }
    FStarted = true;
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool fallback =
        driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (driverAsked || !fallback) return TResult::Ok();
    const std::string name = driver;
    Stop();
    if (!displayNamed || attempt >= kDisplayAttempts) {
      return TResult::Fail("no display could be opened (SDL fell back to its \"" + name +
                           "\" video driver); --headless runs the player without one");
    }
    SDL_Delay(kDisplayRetryDelay);
  }
}

void TSdlVideo::Stop() {
  if (!FStarted) return;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
  FStarted = false;
}

}  // namespace pelto5
