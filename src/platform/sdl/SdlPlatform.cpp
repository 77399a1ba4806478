#include "platform/sdl/SdlPlatform.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/Letterbox.h"
#include "platform/SjisText.h"
#include "platform/sdl/SdlAudioChannel.h"
#include "platform/sdl/SdlInputDialog.h"

namespace pelto5 {

namespace {

constexpr uint32_t kTimerInterval = 200;
constexpr const char* kDefaultCaption = "Peltoforge 5 Runtime";
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kMaxScale = 16;
// How often, and how many milliseconds apart, a named display is tried.
constexpr int kDisplayAttempts = 5;
constexpr uint32_t kDisplayRetryDelay = 100;
// Larger windows than this are refused by every display server we know.
constexpr int kMaxWindowSide = 16384;

// The select cursor: a pointing hand. 'X' black, '.' white, ' ' transparent;
// the hot spot is the tip of the index finger.
constexpr int kCursorSize = 32;
constexpr int kCursorHotX = 5;
constexpr int kCursorHotY = 0;
constexpr const char* kHandCursor[] = {
    "     XX          ",
    "    X..X         ",
    "    X..X         ",
    "    X..X         ",
    "    X..X         ",
    "    X..XXX       ",
    "    X..X..XXX    ",
    "    X..X..X..XX  ",
    "    X..X..X..X.X ",
    "XXX X..X..X..X..X",
    "X..XX...........X",
    "X...X...........X",
    " X..............X",
    "  X.............X",
    "  X............X ",
    "   X...........X ",
    "   X..........X  ",
    "    X.........X  ",
    "    X.........X  ",
    "    XXXXXXXXXXX  ",
};

// True once the wrapping tick counter has reached due.
bool TickReached(uint32_t now, uint32_t due) { return static_cast<int32_t>(now - due) >= 0; }

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

bool IsInputEvent(uint32_t type) {
  switch (type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTEDITING:
    case SDL_TEXTINPUT:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
      return true;
    default:
      return false;
  }
}

int VirtualKeyFromKeycode(int32_t keycode) {
  if (keycode >= SDLK_a && keycode <= SDLK_z) return 'A' + (keycode - SDLK_a);
  if (keycode >= SDLK_0 && keycode <= SDLK_9) return '0' + (keycode - SDLK_0);
  if (keycode >= SDLK_F1 && keycode <= SDLK_F12) return 112 + (keycode - SDLK_F1);
  if (keycode >= SDLK_F13 && keycode <= SDLK_F24) return 124 + (keycode - SDLK_F13);
  if (keycode >= SDLK_KP_1 && keycode <= SDLK_KP_9) return 97 + (keycode - SDLK_KP_1);
  switch (keycode) {
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_RETURN2: return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return 16;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return 17;
    case SDLK_LALT:
    case SDLK_RALT: return 18;
    case SDLK_PAUSE: return 19;
    case SDLK_CAPSLOCK: return 20;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    case SDLK_PRINTSCREEN: return 44;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    case SDLK_LGUI: return 91;
    case SDLK_RGUI: return 92;
    case SDLK_APPLICATION: return 93;
    case SDLK_KP_0: return 96;
    case SDLK_KP_MULTIPLY: return 106;
    case SDLK_KP_PLUS: return 107;
    case SDLK_KP_MINUS: return 109;
    case SDLK_KP_PERIOD: return 110;
    case SDLK_KP_DIVIDE: return 111;
    case SDLK_NUMLOCKCLEAR: return 144;
    case SDLK_SCROLLLOCK: return 145;
    case SDLK_SEMICOLON: return 186;
    case SDLK_EQUALS: return 187;
    case SDLK_COMMA: return 188;
    case SDLK_MINUS: return 189;
    case SDLK_PERIOD: return 190;
    case SDLK_SLASH: return 191;
    case SDLK_BACKQUOTE: return 192;
    case SDLK_LEFTBRACKET: return 219;
    case SDLK_BACKSLASH: return 220;
    case SDLK_RIGHTBRACKET: return 221;
    case SDLK_QUOTE: return 222;
    // Keys of the Japanese layout that have no place on the US one.
    case SDLK_COLON: return 186;
    case SDLK_AT: return 192;
    case SDLK_CARET: return 222;
    default: return 0;
  }
}

}  // namespace

int VirtualKeyFromSdl(int32_t keycode, int scancode) {
  if (const int vk = VirtualKeyFromKeycode(keycode); vk != 0) return vk;
  // A layout whose letter and digit keys produce other characters still
  // reports the key by its position, as Windows does.
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
  if (scancode == SDL_SCANCODE_0) return '0';
  return 0;
}

struct TSdlPlatform::TImpl {
  TSdlOptions Options;
  bool VideoStarted = false;
  bool NoDisplay = false;
  SDL_Window* Window = nullptr;
  SDL_Renderer* Renderer = nullptr;
  SDL_Texture* Texture = nullptr;
  int TextureWidth = 0;
  int TextureHeight = 0;
  SDL_Cursor* ArrowCursor = nullptr;
  SDL_Cursor* SelectCursor = nullptr;
  bool Shown = false;

  TCanvas Canvas;
  std::string Caption = kDefaultCaption;
  int Left = 0;
  int Top = 0;
  int CursorNumber = crDefault;
  bool FullScreen = false;

  bool Terminated = false;
  bool TimerEnabled = false;
  uint32_t NextTick = 0;
  TPlatformClient* Client = nullptr;
  // Open in-window dialogs; while one is open the client gets no input and
  // no timer ticks.
  int ModalDepth = 0;
  // The key that closed a dialog: its release belongs to the dialog too.
  SDL_Scancode SwallowKeyUp = SDL_SCANCODE_UNKNOWN;

  ~TImpl() { Shutdown(); }

  // Starts SDL's video. Without a display SDL quietly falls back to a video
  // driver that draws into memory only, and the player would run with
  // nothing on screen: that is accepted only when the user asked for such a
  // driver. A display that is named but refuses a connection for a moment
  // (a busy X server does) is tried again a few times first.
  bool StartVideo(std::string& error) {
    const char* wanted = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    const bool driverAsked = wanted && *wanted;
    const bool displayNamed = HasEnvironment("DISPLAY") || HasEnvironment("WAYLAND_DISPLAY");
    for (int attempt = 1;; ++attempt) {
      if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = std::string("cannot open the main window: no display is available (") + SDL_GetError() + ")";
        if (!displayNamed || attempt >= kDisplayAttempts) return false;
        SDL_Delay(kDisplayRetryDelay);
        continue;
      }
      VideoStarted = true;
      const char* driver = SDL_GetCurrentVideoDriver();
      const bool fallback =
          driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
      if (driverAsked || !fallback) return true;
      const std::string name = driver;
      Shutdown();
      if (!displayNamed || attempt >= kDisplayAttempts) {
        error = "no display could be opened (SDL fell back to its \"" + name +
                "\" video driver); --headless runs the player without one";
        return false;
      }
      SDL_Delay(kDisplayRetryDelay);
    }
  }

  static bool HasEnvironment(const char* name) {
    const char* value = SDL_getenv(name);
    return value && *value;
  }

  void Shutdown() {
    if (SelectCursor) SDL_FreeCursor(SelectCursor);
    if (ArrowCursor) SDL_FreeCursor(ArrowCursor);
    if (Texture) SDL_DestroyTexture(Texture);
    if (Renderer) SDL_DestroyRenderer(Renderer);
    if (Window) SDL_DestroyWindow(Window);
    SelectCursor = ArrowCursor = nullptr;
    Texture = nullptr;
    Renderer = nullptr;
    Window = nullptr;
    if (VideoStarted) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
      VideoStarted = false;
    }
  }

  int Scale() const { return std::clamp(Options.Scale, 1, kMaxScale); }

  // Where the picture lies in the window, in window points (what pointer
  // events use) or in the renderer's pixels (what drawing uses).
  TLetterbox PointerBox() const {
    int w = 0;
    int h = 0;
    if (Window) SDL_GetWindowSize(Window, &w, &h);
    return TLetterbox::Fit(Canvas.Width(), Canvas.Height(), w, h);
  }
  TLetterbox OutputBox() const {
    int w = 0;
    int h = 0;
    if (Renderer) SDL_GetRendererOutputSize(Renderer, &w, &h);
    return TLetterbox::Fit(Canvas.Width(), Canvas.Height(), w, h);
  }
  // A pointer event's position turned into picture pixels in place.
  void MapPointer(SDL_Event& event) const {
    const TLetterbox box = PointerBox();
    if (event.type == SDL_MOUSEMOTION) {
      box.ToPicture(event.motion.x, event.motion.y, event.motion.x, event.motion.y);
    } else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
      box.ToPicture(event.button.x, event.button.y, event.button.x, event.button.y);
    }
  }

  int ScaledSide(int side) const {
    const long long scaled = static_cast<long long>(std::max(side, 1)) * Scale();
    return static_cast<int>(std::min<long long>(scaled, kMaxWindowSide));
  }

  bool CreateRenderer(std::string& error) {
    Renderer = SDL_CreateRenderer(Window, -1, 0);
    if (!Renderer) Renderer = SDL_CreateRenderer(Window, -1, SDL_RENDERER_SOFTWARE);
    if (!Renderer) {
      error = std::string("cannot create a renderer for the main window: ") + SDL_GetError();
      return false;
    }
    return true;
  }

  // (Re)creates the streaming texture at the canvas size. A canvas the
  // renderer cannot hold leaves no texture; Present then shows black.
  void EnsureTexture() {
    if (!Renderer) return;
    const int w = Canvas.Width();
    const int h = Canvas.Height();
    if (Texture && TextureWidth == w && TextureHeight == h) return;
    if (Texture) SDL_DestroyTexture(Texture);
    Texture = nullptr;
    TextureWidth = TextureHeight = 0;
    if (w <= 0 || h <= 0) return;
    Texture = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
    if (!Texture) return;
    SDL_SetTextureScaleMode(Texture, Options.LinearFilter ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    TextureWidth = w;
    TextureHeight = h;
  }

  void Present() {
    if (!Renderer) return;
    EnsureTexture();
    SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
    SDL_RenderClear(Renderer);
    if (Texture) {
      SDL_UpdateTexture(Texture, nullptr, Canvas.Pixels(), Canvas.Width() * static_cast<int>(sizeof(uint32_t)));
      // The picture keeps its aspect; the rest of the window stays black.
      const TLetterbox box = OutputBox();
      const SDL_Rect target{box.X, box.Y, box.Width, box.Height};
      SDL_RenderCopy(Renderer, Texture, nullptr, &target);
    }
    SDL_RenderPresent(Renderer);
  }

  // A real display-mode change where the display has width x height,
  // else the desktop covered with the picture letterboxed.
  bool EnterFullScreen(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    int display = SDL_GetWindowDisplayIndex(Window);
    if (display < 0) display = 0;
    SDL_DisplayMode want{};
    want.w = width;
    want.h = height;
    SDL_DisplayMode mode{};
    bool entered = false;
    if (SDL_GetClosestDisplayMode(display, &want, &mode) && mode.w == width && mode.h == height &&
        SDL_SetWindowDisplayMode(Window, &mode) == 0) {
      entered = SDL_SetWindowFullscreen(Window, SDL_WINDOW_FULLSCREEN) == 0;
    }
    if (!entered) entered = SDL_SetWindowFullscreen(Window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    if (!entered) return false;
    FullScreen = true;
    return true;
  }

  bool LeaveFullScreen() {
    if (!FullScreen) return true;
    if (SDL_SetWindowFullscreen(Window, 0) != 0) return false;
    FullScreen = false;
    SDL_SetWindowSize(Window, ScaledSide(Canvas.Width()), ScaledSide(Canvas.Height()));
    return true;
  }

  SDL_Cursor* MakeSelectCursor() {
    constexpr int rowBytes = kCursorSize / 8;
    std::vector<Uint8> data(rowBytes * kCursorSize, 0);
    std::vector<Uint8> mask(rowBytes * kCursorSize, 0);
    int y = 0;
    for (const char* row : kHandCursor) {
      for (int x = 0; row[x] != '\0' && x < kCursorSize; ++x) {
        const size_t byte = static_cast<size_t>(y) * rowBytes + x / 8;
        const Uint8 bit = static_cast<Uint8>(0x80 >> (x % 8));
        if (row[x] == 'X') data[byte] |= bit;
        if (row[x] != ' ') mask[byte] |= bit;
      }
      ++y;
    }
    SDL_Cursor* cursor = SDL_CreateCursor(data.data(), mask.data(), kCursorSize, kCursorSize, kCursorHotX, kCursorHotY);
    return cursor ? cursor : SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
  }

  bool IsOurWindow(uint32_t windowId) const { return Window && windowId == SDL_GetWindowID(Window); }

  void DispatchWindowEvent(const SDL_WindowEvent& event) {
    if (!IsOurWindow(event.windowID)) return;
    switch (event.event) {
      case SDL_WINDOWEVENT_EXPOSED:
        if (Client) {
          Client->FormPaint();
        } else {
          Present();
        }
        break;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (Client) Client->FormActivate();
        break;
      case SDL_WINDOWEVENT_MOVED:
        Left = event.data1;
        Top = event.data2;
        break;
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        // The picture is laid out anew for the new size.
        if (Client) {
          Client->FormPaint();
        } else {
          Present();
        }
        break;
      case SDL_WINDOWEVENT_CLOSE:
        Terminated = true;
        break;
      default:
        break;
    }
  }

  static bool MouseButton(uint8_t sdlButton, TMouseButton& button) {
    switch (sdlButton) {
      case SDL_BUTTON_LEFT: button = TMouseButton::Left; return true;
      case SDL_BUTTON_RIGHT: button = TMouseButton::Right; return true;
      case SDL_BUTTON_MIDDLE: button = TMouseButton::Middle; return true;
      default: return false;
    }
  }

  void Dispatch(const SDL_Event& event) {
    switch (event.type) {
      case SDL_QUIT:
        Terminated = true;
        return;
      case SDL_WINDOWEVENT:
        DispatchWindowEvent(event.window);
        return;
      case SDL_RENDER_DEVICE_RESET:
      case SDL_RENDER_TARGETS_RESET:
        // The texture may be gone with the device; make it anew and repaint.
        if (Texture) SDL_DestroyTexture(Texture);
        Texture = nullptr;
        TextureWidth = TextureHeight = 0;
        if (Client) Client->FormPaint();
        return;
      default:
        break;
    }
    if (event.type == SDL_KEYUP && SwallowKeyUp != SDL_SCANCODE_UNKNOWN &&
        event.key.keysym.scancode == SwallowKeyUp) {
      SwallowKeyUp = SDL_SCANCODE_UNKNOWN;
      return;
    }
    if (!Client || ModalDepth > 0) return;
    SDL_Event mapped = event;
    MapPointer(mapped);
    switch (event.type) {
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        if (!IsOurWindow(event.button.windowID)) return;
        TMouseButton button;
        if (!MouseButton(event.button.button, button)) return;
        if (event.type == SDL_MOUSEBUTTONDOWN) {
          Client->FormMouseDown(button, mapped.button.x, mapped.button.y);
        } else {
          Client->FormMouseUp(button, mapped.button.x, mapped.button.y);
        }
        return;
      }
      case SDL_MOUSEMOTION:
        if (!IsOurWindow(event.motion.windowID)) return;
        Client->FormMouseMove(mapped.motion.x, mapped.motion.y);
        return;
      case SDL_MOUSEWHEEL: {
        if (!IsOurWindow(event.wheel.windowID) || event.wheel.y == 0) return;
        const int delta = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        PointerBox().ToPicture(x, y, x, y);
        Client->FormMouseWheel(delta, x, y);
        return;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        if (!IsOurWindow(event.key.windowID)) return;
        if (event.key.keysym.sym == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT) != 0) {
          // Alt+Enter switches full screen; the script sees no Enter.
          if (event.type == SDL_KEYDOWN && !event.key.repeat) Client->FormToggleFullScreen();
          return;
        }
        const int key = VirtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.scancode);
        if (key == 0) return;
        if (event.type == SDL_KEYDOWN) {
          Client->FormKeyDown(key);
        } else {
          Client->FormKeyUp(key);
        }
        return;
      }
      default:
        return;
    }
  }

  // Handles every event pending now (and those the handlers push), without
  // waiting for new ones.
  void DrainEvents() {
    if (!VideoStarted) return;
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) Dispatch(event);
  }

  // Waits up to timeoutMs for one event (forever when negative) and
  // handles it. False when nothing came.
  bool WaitAndDispatch(int timeoutMs) {
    SDL_Event event;
    const int got = timeoutMs < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, timeoutMs);
    if (!got) {
      // An endless wait only returns empty-handed on an error; do not spin.
      if (timeoutMs < 0) SDL_Delay(10);
      return false;
    }
    Dispatch(event);
    return true;
  }

  // Input that reached the main window while a modal box was up belongs to
  // nobody: the box stood in front of it. Other events are kept in order.
  void DropInputSince(uint32_t since) {
    if (!VideoStarted) return;
    SDL_PumpEvents();
    std::vector<SDL_Event> kept;
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
      if (IsInputEvent(event.type) && TickReached(event.common.timestamp, since)) continue;
      kept.push_back(event);
    }
    if (!kept.empty()) SDL_PeepEvents(kept.data(), static_cast<int>(kept.size()), SDL_ADDEVENT, 0, 0);
  }

  // The window an input event is addressed to (0 for other events).
  static uint32_t InputEventWindow(const SDL_Event& event) {
    switch (event.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: return event.key.windowID;
      case SDL_TEXTEDITING: return event.edit.windowID;
      case SDL_TEXTINPUT: return event.text.windowID;
      case SDL_MOUSEMOTION: return event.motion.windowID;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: return event.button.windowID;
      case SDL_MOUSEWHEEL: return event.wheel.windowID;
      default: return 0;
    }
  }

  // Handles one event while dialog is open; true when the dialog changed.
  bool DispatchToDialog(const SDL_Event& event, TSdlInputDialog& dialog) {
    switch (event.type) {
      case SDL_QUIT:
        Terminated = true;
        dialog.Cancel();
        return true;
      case SDL_WINDOWEVENT:
        if (!IsOurWindow(event.window.windowID)) return false;
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          Terminated = true;
          dialog.Cancel();
          return true;
        }
        if (event.window.event == SDL_WINDOWEVENT_MOVED) {
          Left = event.window.data1;
          Top = event.window.data2;
        }
        // Exposure and everything else: show the dialog again.
        Present();
        return false;
      case SDL_RENDER_DEVICE_RESET:
      case SDL_RENDER_TARGETS_RESET:
        if (Texture) SDL_DestroyTexture(Texture);
        Texture = nullptr;
        TextureWidth = TextureHeight = 0;
        Present();
        return false;
      default:
        if (!IsInputEvent(event.type) || !IsOurWindow(InputEventWindow(event))) return false;
        SDL_Event mapped = event;
        MapPointer(mapped);
        return dialog.HandleEvent(mapped);
    }
  }

  // The modal text-input dialog drawn over the current frame. The frame is
  // restored when it closes. Closing the window cancels and terminates.
  bool RunInputDialog(const std::string& caption, const std::string& prompt, std::string& value) {
    const TCanvas frame = Canvas;
    // The dialog works in picture pixels; pointer events are mapped for it.
    TSdlInputDialog dialog(caption, prompt, value, frame.Width(), frame.Height(), 1);
    ++ModalDepth;
    SDL_StartTextInput();
    auto show = [&] {
      dialog.Draw(frame, Canvas);
      const SDL_Rect inPicture = dialog.CaretWindowRect();
      const TLetterbox box = PointerBox();
      SDL_Rect caret{};
      box.ToOutput(inPicture.x, inPicture.y, caret.x, caret.y);
      int right = 0;
      int bottom = 0;
      box.ToOutput(inPicture.x + inPicture.w, inPicture.y + inPicture.h, right, bottom);
      caret.w = std::max(right - caret.x, 1);
      caret.h = std::max(bottom - caret.y, 1);
      SDL_SetTextInputRect(&caret);
      Present();
    };
    show();
    while (dialog.State() == TInputDialogState::Open) {
      SDL_Event event;
      if (!SDL_WaitEvent(&event)) {
        SDL_Delay(10);  // an error, not an event: do not spin
        continue;
      }
      if (DispatchToDialog(event, dialog) && dialog.State() == TInputDialogState::Open) show();
    }
    SDL_StopTextInput();
    --ModalDepth;
    SwallowKeyUp = dialog.EndingScancode();
    Canvas = frame;
    Present();
    if (dialog.State() != TInputDialogState::Accepted) return false;
    value = dialog.Text();
    return true;
  }

  // Delivers the due tick. Ticks missed while the program was busy are not
  // delivered one by one: at most one overdue tick follows a slow one, then
  // the interval starts afresh. The client may stop or restart the timer
  // inside the tick; restarting schedules from that moment.
  void RunTimerTick() {
    const uint32_t firedAt = SDL_GetTicks();
    NextTick += kTimerInterval;
    if (TickReached(firedAt, NextTick)) NextTick = firedAt + kTimerInterval;
    Client->MainTimerTimer();
    const uint32_t now = SDL_GetTicks();
    if (TickReached(now, NextTick)) NextTick = now;
  }
};

TSdlPlatform::TSdlPlatform(TSdlOptions options) : FImpl(std::make_unique<TImpl>()) {
  FImpl->Options = options;
  FImpl->Canvas.SetSize(kDefaultWidth, kDefaultHeight);
}

TSdlPlatform::~TSdlPlatform() = default;

bool TSdlPlatform::Initialize(std::string& error) {
  TImpl& d = *FImpl;
  if (d.Window) return true;
  // A player must not keep the screen saver away, and a click that
  // activates the window is a click like any other.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  d.NoDisplay = false;
  if (!d.StartVideo(error)) {
    d.NoDisplay = true;
    return false;
  }
  d.Window = SDL_CreateWindow(sjis::ToUtf8(d.Caption).c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              d.ScaledSide(d.Canvas.Width()), d.ScaledSide(d.Canvas.Height()),
                              SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (!d.Window) {
    error = std::string("cannot open the main window: ") + SDL_GetError();
    d.Shutdown();
    return false;
  }
  if (!d.CreateRenderer(error)) {
    d.Shutdown();
    return false;
  }
  d.EnsureTexture();
  SDL_GetWindowPosition(d.Window, &d.Left, &d.Top);
  // Only key codes are wanted; composed text would only wake the IME.
  SDL_StopTextInput();
  d.ArrowCursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
  d.SelectCursor = d.MakeSelectCursor();
  return true;
}

bool TSdlPlatform::NoDisplay() const { return FImpl->NoDisplay; }

uint32_t TSdlPlatform::WindowId() const { return FImpl->Window ? SDL_GetWindowID(FImpl->Window) : 0; }

uint32_t TSdlPlatform::GetTickCount() { return SDL_GetTicks(); }

TLocalTime TSdlPlatform::GetLocalTime() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm parts{};
  TLocalTime result;
  if (!localtime_r(&seconds, &parts)) return result;
  result.Year = parts.tm_year + 1900;
  result.Month = parts.tm_mon + 1;
  result.Day = parts.tm_mday;
  result.Hour = parts.tm_hour;
  result.Minute = parts.tm_min;
  result.Second = std::min(parts.tm_sec, 59);  // no leap second in the clock the scripts see
  result.Millisecond = static_cast<int>(millis < 0 ? millis + 1000 : millis);
  result.DayOfWeek = parts.tm_wday;
  return result;
}

void TSdlPlatform::ProcessMessages() { FImpl->DrainEvents(); }

void TSdlPlatform::Terminate() { FImpl->Terminated = true; }

bool TSdlPlatform::Terminated() const { return FImpl->Terminated; }

void TSdlPlatform::WaitUntil(uint32_t tick) {
  TImpl& d = *FImpl;
  if (!d.VideoStarted) {
    while (!d.Terminated && !TickReached(SDL_GetTicks(), tick)) SDL_Delay(tick - SDL_GetTicks());
    return;
  }
  d.DrainEvents();
  while (!d.Terminated) {
    const uint32_t now = SDL_GetTicks();
    if (TickReached(now, tick)) return;
    d.WaitAndDispatch(static_cast<int>(tick - now));
  }
}

void TSdlPlatform::SetMainTimerEnabled(bool enabled) {
  TImpl& d = *FImpl;
  if (enabled && !d.TimerEnabled) d.NextTick = SDL_GetTicks() + kTimerInterval;
  d.TimerEnabled = enabled;
}

bool TSdlPlatform::MainTimerEnabled() const { return FImpl->TimerEnabled; }

int TSdlPlatform::Run(TPlatformClient& client) {
  TImpl& d = *FImpl;
  TPlatformClient* outer = d.Client;
  d.Client = &client;
  if (!d.Terminated) client.FormActivate();
  while (!d.Terminated) {
    const uint32_t now = SDL_GetTicks();
    if (d.TimerEnabled && d.ModalDepth == 0 && TickReached(now, d.NextTick)) {
      d.RunTimerTick();
      continue;
    }
    // Positive: the tick is not due yet.
    const uint32_t untilTick = d.NextTick - now;
    if (!d.VideoStarted) {
      // Without a window only the timer can make progress.
      if (!d.TimerEnabled) break;
      SDL_Delay(untilTick);
      continue;
    }
    d.WaitAndDispatch(d.TimerEnabled ? static_cast<int>(untilTick) : -1);
  }
  d.Client = outer;
  return 0;
}

TMessageResult TSdlPlatform::MessageBox(const std::string& text, TMessageIcon icon, TMessageButtons buttons) {
  TImpl& d = *FImpl;
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
  const std::string title = sjis::ToUtf8(d.Caption.empty() ? std::string(kDefaultCaption) : d.Caption);
  SDL_MessageBoxData data{};
  data.flags = flags;
  data.window = d.Shown ? d.Window : nullptr;
  data.title = title.c_str();
  data.message = message.c_str();
  data.numbuttons = static_cast<int>(buttonData.size());
  data.buttons = buttonData.data();
  if (d.VideoStarted) SDL_PumpEvents();  // earlier input keeps its earlier time stamp
  const uint32_t shownAt = SDL_GetTicks();
  int pressed = -1;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) {
    // No box could be shown: say it on standard error and go on as if the
    // default button had been chosen.
    std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
    return enterResult;
  }
  d.DropInputSince(shownAt);
  for (const SDL_MessageBoxButtonData& button : buttonData) {
    if (button.buttonid == pressed) return static_cast<TMessageResult>(pressed);
  }
  return escapeResult;  // the box was closed without a button
}

bool TSdlPlatform::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
  TImpl& d = *FImpl;
  if (d.Terminated) return false;
  if (!d.Window) {
    // Without a window there is nobody to ask.
    std::fprintf(stderr, "%s: %s\n(text input needs the main window; the input is cancelled)\n",
                 sjis::ToUtf8(caption).c_str(), sjis::ToUtf8(prompt).c_str());
    return false;
  }
  if (!d.Shown) ShowMainWindow();
  return d.RunInputDialog(caption.empty() ? d.Caption : caption, prompt, value);
}

void TSdlPlatform::ShowMainWindow() {
  TImpl& d = *FImpl;
  if (!d.Window) return;
  SDL_ShowWindow(d.Window);
  d.Shown = true;
  d.Present();
}

void TSdlPlatform::SetClientSize(int width, int height) {
  TImpl& d = *FImpl;
  d.Canvas.SetSize(width, height);
  if (!d.Window) return;
  SDL_SetWindowSize(d.Window, d.ScaledSide(d.Canvas.Width()), d.ScaledSide(d.Canvas.Height()));
  d.EnsureTexture();
}

int TSdlPlatform::ClientWidth() const { return FImpl->Canvas.Width(); }

int TSdlPlatform::ClientHeight() const { return FImpl->Canvas.Height(); }

void TSdlPlatform::SetWindowPosition(int left, int top) {
  TImpl& d = *FImpl;
  d.Left = left;
  d.Top = top;
  if (d.Window) SDL_SetWindowPosition(d.Window, left, top);
}

int TSdlPlatform::WindowLeft() const {
  if (!FImpl->Window) return FImpl->Left;
  int left = 0;
  SDL_GetWindowPosition(FImpl->Window, &left, nullptr);
  return left;
}

int TSdlPlatform::WindowTop() const {
  if (!FImpl->Window) return FImpl->Top;
  int top = 0;
  SDL_GetWindowPosition(FImpl->Window, nullptr, &top);
  return top;
}

int TSdlPlatform::WindowWidth() const {
  int w = 0;
  if (FImpl->Window) SDL_GetWindowSize(FImpl->Window, &w, nullptr);
  return w;
}

int TSdlPlatform::WindowHeight() const {
  int h = 0;
  if (FImpl->Window) SDL_GetWindowSize(FImpl->Window, nullptr, &h);
  return h;
}

void TSdlPlatform::SetWindowSize(int width, int height) {
  TImpl& d = *FImpl;
  if (!d.Window || d.FullScreen || width <= 0 || height <= 0) return;
  SDL_SetWindowSize(d.Window, std::min(width, kMaxWindowSide), std::min(height, kMaxWindowSide));
  if (d.Shown) d.Present();
}

void TSdlPlatform::SetCaption(const std::string& caption) {
  FImpl->Caption = caption;
  if (FImpl->Window) SDL_SetWindowTitle(FImpl->Window, sjis::ToUtf8(caption).c_str());
}

std::string TSdlPlatform::Caption() const { return FImpl->Caption; }

bool TSdlPlatform::SetFullScreen(bool on, int width, int height) {
  TImpl& d = *FImpl;
  // Without a window there is no display to change; off is already true.
  if (!d.Window) return !on;
  return on ? d.EnterFullScreen(width, height) : d.LeaveFullScreen();
}

bool TSdlPlatform::FullScreen() const { return FImpl->FullScreen; }

TCanvas& TSdlPlatform::Canvas() { return FImpl->Canvas; }

void TSdlPlatform::Present() { FImpl->Present(); }

void TSdlPlatform::SetCursor(int cursor) {
  TImpl& d = *FImpl;
  d.CursorNumber = cursor;
  SDL_Cursor* shape = cursor == crSelect ? d.SelectCursor : d.ArrowCursor;
  if (shape) SDL_SetCursor(shape);
}

int TSdlPlatform::Cursor() const { return FImpl->CursorNumber; }

void TSdlPlatform::TraceLine(const std::string& text) {
  if (!FImpl->Options.Trace) return;
  const std::string line = sjis::ToUtf8(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

std::unique_ptr<TAudioChannel> TSdlPlatform::CreateAudioChannel(TAudioKind kind) {
  return std::make_unique<TSdlAudioChannel>(kind);
}

bool TSdlPlatform::TraceEnabled() const { return FImpl->Options.Trace; }

}  // namespace pelto5
