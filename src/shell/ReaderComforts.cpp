#include "shell/ReaderComforts.h"

#include <cstdio>

#include "base/MessageTexts.h"
#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "graphics/ScreenControl.h"
#include "platform/FileSystem.h"
#include "base/SjisText.h"

namespace pelto5 {

namespace {

constexpr int kMainWindow = 0;
constexpr int kHistoryFontSize = 16;
constexpr int kMarkFontSize = 9;

uint32_t Now() { return Platform().GetTickCount(); }

std::string Digits(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

// The font of the main window's messages at the given size.
TFont MainFont(TScreenControl& screen, int size) {
  TFont font;
  if (const TWindowRecord* main = screen.GetWindow(kMainWindow)) {
    font.Name = main->FontName;
    font.Bold = main->Bold;
    font.Italic = main->Italic;
  }
  font.Size = size;
  return font;
}

}  // namespace

TReaderComforts::TReaderComforts(TPeltoAccessControl& access, TScreenControl& screen,
                                 std::function<const TCanvas*()> picture)
    : FAccess(access), FScreen(screen), FPicture(std::move(picture)), FFocus(access, screen) {
  FScreen.OnMessagePageShown = [this](const std::string& text) { FHistory.AddPage(text); };
  FScreen.OnMessageKeyWait = [this](int characters) { ArmAuto(characters); };
  TWindowRecord* main = FScreen.GetWindow(kMainWindow);
  if (main && main->Screen) main->Screen->PaintOverlay = [this](TCanvas& canvas) { return DrawOverlay(canvas); };
}

TReaderComforts::~TReaderComforts() {
  FScreen.OnMessagePageShown = nullptr;
  FScreen.OnMessageKeyWait = nullptr;
  TWindowRecord* main = FScreen.GetWindow(kMainWindow);
  if (main && main->Screen) main->Screen->PaintOverlay = nullptr;
}

// --- Input ------------------------------------------------------------------

bool TReaderComforts::KeyDown(int key) {
  // Held keys repeat their key-down; toggles act on the first one only.
  if (key == VK_CONTROL) {
    FCtrlDown = true;
    return true;
  }
  if (key == VK_SHIFT) FShiftDown = true;
  if (key == VK_SHIFT || key == VK_MENU) return FHistory.IsOpen();
  if (key == VK_F12) {
    if (!FShotKeyDown) SaveScreenshot();
    FShotKeyDown = true;
    return true;
  }
  if (FHistory.IsOpen()) return HistoryKey(key);
  if (key == VK_A) {
    if (!FAutoKeyDown) SetAuto(!FAuto);
    FAutoKeyDown = true;
    return true;
  }
  if (key == VK_V) {
    if (!FVoiceKeyDown) ToggleVoicing();
    FVoiceKeyDown = true;
    return true;
  }
  if (key == VK_PRIOR) {
    OpenHistory();
    return true;
  }
  if (FocusKey(key)) return true;
  // Any other key is the reader taking over again.
  SetAuto(false);
  FSkipOn = false;
  return false;
}

bool TReaderComforts::FocusKey(int key) {
  int step = 0;
  switch (key) {
    case VK_TAB: step = FShiftDown ? -1 : 1; break;
    case VK_LEFT:
    case VK_UP: step = -1; break;
    case VK_RIGHT:
    case VK_DOWN: step = 1; break;
    default: return false;
  }
  if (FFocus.Move(step)) {
    Repaint();
    return true;
  }
  // Tab is the player's own even when there is nothing to focus.
  return key == VK_TAB;
}

TDynamicClick TReaderComforts::TakeFocusedClick() {
  if (FHistory.IsOpen()) return {};
  return FFocus.TakeClick();
}

void TReaderComforts::ToggleSkip() {
  if (FHistory.IsOpen()) return;
  FSkipOn = !FSkipOn;
}

void TReaderComforts::KeyUp(int key) {
  if (key == VK_CONTROL) FCtrlDown = false;
  if (key == VK_SHIFT) FShiftDown = false;
  if (key == VK_A) FAutoKeyDown = false;
  if (key == VK_V) FVoiceKeyDown = false;
  if (key == VK_F12) FShotKeyDown = false;
}

bool TReaderComforts::HistoryKey(int key) {
  switch (key) {
    case VK_ESCAPE: CloseHistory(); break;
    case VK_UP: ScrollHistory(1); break;
    case VK_DOWN: ScrollHistory(-1); break;
    case VK_PRIOR: ScrollHistory(FHistory.VisibleRows() - 1); break;
    case VK_NEXT: ScrollHistory(-(FHistory.VisibleRows() - 1)); break;
    default: break;
  }
  // Nothing reaches the scenario while the history is open.
  return true;
}

bool TReaderComforts::MouseDown(TMouseButton button) {
  if (FHistory.IsOpen()) {
    if (button == TMouseButton::Right) CloseHistory();
    return true;
  }
  SetAuto(false);
  FSkipOn = false;
  if (button == TMouseButton::Left && !FFocus.FocusedArea().IsEmpty()) {
    // The mouse takes over: the ring goes.
    FFocus.Clear();
    Repaint();
  }
  return false;
}

void TReaderComforts::MouseWheel(int delta) {
  if (FHistory.IsOpen()) {
    ScrollHistory(delta * kWheelLines);
  } else if (delta > 0) {
    OpenHistory();
  }
}

// --- Skip and auto-advance -------------------------------------------------------

void TReaderComforts::BeforeStep() {
  TPeltoProcess& process = FAccess.Process();
  // The wait is over: the next one starts without a focus.
  if (process.GetClickMode() == 0) FFocus.Clear();
  if (process.PlayerMode != TPeltoProcess::MessagePaused) {
    FAutoArmed = false;
    return;
  }
  if (Skipping()) {
    // As a Space press would end a key or page wait; a pause between
    // characters ends too, so the text appears at once. Choices, text
    // input and timed waits of "@Wait" are not message pauses.
    process.BreakWait();
    FAutoArmed = false;
    return;
  }
  if (!process.IsAnyKeyBreak()) return;
  if (!FAuto) return;
  if (!FAutoArmed) ArmAuto(0);  // turned on during the wait, or a wait restored from a save
  if (Now() - FAutoStart >= FAutoDelay) {
    process.BreakWait();
    FAutoArmed = false;
  }
}

void TReaderComforts::ArmAuto(int characters) {
  FAutoArmed = true;
  FAutoStart = Now();
  FAutoDelay = kAutoBaseDelay + kAutoCharDelay * static_cast<uint32_t>(characters > 0 ? characters : 0);
}

void TReaderComforts::SetAuto(bool on) {
  if (on == FAuto) return;
  FAuto = on;
  // The delay counts from now, not from when the wait began.
  if (on && FAutoArmed) FAutoStart = Now();
  Repaint();
}

// --- History -----------------------------------------------------------------

void TReaderComforts::OpenHistory() {
  if (FStepRunning || FHistory.IsOpen()) return;
  const TWindowRecord* main = FScreen.GetWindow(kMainWindow);
  if (!main || !main->Screen) return;
  if (!FHistory.Open(MainFont(FScreen, kHistoryFontSize), main->Screen->Width, main->Screen->Height)) return;
  FPausedAt = Now();
  Repaint();
}

void TReaderComforts::CloseHistory() {
  if (!FHistory.IsOpen()) return;
  FHistory.Close();
  // The scenario's timers stood still while the reader was reading.
  const uint32_t paused = Now() - FPausedAt;
  FAccess.Process().DelayTimers(paused);
  FAutoStart += paused;
  Repaint();
}

void TReaderComforts::ScrollHistory(int lines) {
  if (!FHistory.Scroll(lines)) {
    CloseHistory();
    return;
  }
  Repaint();
}

// --- Screenshots and the caption ----------------------------------------------

std::string TReaderComforts::SaveFolder() const { return FSaveFolder.empty() ? FAccess.DataDirectory() : FSaveFolder; }

std::string TReaderComforts::ScreenshotPath() {
  const std::string folder = SaveFolder();
  if (folder.empty()) return "";
  if (!TFileSystem::DirectoryExists(folder) && !TFileSystem::CreateDirectory(folder)) return "";
  const TLocalTime t = Platform().GetLocalTime();
  const std::string stem = "screenshot-" + Digits(t.Year, 4) + Digits(t.Month, 2) + Digits(t.Day, 2) + "-" +
                           Digits(t.Hour, 2) + Digits(t.Minute, 2) + Digits(t.Second, 2);
  // A second shot within the same second does not replace the first.
  std::string path = folder + stem + ".png";
  for (int n = 2; TFileSystem::FileExists(path) && n < 1000; ++n) {
    path = folder + stem + "-" + std::to_string(n) + ".png";
  }
  return TFileSystem::FileExists(path) ? "" : path;
}

void TReaderComforts::SaveScreenshot() {
  const TCanvas* picture = FPicture ? FPicture() : nullptr;
  const std::string path = picture ? ScreenshotPath() : "";
  if (!path.empty() && picture->SavePng(path)) {
    ShowCaptionNotice("saved " + sjis::FromUtf8(TFileSystem::FileNameOf(path)));
  } else {
    ShowCaptionNotice("screenshot not saved");
  }
}

void TReaderComforts::ShowCaptionNotice(const std::string& notice) {
  if (!FCaptionNotice) FCaption = Platform().Caption();
  FCaptionNotice = true;
  FCaptionNoticeAt = Now();
  Platform().SetCaption(FCaption.empty() ? notice : FCaption + " - " + notice);
}

void TReaderComforts::ToggleVoicing() {
  switch (FVoicing.Toggle()) {
    case TSelfVoicing::TToggled::On: ShowCaptionNotice(Localized(TOwnText::SpeechOn)); break;
    case TSelfVoicing::TToggled::Off: ShowCaptionNotice(Localized(TOwnText::SpeechOff)); break;
    case TSelfVoicing::TToggled::NoService: ShowCaptionNotice(Localized(TOwnText::NoSpeechService)); break;
    case TSelfVoicing::TToggled::Nothing: break;
  }
}

void TReaderComforts::TimerTick() {
  if (FCaptionNotice && Now() - FCaptionNoticeAt >= kCaptionNoticeTime) {
    FCaptionNotice = false;
    Platform().SetCaption(FCaption);
  }
}

// --- Drawing -------------------------------------------------------------------

TRect TReaderComforts::DrawOverlay(TCanvas& canvas) const {
  if (FHistory.IsOpen()) {
    FHistory.Draw(canvas);
    return TRect{0, 0, canvas.Width(), canvas.Height()};
  }
  const TRect ring = FFocus.Draw(canvas);
  if (!FAuto) return ring;
  // A small label in the top right corner.
  constexpr int kMarkWidth = 34;
  constexpr int kMarkHeight = 16;
  const int left = canvas.Width() - kMarkWidth - 6;
  constexpr int top = 6;
  DimCanvas(canvas, left, top, kMarkWidth, kMarkHeight);
  DrawShadowedRun(canvas, left + 4, top + 2, msg::kAutoMark, MainFont(FScreen, kMarkFontSize), 0x00FFFFFFu);
  // The label's text may run past its dimmed box to the right and below.
  return BoundingRect(ring, TRect{left, 0, canvas.Width() - left, top + kMarkHeight + 2 * kMarkFontSize});
}

void TReaderComforts::Repaint() { FScreen.Paint(kMainWindow); }

}  // namespace pelto5
