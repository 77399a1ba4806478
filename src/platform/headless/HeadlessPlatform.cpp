#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>
#include <cstdio>

#include "base/SjisText.h"
#include "platform/FileSystem.h"
#include "platform/PadButtons.h"
#include "platform/VirtualClock.h"
#include "platform/headless/HeadlessAudioChannel.h"

namespace pelto5 {

namespace {

const char* IconName(TMessageIcon icon) {
  switch (icon) {
    case TMessageIcon::Error: return "error";
    case TMessageIcon::Warning: return "warning";
    case TMessageIcon::None: break;
  }
  return "none";
}

const char* AnswerName(TMessageResult answer) {
  switch (answer) {
    case TMessageResult::Ok: return "ok";
    case TMessageResult::Abort: return "abort";
    case TMessageResult::Ignore: return "ignore";
    case TMessageResult::Yes: return "yes";
    case TMessageResult::No: break;
  }
  return "no";
}

// CR LF, lone CR and lone LF all become the two characters "\n".
std::string EscapeLineBreaks(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      out += "\\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

bool ParseNumber(const std::string& word, long long max, long long& value) {
  if (word.empty() || word.size() > 10) return false;
  value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= max;
}

// Largest coordinate an event may give.
constexpr long long kMaxCoordinate = 100000;

// One coordinate of an event; which names it in the message ("X", "Y1").
TResult ParseCoordinate(const std::string& word, const char* which, int& value) {
  long long parsed = 0;
  if (ParseNumber(word, kMaxCoordinate, parsed)) {
    value = static_cast<int>(parsed);
    return TResult::Ok();
  }
  // A number, but not one in range, is named as such.
  const size_t digits = (!word.empty() && word[0] == '-') ? 1 : 0;
  bool number = word.size() > digits;
  for (size_t i = digits; i < word.size(); ++i) number = number && word[i] >= '0' && word[i] <= '9';
  if (number) {
    return TResult::Fail(std::string("coordinate ") + which + " " + word + " is out of range (0 to " +
                         std::to_string(kMaxCoordinate) + ")");
  }
  return TResult::Fail(std::string("coordinate ") + which + " is not a number: \"" + word + "\"");
}

// Splits off the next blank-separated word of rest.
std::string NextWord(std::string& rest) {
  size_t b = 0;
  while (b < rest.size() && (rest[b] == ' ' || rest[b] == '\t')) ++b;
  size_t e = b;
  while (e < rest.size() && rest[e] != ' ' && rest[e] != '\t') ++e;
  std::string word = rest.substr(b, e - b);
  rest = rest.substr(e);
  return word;
}

bool RestIsBlank(const std::string& rest) {
  for (char c : rest) {
    if (c != ' ' && c != '\t') return false;
  }
  return true;
}

// The virtual-key code of a key name or decimal code; 0 if unknown.
int KeyFromName(const std::string& name) {
  static const struct {
    const char* Name;
    int Key;
  } kNames[] = {{"space", VK_SPACE}, {"enter", VK_RETURN}, {"escape", VK_ESCAPE}, {"ctrl", VK_CONTROL},
                {"tab", VK_TAB},     {"shift", VK_SHIFT},  {"pageup", 33},
                {"pagedown", 34},    {"end", 35},          {"home", 36},         {"left", 37},
                {"up", 38},          {"right", 39},        {"down", 40}};
  for (const auto& n : kNames) {
    if (name == n.Name) return n.Key;
  }
  long long code = 0;
  if (ParseNumber(name, 255, code) && code > 0) return static_cast<int>(code);
  return 0;
}

// Parses one non-comment line into an event; fails with a reason otherwise.
TResult ParseEventLine(const std::string& line, THeadlessEvent& event) {
  std::string rest = line;
  long long ms = 0;
  const std::string timeWord = NextWord(rest);
  if (!ParseNumber(timeWord, 0xFFFFFFFFll, ms)) {
    return TResult::Fail("expected a time in milliseconds, found \"" + timeWord + "\"");
  }
  event.Time = static_cast<uint32_t>(ms);
  const std::string kind = NextWord(rest);
  auto readPoint = [&](THeadlessEvent::TKind k) -> TResult {
    const std::string xs = NextWord(rest);
    const std::string ys = NextWord(rest);
    if (ys.empty() || !RestIsBlank(rest)) return TResult::Fail("\"" + kind + "\" needs two coordinates X Y");
    TResult read = ParseCoordinate(xs, "X", event.X);
    if (read) read = ParseCoordinate(ys, "Y", event.Y);
    if (!read) return TResult::Fail("\"" + kind + "\": " + read.Reason());
    event.Kind = k;
    return TResult::Ok();
  };
  if (kind == "move") return readPoint(THeadlessEvent::TKind::Move);
  if (kind == "click") return readPoint(THeadlessEvent::TKind::Click);
  if (kind == "rclick") return readPoint(THeadlessEvent::TKind::RightClick);
  if (kind == "mclick") return readPoint(THeadlessEvent::TKind::MiddleClick);
  if (kind == "key" || kind == "key-down" || kind == "key-up" || kind == "debug-key") {
    const std::string name = NextWord(rest);
    event.Kind = kind == "key"        ? THeadlessEvent::TKind::Key
                 : kind == "key-down" ? THeadlessEvent::TKind::KeyDown
                 : kind == "key-up"   ? THeadlessEvent::TKind::KeyUp
                                      : THeadlessEvent::TKind::DebugKey;
    if (!RestIsBlank(rest)) return TResult::Fail("\"" + kind + "\" takes one key name");
    event.Key = KeyFromName(name);
    if (event.Key == 0) return TResult::Fail("unknown key \"" + name + "\"");
    return TResult::Ok();
  }
  if (kind == "pad") {
    const std::string name = NextWord(rest);
    TPadButton button = TPadButton::A;
    if (!RestIsBlank(rest)) return TResult::Fail("\"pad\" takes one button name");
    if (!PadButtonFromName(name, button)) return TResult::Fail("unknown pad button \"" + name + "\"");
    event.Kind = THeadlessEvent::TKind::Pad;
    event.Key = static_cast<int>(button);
    return TResult::Ok();
  }
  if (kind == "wheel") {
    // Notches, positive away from the user (up), negative towards.
    std::string word = NextWord(rest);
    const bool negative = !word.empty() && word[0] == '-';
    if (negative || (!word.empty() && word[0] == '+')) word.erase(0, 1);
    long long notches = 0;
    if (!ParseNumber(word, 1000, notches) || notches == 0 || !RestIsBlank(rest)) {
      return TResult::Fail("\"wheel\" needs a non-zero number of notches");
    }
    event.Kind = THeadlessEvent::TKind::Wheel;
    event.Delta = static_cast<int>(negative ? -notches : notches);
    return TResult::Ok();
  }
  if (kind == "debug-click") return readPoint(THeadlessEvent::TKind::DebugClick);
  if (kind == "debug-drag") {
    std::string words[4];
    for (std::string& w : words) w = NextWord(rest);
    if (words[3].empty() || !RestIsBlank(rest)) {
      return TResult::Fail("\"debug-drag\" needs four coordinates X1 Y1 X2 Y2");
    }
    int* targets[4] = {&event.X, &event.Y, &event.X2, &event.Y2};
    const char* names[4] = {"X1", "Y1", "X2", "Y2"};
    for (int i = 0; i < 4; ++i) {
      const TResult read = ParseCoordinate(words[i], names[i], *targets[i]);
      if (!read) return TResult::Fail("\"debug-drag\": " + read.Reason());
    }
    event.Kind = THeadlessEvent::TKind::DebugDrag;
    return TResult::Ok();
  }
  if (kind == "debug-tab" || kind == "debug-wheel") {
    std::string word = NextWord(rest);
    const bool negative = kind == "debug-wheel" && !word.empty() && word[0] == '-';
    long long n = 0;
    if (!ParseNumber(negative ? word.substr(1) : word, 1000, n) || !RestIsBlank(rest)) {
      return TResult::Fail(kind == "debug-tab" ? "\"debug-tab\" needs a tab number"
                                               : "\"debug-wheel\" needs a number of notches");
    }
    event.Kind = kind == "debug-tab" ? THeadlessEvent::TKind::DebugTab : THeadlessEvent::TKind::DebugWheel;
    event.Key = static_cast<int>(negative ? -n : n);
    return TResult::Ok();
  }
  if (kind == "text") {
    // The rest of the line after one separating blank is the answer.
    event.Kind = THeadlessEvent::TKind::Text;
    event.Text = sjis::FromUtf8(rest.empty() ? rest : rest.substr(1));
    return TResult::Ok();
  }
  if (kind == "answer") {
    const std::string word = NextWord(rest);
    event.Kind = THeadlessEvent::TKind::Answer;
    if (word == "abort") {
      event.Key = static_cast<int>(TMessageResult::Abort);
    } else if (word == "ignore") {
      event.Key = static_cast<int>(TMessageResult::Ignore);
    } else if (word == "yes") {
      event.Key = static_cast<int>(TMessageResult::Yes);
    } else if (word == "no") {
      event.Key = static_cast<int>(TMessageResult::No);
    } else {
      return TResult::Fail("\"answer\" needs abort, ignore, yes or no");
    }
    if (!RestIsBlank(rest)) return TResult::Fail("\"answer\" takes one answer");
    return TResult::Ok();
  }
  if (kind == "text-cancel" || kind == "quit" || kind == "reload" || kind == "fullscreen") {
    if (!RestIsBlank(rest)) return TResult::Fail("\"" + kind + "\" takes no arguments");
    event.Kind = kind == "quit"         ? THeadlessEvent::TKind::Quit
                 : kind == "reload"     ? THeadlessEvent::TKind::Reload
                 : kind == "fullscreen" ? THeadlessEvent::TKind::FullScreen
                                        : THeadlessEvent::TKind::TextCancel;
    return TResult::Ok();
  }
  if (kind == "debug-pause" || kind == "debug-resume" || kind == "debug-step") {
    if (!RestIsBlank(rest)) return TResult::Fail("\"" + kind + "\" takes no arguments");
    event.Kind = kind == "debug-pause"    ? THeadlessEvent::TKind::DebugPause
                 : kind == "debug-resume" ? THeadlessEvent::TKind::DebugResume
                                          : THeadlessEvent::TKind::DebugStep;
    return TResult::Ok();
  }
  if (kind == "shot" || kind == "debug-shot") {
    size_t b = 0;
    while (b < rest.size() && (rest[b] == ' ' || rest[b] == '\t')) ++b;
    event.Kind = kind == "shot" ? THeadlessEvent::TKind::Shot : THeadlessEvent::TKind::DebugShot;
    event.Text = rest.substr(b);
    if (event.Text.empty()) return TResult::Fail("\"" + kind + "\" needs a file name");
    return TResult::Ok();
  }
  return TResult::Fail(kind.empty() ? "missing event kind" : "unknown event \"" + kind + "\"");
}

}  // namespace

THeadlessPlatform::THeadlessPlatform(THeadlessOptions options) : FOptions(options) {
  FCanvas.SetSize(640, 480);
}

TResult THeadlessPlatform::LoadEvents(const std::string& path) {
  if (TFileSystem::DirectoryExists(path)) return TResult::Fail(path + ": is a folder, not an events file");
  std::string text;
  if (!TFileSystem::ReadFile(path, text)) return TResult::Fail(path + ": cannot read the events file");
  const TResult parsed = ParseEvents(text);
  if (!parsed) return TResult::Fail(path + ":" + parsed.Reason());
  return TResult::Ok();
}

TResult THeadlessPlatform::ParseEvents(const std::string& text) {
  std::vector<THeadlessEvent> parsed;
  const TResult read = ParseEventList(text, parsed);
  if (!read) return read;
  for (const THeadlessEvent& e : parsed) FEvents.push_back(e);
  return TResult::Ok();
}

TResult THeadlessPlatform::ParseEventList(const std::string& text, std::vector<THeadlessEvent>& parsed) {
  parsed.clear();
  // Editors may begin a UTF-8 file with a byte-order mark.
  size_t start = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  int lineNumber = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    ++lineNumber;
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t b = 0;
    while (b < line.size() && (line[b] == ' ' || line[b] == '\t')) ++b;
    if (b == line.size() || line[b] == '#') continue;
    THeadlessEvent event;
    const TResult read = ParseEventLine(line.substr(b), event);
    if (!read) {
      parsed.clear();
      return TResult::Fail(std::to_string(lineNumber) + ": " + read.Reason() + ": " + line);
    }
    parsed.push_back(event);
  }
  return TResult::Ok();
}

void THeadlessPlatform::AddEvent(const THeadlessEvent& event) { FEvents.push_back(event); }

void THeadlessPlatform::AdvanceClock(uint32_t ms) { FClock += ms; }

TLocalTime THeadlessPlatform::GetLocalTime() { return VirtualLocalTime(FClock); }

void THeadlessPlatform::Deliver(const THeadlessEvent& e) {
  using K = THeadlessEvent::TKind;
  switch (e.Kind) {
    case K::Move:
      FMouseX = e.X;
      FMouseY = e.Y;
      if (FClient) FClient->FormMouseMove(e.X, e.Y);
      break;
    case K::Click:
    case K::RightClick:
    case K::MiddleClick: {
      const TMouseButton b = e.Kind == K::Click        ? TMouseButton::Left
                             : e.Kind == K::RightClick ? TMouseButton::Right
                                                       : TMouseButton::Middle;
      FMouseX = e.X;
      FMouseY = e.Y;
      if (FClient) {
        FClient->FormMouseMove(e.X, e.Y);
        FClient->FormMouseDown(b, e.X, e.Y);
        FClient->FormMouseUp(b, e.X, e.Y);
      }
      break;
    }
    case K::Key:
      if (FClient) {
        FClient->FormKeyDown(e.Key);
        FClient->FormKeyUp(e.Key);
      }
      break;
    case K::KeyDown:
      if (FClient) FClient->FormKeyDown(e.Key);
      break;
    case K::KeyUp:
      if (FClient) FClient->FormKeyUp(e.Key);
      break;
    case K::Wheel:
      if (FClient) FClient->FormMouseWheel(e.Delta, FMouseX, FMouseY);
      break;
    case K::Pad:
      if (FClient) {
        FClient->FormPadButton(static_cast<TPadButton>(e.Key), true);
        FClient->FormPadButton(static_cast<TPadButton>(e.Key), false);
      }
      break;
    case K::Text:
      FTextAnswers.push_back(e.Text);
      break;
    case K::TextCancel:
      FTextAnswers.push_back(std::nullopt);
      break;
    case K::Answer:
      FBoxAnswers.push_back(static_cast<TMessageResult>(e.Key));
      break;
    case K::FullScreen:
      if (FClient) FClient->FormToggleFullScreen();
      break;
    case K::Shot:
      TakeScreenshot(e.Text);
      break;
    case K::Quit:
      Terminate();
      break;
    case K::Reload:
      if (FClient) FClient->FormReload();
      break;
    case K::DebugShot:
    case K::DebugTab:
    case K::DebugClick:
    case K::DebugKey:
    case K::DebugWheel:
    case K::DebugDrag:
    case K::DebugPause:
    case K::DebugResume:
    case K::DebugStep:
      DeliverToDebugWindow(e);
      break;
  }
}

void THeadlessPlatform::DeliverToDebugWindow(const THeadlessEvent& e) {
  using K = THeadlessEvent::TKind;
  THeadlessToolWindow* window = DebugWindow();
  if (!window) {
    WriteLine("headless: there is no debug window for a debug event");
    return;
  }
  if (e.Kind == K::DebugShot) {
    window->PaintIfInvalid();
    if (!window->Canvas().SavePng(e.Text)) WriteLine("headless: cannot write screenshot " + e.Text);
    return;
  }
  // A hidden window takes no input.
  if (!window->Visible()) return;
  TToolWindowClient& client = window->Client();
  switch (e.Kind) {
    case K::DebugTab:
      client.ToolSelectPage(e.Key);
      break;
    case K::DebugClick:
      client.ToolMouseMove(e.X, e.Y);
      client.ToolMouseDown(TMouseButton::Left, e.X, e.Y);
      client.ToolMouseUp(TMouseButton::Left, e.X, e.Y);
      break;
    case K::DebugDrag:
      client.ToolMouseMove(e.X, e.Y);
      client.ToolMouseDown(TMouseButton::Left, e.X, e.Y);
      client.ToolMouseMove(e.X2, e.Y2);
      client.ToolMouseUp(TMouseButton::Left, e.X2, e.Y2);
      break;
    case K::DebugKey:
      client.ToolKeyDown(e.Key);
      break;
    case K::DebugWheel:
      client.ToolMouseWheel(e.Key);
      break;
    case K::DebugPause:
      client.ToolAction(TToolAction::Pause);
      break;
    case K::DebugResume:
      client.ToolAction(TToolAction::Resume);
      break;
    case K::DebugStep:
      client.ToolAction(TToolAction::Step);
      break;
    default:
      break;
  }
}

void THeadlessPlatform::TakeScreenshot(const std::string& path) {
  // What the window shows at this moment, a transition's frame included.
  if (FOptions.ShotTaken) {
    FOptions.ShotTaken(path, FCanvas);
    return;
  }
  if (!FCanvas.SavePng(path)) WriteLine("headless: cannot write screenshot " + path);
}

void THeadlessPlatform::ProcessMessages() {
  while (!FEvents.empty() && FEvents.front().Time <= FClock) {
    const THeadlessEvent e = FEvents.front();
    FEvents.pop_front();
    Deliver(e);
  }
}

void THeadlessPlatform::WaitUntil(uint32_t tick) {
  if (static_cast<int32_t>(tick - FClock) > 0) {
    // Deliver events due on the way, each at its own time.
    while (!FEvents.empty() && static_cast<int32_t>(FEvents.front().Time - tick) <= 0 &&
           !FTerminated) {
      if (FEvents.front().Time > FClock) FClock = FEvents.front().Time;
      ProcessMessages();
    }
    if (FTerminated) return;
    if (static_cast<int32_t>(tick - FClock) > 0) FClock = tick;
  }
  ProcessMessages();
}

void THeadlessPlatform::SetMainTimerEnabled(bool enabled) {
  if (enabled && !FTimerEnabled) {
    // The n-th tick of the main timer is at 200·n ms of the virtual clock.
    FNextTimerTick = NextVirtualTick(FClock);
  }
  FTimerEnabled = enabled;
}

int THeadlessPlatform::Run(TPlatformClient& client) {
  FClient = &client;
  ProcessMessages();
  if (!FTerminated) client.FormActivate();
  while (!FTerminated) {
    if (FClock >= FOptions.MaxTime) {
      FTimedOut = true;
      break;
    }
    uint32_t next = FOptions.MaxTime;
    if (FTimerEnabled && FNextTimerTick < next) next = FNextTimerTick;
    if (!FTimerEnabled && !FEvents.empty() && FEvents.front().Time < next) {
      next = FEvents.front().Time;
    }
    if (next > FClock) WaitUntil(next);
    if (FTerminated) break;
    if (FClock >= FOptions.MaxTime) {
      FTimedOut = true;
      break;
    }
    ProcessMessages();
    if (FTerminated) break;
    if (FTimerEnabled && FClock >= FNextTimerTick) {
      // Ticks missed while the program was busy are not queued up.
      FNextTimerTick = NextVirtualTick(FClock);
      client.MainTimerTimer();
    }
  }
  FClient = nullptr;
  if (FTimedOut) WriteLine("headless: stopped by --max-time at " + std::to_string(FOptions.MaxTime) + " ms");
  return FTimedOut ? 3 : 0;
}

TMessageResult THeadlessPlatform::ShowMessageBox(const std::string& text, TMessageIcon icon,
                                                 TMessageButtons buttons) {
  TMessageResult answer = TMessageResult::Ok;
  if (buttons == TMessageButtons::AbortIgnore) {
    answer = TMessageResult::Ignore;
    if (FOptions.Answer == TMessageResult::Abort) answer = TMessageResult::Abort;
  } else if (buttons == TMessageButtons::YesNo) {
    answer = TMessageResult::Yes;
    if (FOptions.Answer == TMessageResult::No) answer = TMessageResult::No;
  }
  // An "answer" event answers the next question box; one that is not among
  // that box's buttons is used up all the same.
  if (buttons != TMessageButtons::Ok && !FBoxAnswers.empty()) {
    const TMessageResult given = FBoxAnswers.front();
    FBoxAnswers.pop_front();
    const bool fits = buttons == TMessageButtons::AbortIgnore
                          ? given == TMessageResult::Abort || given == TMessageResult::Ignore
                          : given == TMessageResult::Yes || given == TMessageResult::No;
    if (fits) answer = given;
  }
  WriteLine(std::string("message (") + IconName(icon) + ", " + AnswerName(answer) +
            "): " + EscapeLineBreaks(sjis::ToUtf8(text)));
  return answer;
}

bool THeadlessPlatform::ShowInputQuery(const std::string&, const std::string&, std::string& value) {
  ProcessMessages();
  if (FTextAnswers.empty()) return false;
  std::optional<std::string> answer = FTextAnswers.front();
  FTextAnswers.pop_front();
  if (!answer) return false;
  value = *answer;
  return true;
}

void THeadlessPlatform::ShowMainWindow() {}

void THeadlessPlatform::SetClientSize(int width, int height) {
  if (width == FCanvas.Width() && height == FCanvas.Height()) return;
  FCanvas.SetSize(width, height);
}

void THeadlessPlatform::SetWindowPosition(int left, int top) {
  FLeft = left;
  FTop = top;
}

bool THeadlessPlatform::SetFullScreen(bool on, int width, int height) {
  if (on && (FFullScreenRefused || width <= 0 || height <= 0)) return false;
  if (on == FFullScreen) return true;
  FFullScreen = on;
  ++FDisplayModeChanges;
  return true;
}

std::unique_ptr<TToolWindow> THeadlessPlatform::CreateToolWindow(TToolWindowClient& client) {
  return std::make_unique<THeadlessToolWindow>(*this, client);
}

void THeadlessPlatform::RegisterToolWindow(THeadlessToolWindow* window) { FToolWindows.push_back(window); }

void THeadlessPlatform::UnregisterToolWindow(THeadlessToolWindow* window) {
  std::erase(FToolWindows, window);
}

std::unique_ptr<TAudioChannel> THeadlessPlatform::CreateAudioChannel(TAudioKind kind) {
  return std::make_unique<THeadlessAudioChannel>(kind, *this);
}

void THeadlessPlatform::TraceLine(const std::string& text) {
  if (FOptions.Trace) WriteLine(sjis::ToUtf8(text));
}

void THeadlessPlatform::WarningLine(const std::string& text) { WriteLine(sjis::ToUtf8(text)); }

TLanguage THeadlessPlatform::Language() const {
  return FOptions.Language ? *FOptions.Language : TPlatform::Language();
}

bool THeadlessPlatform::SetClipboardText(const std::string& utf8) {
  WriteLine("clipboard: " + EscapeLineBreaks(utf8));
  return true;
}

void THeadlessPlatform::Speak(const std::string& utf8, const std::string&) {
  WriteLine("speech: " + EscapeLineBreaks(utf8));
}

void THeadlessPlatform::AudioTraceLine(const std::string& text) {
  if (FOptions.TraceAudio) WriteLine(sjis::ToUtf8(text));
}

void THeadlessPlatform::WriteLine(const std::string& utf8) {
  FOutput.push_back(utf8);
  if (FOptions.EchoToStderr) {
    std::fputs(utf8.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }
}

}  // namespace pelto5
