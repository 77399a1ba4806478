#include "shell/FrmMain.h"

#include "content/PeltoAccessControl.h"
#include "platform/FileSystem.h"
#include "platform/SjisText.h"
#include "script/CommandCtrl.h"
#include "script/PeltoCommand.h"
#include "script/PeltoFile.h"

namespace pelto5 {

namespace {

constexpr const char* kPelto = "Pelto";
constexpr const char* kRuntimeLibrary = "peltort5.pml";
// "存在しないページへのアクセスが発生しました。\n「"
constexpr const char* kMissingPage1 =
    "\x91\xB6\x8D\xDD\x82\xB5\x82\xC8\x82\xA2\x83\x79\x81\x5B\x83\x57\x82\xD6\x82\xCC\x83\x41"
    "\x83\x4E\x83\x5A\x83\x58\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42\n"
    "\x81\x75";
// "」ブック、「"
constexpr const char* kMissingPage2 = "\x81\x76\x83\x75\x83\x62\x83\x4E\x81\x41\x81\x75";
// "」ページ"
constexpr const char* kMissingPage3 = "\x81\x76\x83\x79\x81\x5B\x83\x57";
constexpr const char* kUnknownCommand = "debug error : unknown command - MainLoop_Step()";

}  // namespace

TfrmMain::TfrmMain(TFormOptions options) : FOptions(std::move(options)) { BuildDispatchTable(); }

TfrmMain::~TfrmMain() { FormDestroy(); }

void TfrmMain::BuildDispatchTable() {
  // Types without a handler do nothing and yield until the next tick.
  FHandlers.fill(nullptr);
  FHandlers[TCommandCtrl::ctRem] = [](TPeltoCommand&) { return true; };
}

bool TfrmMain::FormCreate() {
  FAccessControl = std::make_unique<TPeltoAccessControl>();
  FFirstShow = true;
  FFirstActivate = true;
  FStepping = false;
  FCreated = true;

  if (FOptions.ContentPath.empty()) {
    FContentPath = TFileSystem::ChangeExtension(TFileSystem::ExecutablePath(), ".pp5");
  } else {
    FContentPath = FOptions.ContentPath;
  }
  if (!FAccessControl->Open(FContentPath)) return false;
  return true;
}

void TfrmMain::FormShow() {
  if (!FFirstShow) return;
  FFirstShow = false;
  TPeltoFile& file = *FAccessControl->FPeltoFile;
  const int width = file.ReadInteger(kPelto, "ImageWidth", 640);
  const int height = file.ReadInteger(kPelto, "ImageHeight", 480);
  Platform().SetClientSize(width > 0 ? width : 640, height > 0 ? height : 480);
  ApplySettings();
  Platform().ShowMainWindow();
}

void TfrmMain::ApplySettings() {
  FLegacyMode = FAccessControl->FPeltoFile->ReadBool(kPelto, "LegacyMode", false);
}

void TfrmMain::StartExecution() {
  if (!FFirstActivate || !FCreated) return;
  FFirstActivate = false;
  Platform().SetCaption(FAccessControl->FPeltoFile->ReadString(kPelto, "Title", ""));
  Platform().SetMainTimerEnabled(true);
}

void TfrmMain::RunSteps() {
  if (FStepping) return;
  FStepping = true;
  for (bool first = true;; first = false) {
    if (!first) Platform().ProcessMessages();
    if (Platform().Terminated()) {
      Platform().SetMainTimerEnabled(false);
      break;
    }
    if (!MainLoop_Step()) break;
  }
  FStepping = false;
}

bool TfrmMain::MainLoop_Step() {
  TPeltoAccessControl& ac = *FAccessControl;
  TCommandCtrl& commands = *ac.FCommandCtrl;

  // The count is asked once per step, so a page that cannot be cached is
  // reported once, not once per query.
  const int count = commands.GetCommandCount();
  if (count == 0 && !ac.FPeltoFile->PageExists(commands.BookName(), commands.PageName())) {
    Platform().MessageBox(std::string(kMissingPage1) + commands.BookName() + kMissingPage2 +
                              commands.PageName() + kMissingPage3,
                          TMessageIcon::Error, TMessageButtons::Ok);
  }

  const int index = ac.FNextCommandIndex;
  if (index < 0 || index >= count) {
    Platform().SetMainTimerEnabled(false);
    Platform().Terminate();
    return false;
  }

  TPeltoCommand command;
  commands.GetCommand(index, command);
  ac.FNextCommandIndex = index + 1;
  if (Platform().TraceEnabled()) TraceCommand(index, command);

  bool result = false;
  const int type = command.CommandType;
  if (type > 0 && type < kCommandTypeCount) {
    if (FHandlers[type]) result = FHandlers[type](command);
  } else {
    Platform().MessageBox(kUnknownCommand, TMessageIcon::None, TMessageButtons::Ok);
  }
  return result;
}

void TfrmMain::TraceCommand(int index, const TPeltoCommand& command) {
  const TCommandCtrl& commands = *FAccessControl->FCommandCtrl;
  Platform().TraceLine("trace: " + std::to_string(Platform().GetTickCount()) + " " +
                       commands.BookName() + "/" + commands.PageName() + " #" +
                       std::to_string(index) + " " + command.CommandLine);
}

void TfrmMain::FormDestroy() {
  if (FDestroyed || !FCreated) return;
  FDestroyed = true;
  StoreWindowPosition();
  WriteStateDump();
  FAccessControl->CloseContent();
  FAccessControl.reset();
}

void TfrmMain::StoreWindowPosition() {
  FAccessControl->FWindowTop = Platform().WindowTop();
  FAccessControl->FWindowLeft = Platform().WindowLeft();
}

void TfrmMain::WriteStateDump() {}

void TfrmMain::FormMouseDown(TMouseButton, int, int) {}
void TfrmMain::FormMouseUp(TMouseButton, int, int) {}
void TfrmMain::FormMouseMove(int, int) {}
void TfrmMain::FormKeyDown(int) {}
void TfrmMain::FormKeyUp(int) {}
void TfrmMain::FormPaint() { Platform().Present(); }

const TCanvas* TfrmMain::ScreenshotFrame() { return nullptr; }

}  // namespace pelto5
