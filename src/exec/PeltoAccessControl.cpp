#include "exec/PeltoAccessControl.h"

#include "exec/PeltoProcess.h"
#include "graphics/LasGraphic.h"
#include "graphics/LayerCtrl.h"
#include "image/ImageLoader.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
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
// "が見つかりません"
constexpr const char* kNotFound = "\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// "ファイルのヘッダIDが違います。\nこのファイルはペルトフォージ５で利用できるファイルではありません"
constexpr const char* kBadHeaderId =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x83\x77\x83\x62\x83\x5F\x49\x44\x82\xAA\x88\xE1"
    "\x82\xA2\x82\xDC\x82\xB7\x81\x42\n\x82\xB1\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD"
    "\x83\x79\x83\x8B\x83\x67\x83\x74\x83\x48\x81\x5B\x83\x57\x82\x54\x82\xC5\x97\x98\x97\x70"
    "\x82\xC5\x82\xAB\x82\xE9\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xC5\x82\xCD\x82\xA0\x82\xE8"
    "\x82\xDC\x82\xB9\x82\xF1";
// "ファイルタイプが違います\nこのファイルは正常に読み込めないかもしれません"
constexpr const char* kBadFileType =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x83\x5E\x83\x43\x83\x76\x82\xAA\x88\xE1\x82\xA2\x82\xDC"
    "\x82\xB7\n\x82\xB1\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD\x90\xB3\x8F\xED\x82\xC9"
    "\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82\xC8\x82\xA2\x82\xA9\x82\xE0\x82\xB5\x82\xEA\x82\xDC"
    "\x82\xB9\x82\xF1";
// "このファイルには現バージョンで対応していない\nコマンドが含まれている可能性があります\n
//  最新版のペルトフォージを入手することをおすすめします"
constexpr const char* kNewerCommands =
    "\x82\xB1\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xC9\x82\xCD\x8C\xBB\x83\x6F\x81\x5B"
    "\x83\x57\x83\x87\x83\x93\x82\xC5\x91\xCE\x89\x9E\x82\xB5\x82\xC4\x82\xA2\x82\xC8\x82\xA2\n"
    "\x83\x52\x83\x7D\x83\x93\x83\x68\x82\xAA\x8A\xDC\x82\xDC\x82\xEA\x82\xC4\x82\xA2\x82\xE9"
    "\x89\xC2\x94\x5C\x90\xAB\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\n\x8D\xC5\x90\x56\x94\xC5"
    "\x82\xCC\x83\x79\x83\x8B\x83\x67\x83\x74\x83\x48\x81\x5B\x83\x57\x82\xF0\x93\xFC\x8E\xE8"
    "\x82\xB7\x82\xE9\x82\xB1\x82\xC6\x82\xF0\x82\xA8\x82\xB7\x82\xB7\x82\xDF\x82\xB5\x82\xDC"
    "\x82\xB7";

// "実行に必要なファイルの展開や、セーブファイルの保存のため\r\n""
constexpr const char* kCreateFolder1 =
    "\x8E\xC0\x8D\x73\x82\xC9\x95\x4B\x97\x76\x82\xC8\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC"
    "\x93\x57\x8A\x4A\x82\xE2\x81\x41\x83\x5A\x81\x5B\x83\x75\x83\x74\x83\x40\x83\x43\x83\x8B"
    "\x82\xCC\x95\xDB\x91\xB6\x82\xCC\x82\xBD\x82\xDF\r\n\"";
// "" フォルダを作成します。\r\nよろしいですか？"
constexpr const char* kCreateFolder2 =
    "\" \x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xF0\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB7\x81"
    "\x42\r\n\x82\xE6\x82\xEB\x82\xB5\x82\xA2\x82\xC5\x82\xB7\x82\xA9\x81\x48";
// "フォルダの作成に失敗しました"
constexpr const char* kCreateFolderFailed =
    "\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5"
    "\x82\xDC\x82\xB5\x82\xBD";
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
  if (!dataDirectory.empty()) resolved = TFileSystem::ResolveName(contentDirectory, dataDirectory);
  if (!resolved.empty()) {
    FSources.SetDataDirectory(resolved + "/");
  } else {
    // No setting, or one that would leave the content's folder: that one is
    // refused, and said so.
    if (!dataDirectory.empty()) {
      Platform().MessageBox(kCreateFolderFailed, TMessageIcon::Error, TMessageButtons::Ok);
    }
    FSources.SetDataDirectory(TFileSystem::ChangeExtension(path, "/"));
  }
  PrepareDataDirectory(path);
  FSession.Start(file.ReadString(kPelto, "StartBook", kDefaultStartBook),
                 file.ReadString(kPelto, "StartPage", kDefaultStartPage));
  FLayerCtrl->Load(&file);
  return true;
}

bool TPeltoAccessControl::OpenContent(const std::string& path) {
  if (!TFileSystem::FileExists(path)) {
    Platform().MessageBox(sjis::FromUtf8(path) + kNotFound, TMessageIcon::Error, TMessageButtons::Ok);
    Platform().Terminate();
    return false;
  }
  const std::string head = FileHead(path, 6);
  const bool packageLike = StartsWith(head, "PV5PKG") || StartsWith(head, "MZ");
  if (!packageLike && !StartsWith(head, "///")) {
    Platform().MessageBox(kBadHeaderId, TMessageIcon::Error, TMessageButtons::Ok);
    Platform().Terminate();
    return false;
  }
  TPeltoFile& file = FSession.PeltoFile();
  if (packageLike && FSources.OpenPackage(path)) {
    std::string script;
    if (FSources.ReadEntry(TContainer::Package, kPackageScript, script)) {
      file.LoadFromStream(script);
    } else {
      file.Clear();
    }
    return true;
  }
  // A plain script, or a file that looked like a package but is not one.
  if (!file.LoadFromFile(path)) {
    Platform().MessageBox(sjis::FromUtf8(path) + kNotFound, TMessageIcon::Error, TMessageButtons::Ok);
    Platform().Terminate();
    return false;
  }
  return true;
}

bool TPeltoAccessControl::CheckFileType() {
  TPeltoFile& file = FSession.PeltoFile();
  if (file.ReadString(kPelto, "FileType", "") != "PV5") {
    if (Platform().MessageBox(kBadFileType, TMessageIcon::Error, TMessageButtons::AbortIgnore) ==
        TMessageResult::Abort) {
      Platform().Terminate();
      return false;
    }
  }
  if (file.ReadInteger(kPelto, "CommandVersion", 19) > 19) {
    if (Platform().MessageBox(kNewerCommands, TMessageIcon::Error, TMessageButtons::AbortIgnore) ==
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
  if (!TFileSystem::DirectoryExists(dataDirectory)) {
    const std::string shown = sjis::FromUtf8(dataDirectory);
    if (Platform().MessageBox(std::string(kCreateFolder1) + shown + kCreateFolder2, TMessageIcon::Warning,
                              TMessageButtons::YesNo) != TMessageResult::Yes) {
      return;
    }
    if (!TFileSystem::CreateDirectory(dataDirectory)) {
      Platform().MessageBox(kCreateFolderFailed, TMessageIcon::Error, TMessageButtons::Ok);
      return;
    }
  }
  FSources.ExtractPackageInto(dataDirectory);
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
  library.LoadFromStream(script);
  FSession.PeltoFile().ImportBook(kSystemBook, library);
  return true;
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
