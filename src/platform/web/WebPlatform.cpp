#include "platform/web/WebPlatform.h"

#include <emscripten.h>

#include <cstdio>

#include "base/AtomicFile.h"
#include "base/MessageTexts.h"
#include "base/SjisText.h"
#include "platform/SystemClock.h"
#include "platform/web/WebAudioChannel.h"
#include "platform/web/WebDialogs.h"
#include "platform/web/WebInput.h"
#include "platform/web/WebToolWindow.h"

namespace pelto5 {

namespace {

constexpr uint32_t kTimerInterval = 200;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

bool TickReached(uint32_t now, uint32_t tick) { return static_cast<int32_t>(now - tick) >= 0; }

}  // namespace

// The page side. The page's script (pelto5-page.js) provides Module.pelto5Page;
// each call is guarded so that a page without it still runs the engine.
EM_JS(void, pelto5_web_set_canvas_size, (int width, int height), {
  const canvas = document.querySelector('#screen');
  if (!canvas) return;
  canvas.width = width;
  canvas.height = height;
  if (Module.pelto5Page && Module.pelto5Page.resized) Module.pelto5Page.resized(width, height);
});

// Hands text to the browser's clipboard; 0 where the page has none to use.
// The write finishes (or is refused by the reader's settings) later.
EM_JS(int, pelto5_web_set_clipboard, (const char* utf8), {
  if (typeof navigator === 'undefined' || !navigator.clipboard || !navigator.clipboard.writeText) return 0;
  navigator.clipboard.writeText(UTF8ToString(utf8)).catch(function() {});
  return 1;
});

// The browser's speech synthesis: whether there is one, and saying a text
// in place of what is being said.
EM_JS(int, pelto5_web_has_speech, (), {
  return (typeof speechSynthesis !== 'undefined' && typeof SpeechSynthesisUtterance !== 'undefined') ? 1 : 0;
});
EM_JS(void, pelto5_web_speak, (const char* utf8, const char* language), {
  if (typeof speechSynthesis === 'undefined') return;
  speechSynthesis.cancel();
  const utterance = new SpeechSynthesisUtterance(UTF8ToString(utf8));
  utterance.lang = UTF8ToString(language);
  speechSynthesis.speak(utterance);
});
EM_JS(void, pelto5_web_stop_speech, (), {
  if (typeof speechSynthesis !== 'undefined') speechSynthesis.cancel();
});

// Puts the rectangle (x, y, w, h) of the frame on the canvas.
// The ImageData is a view of the frame in the module's memory, made again
// only when the frame moves or the memory grows (which replaces its buffer):
// making it costs more than putting a character's rectangle.
EM_JS(void, pelto5_web_put_frame, (const uint8_t* rgba, int width, int height, int x, int y, int w, int h), {
  const canvas = document.querySelector('#screen');
  if (!canvas || canvas.width !== width || canvas.height !== height) return;
  if (!Module.pelto5Context) Module.pelto5Context = canvas.getContext('2d');
  const frame = Module.pelto5Frame;
  if (!frame || frame.buffer !== HEAPU8.buffer || frame.rgba !== rgba || frame.image.width !== width ||
      frame.image.height !== height) {
    const pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    Module.pelto5Frame = { buffer: HEAPU8.buffer, rgba, image: new ImageData(pixels, width, height) };
  }
  Module.pelto5Context.putImageData(Module.pelto5Frame.image, 0, 0, x, y, w, h);
});

// The game's window is on the page: the page may now do what must not
// delay the first scene.
EM_JS(void, pelto5_web_shown, (), {
  if (Module.pelto5Page && Module.pelto5Page.shown) Module.pelto5Page.shown();
});

EM_JS(void, pelto5_web_set_title, (const char* utf8), { document.title = UTF8ToString(utf8); });

EM_JS(void, pelto5_web_set_cursor, (int pointer), {
  const canvas = document.querySelector('#screen');
  if (canvas) canvas.style.cursor = pointer ? 'pointer' : 'default';
});

EM_JS(int, pelto5_web_full_screen, (), { return document.fullscreenElement ? 1 : 0; });

// Full screen needs the user's recent gesture (Alt+Enter or a click that
// led to the request); the browser says no otherwise.
EM_ASYNC_JS(int, pelto5_web_request_full_screen, (int on), {
  try {
    if (on) {
      const canvas = document.querySelector('#screen');
      if (!canvas || !canvas.requestFullscreen) return 0;
      await canvas.requestFullscreen();
    } else if (document.fullscreenElement) {
      await document.exitFullscreen();
    }
    return 1;
  } catch (e) {
    return 0;
  }
});

// Waits up to ms milliseconds, handing control to the browser; new input
// (Module.pelto5Wake) ends the wait at once.
EM_ASYNC_JS(void, pelto5_web_wait, (int ms), {
  await new Promise(resolve => {
    let timer = 0;
    const done = () => {
      clearTimeout(timer);
      if (Module.pelto5Wake === done) Module.pelto5Wake = null;
      resolve();
    };
    timer = setTimeout(done, ms);
    Module.pelto5Wake = done;
  });
});

EM_JS(void, pelto5_web_wake, (), {
  if (Module.pelto5Wake) Module.pelto5Wake();
});

// In the browser the file system lives in memory; the page copies it to
// the browser's storage (IndexedDB) after every write, so a save survives a
// reload or a closed tab.
EM_JS(void, pelto5_web_persist, (), {
  if (Module.pelto5Page && Module.pelto5Page.persist) Module.pelto5Page.persist();
});

TWebPlatform::TWebPlatform(TWebOptions options) : FOptions(options), FCaption(msg::kDefaultCaption) {
  FCanvas.SetSize(kDefaultWidth, kDefaultHeight);
  TAtomicFile::SetAfterCommitHook(pelto5_web_persist);
}

TWebPlatform::~TWebPlatform() { StopListeningToPage(*this); }

void TWebPlatform::Initialize() {
  pelto5_web_set_canvas_size(FCanvas.Width(), FCanvas.Height());
  pelto5_web_set_title(sjis::ToUtf8(FCaption).c_str());
  ListenToPage(*this);
}

bool TWebPlatform::QueueEvent(const TWebEvent& event) {
  if (FModalDepth > 0 || FTerminated) return false;
  if (event.Kind == TWebEvent::TKind::KeyDown) FKeysDown.insert(event.Key);
  if (event.Kind == TWebEvent::TKind::KeyUp && FKeysDown.erase(event.Key) == 0) return false;
  // A run of moves is one move to the latest point.
  if (event.Kind == TWebEvent::TKind::MouseMove && !FEvents.empty() &&
      FEvents.back().Kind == TWebEvent::TKind::MouseMove) {
    FEvents.back() = event;
  } else {
    FEvents.push_back(event);
  }
  pelto5_web_wake();
  return true;
}

uint32_t TWebPlatform::GetTickCount() { return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now())); }

TLocalTime TWebPlatform::GetLocalTime() { return SystemLocalTime(); }

void TWebPlatform::Deliver(const TWebEvent& event) {
  if (!FClient) return;
  switch (event.Kind) {
    case TWebEvent::TKind::MouseDown: FClient->FormMouseDown(event.Button, event.X, event.Y); break;
    case TWebEvent::TKind::MouseUp: FClient->FormMouseUp(event.Button, event.X, event.Y); break;
    case TWebEvent::TKind::MouseMove: FClient->FormMouseMove(event.X, event.Y); break;
    case TWebEvent::TKind::Wheel: FClient->FormMouseWheel(event.Delta, event.X, event.Y); break;
    case TWebEvent::TKind::KeyDown: FClient->FormKeyDown(event.Key); break;
    case TWebEvent::TKind::KeyUp: FClient->FormKeyUp(event.Key); break;
    case TWebEvent::TKind::ToggleFullScreen: FClient->FormToggleFullScreen(); break;
  }
}

void TWebPlatform::ProcessMessages() {
  // Events the handlers cause are queued behind and handled in this round.
  while (!FEvents.empty() && !FTerminated && FModalDepth == 0) {
    const TWebEvent event = FEvents.front();
    FEvents.pop_front();
    Deliver(event);
  }
}

void TWebPlatform::Terminate() {
  FTerminated = true;
  pelto5_web_wake();
}

void TWebPlatform::Sleep(uint32_t ms) {
  if (!FEvents.empty() || FTerminated) return;
  pelto5_web_wait(static_cast<int>(ms));
}

void TWebPlatform::WaitUntil(uint32_t tick) {
  ProcessMessages();
  while (!FTerminated) {
    const uint32_t now = GetTickCount();
    if (TickReached(now, tick)) return;
    Sleep(tick - now);
    ProcessMessages();
  }
}

void TWebPlatform::SetMainTimerEnabled(bool enabled) {
  if (enabled && !FTimerEnabled) FNextTick = GetTickCount() + kTimerInterval;
  FTimerEnabled = enabled;
}

// Delivers the due tick. Ticks missed while the program was busy are not
// delivered one by one: at most one overdue tick follows a slow one, then
// the interval starts afresh.
void TWebPlatform::RunTimerTick() {
  const uint32_t firedAt = GetTickCount();
  FNextTick += kTimerInterval;
  if (TickReached(firedAt, FNextTick)) FNextTick = firedAt + kTimerInterval;
  FClient->MainTimerTimer();
  const uint32_t now = GetTickCount();
  if (TickReached(now, FNextTick)) FNextTick = now;
}

int TWebPlatform::Run(TPlatformClient& client) {
  TPlatformClient* outer = FClient;
  FClient = &client;
  if (!FTerminated) client.FormActivate();
  while (!FTerminated) {
    ProcessMessages();
    if (FTerminated) break;
    const uint32_t now = GetTickCount();
    if (FTimerEnabled && TickReached(now, FNextTick)) {
      RunTimerTick();
      continue;
    }
    // Idle: the browser has the thread until the next tick or new input.
    Sleep(FTimerEnabled ? FNextTick - now : 1000);
  }
  FClient = outer;
  return 0;
}

TMessageResult TWebPlatform::ShowMessageBox(const std::string& text, TMessageIcon icon, TMessageButtons buttons) {
  ++FModalDepth;
  const TMessageResult result = ShowWebMessageBox(sjis::ToUtf8(FCaption), sjis::ToUtf8(text), icon, buttons);
  --FModalDepth;
  return result;
}

bool TWebPlatform::ShowInputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
  if (FTerminated) return false;
  ++FModalDepth;
  std::string utf8 = sjis::ToUtf8(value);
  const bool accepted =
      RunWebInputQuery(sjis::ToUtf8(caption.empty() ? FCaption : caption), sjis::ToUtf8(prompt), utf8);
  --FModalDepth;
  if (!accepted) return false;
  value = sjis::FromUtf8(utf8);
  return true;
}

void TWebPlatform::ShowMainWindow() {
  const bool first = !FShown;
  FShown = true;
  Present();
  if (first) pelto5_web_shown();
}

void TWebPlatform::SetClientSize(int width, int height) {
  FCanvas.SetSize(width, height);
  pelto5_web_set_canvas_size(FCanvas.Width(), FCanvas.Height());
}

void TWebPlatform::SetWindowPosition(int left, int top) {
  // A page has no window to move; the position is kept for the settings.
  FLeft = left;
  FTop = top;
}

void TWebPlatform::SetCaption(const std::string& caption) {
  FCaption = caption;
  pelto5_web_set_title(sjis::ToUtf8(caption).c_str());
}

bool TWebPlatform::SetFullScreen(bool on, int /*width*/, int /*height*/) {
  if (on == FullScreen()) return true;
  return pelto5_web_request_full_screen(on ? 1 : 0) != 0;
}

bool TWebPlatform::FullScreen() const { return pelto5_web_full_screen() != 0; }

void TWebPlatform::Present() {
  if (!FShown) return;
  // Read only: the canvas's version tells its drawers whether anyone else
  // drew on it.
  const TCanvas& canvas = FCanvas;
  FRgba.Convert(canvas);
  pelto5_web_put_frame(FRgba.Data(), FRgba.Width(), FRgba.Height(), 0, 0, FRgba.Width(), FRgba.Height());
}

void TWebPlatform::PresentRects(const std::vector<TRect>& rects) {
  if (!FShown) return;
  const TCanvas& canvas = FCanvas;
  for (const TRect& r : rects) {
    if (!FRgba.ConvertRect(canvas, r)) {
      Present();
      return;
    }
  }
  for (const TRect& r : rects) {
    const TRect part = IntersectRect(r, TRect{0, 0, FRgba.Width(), FRgba.Height()});
    if (part.IsEmpty()) continue;
    pelto5_web_put_frame(FRgba.Data(), FRgba.Width(), FRgba.Height(), part.Left, part.Top, part.Width,
                         part.Height);
  }
}

void TWebPlatform::SetCursor(int cursor) {
  FCursor = cursor;
  pelto5_web_set_cursor(cursor == crSelect ? 1 : 0);
}

std::unique_ptr<TToolWindow> TWebPlatform::CreateToolWindow(TToolWindowClient& client) {
  return std::make_unique<TWebToolWindow>(client);
}

std::unique_ptr<TAudioChannel> TWebPlatform::CreateAudioChannel(TAudioKind kind) {
  return std::make_unique<TWebAudioChannel>(kind);
}

void TWebPlatform::TraceLine(const std::string& text) {
  if (!FOptions.Trace) return;
  const std::string line = sjis::ToUtf8(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

bool TWebPlatform::SetClipboardText(const std::string& utf8) { return pelto5_web_set_clipboard(utf8.c_str()) != 0; }

bool TWebPlatform::StartSpeech() { return pelto5_web_has_speech() != 0; }

void TWebPlatform::Speak(const std::string& utf8, const std::string& language) {
  pelto5_web_speak(utf8.c_str(), language.c_str());
}

void TWebPlatform::StopSpeech() { pelto5_web_stop_speech(); }

}  // namespace pelto5
