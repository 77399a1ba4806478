// The one interface between the engine and the machine.
//
// The engine never touches SDL, the OS or any other system library: it asks
// a TPlatform for time, windows, dialogs and input, and it receives input,
// paint, activation and timer events through the TPlatformClient it hands
// to Run(). Two backends implement it: the SDL2 backend that players use
// and the deterministic headless backend that tests and automation use.
//
// All texts passed across this interface are Shift-JIS (code page 932);
// backends convert at their edge.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/OwnTexts.h"
#include "base/Rect.h"
#include "platform/AudioChannel.h"
#include "platform/Canvas.h"

namespace pelto5 {

enum class TMessageIcon { Error, Warning, None };
enum class TMessageButtons { Ok, AbortIgnore, YesNo };
enum class TMessageResult { Ok, Abort, Ignore, Yes, No };
enum class TMouseButton { Left, Right, Middle };
enum class TChooseResult { Chosen, Cancelled, Unavailable };
// What a dialog shows the reader: a message box's text, a text-input prompt.
enum class TDialogText { MessageBox, InputPrompt };
// The buttons of a game controller (SDL's names in the headless events).
enum class TPadButton {
  A, B, X, Y, Back, Start, LeftShoulder, RightShoulder, DpadUp, DpadDown, DpadLeft, DpadRight
};

// Virtual-key codes the engine looks at.
constexpr int VK_TAB = 9;
constexpr int VK_RETURN = 13;
constexpr int VK_ESCAPE = 27;
constexpr int VK_SPACE = 32;
// Keys of the player's own comforts (skip, auto-advance, history, screenshot).
constexpr int VK_SHIFT = 16;
constexpr int VK_CONTROL = 17;
constexpr int VK_MENU = 18;
constexpr int VK_PRIOR = 33;
constexpr int VK_NEXT = 34;
constexpr int VK_LEFT = 37;
constexpr int VK_UP = 38;
constexpr int VK_RIGHT = 39;
constexpr int VK_DOWN = 40;
constexpr int VK_A = 65;
constexpr int VK_V = 86;
constexpr int VK_F12 = 123;

// Cursor numbers of the application cursor.
constexpr int crDefault = 0;
constexpr int crSelect = 4;

struct TLocalTime {
  int Year = 2000;
  int Month = 1;        // 1..12
  int Day = 1;          // 1..31
  int Hour = 0;         // 0..23
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
  int DayOfWeek = 6;    // 0 = Sunday .. 6 = Saturday
};

// Events the platform delivers to the main form. Coordinates are client
// coordinates of the main screen (already mapped back from any window scale).
class TPlatformClient {
 public:
  virtual ~TPlatformClient() = default;
  virtual void FormMouseDown(TMouseButton button, int x, int y) = 0;
  virtual void FormMouseUp(TMouseButton button, int x, int y) = 0;
  virtual void FormMouseMove(int x, int y) = 0;
  virtual void FormKeyDown(int key) = 0;
  virtual void FormKeyUp(int key) = 0;
  // The mouse wheel turned by delta notches: positive away from the user
  // (up), negative towards the user (down).
  virtual void FormMouseWheel(int /*delta*/, int /*x*/, int /*y*/) {}
  virtual void FormPaint() = 0;
  // The application's activation; the first one starts execution.
  virtual void FormActivate() = 0;
  // One tick of the 200 ms main timer (only while it is enabled).
  virtual void MainTimerTimer() = 0;
  // The user asked to switch between window and full screen (Alt+Enter).
  virtual void FormToggleFullScreen() {}
  // The content's files are to be taken as changed (headless "MS reload").
  virtual void FormReload() {}
  // A game controller's button went down or up. The left stick arrives as
  // the D-pad's buttons.
  virtual void FormPadButton(TPadButton /*button*/, bool /*down*/) {}
};

// Automation of a tool window's own controls (the debug window's pause,
// resume and single-step), as a click on them would do.
enum class TToolAction { Pause, Resume, Step };

// Events of a tool window: a second, framed window beside the main one
// (the debug information window) with its own canvas. Coordinates are
// client coordinates of the tool window, in its own pixels.
class TToolWindowClient {
 public:
  virtual ~TToolWindowClient() = default;
  // Draw the whole client area into the window's canvas and Present() it.
  virtual void ToolPaint() = 0;
  // The client area changed size; the canvas already has the new size.
  virtual void ToolResize(int width, int height) = 0;
  virtual void ToolMouseDown(TMouseButton button, int x, int y) = 0;
  virtual void ToolMouseUp(TMouseButton button, int x, int y) = 0;
  virtual void ToolMouseMove(int x, int y) = 0;
  // Wheel notches: positive away from the user (scroll up).
  virtual void ToolMouseWheel(int notches) = 0;
  virtual void ToolKeyDown(int key) = 0;
  // The user closed the window with its frame's close button.
  virtual void ToolClose() = 0;
  // Automation: select page (tab) index as a click on its tab would.
  virtual void ToolSelectPage(int index) = 0;
  // Automation: one of the window's controls.
  virtual void ToolAction(TToolAction /*action*/) {}
};

class TToolWindow {
 public:
  virtual ~TToolWindow() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  // Position of the window and size of its client area (its canvas).
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  [[nodiscard]] virtual bool Visible() const = 0;
  virtual TCanvas& Canvas() = 0;
  // Shows what the canvas holds now.
  virtual void Present() = 0;
  // Asks for a ToolPaint when the platform next gets round to it (between
  // steps, before it waits); many requests make one paint.
  virtual void Invalidate() = 0;
};

class TPlatform {
 public:
  virtual ~TPlatform() = default;

  // --- Application services -------------------------------------------
  // Millisecond tick counter (wraps at 2^32).
  virtual uint32_t GetTickCount() = 0;
  virtual TLocalTime GetLocalTime() = 0;
  // Delivers pending input and paint events to the client.
  virtual void ProcessMessages() = 0;
  // Asks the application to end; Run() returns once the current event is done.
  virtual void Terminate() = 0;
  [[nodiscard]] virtual bool Terminated() const = 0;
  // Waits until the tick counter reaches tick, processing messages meanwhile.
  // Returns early if the application is terminating.
  virtual void WaitUntil(uint32_t tick) = 0;
  virtual void SetMainTimerEnabled(bool enabled) = 0;
  [[nodiscard]] virtual bool MainTimerEnabled() const = 0;
  // Runs the application's message loop: the first activation, then input,
  // paint and timer events, until Terminate(). Returns the exit status the
  // backend decided (0 normally; the headless backend returns 3 when its
  // time limit stopped the run).
  virtual int Run(TPlatformClient& client) = 0;

  // --- Dialogs ----------------------------------------------------------
  // A modal message box (ShowMessageBox), told to OnDialogText first.
  TMessageResult MessageBox(const std::string& text, TMessageIcon icon, TMessageButtons buttons);
  // Modal text input (caption, prompt, initial text in value). True on OK
  // with the text in value; false on Cancel, value unchanged. The prompt
  // is told to OnDialogText first.
  [[nodiscard]] bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
  // Hears the text of every message box and text-input prompt (Shift-JIS)
  // just before it shows; the player's text stream listens here.
  std::function<void(TDialogText kind, const std::string& text)> OnDialogText;
  // Hear how every message box and text-input dialog was answered, just
  // after it closed (the text Shift-JIS; accepted false for Cancel);
  // --record writes the answers down here.
  std::function<void(TMessageButtons buttons, TMessageResult answer)> OnMessageAnswer;
  std::function<void(bool accepted, const std::string& text)> OnInputAnswer;
  // Asks the user for a file to play with the desktop's file chooser
  // (title Shift-JIS; the path chosen in path, UTF-8). Unavailable where
  // there is no chooser to ask with (and always without a window).
  [[nodiscard]] virtual TChooseResult ChooseContentFile(const std::string& /*title*/, std::string& /*path*/) {
    return TChooseResult::Unavailable;
  }

  // --- Main window ------------------------------------------------------
  // Shows the main window (its first show) with the given client size.
  virtual void ShowMainWindow() = 0;
  virtual void SetClientSize(int width, int height) = 0;
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  virtual void SetWindowPosition(int left, int top) = 0;
  virtual int WindowLeft() const = 0;
  virtual int WindowTop() const = 0;
  // The window's size on the desktop, in its own pixels; the picture of
  // the client size is scaled into it with its aspect kept (letterboxed).
  // 0 x 0 where there is no window.
  virtual int WindowWidth() const { return 0; }
  virtual int WindowHeight() const { return 0; }
  virtual void SetWindowSize(int /*width*/, int /*height*/) {}
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  // Full screen. On: the display is switched to width x height (where it
  // has no such mode, the window covers the desktop and the picture is
  // letterboxed) and the window shows without a frame above the others.
  // Off: the display returns to its stored mode and the window gets its
  // frame back. False when the display refused; the mode is then unchanged.
  [[nodiscard]] virtual bool SetFullScreen(bool on, int width, int height) = 0;
  [[nodiscard]] virtual bool FullScreen() const = 0;
  // The form's canvas: a 32-bit frame of the client size. Draw into it and
  // call Present() to show it.
  virtual TCanvas& Canvas() = 0;
  virtual void Present() = 0;
  // Shows the canvas when it changed only inside rects since the last
  // present; a backend that cannot show a part shows it all.
  virtual void PresentRects(const std::vector<TRect>& /*rects*/) { Present(); }
  virtual void SetCursor(int cursor) = 0;
  virtual int Cursor() const = 0;

  // --- Tool windows -------------------------------------------------------
  // A new, hidden tool window sending its events to client, which must
  // outlive it.
  virtual std::unique_ptr<TToolWindow> CreateToolWindow(TToolWindowClient& client) = 0;

  // --- Audio -------------------------------------------------------------
  // A new, closed playback channel of the given kind.
  virtual std::unique_ptr<TAudioChannel> CreateAudioChannel(TAudioKind kind) = 0;

  // --- Diagnostics ------------------------------------------------------
  // Writes one line of diagnostics (--trace) to standard error.
  virtual void TraceLine(const std::string& text) = 0;
  [[nodiscard]] virtual bool TraceEnabled() const = 0;
  // Whether --watch looks at the files for changes itself; a headless run
  // reloads only when its events say so, to stay the same every time.
  [[nodiscard]] virtual bool PollsFileChanges() const { return true; }
  // Writes one line to standard error whatever the options: something
  // the user must hear of even when no box can be seen (saves that cannot
  // go where they were asked to).
  virtual void WarningLine(const std::string& text);

  // --- The user -----------------------------------------------------------
  // The language of the player's own texts: the user's locale's.
  [[nodiscard]] virtual TLanguage Language() const;
  // Puts UTF-8 text on the system clipboard, where clipboard-watching
  // tools pick it up. False where there is no clipboard to put it on.
  virtual bool SetClipboardText(const std::string& /*utf8*/) { return false; }

  // --- Speech ---------------------------------------------------------------
  // Connects to the system's speech service; false when there is none.
  [[nodiscard]] virtual bool StartSpeech() { return false; }
  // Stops what is being said and starts saying utf8, in language ("ja",
  // "en") where the service has a voice for it.
  virtual void Speak(const std::string& /*utf8*/, const std::string& /*language*/) {}
  virtual void StopSpeech() {}

 protected:
  // What MessageBox and InputQuery show, backend by backend.
  virtual TMessageResult ShowMessageBox(const std::string& text, TMessageIcon icon,
                                        TMessageButtons buttons) = 0;
  [[nodiscard]] virtual bool ShowInputQuery(const std::string& caption, const std::string& prompt,
                                            std::string& value) = 0;
};

}  // namespace pelto5

namespace pelto5 {

// The platform instance the engine talks to. main() installs the backend it
// chose; tests install a headless one. Until one is installed, the
// fallback answers (a quiet headless instance, see InstallHeadlessDefaults).
TPlatform& Platform();
void InstallPlatform(TPlatform* platform);
// The instance that answers while none is installed (not owned).
void InstallFallbackPlatform(TPlatform* platform);

// A platform that shows nothing: no window, no sound, no output, message
// boxes answered with answer. For looking at content without playing it.
using TQuietPlatformFactory = std::unique_ptr<TPlatform> (*)(TMessageResult answer);
void InstallQuietPlatformFactory(TQuietPlatformFactory factory);
// Null when no factory was installed.
std::unique_ptr<TPlatform> CreateQuietPlatform(TMessageResult answer);

// The language the environment's locale asks for (LC_ALL, LC_MESSAGES, LANG).
TLanguage EnvironmentLanguage();
// One of the player's own texts in the platform's language: Shift-JIS, and
// UTF-8 for what goes to the terminal.
std::string Localized(TOwnText id);
std::string LocalizedUtf8(TOwnText id);

}  // namespace pelto5
