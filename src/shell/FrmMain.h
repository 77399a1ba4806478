// The main form: creation, first show, first activation, the timer-driven
// main loop with its dispatch table, input events and shutdown.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace pelto5 {

class TPeltoAccessControl;
class TPeltoCommand;
class TFlowCommands;
class TMusicCommands;
class TMusicCtrl;
class TPresentationCommands;
class TScreenControl;
class TDynamicLayer;
struct TDynamicClick;
class TDisplayMode;
class TSaveSystem;
class TSaveCommands;
class TReaderComforts;
class TTextStream;
class TTranslation;
class TfrmDebugInfo;
class TDebugControl;
class TScriptWatch;

// What the command line asks of the form beyond the content path.
struct TFormOptions {
  std::string ContentPath;      // "" = the executable's path with ".pp5", else the user's choice
  std::string DumpStatePath;    // --dump-state
  std::string ScreenshotPath;   // --screenshot
  std::string LibraryPath;      // --library ("" = search for it)
  std::string SaveDirectory;    // --save-dir ("" = the data directory, or the user's folder)
  bool KeepWindowSize = false;  // --scale given: the saved window size does not apply
  bool CheckFrames = false;     // --check-frames
  std::vector<std::string> Breakpoints;  // --break, UTF-8 "BOOK/PAGE[#INDEX]" each
  bool Watch = false;                    // --watch
  std::string TextOut;          // --text-out ("" = none)
  std::string TranslationPath;  // --translation ("" = none)
};

class TfrmMain : public TPlatformClient {
 public:
  // Handler contract: take the fetched command, return true to run the next
  // command in the same tick, false to yield until the next tick.
  using TCommandHandler = std::function<bool(TPeltoCommand&)>;
  static constexpr int kCommandTypeCount = 26;
  // Steps one main-timer tick runs at most.
  static constexpr int kStepBudget = 10000;

  explicit TfrmMain(TFormOptions options);
  ~TfrmMain() override;

  // Builds the objects and opens the content; false if the content could
  // not be opened (the failure has been reported).
  [[nodiscard]] bool FormCreate();
  void FormShow();
  void StartExecution();
  void FormDestroy();

  void RunSteps();
  [[nodiscard]] bool MainLoop_Step();

  // TPlatformClient
  void FormMouseDown(TMouseButton button, int x, int y) override;
  void FormMouseUp(TMouseButton button, int x, int y) override;
  void FormMouseMove(int x, int y) override;
  void FormKeyDown(int key) override;
  void FormKeyUp(int key) override;
  void FormMouseWheel(int delta, int x, int y) override;
  void FormPaint() override;
  void FormToggleFullScreen() override;
  void FormPadButton(TPadButton button, bool down) override;
  void FormActivate() override { StartExecution(); }
  void FormReload() override;
  void MainTimerTimer() override { RunSteps(); }

  TPeltoAccessControl& AccessControl() { return *FAccessControl; }
  TScreenControl& ScreenControl() { return *FScreenControl; }
  TMusicCtrl& MusicCtrl() { return *FMusicCtrl; }
  [[nodiscard]] bool LegacyMode() const { return FLegacyMode; }
  const std::string& ContentPath() const { return FContentPath; }
  // The folder this run writes saves and the settings file to (native,
  // ending in "/"; "" before the content is open).
  const std::string& SaveDirectory() const;

 private:
  void BuildDispatchTable();
  // The listeners of what the reader is shown (--text-out, reading aloud).
  void StartTextListeners();
  void StopTextListeners();
  // --translation: read the PO file; its errors are told and the game
  // plays untranslated.
  void LoadTranslation();
  [[nodiscard]] bool ResolveContentPath();
  // Without content: the file the user chooses (UTF-8) in chosen; false
  // when none was chosen (told with a box naming beside, the file looked
  // for, where no chooser can ask).
  [[nodiscard]] bool ChooseContent(const std::string& beside, std::string& chosen);
  void OpenRuntimeLibrary();
  void ApplySettings();
  // --check-frames: one line on what the check of the frames found.
  void ReportFrameCheck();
  // The debug window, its pause control and the --break breakpoints.
  void OpenDebugWindow();
  // --watch: follows the script's edits (a package cannot be edited).
  void StartWatching();
  void WatchTick();
  void StoreWindowPosition();
  void TraceCommand(int index, const TPeltoCommand& command);
  void WriteStateDump();
  void WriteScreenshot();
  // A click on a dynamic layer taken from it: the page change, then the
  // wait ends. False when nothing was found.
  bool ClickEntry(const TDynamicClick& click);
  // Window 0's dynamic layers; null before the screen is built.
  TDynamicLayer* MainDynamicLayers();

  TFormOptions FOptions;
  std::unique_ptr<TPeltoAccessControl> FAccessControl;
  std::unique_ptr<TFlowCommands> FFlowCommands;
  std::unique_ptr<TPresentationCommands> FPresentationCommands;
  std::unique_ptr<TScreenControl> FScreenControl;
  std::unique_ptr<TMusicCtrl> FMusicCtrl;
  std::unique_ptr<TMusicCommands> FMusicCommands;
  std::unique_ptr<TDisplayMode> FDisplayMode;
  std::unique_ptr<TSaveSystem> FSaveSystem;
  std::unique_ptr<TSaveCommands> FSaveCommands;
  std::unique_ptr<TReaderComforts> FComforts;
  std::unique_ptr<TTextStream> FTextStream;  // only with --text-out
  std::unique_ptr<TTranslation> FTranslation;  // only with --translation
  std::unique_ptr<TfrmDebugInfo> FDebugInfo;  // only in debug mode
  std::unique_ptr<TDebugControl> FDebugControl;  // with the debug window
  std::unique_ptr<TScriptWatch> FScriptWatch;    // --watch on a plain script
  std::array<TCommandHandler, kCommandTypeCount> FHandlers;
  std::string FContentPath;
  bool FLegacyMode = false;
  bool FFirstShow = true;
  bool FFirstActivate = true;
  bool FStepping = false;
  bool FCreated = false;
  bool FDestroyed = false;
};

}  // namespace pelto5
