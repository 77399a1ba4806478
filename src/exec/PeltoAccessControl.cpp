#include "exec/PeltoAccessControl.h"

#include "base/MessageTexts.h"
#include "exec/PeltoProcess.h"
#include "graphics/LasGraphic.h"
#include "graphics/LayerCtrl.h"
#include "image/ImageLoader.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/UserFolders.h"
#include "base/SjisText.h"
#include "script/CommandCtrl.h"
#include "script/PeltoFile.h"
#include "script/VariableCtrl.h"

namespace pelto5 {

namespace {

// "Pelto"
constexpr const char* kPelto = "Pelto";
// "スタートブック"
constexpr const char* kDefaultStartBook = "\x83\x58\x83\x5E\x81\x5B\x83\x67\x83\x75\x83\x62\x83\x4E";
// "スタートページ"
constexpr const char* kDefaultStartPage = "\x83\x58\x83\x5E\x81\x5B\x83\x67\x83\x79\x81\x5B\x83\x57";
// "ＭＳ ゴシック"
constexpr const char* kDefaultFont = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";
constexpr const char* kSystemBook = "_system";
constexpr const char* kLibraryScript = "system.pf5";
constexpr const char* kPackageScript = "pelto.pf5";

bool StartsWith(const std::string& data, const char* prefix) {
  return data.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The first bytes of a file, at most count.
std::string FileHead(const std::string& path, size_t count) {
  std::string data;
  if (!TFileSystem::ReadFilePrefix(path, count, data)) return "";
  return data;
}

}  // namespace

TPeltoAccessControl::TPeltoAccessControl()
    : FLayerCtrl(std::make_unique<TLayerCtrl>()),
      FImageLoader(std::make_unique<TImageLoader>(FSources)),
      FDefaultFontName(kDefaultFont) {
  // The decoders report; the user hears of it here, at the moment the
  // decode returns.
  FImageLoader->SetWarningHandler([](const std::string& text) {
    Platform().MessageBox(text, TMessageIcon::Warning, TMessageButtons::Ok);
  });
}

TPeltoAccessControl::~TPeltoAccessControl() {
  CloseSaveContainer();
  CloseRuntimeLibrary();
  CloseContent();
}

bool TPeltoAccessControl::Open(const std::string& path) {
  TPeltoFile& file = FSession.PeltoFile();
  FSession.VariableCtrl().FScriptFileName = sjis::FromUtf8(TFileSystem::FileNameOf(path));
  if (!OpenContent(path)) return false;
  if (!CheckFileType()) return false;
  std::string contentDirectory = TFileSystem::DirectoryOf(path);
  if (contentDirectory.empty()) contentDirectory = "./";
  FSources.SetContentDirectory(contentDirectory);
  const std::string dataDirectory = file.ReadString(kPelto, "DataDirectory", "");
  std::string resolved;
  // "." (or ".\.", "data\..") is the content's folder itself.
  if (!dataDirectory.empty()) resolved = TFileSystem::ResolveFolderName(contentDirectory, dataDirectory);
  if (!resolved.empty()) {
    FSources.SetDataDirectory(resolved + "/");
  } else {
    // No setting, or one that would leave the content's folder: that one is
    // refused, and said so.
    if (!dataDirectory.empty()) {
      Platform().MessageBox(msg::kCreateFolderFailed, TMessageIcon::Error, TMessageButtons::Ok);
    }
    FSources.SetDataDirectory(TFileSystem::ChangeExtension(path, "/"));
  }
  PrepareDataDirectory(path);
  FSession.Start(file.ReadString(kPelto, "StartBook", kDefaultStartBook),
                 file.ReadString(kPelto, "StartPage", kDefaultStartPage));
  FLayerCtrl->Load(&file);
  return true;
}

void TPeltoAccessControl::CallPage(const std::string& book, const std::string& page) {
  if (!FSession.CallPage(book, page)) StopForCallDepth();
}

void TPeltoAccessControl::CallPageKeepState(const std::string& book, const std::string& page) {
  if (!FSession.CallPageKeepState(book, page)) StopForCallDepth();
}

// The calling page is named: it is the one whose call never returns. The
// run stops as for a page that does not exist, with no further command.
void TPeltoAccessControl::StopForCallDepth() {
  if (Platform().Terminated()) return;
  const TCommandCtrl& commands = FSession.CommandCtrl();
  Platform().MessageBox(Localized(TOwnText::CallTooDeep1) + std::to_string(TRunningSession::kMaxCallDepth) +
                            Localized(TOwnText::CallTooDeep2) + commands.BookName() +
                            Localized(TOwnText::CallTooDeep3) + commands.PageName() +
                            Localized(TOwnText::CallTooDeep4),
                        TMessageIcon::Error, TMessageButtons::Ok);
  Platform().SetMainTimerEnabled(false);
  Platform().Terminate();
}

bool TPeltoAccessControl::OpenContent(const std::string& path) {
  if (!TFileSystem::FileExists(path)) {
    Platform().MessageBox(sjis::FromUtf8(path) + msg::kNotFound, TMessageIcon::Error, TMessageButtons::Ok);
    Platform().Terminate();
    return false;
  }
  const std::string head = FileHead(path, 6);
  const bool packageLike = StartsWith(head, "PV5PKG") || StartsWith(head, "MZ");
  if (!packageLike && !StartsWith(head, "///")) {
    Platform().MessageBox(msg::kBadHeaderId, TMessageIcon::Error, TMessageButtons::Ok);
    Platform().Terminate();
    return false;
  }
  TPeltoFile& file = FSession.PeltoFile();
  if (packageLike) {
    if (FSources.OpenPackage(path)) {
      const PackageReader& package = FSources.Reader(TContainer::Package);
      std::string script;
      if (FindEntry(package, kPackageScript) < 0) {
        file.Clear();
      } else if (FSources.ReadEntry(TContainer::Package, kPackageScript, script)) {
        file.LoadFromStream(std::move(script));
      } else {
        return RefuseDamagedPackage(path, package.FailureReason);
      }
      return true;
    }
    // A file that began as a package and then broke off is a damaged
    // package, not a script; an executable without one is read as a script.
    const PackageReader& package = FSources.Reader(TContainer::Package);
    if (package.Damaged) return RefuseDamagedPackage(path, package.FailureReason);
  }
  // A plain script, or an executable without an appended package.
  if (!file.LoadFromFile(path)) {
    Platform().MessageBox(sjis::FromUtf8(path) + msg::kNotFound, TMessageIcon::Error, TMessageButtons::Ok);
    Platform().Terminate();
    return false;
  }
  return true;
}

bool TPeltoAccessControl::RefuseDamagedPackage(const std::string& path, std::string reason) {
  FSources.Close(TContainer::Package);
  FDamage = reason;
  Platform().MessageBox(sjis::FromUtf8(path) + "\r\n" + Localized(TOwnText::FileDamaged) + "\r\n[" + reason + "]",
                        TMessageIcon::Error, TMessageButtons::Ok);
  Platform().Terminate();
  return false;
}

bool TPeltoAccessControl::CheckFileType() {
  TPeltoFile& file = FSession.PeltoFile();
  if (file.ReadString(kPelto, "FileType", "") != "PV5") {
    if (Platform().MessageBox(msg::kBadFileType, TMessageIcon::Error, TMessageButtons::AbortIgnore) ==
        TMessageResult::Abort) {
      Platform().Terminate();
      return false;
    }
  }
  if (file.ReadInteger(kPelto, "CommandVersion", 19) > 19) {
    if (Platform().MessageBox(msg::kNewerCommands, TMessageIcon::Error, TMessageButtons::AbortIgnore) ==
        TMessageResult::Abort) {
      Platform().Terminate();
      return false;
    }
  }
  return true;
}

void TPeltoAccessControl::PrepareDataDirectory(const std::string& path) {
  if (!FSources.IsOpen(TContainer::Package) || !FSession.PeltoFile().ReadBool(kPelto, "AutoExtract", false)) {
    return;
  }
  const std::string dataDirectory = TFileSystem::ChangeExtension(path, "/");
  FSources.SetDataDirectory(dataDirectory);
  if (FReadOnly) return;
  // A folder nobody may write (content on a disc, a system-wide install):
  // the files go where the saves go instead, once that is chosen.
  if (!TUserFolders::IsWritableDirectory(dataDirectory)) {
    FExtractPending = true;
    return;
  }
  if (!TFileSystem::DirectoryExists(dataDirectory)) {
    const std::string shown = sjis::FromUtf8(dataDirectory);
    if (Platform().MessageBox(std::string(msg::kCreateDataFolder1) + shown + msg::kCreateFolder2, TMessageIcon::Warning,
                              TMessageButtons::YesNo) != TMessageResult::Yes) {
      return;
    }
    if (!TFileSystem::CreateDirectory(dataDirectory)) {
      Platform().MessageBox(msg::kCreateFolderFailed, TMessageIcon::Error, TMessageButtons::Ok);
      return;
    }
  }
  FSources.ExtractPackageInto(dataDirectory);
}

void TPeltoAccessControl::ExtractInstead(const std::string& folder) {
  if (!FExtractPending) return;
  FExtractPending = false;
  if (folder.empty() || folder == FSources.DataDirectory() || !TUserFolders::CreateDirectories(folder) ||
      !TUserFolders::IsWritableDirectory(folder)) {
    Platform().MessageBox(msg::kCreateFolderFailed, TMessageIcon::Error, TMessageButtons::Ok);
    return;
  }
  FSources.SetExtractDirectory(folder);
  FSources.ExtractPackageInto(folder);
}

void TPeltoAccessControl::CloseContent() {
  FSources.Close(TContainer::Package);
  SetPlugInsLoaded(false);
}

bool TPeltoAccessControl::OpenRuntimeLibrary(const std::string& path) {
  if (!FSources.OpenLibrary(path)) return false;
  std::string script;
  if (!FSources.ReadEntry(TContainer::Library, kLibraryScript, script)) return false;
  TPeltoFile library;
  library.LoadFromStream(std::move(script));
  FSession.PeltoFile().ImportBook(kSystemBook, library);
  return true;
}

void TPeltoAccessControl::ReloadScript(std::string text) {
  TPeltoFile& file = FSession.PeltoFile();
  file.LoadFromStream(std::move(text));
  std::string library;
  if (FSources.IsOpen(TContainer::Library) && FSources.ReadEntry(TContainer::Library, kLibraryScript, library)) {
    TPeltoFile system;
    system.LoadFromStream(std::move(library));
    file.ImportBook(kSystemBook, system);
  }
  FSession.CommandCtrl().Make_CommandCache();
}

void TPeltoAccessControl::CloseRuntimeLibrary() { FSources.Close(TContainer::Library); }

bool TPeltoAccessControl::OpenSaveContainer(const std::string& path) { return FSources.OpenSave(path); }

void TPeltoAccessControl::CloseSaveContainer() { FSources.Close(TContainer::Save); }

const TStringList& TPeltoAccessControl::ConfiguredLayerNames() const { return FLayerCtrl->LayerNames; }

TMessagePacing& TPeltoAccessControl::MessagePacing() { return FSession.Process(); }

void TPeltoAccessControl::SetPlugInsLoaded(bool loaded) { FImageLoader->SetPlugInsLoaded(loaded); }

std::vector<std::string> TPeltoAccessControl::PlugInFolders() const { return FImageLoader->PlugInFolders(); }

bool TPeltoAccessControl::LoadImage(const std::string& name, TLasGraphic& graphic) {
  TDecodedImage image;
  if (!FImageLoader->LoadImage(name, image)) return false;
  if (image.Alpha == TAlphaRule::FromPicture) {
    graphic.TakePicture(std::move(image.Picture));
  } else {
    graphic.AssignGraphic(image.Picture);
  }
  return true;
}

bool TPeltoAccessControl::ImageExists(const std::string& name) const { return FImageLoader->ImageExists(name); }

}  // namespace pelto5
