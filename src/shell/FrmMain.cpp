#include "shell/FrmMain.h"

#include "audio/MusicCommands.h"
#include "audio/MusicCtrl.h"
#include "base/MessageTexts.h"
#include "content/GameFolder.h"
#include "exec/PeltoAccessControl.h"
#include "content/RuntimeLibrarySearch.h"
#include "exec/FlowCommands.h"
#include "exec/PeltoProcess.h"
#include "exec/PresentationCommands.h"
#include "graphics/FrameCheck.h"
#include "graphics/ScreenControl.h"
#include "platform/FileSystem.h"
#include "base/SjisText.h"
#include "script/CommandCtrl.h"
#include "script/PeltoCommand.h"
#include "script/PeltoFile.h"
#include "script/Translation.h"
#include "graphics/LayerCtrl.h"
#include "script/VariableCtrl.h"
#include "save/SaveCommands.h"
#include "save/SaveLocation.h"
#include "save/SaveSystem.h"
#include "lint/TargetCheck.h"
#include "shell/DebugControl.h"
#include "shell/DisplayMode.h"
#include "shell/FrmDebugInfo.h"
#include "shell/ReaderComforts.h"
#include "shell/ScriptWatch.h"
#include "shell/StateDump.h"
#include "shell/TextStream.h"

namespace pelto5 {

namespace {

constexpr const char* kPelto = "Pelto";
constexpr const char* kSettingsFile = "p_save00.svi";

// A seed for the pseudo-random generator from the date and time.
uint32_t SeedFromTime(const TLocalTime& t) {
  uint32_t seed = static_cast<uint32_t>(t.Year);
  for (int part : {t.Month, t.Day, t.Hour, t.Minute, t.Second, t.Millisecond}) {
    seed = seed * 1000003u + static_cast<uint32_t>(part);
  }
  return seed;
}

}  // namespace

TfrmMain::TfrmMain(TFormOptions options) : FOptions(std::move(options)) { BuildDispatchTable(); }

TfrmMain::~TfrmMain() { FormDestroy(); }

void TfrmMain::BuildDispatchTable() {
  // Types without a handler do nothing and yield until the next tick.
  FHandlers.fill(nullptr);
  FHandlers[TCommandCtrl::ctRem] = [](TPeltoCommand&) { return true; };
  auto flow = [this](bool (TFlowCommands::*handler)(TPeltoCommand&)) {
    return [this, handler](TPeltoCommand& command) { return (FFlowCommands.get()->*handler)(command); };
  };
  FHandlers[TCommandCtrl::ctIf] = flow(&TFlowCommands::DoIf);
  FHandlers[TCommandCtrl::ctElse] = flow(&TFlowCommands::DoElse);
  FHandlers[TCommandCtrl::ctEndIf] = flow(&TFlowCommands::DoEndif);
  FHandlers[TCommandCtrl::ctValueCtrl] = flow(&TFlowCommands::DoValueCtrl);
  FHandlers[TCommandCtrl::ctStringCtrl] = flow(&TFlowCommands::DoStringCtrl);
  FHandlers[TCommandCtrl::ctWait] = flow(&TFlowCommands::DoWait);
  FHandlers[TCommandCtrl::ctMove] = flow(&TFlowCommands::DoMove);
  FHandlers[TCommandCtrl::ctCall] = flow(&TFlowCommands::DoCall);
  FHandlers[TCommandCtrl::ctReturn] = flow(&TFlowCommands::DoReturn);
  FHandlers[TCommandCtrl::ctStringInput] = flow(&TFlowCommands::DoStringInput);
  auto presentation = [this](bool (TPresentationCommands::*handler)(TPeltoCommand&)) {
    return [this, handler](TPeltoCommand& command) {
      return (FPresentationCommands.get()->*handler)(command);
    };
  };
  FHandlers[TCommandCtrl::ctMessageDraw] = presentation(&TPresentationCommands::DoMessageDraw);
  FHandlers[TCommandCtrl::ctGraphicDraw] = presentation(&TPresentationCommands::DoGraphicDraw);
  FHandlers[TCommandCtrl::ctLayerCtrl] = presentation(&TPresentationCommands::DoLayerCtrl);
  FHandlers[TCommandCtrl::ctSelect] = presentation(&TPresentationCommands::DoSelect);
  FHandlers[TCommandCtrl::ctDynamicLayer] = presentation(&TPresentationCommands::DoDynamicLayer);
  FHandlers[TCommandCtrl::ctDynamicLayerClear] = presentation(&TPresentationCommands::DoDynamicLayerClear);
  auto music = [this](bool (TMusicCommands::*handler)(TPeltoCommand&)) {
    return [this, handler](TPeltoCommand& command) { return (FMusicCommands.get()->*handler)(command); };
  };
  FHandlers[TCommandCtrl::ctMusic] = music(&TMusicCommands::DoMusic);
  FHandlers[TCommandCtrl::ctSound] = music(&TMusicCommands::DoSound);
  FHandlers[TCommandCtrl::ctMusicStop] = music(&TMusicCommands::DoMusicStop);
  FHandlers[TCommandCtrl::ctSaveCtrl] = [this](TPeltoCommand& command) { return FSaveCommands->DoSaveCtrl(command); };
  FHandlers[TCommandCtrl::ctSystem] = [this](TPeltoCommand& command) { return FSaveCommands->DoSystem(command); };
}

bool TfrmMain::FormCreate() {
  FAccessControl = std::make_unique<TPeltoAccessControl>();
  FScreenControl = std::make_unique<TScreenControl>();
  FScreenControl->AccessControl = FAccessControl.get();
  FMusicCtrl = std::make_unique<TMusicCtrl>();
  FMusicCommands = std::make_unique<TMusicCommands>(FAccessControl->Sources(), *FMusicCtrl);
  FDisplayMode = std::make_unique<TDisplayMode>(*FAccessControl, *FScreenControl);
  FSaveSystem = std::make_unique<TSaveSystem>(*FAccessControl, *FScreenControl, *FMusicCtrl);
  FSaveCommands = std::make_unique<TSaveCommands>(*FAccessControl, *FScreenControl, *FSaveSystem, *FMusicCtrl,
                                                  *FDisplayMode);
  FFlowCommands = std::make_unique<TFlowCommands>(*FAccessControl);
  FPresentationCommands = std::make_unique<TPresentationCommands>(*FAccessControl, *FScreenControl,
                                                                  [this] { return FLegacyMode; });
  FFirstShow = true;
  FFirstActivate = true;
  FStepping = false;
  FCreated = true;
  StartTextListeners();
  LoadTranslation();

  if (!ResolveContentPath()) return false;
  const uint32_t seed = SeedFromTime(Platform().GetLocalTime());
  FAccessControl->VariableCtrl().Randomize(seed);
  FScreenControl->SetRandomSeed(seed ^ 0x5EED5EEDu);
  if (!FAccessControl->Open(FContentPath)) return false;
  const TSaveLocation& location = FSaveSystem->Location();
  FSaveSystem->Location().Choose(FAccessControl->DataDirectory(), FContentPath, FOptions.SaveDirectory);
  if (!location.RefusedDirectory().empty()) {
    // Said at once on standard error, and in a box once the window is up.
    Platform().WarningLine(sjis::FromUtf8("pelto5: " + FillIn(LocalizedUtf8(TOwnText::SaveDirRefusedLine),
                                                              {location.RefusedDirectory(),
                                                               location.SaveDirectory()})));
  }
  // Files to extract that the data directory could not take go where the
  // saves go.
  FAccessControl->ExtractInstead(location.SaveDirectory());
  OpenRuntimeLibrary();
  return true;
}

bool TfrmMain::ResolveContentPath() {
  std::string given = FOptions.ContentPath;
  if (given.empty()) {
    FContentPath = TFileSystem::ChangeExtension(TFileSystem::ExecutablePath(), ".pp5");
    if (TFileSystem::FileExists(FContentPath)) return true;
    // Started without a file (from the desktop's menu, say): ask for one.
    if (!ChooseContent(FContentPath, given)) {
      FContentPath.clear();
      return false;
    }
  }
  FContentPath = given;
  if (!TFileSystem::DirectoryExists(FContentPath)) return true;
  // A game folder: the content in it.
  std::vector<std::string> candidates;
  switch (TGameFolder::Resolve(FContentPath, FContentPath, candidates)) {
    case TGameFolder::TResult::Found:
      return true;
    case TGameFolder::TResult::NothingToPlay:
      Platform().MessageBox(sjis::FromUtf8(given) + "\r\n" + Localized(TOwnText::NothingToPlay),
                            TMessageIcon::Error, TMessageButtons::Ok);
      break;
    case TGameFolder::TResult::Ambiguous: {
      std::string text = sjis::FromUtf8(given) + "\r\n" + Localized(TOwnText::MoreThanOneGame) + ":";
      for (const std::string& name : candidates) text += "\r\n  " + sjis::FromUtf8(name);
      Platform().MessageBox(text, TMessageIcon::Error, TMessageButtons::Ok);
      break;
    }
  }
  FContentPath.clear();
  return false;
}

bool TfrmMain::ChooseContent(const std::string& beside, std::string& chosen) {
  switch (Platform().ChooseContentFile(Localized(TOwnText::ChooseGameTitle), chosen)) {
    case TChooseResult::Chosen:
      return true;
    case TChooseResult::Cancelled:
      // The user chose not to play: nothing more to say.
      return false;
    case TChooseResult::Unavailable:
      break;
  }
  Platform().MessageBox(sjis::FromUtf8(FillIn(LocalizedUtf8(TOwnText::NoContent), {beside})), TMessageIcon::Error,
                        TMessageButtons::Ok);
  return false;
}

void TfrmMain::OpenRuntimeLibrary() {
  for (const std::string& library :
       TRuntimeLibrarySearch::Candidates(FOptions.LibraryPath, FAccessControl->ContentDirectory())) {
    if (!FOptions.LibraryPath.empty() || TFileSystem::FileExists(library)) {
      if (FAccessControl->OpenRuntimeLibrary(library)) {
        // "_init" runs first; its "@Return" leads to the start page.
        FAccessControl->CallPage("_system", "_init");
        return;
      }
    }
  }
  Platform().MessageBox(msg::kNoLibrary, TMessageIcon::Error, TMessageButtons::Ok);
}

void TfrmMain::StartTextListeners() {
  if (!FOptions.TextOut.empty()) {
    FTextStream = std::make_unique<TTextStream>(*FAccessControl, TTextOutput::Open(FOptions.TextOut));
  }
  FScreenControl->OnMessagePageBegun = [this](const std::string& text, bool firstPage) {
    if (FTextStream) FTextStream->MessagePage(text, firstPage);
    if (FComforts) FComforts->MessagePageBegun(text);
  };
  if (!FTextStream) return;
  Platform().OnDialogText = [this](TDialogText kind, const std::string& text) {
    if (FTextStream) FTextStream->Dialog(kind, text);
  };
}

void TfrmMain::LoadTranslation() {
  if (FOptions.TranslationPath.empty()) return;
  FTranslation = std::make_unique<TTranslation>();
  std::vector<std::string> errors;
  if (!FTranslation->Load(FOptions.TranslationPath, errors)) {
    for (const std::string& error : errors) Platform().WarningLine(sjis::FromUtf8(error));
  }
  FPresentationCommands->SetTranslation(FTranslation.get());
  if (FTranslation->Empty()) return;
  FScreenControl->TranslationsOf = [this](const std::string& savedText) {
    return FPresentationCommands->TranslationsOf(savedText);
  };
}

void TfrmMain::StopTextListeners() {
  Platform().OnDialogText = nullptr;
  if (FScreenControl) FScreenControl->OnMessagePageBegun = nullptr;
  FTextStream.reset();
}

const std::string& TfrmMain::SaveDirectory() const { return FSaveSystem->Location().SaveDirectory(); }

void TfrmMain::FormShow() {
  if (!FFirstShow) return;
  FFirstShow = false;
  // The settings come first: the windows take the settings' font
  // ("System.Font") when their own is not installed, from the first frame.
  FSaveSystem->LoadSystemSettings(FSaveSystem->Location().ReadPath(kSettingsFile));
  FScreenControl->InitWindows();
  const TWindowRecord& main = *FScreenControl->GetWindow(0);
  Platform().SetClientSize(main.Screen->Width, main.Screen->Height);
  FScreenControl->SetCanvas(0, &Platform().Canvas());
  if (FOptions.CheckFrames) main.Screen->SetFrameCheck(true);
  FComforts = std::make_unique<TReaderComforts>(*FAccessControl, *FScreenControl,
                                                [] { return &Platform().Canvas(); });
  FComforts->SetSaveFolder(SaveDirectory());
  if (FOptions.Watch) StartWatching();
  ApplySettings();
  Platform().ShowMainWindow();
  const TSaveLocation& location = FSaveSystem->Location();
  if (!location.RefusedDirectory().empty()) {
    Platform().MessageBox(Localized(TOwnText::SaveFolderNotWritable) + "\r\n\"" +
                              sjis::FromUtf8(location.RefusedDirectory()) + "\"\r\n" +
                              Localized(TOwnText::SavesGoTo) + "\r\n\"" +
                              sjis::FromUtf8(location.SaveDirectory()) + "\"",
                          TMessageIcon::Warning, TMessageButtons::Ok);
  }
}

void TfrmMain::ApplySettings() {
  FLegacyMode = FAccessControl->PeltoFile().ReadBool(kPelto, "LegacyMode", false);
  Platform().SetWindowPosition(FAccessControl->WindowLeft(), FAccessControl->WindowTop());
  if (!FOptions.KeepWindowSize && FSaveSystem->FWindowWidth > 0 && FSaveSystem->FWindowHeight > 0) {
    Platform().SetWindowSize(FSaveSystem->FWindowWidth, FSaveSystem->FWindowHeight);
  }
  // Breakpoints need the window that resumes from them.
  if (FAccessControl->PeltoFile().ReadBool(kPelto, "DebugMode", false) || !FOptions.Breakpoints.empty()) {
    OpenDebugWindow();
  }
}

void TfrmMain::StartWatching() {
  if (FAccessControl->Sources().IsOpen(TContainer::Package)) {
    Platform().WarningLine(sjis::FromUtf8("pelto5: " + FillIn(LocalizedUtf8(TOwnText::WatchPackage), {FContentPath})));
    return;
  }
  FScriptWatch = std::make_unique<TScriptWatch>(*FAccessControl, *FScreenControl, FContentPath, SaveDirectory());
  // The band of a parse fault goes over the picture with the reader's marks.
  if (TWindowRecord* main = FScreenControl->GetWindow(0); main && main->Screen) {
    main->Screen->PaintOverlay = [this](TCanvas& canvas) {
      const TRect comforts = FComforts ? FComforts->DrawOverlay(canvas) : TRect{};
      return BoundingRect(comforts, FScriptWatch->DrawBand(canvas));
    };
  }
}

void TfrmMain::FormReload() {
  if (FScriptWatch) {
    FScriptWatch->RequestReload();
  } else {
    Platform().WarningLine(sjis::FromUtf8("pelto5: " + LocalizedUtf8(TOwnText::ReloadWithoutWatch)));
  }
}

void TfrmMain::WatchTick() {
  if (!FScriptWatch || !FScriptWatch->TimerTick(Platform().PollsFileChanges())) return;
  if (FDebugInfo) {
    FDebugInfo->ForgetCommands();
    FDebugInfo->RefreshInfo();
  }
}

void TfrmMain::OpenDebugWindow() {
  TPeltoFile& file = FAccessControl->PeltoFile();
  FDebugControl = std::make_unique<TDebugControl>();
  for (const std::string& given : FOptions.Breakpoints) {
    const std::string text = sjis::FromUtf8(given);
    TBreakpoint breakpoint;
    // The command line has refused any that is not of the form.
    if (!TDebugControl::ParseBreakpoint(text, breakpoint)) continue;
    const std::string missing = TTargetCheck::MissingTarget(file, "--break " + text, breakpoint.Book, breakpoint.Page);
    if (!missing.empty()) {
      // Told as the scenario check tells a jump to a page that is not there.
      Platform().WarningLine(sjis::FromUtf8(FContentPath) + ":0: error: " + missing + " [targets]");
      continue;
    }
    FDebugControl->AddBreakpoint(breakpoint);
  }
  FDebugInfo = std::make_unique<TfrmDebugInfo>();
  FDebugInfo->FAccessControl = FAccessControl.get();
  FDebugInfo->FScreenControl = FScreenControl.get();
  FDebugInfo->FDebugControl = FDebugControl.get();
  FDebugInfo->SetPosition(file.ReadInteger(kPelto, "ImageWidth", 640) + Platform().WindowLeft() + 32,
                          Platform().WindowTop());
  FDebugInfo->Show();
}

void TfrmMain::StartExecution() {
  if (!FFirstActivate || !FCreated) return;
  FFirstActivate = false;
  TPeltoFile& file = FAccessControl->PeltoFile();
  Platform().SetCaption(file.ReadString(kPelto, "Title", ""));
  const std::string opening = file.ReadString(kPelto, "Opening", "");
  if (!opening.empty() && opening != "Default") {
    // Layers start hidden; the opening picture is shown once it is loaded.
    if (FScreenControl->LoadLayerImage(0, kBackgroundLayerName, opening, false, false)) {
      FScreenControl->SetLayerVisible(0, kBackgroundLayerName, true);
    }
  }
  FScreenControl->Compose(0);
  FScreenControl->Paint(0);
  Platform().SetMainTimerEnabled(true);
}

void TfrmMain::RunSteps() {
  if (FStepping) return;
  WatchTick();
  if (FComforts) {
    FComforts->TimerTick();
    // The reader is looking through the history: the scenario stands still.
    if (FComforts->Paused()) return;
  }
  FStepping = true;
  // A page that jumps to or calls itself for ever never yields by itself:
  // after a budget of steps the tick ends anyway, so that painting, input
  // and the time limit keep working. No page that yields is affected.
  for (int steps = 0; steps < kStepBudget; ++steps) {
    if (steps > 0) Platform().ProcessMessages();
    if (Platform().Terminated()) {
      Platform().SetMainTimerEnabled(false);
      break;
    }
    if (FComforts && FComforts->Paused()) break;
    if (FComforts) FComforts->BeforeStep();
    if (FComforts) FComforts->SetStepRunning(true);
    const bool result = MainLoop_Step();
    if (FComforts) FComforts->SetStepRunning(false);
    if (!result || !FAccessControl->Process().IsReady()) break;
  }
  FStepping = false;
}

bool TfrmMain::MainLoop_Step() {
  TPeltoAccessControl& ac = *FAccessControl;
  TCommandCtrl& commands = ac.CommandCtrl();
  TPeltoProcess& process = ac.Process();

  if (process.MessageEffectDue() && !FScreenControl->DrawMessage(0, process.FMessageLayer)) {
    process.EndMessageEffect();
    FScreenControl->Compose(0);
    FScreenControl->Paint(0);
  }
  if (process.GaugeTickDue()) {
    const int seconds = process.RemainingSeconds();
    const bool animated = FScreenControl->AnimateDynamicLayers(false);
    const bool counted = FScreenControl->TimerDynamicLayers(false, seconds);
    if (animated || counted) FScreenControl->Refresh(0);
  }
  FMusicCtrl->PollMusic();

  if (!process.BeginStep()) return false;
  if (process.TakeTimedOut() && FScreenControl->RemoveDynamicLayers(0, kAttrExpiredCountdown)) {
    FScreenControl->Refresh(0);
  }

  // Paused, or at a breakpoint: the command is not fetched.
  if (FDebugControl) {
    const TDebugControl::TFetch fetch =
        FDebugControl->BeforeFetch({commands.BookName(), commands.PageName(), ac.NextCommandIndex()});
    if (fetch != TDebugControl::TFetch::Go) {
      process.EndStep();
      if (fetch == TDebugControl::TFetch::Stopped && FDebugInfo) FDebugInfo->ShowBreak();
      return false;
    }
  }

  // The count is asked once per step, so a page that cannot be cached is
  // reported once, not once per query.
  const int count = commands.GetCommandCount();
  if (count == 0 && !ac.PeltoFile().PageExists(commands.BookName(), commands.PageName())) {
    Platform().MessageBox(std::string(msg::kMissingPage1) + commands.BookName() + msg::kMissingPage2 +
                              commands.PageName() + msg::kMissingPage3,
                          TMessageIcon::Error, TMessageButtons::Ok);
  }

  const int index = ac.NextCommandIndex();
  if (index < 0 || index >= count) {
    Platform().SetMainTimerEnabled(false);
    Platform().Terminate();
    return false;
  }

  TPeltoCommand command;
  (void)commands.GetCommand(index, command);  // the index was checked above
  ac.SetNextCommandIndex(index + 1);
  if (Platform().TraceEnabled()) TraceCommand(index, command);

  bool result = false;
  const int type = command.CommandType;
  if (type > 0 && type < kCommandTypeCount) {
    if (FHandlers[type]) result = FHandlers[type](command);
  } else {
    Platform().MessageBox(msg::kUnknownCommand, TMessageIcon::None, TMessageButtons::Ok);
  }
  process.EndStep();
  if (FDebugInfo) FDebugInfo->RefreshInfo();
  return result;
}

void TfrmMain::TraceCommand(int index, const TPeltoCommand& command) {
  const TCommandCtrl& commands = FAccessControl->CommandCtrl();
  Platform().TraceLine("trace: " + std::to_string(Platform().GetTickCount()) + " " +
                       commands.BookName() + "/" + commands.PageName() + " #" +
                       std::to_string(index) + " " + command.CommandLine);
}

void TfrmMain::FormDestroy() {
  if (FDestroyed || !FCreated) return;
  FDestroyed = true;
  ReportFrameCheck();
  FComforts.reset();
  FScriptWatch.reset();
  FDisplayMode->SetWindowMode();
  StoreWindowPosition();
  WriteStateDump();
  WriteScreenshot();
  // The run is ending: a value file that cannot be finished leaves the one
  // on disk as it was, and there is nobody left to tell.
  (void)FSaveSystem->CloseSaveFile();
  FAccessControl->CloseRuntimeLibrary();
  FAccessControl->CloseContent();
  StopTextListeners();
  FDebugInfo.reset();
  FDebugControl.reset();
  if (FScreenControl) FScreenControl->TranslationsOf = nullptr;
  FPresentationCommands.reset();
  FTranslation.reset();
  FFlowCommands.reset();
  FSaveCommands.reset();
  FSaveSystem.reset();
  FDisplayMode.reset();
  FMusicCommands.reset();
  FMusicCtrl.reset();
  FScreenControl.reset();
  FAccessControl.reset();
}

void TfrmMain::ReportFrameCheck() {
  const TWindowRecord* main = FScreenControl ? FScreenControl->GetWindow(0) : nullptr;
  const TFrameCheck* check = main && main->Screen ? main->Screen->FrameCheck() : nullptr;
  if (!check) return;
  std::string line = "frame check: " + std::to_string(check->Checks()) + " comparisons, " +
                     std::to_string(check->Differences()) + " differences";
  if (check->Differences() > 0) line += "; first: " + check->FirstDifference();
  Platform().WarningLine(line);
}

void TfrmMain::StoreWindowPosition() {
  FAccessControl->SetWindowPosition(Platform().WindowLeft(), Platform().WindowTop());
  FSaveSystem->FWindowWidth = Platform().WindowWidth();
  FSaveSystem->FWindowHeight = Platform().WindowHeight();
  // Without content there is no save folder and nothing is written.
  const std::string settings = FSaveSystem->Location().WritePath(kSettingsFile);
  // Settings that cannot be written keep the file of the last run.
  if (!settings.empty()) (void)FSaveSystem->SaveSystemSettings(settings);
}

void TfrmMain::WriteStateDump() {
  if (FOptions.DumpStatePath.empty()) return;
  if (!TStateDump::Write(*FAccessControl, FScreenControl.get(), FOptions.DumpStatePath, FDebugInfo.get())) {
    Platform().WarningLine(
        sjis::FromUtf8("pelto5: " + FillIn(LocalizedUtf8(TOwnText::StateDumpNotWritten), {FOptions.DumpStatePath})));
  }
}

void TfrmMain::WriteScreenshot() {
  if (FOptions.ScreenshotPath.empty()) return;
  // The shot is what the window shows: the canvas, not the composition
  // (which may be ahead of it, or behind a transition's frames).
  if (!Platform().Canvas().SavePng(FOptions.ScreenshotPath)) {
    Platform().WarningLine(sjis::FromUtf8(
        "pelto5: " + FillIn(LocalizedUtf8(TOwnText::ScreenshotNotWritten), {FOptions.ScreenshotPath})));
  }
}

void TfrmMain::FormMouseDown(TMouseButton button, int, int) {
  if (FComforts && FComforts->MouseDown(button)) return;
  if (button != TMouseButton::Left || !FAccessControl) return;
  TPeltoProcess& process = FAccessControl->Process();
  process.ClearMessageSkip();
  bool handled = false;
  TDynamicLayer* dynamic = MainDynamicLayers();
  if (dynamic && process.GetClickMode() != 0) {
    // The entry that the last mouse move made active is the one clicked.
    handled = ClickEntry(dynamic->TakeClick());
  }
  if (!handled && process.IsAnyKeyBreak()) process.BreakWait();
}

bool TfrmMain::ClickEntry(const TDynamicClick& click) {
  if (!click.Found) return false;
  switch (click.PageChange) {
    case TDynamicPageChange::Move:
      FAccessControl->MovePage(click.BookName, click.PageName);
      break;
    case TDynamicPageChange::Call:
      FAccessControl->CallPage(click.BookName, click.PageName);
      break;
    case TDynamicPageChange::KeepCall:
      FAccessControl->CallPageKeepState(click.BookName, click.PageName);
      break;
  }
  // The entry is no longer active and may have been cleared.
  FScreenControl->Refresh(0);
  FAccessControl->Process().BreakWait();
  return true;
}

void TfrmMain::FormMouseUp(TMouseButton, int, int) {}

void TfrmMain::FormMouseMove(int x, int y) {
  if (FComforts && FComforts->Paused()) return;
  int cursor = crDefault;
  TDynamicLayer* dynamic = MainDynamicLayers();
  const int mode = dynamic ? FAccessControl->Process().GetClickMode() : 0;
  if (mode != 0) {
    // Repaint only when the active entry changed, not on every move.
    if (dynamic->HitTest(x, y, mode == 2)) {
      FScreenControl->GetWindow(0)->Screen->UpdateFrame();
      FScreenControl->Paint(0);
    }
    if (dynamic->GetActiveCursor()) cursor = crSelect;
  }
  if (Platform().Cursor() != cursor) Platform().SetCursor(cursor);
}

TDynamicLayer* TfrmMain::MainDynamicLayers() {
  if (!FAccessControl || !FScreenControl) return nullptr;
  TWindowRecord* main = FScreenControl->GetWindow(0);
  return main && main->Screen ? &main->Screen->DynamicLayers : nullptr;
}

void TfrmMain::FormKeyDown(int key) {
  if (FComforts && FComforts->KeyDown(key)) return;
  if ((key != VK_SPACE && key != VK_RETURN) || !FAccessControl) return;
  // With the focus on an area the key clicks it; otherwise it ends a wait.
  if (FComforts && ClickEntry(FComforts->TakeFocusedClick())) return;
  TPeltoProcess& process = FAccessControl->Process();
  if (process.IsAnyKeyBreak()) process.BreakWait();
}

void TfrmMain::FormPadButton(TPadButton button, bool down) {
  // The controller speaks through the keys and clicks the reader already
  // has: the D-pad as the arrow keys, A as Enter, B as a right click.
  auto press = [this, down](int key) {
    if (down) {
      FormKeyDown(key);
    } else {
      FormKeyUp(key);
    }
  };
  switch (button) {
    case TPadButton::DpadUp: press(VK_UP); break;
    case TPadButton::DpadDown: press(VK_DOWN); break;
    case TPadButton::DpadLeft: press(VK_LEFT); break;
    case TPadButton::DpadRight: press(VK_RIGHT); break;
    case TPadButton::A: press(VK_RETURN); break;
    case TPadButton::B:
      if (down) FormMouseDown(TMouseButton::Right, 0, 0);
      break;
    case TPadButton::LeftShoulder:
      if (down && FComforts) FComforts->ToggleSkip();
      break;
    case TPadButton::RightShoulder: press(VK_A); break;
    case TPadButton::Back:
      // Opens the history, and closes it again.
      press(FComforts && FComforts->History().IsOpen() ? VK_ESCAPE : VK_PRIOR);
      break;
    case TPadButton::X:
    case TPadButton::Y:
    case TPadButton::Start:
      break;
  }
}
void TfrmMain::FormKeyUp(int key) {
  if (FComforts) FComforts->KeyUp(key);
}
void TfrmMain::FormMouseWheel(int delta, int, int) {
  if (FComforts) FComforts->MouseWheel(delta);
}

void TfrmMain::FormToggleFullScreen() {
  // The same switches as the script's "FullScreen" and "WindowMode", so
  // "%_fullscreen%" always tells the mode in force.
  if (!FDisplayMode || !FScreenControl) return;
  const TWindowRecord* main = FScreenControl->GetWindow(0);
  if (!main || !main->Screen) return;
  if (FDisplayMode->FullScreen()) {
    FDisplayMode->SetWindowMode();
  } else {
    FDisplayMode->SetFullScreen();
  }
  FScreenControl->Paint(0);
}

void TfrmMain::FormPaint() {
  if (FScreenControl) FScreenControl->Paint(0);
}

}  // namespace pelto5
