#include "platform/sdl/SdlPlatform.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "base/MessageTexts.h"
#include "platform/Letterbox.h"
#include "base/SjisText.h"
#include "platform/FileChooser.h"
#ifdef _WIN32
#include "platform/SapiSpeech.h"
#else
#include "platform/SpeechDispatcher.h"
#endif
#include "platform/SystemClock.h"
#include "platform/VirtualClock.h"
#include "platform/sdl/SdlAudioChannel.h"
#include "platform/sdl/SdlClientInput.h"
#include "platform/sdl/SdlCursors.h"
#include "platform/sdl/SdlGamepads.h"
#include "platform/sdl/SdlInputQuery.h"
#include "platform/sdl/SdlMessageBox.h"
#include "platform/sdl/SdlTicks.h"
#include "platform/sdl/SdlToolWindow.h"
#include "platform/sdl/SdlToolWindowList.h"
#include "platform/sdl/SdlVideo.h"
#include "platform/sdl/SdlWindowSurface.h"

namespace pelto5 {

namespace {

constexpr uint32_t kTimerInterval = 200;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kMaxScale = 16;
// Larger windows than this are refused by every display server we know.
constexpr int kMaxWindowSide = 16384;

}  // namespace

struct TSdlPlatform::TImpl {
  TSdlOptions Options;
  TSdlVideo Video;
  bool NoDisplay = false;
  TSdlWindowSurface Main;
  TSdlGamepads Gamepads;
#ifdef _WIN32
  TSapiSpeech Speech;
#else
  TSpeechDispatcher Speech;
#endif
  TSdlToolWindowList ToolWindows;
  SDL_Cursor* ArrowCursor = nullptr;
  SDL_Cursor* SelectCursor = nullptr;
  bool Shown = false;

  TCanvas& Canvas = Main.Canvas();
  std::string Caption = msg::kDefaultCaption;
  int Left = 0;
  int Top = 0;
  int CursorNumber = crDefault;
  bool FullScreen = false;

  bool Terminated = false;
  bool TimerEnabled = false;
  uint32_t NextTick = 0;
  uint32_t Virtual = 0;  // the virtual clock (Options.VirtualClock)
  TPlatformClient* Client = nullptr;
  // Open in-window dialogs; while one is open the client gets no input and
  // no timer ticks.
  int ModalDepth = 0;
  // The key that closed a dialog: its release belongs to the dialog too.
  SDL_Scancode SwallowKeyUp = SDL_SCANCODE_UNKNOWN;

  ~TImpl() { Shutdown(); }

  void Shutdown() {
    Gamepads.Stop();
    if (SelectCursor) SDL_FreeCursor(SelectCursor);
    if (ArrowCursor) SDL_FreeCursor(ArrowCursor);
    Main.Destroy();
    SelectCursor = ArrowCursor = nullptr;
    Video.Stop();
  }

  int Scale() const { return std::clamp(Options.Scale, 1, kMaxScale); }

  // Where the picture lies in the main window, in window points (what
  // pointer events use).
  TLetterbox PointerBox() const {
    int w = 0;
    int h = 0;
    if (Window()) SDL_GetWindowSize(Window(), &w, &h);
    return TLetterbox::Fit(Canvas.Width(), Canvas.Height(), w, h);
  }

  int ScaledSide(int side) const {
    const long long scaled = static_cast<long long>(std::max(side, 1)) * Scale();
    return static_cast<int>(std::min<long long>(scaled, kMaxWindowSide));
  }

  void Present(const std::vector<TRect>* changed = nullptr) { Main.Present(changed); }

  SDL_Window* Window() const { return Main.Window(); }

  // A real display-mode change where the display has width x height,
  // else the desktop covered with the picture letterboxed.
  bool EnterFullScreen(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    SDL_Window* window = Window();
    int display = SDL_GetWindowDisplayIndex(window);
    if (display < 0) display = 0;
    SDL_DisplayMode want{};
    want.w = width;
    want.h = height;
    SDL_DisplayMode mode{};
    bool entered = false;
#ifndef _WIN32
    // Windows never gets its display mode changed: a mode change there
    // moves and resizes every other window and is undone badly when the
    // player crashes; the desktop is covered instead.
    if (SDL_GetClosestDisplayMode(display, &want, &mode) && mode.w == width && mode.h == height &&
        SDL_SetWindowDisplayMode(window, &mode) == 0) {
      entered = SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0;
    }
#else
    (void)want;
    (void)mode;
#endif
    if (!entered) entered = SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    if (!entered) return false;
    FullScreen = true;
    // The debug window cannot stand beside a full-screen picture.
    ToolWindows.SetSuspended(true);
    return true;
  }

  bool LeaveFullScreen() {
    if (!FullScreen) return true;
    if (SDL_SetWindowFullscreen(Window(), 0) != 0) return false;
    FullScreen = false;
    SDL_SetWindowSize(Window(), ScaledSide(Canvas.Width()), ScaledSide(Canvas.Height()));
    ToolWindows.SetSuspended(false);
    return true;
  }

  bool IsOurWindow(uint32_t windowId) const { return Window() && windowId == Main.Id(); }

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

  void DeviceReset() {
    Main.ResetTexture();
    ToolWindows.DeviceReset();
  }

  void Dispatch(const SDL_Event& event) {
    // A tool window's own events go to it; its input only while no dialog is up.
    if (ToolWindows.Dispatch(event, ModalDepth == 0)) return;
    switch (event.type) {
      case SDL_QUIT:
        Terminated = true;
        return;
      case SDL_WINDOWEVENT:
        DispatchWindowEvent(event.window);
        return;
      case SDL_RENDER_DEVICE_RESET:
      case SDL_RENDER_TARGETS_RESET:
        // The textures may be gone with the device; make them anew and repaint.
        DeviceReset();
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
    // Plugging controllers in and out is followed even while a dialog is up.
    if (Gamepads.Handle(event, ModalDepth == 0 ? Client : nullptr)) return;
    if (!Client || ModalDepth > 0) return;
    DeliverInput(event, Window() ? Main.Id() : 0, PointerBox(), *Client);
  }

  // Handles every event pending now (and those the handlers push), without
  // waiting for new ones.
  void DrainEvents() {
    if (!Video.Started()) return;
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) Dispatch(event);
    ToolWindows.Paint(true);
  }

  // Waits up to timeoutMs for one event (forever when negative) and
  // handles it. False when nothing came.
  bool WaitAndDispatch(int timeoutMs) {
    ToolWindows.Paint(false);
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

  // An event while a modal box or dialog is up that is not its own: the
  // windows behind it repaint and the tool windows get their window events;
  // input is dropped. True when the application is to end, which closes
  // the box or dialog.
  bool DispatchBehindModal(const SDL_Event& event) {
    if (ToolWindows.Dispatch(event, false)) return false;
    switch (event.type) {
      case SDL_QUIT:
        Terminated = true;
        return true;
      case SDL_WINDOWEVENT:
        if (!IsOurWindow(event.window.windowID)) return false;
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          Terminated = true;
          return true;
        }
        if (event.window.event == SDL_WINDOWEVENT_MOVED) {
          Left = event.window.data1;
          Top = event.window.data2;
        }
        // Exposure and everything else: show the frame again.
        Present();
        return false;
      case SDL_RENDER_DEVICE_RESET:
      case SDL_RENDER_TARGETS_RESET:
        DeviceReset();
        Present();
        return false;
      default:
        return false;
    }
  }

  // Delivers the due tick. Ticks missed while the program was busy are not
  // delivered one by one: at most one overdue tick follows a slow one, then
  // the interval starts afresh. The client may stop or restart the timer
  // inside the tick; restarting schedules from that moment.
  void RunTimerTick() {
    const uint32_t firedAt = SDL_GetTicks();
    NextTick += kTimerInterval;
    if (TickReached(firedAt, NextTick)) NextTick = firedAt + kTimerInterval;
    // On the virtual clock each tick is the next 200 ms mark, however late.
    if (Options.VirtualClock) Virtual = NextVirtualTick(Virtual);
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

TResult TSdlPlatform::Initialize() {
  TImpl& d = *FImpl;
  if (d.Window()) return TResult::Ok();
  // A player must not keep the screen saver away, and a click that
  // activates the window is a click like any other.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
#ifdef _WIN32
  // Window sizes are in the display's own pixels; the player scales the
  // picture itself instead of Windows blurring a small window up.
  SDL_SetHint(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2");
#endif
  d.NoDisplay = false;
  const TResult video = d.Video.Start();
  if (!video) {
    d.NoDisplay = true;
    return video;
  }
  if (d.Options.ScaleToDisplay) {
    float dpi = 0;
    if (SDL_GetDisplayDPI(0, &dpi, nullptr, nullptr) == 0 && dpi > 0) {
      d.Options.Scale = std::clamp(static_cast<int>(std::lround(dpi / 96.0f)), 1, kMaxScale);
    }
  }
  d.Main.SetLinearFilter(d.Options.LinearFilter);
  const TResult created =
      d.Main.Create("main window", sjis::ToUtf8(d.Caption), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                    d.ScaledSide(d.Canvas.Width()), d.ScaledSide(d.Canvas.Height()),
                    SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (!created) {
    d.Shutdown();
    return created;
  }
  SDL_GetWindowPosition(d.Window(), &d.Left, &d.Top);
  // Only key codes are wanted; composed text would only wake the IME.
  SDL_StopTextInput();
  d.ArrowCursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
  d.SelectCursor = MakeSelectCursor();
  d.Gamepads.Start();
  return TResult::Ok();
}

bool TSdlPlatform::NoDisplay() const { return FImpl->NoDisplay; }

uint32_t TSdlPlatform::WindowId() const { return FImpl->Main.Id(); }

uint32_t TSdlPlatform::GetTickCount() { return FImpl->Options.VirtualClock ? FImpl->Virtual : SDL_GetTicks(); }

TLocalTime TSdlPlatform::GetLocalTime() {
  return FImpl->Options.VirtualClock ? VirtualLocalTime(FImpl->Virtual) : SystemLocalTime();
}

void TSdlPlatform::ProcessMessages() { FImpl->DrainEvents(); }

void TSdlPlatform::Terminate() { FImpl->Terminated = true; }

bool TSdlPlatform::Terminated() const { return FImpl->Terminated; }

void TSdlPlatform::WaitUntil(uint32_t tick) {
  TImpl& d = *FImpl;
  if (d.Options.VirtualClock) {
    // The wait lasts as long in real time; the virtual clock moves along
    // with it, so input during the wait gets its time within it.
    if (static_cast<int32_t>(tick - d.Virtual) <= 0) {
      d.DrainEvents();
      return;
    }
    const uint32_t start = d.Virtual;
    const uint32_t realEnd = SDL_GetTicks() + (tick - start);
    d.DrainEvents();
    while (!d.Terminated) {
      const uint32_t now = SDL_GetTicks();
      if (TickReached(now, realEnd)) break;
      d.Virtual = tick - (realEnd - now);
      if (d.Video.Started()) {
        d.WaitAndDispatch(static_cast<int>(realEnd - now));
      } else {
        SDL_Delay(realEnd - now);
      }
    }
    if (!d.Terminated) d.Virtual = tick;
    return;
  }
  if (!d.Video.Started()) {
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
    if (!d.Video.Started()) {
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

TMessageResult TSdlPlatform::ShowMessageBox(const std::string& text, TMessageIcon icon, TMessageButtons buttons) {
  TImpl& d = *FImpl;
  const std::string title = d.Caption.empty() ? std::string(msg::kDefaultCaption) : d.Caption;
  // While the box is up the game gets no input and no timer tick; its
  // windows still repaint.
  ++d.ModalDepth;
  SDL_Scancode endingKey = SDL_SCANCODE_UNKNOWN;
  const TMessageResult result =
      ShowSdlMessageBox(text, icon, buttons, title, d.Shown ? d.Main.Window() : nullptr, d.Video.Started(),
                        [&d](const SDL_Event& event) { return d.DispatchBehindModal(event); }, endingKey);
  --d.ModalDepth;
  // The key that answered is released over the game: that belongs to the box.
  d.SwallowKeyUp = endingKey;
  return result;
}

bool TSdlPlatform::ShowInputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
  TImpl& d = *FImpl;
  if (d.Terminated) return false;
  if (!d.Window()) {
    // Without a window there is nobody to ask.
    std::fprintf(stderr, "%s: %s\n(text input needs the main window; the input is cancelled)\n",
                 sjis::ToUtf8(caption).c_str(), sjis::ToUtf8(prompt).c_str());
    return false;
  }
  if (!d.Shown) ShowMainWindow();
  const TSdlQueryWindow window{d.Canvas, d.Main.Id(), [&d] { return d.PointerBox(); }, [&d] { d.Present(); },
                               [&d](const SDL_Event& event) { return d.DispatchBehindModal(event); }};
  // While the dialog is up the game gets no input and no timer tick.
  ++d.ModalDepth;
  SDL_Scancode endingKey = SDL_SCANCODE_UNKNOWN;
  const bool accepted =
      RunSdlInputQuery(caption.empty() ? d.Caption : caption, prompt, value, window, endingKey);
  --d.ModalDepth;
  // The key that closed it is released over the game: that belongs to the dialog.
  d.SwallowKeyUp = endingKey;
  return accepted;
}

TChooseResult TSdlPlatform::ChooseContentFile(const std::string& title, std::string& path) {
  // Without a display no chooser can be shown either.
  if (!FImpl->Video.Started()) return TChooseResult::Unavailable;
  const std::vector<TFileChooser::TFilter> filters = {
      {LocalizedUtf8(TOwnText::GameFiles), {"*.pp5", "*.PP5", "*.pf5", "*.PF5", "*.exe", "*.EXE"}},
      {LocalizedUtf8(TOwnText::AllFiles), {"*"}}};
  return TFileChooser::Choose(sjis::ToUtf8(title), filters, path);
}

void TSdlPlatform::ShowMainWindow() {
  TImpl& d = *FImpl;
  if (!d.Window()) return;
  SDL_ShowWindow(d.Window());
  d.Shown = true;
  d.Present();
}

void TSdlPlatform::SetClientSize(int width, int height) {
  TImpl& d = *FImpl;
  d.Canvas.SetSize(width, height);
  if (!d.Window()) return;
  SDL_SetWindowSize(d.Window(), d.ScaledSide(d.Canvas.Width()), d.ScaledSide(d.Canvas.Height()));
  d.Main.EnsureTexture();
}

int TSdlPlatform::ClientWidth() const { return FImpl->Canvas.Width(); }

int TSdlPlatform::ClientHeight() const { return FImpl->Canvas.Height(); }

void TSdlPlatform::SetWindowPosition(int left, int top) {
  TImpl& d = *FImpl;
  d.Left = left;
  d.Top = top;
  if (d.Window()) SDL_SetWindowPosition(d.Window(), left, top);
}

int TSdlPlatform::WindowLeft() const {
  if (!FImpl->Window()) return FImpl->Left;
  int left = 0;
  SDL_GetWindowPosition(FImpl->Window(), &left, nullptr);
  return left;
}

int TSdlPlatform::WindowTop() const {
  if (!FImpl->Window()) return FImpl->Top;
  int top = 0;
  SDL_GetWindowPosition(FImpl->Window(), nullptr, &top);
  return top;
}

int TSdlPlatform::WindowWidth() const {
  int w = 0;
  if (FImpl->Window()) SDL_GetWindowSize(FImpl->Window(), &w, nullptr);
  return w;
}

int TSdlPlatform::WindowHeight() const {
  int h = 0;
  if (FImpl->Window()) SDL_GetWindowSize(FImpl->Window(), nullptr, &h);
  return h;
}

void TSdlPlatform::SetWindowSize(int width, int height) {
  TImpl& d = *FImpl;
  if (!d.Window() || d.FullScreen || width <= 0 || height <= 0) return;
  SDL_SetWindowSize(d.Window(), std::min(width, kMaxWindowSide), std::min(height, kMaxWindowSide));
  if (d.Shown) d.Present();
}

void TSdlPlatform::SetCaption(const std::string& caption) {
  FImpl->Caption = caption;
  if (FImpl->Window()) SDL_SetWindowTitle(FImpl->Window(), sjis::ToUtf8(caption).c_str());
}

std::string TSdlPlatform::Caption() const { return FImpl->Caption; }

bool TSdlPlatform::SetFullScreen(bool on, int width, int height) {
  TImpl& d = *FImpl;
  // Without a window there is no display to change; off is already true.
  if (!d.Window()) return !on;
  return on ? d.EnterFullScreen(width, height) : d.LeaveFullScreen();
}

bool TSdlPlatform::FullScreen() const { return FImpl->FullScreen; }

TCanvas& TSdlPlatform::Canvas() { return FImpl->Canvas; }

void TSdlPlatform::Present() { FImpl->Present(); }

void TSdlPlatform::PresentRects(const std::vector<TRect>& rects) { FImpl->Present(&rects); }

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

std::unique_ptr<TToolWindow> TSdlPlatform::CreateToolWindow(TToolWindowClient& client) {
  TImpl& d = *FImpl;
  return std::make_unique<TSdlToolWindow>(client, [&d](TSdlToolWindow* window, bool created) {
    if (created) {
      d.ToolWindows.Add(window, d.FullScreen);
    } else {
      d.ToolWindows.Remove(window);
    }
  });
}

std::unique_ptr<TAudioChannel> TSdlPlatform::CreateAudioChannel(TAudioKind kind) {
  return std::make_unique<TSdlAudioChannel>(kind);
}

bool TSdlPlatform::TraceEnabled() const { return FImpl->Options.Trace; }

bool TSdlPlatform::StartSpeech() { return FImpl->Speech.Connect(); }

void TSdlPlatform::Speak(const std::string& utf8, const std::string& language) {
  static_cast<void>(FImpl->Speech.Speak(utf8, language));
}

void TSdlPlatform::StopSpeech() { FImpl->Speech.Stop(); }

bool TSdlPlatform::SetClipboardText(const std::string& utf8) {
  // The clipboard belongs to the video subsystem.
  return SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_SetClipboardText(utf8.c_str()) == 0;
}

}  // namespace pelto5
