#include "content/PeltoAccessControl.h"

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/SjisText.h"
#include "script/CommandCtrl.h"
#include "script/PeltoFile.h"

namespace pelto5 {

const char* const kNoEntry = "No Entry";

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

bool StartsWith(const std::string& data, const char* prefix) {
  return data.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

TPeltoAccessControl::TPeltoAccessControl()
    : FPeltoFile(std::make_unique<TPeltoFile>()),
      FCommandCtrl(std::make_unique<TCommandCtrl>()),
      FDefaultFontName(kDefaultFont) {
  FCommandCtrl->SetFile(FPeltoFile.get());
}

TPeltoAccessControl::~TPeltoAccessControl() { CloseContent(); }

bool TPeltoAccessControl::Open(const std::string& path) {
  if (!OpenContent(path)) return false;
  if (!CheckFileType()) return false;
  FContentDirectory = TFileSystem::DirectoryOf(path);
  const std::string dataDirectory = FPeltoFile->ReadString(kPelto, "DataDirectory", "");
  if (!dataDirectory.empty()) {
    std::vector<std::string> parts;
    FDataDirectory = TFileSystem::ResolveName(FContentDirectory, dataDirectory);
    if (FDataDirectory.empty()) FDataDirectory = TFileSystem::ChangeExtension(path, "");
    FDataDirectory += "/";
  } else {
    FDataDirectory = TFileSystem::ChangeExtension(path, "/");
  }
  FCommandCtrl->SetBookName(FPeltoFile->ReadString(kPelto, "StartBook", kDefaultStartBook));
  FCommandCtrl->SetPageName(FPeltoFile->ReadString(kPelto, "StartPage", kDefaultStartPage));
  FNextCommandIndex = 0;
  return true;
}

bool TPeltoAccessControl::OpenContent(const std::string& path) {
  std::string data;
  if (!TFileSystem::FileExists(path) || !TFileSystem::ReadFile(path, data)) {
    Platform().MessageBox(sjis::FromUtf8(path) + kNotFound, TMessageIcon::Error, TMessageButtons::Ok);
    Platform().Terminate();
    return false;
  }
  if (!StartsWith(data, "///")) {
    Platform().MessageBox(kBadHeaderId, TMessageIcon::Error, TMessageButtons::Ok);
    Platform().Terminate();
    return false;
  }
  FPeltoFile->LoadFromStream(data);
  return true;
}

bool TPeltoAccessControl::CheckFileType() {
  if (FPeltoFile->ReadString(kPelto, "FileType", "") != "PV5") {
    if (Platform().MessageBox(kBadFileType, TMessageIcon::Error, TMessageButtons::AbortIgnore) ==
        TMessageResult::Abort) {
      Platform().Terminate();
      return false;
    }
  }
  if (FPeltoFile->ReadInteger(kPelto, "CommandVersion", 19) > 19) {
    if (Platform().MessageBox(kNewerCommands, TMessageIcon::Error, TMessageButtons::AbortIgnore) ==
        TMessageResult::Abort) {
      Platform().Terminate();
      return false;
    }
  }
  return true;
}

void TPeltoAccessControl::CloseContent() {}

std::string TPeltoAccessControl::FindDataFile(const std::string& name) {
  if (!FDataDirectory.empty()) {
    const std::string p = TFileSystem::ResolveName(FDataDirectory, name);
    if (TFileSystem::FileExists(p)) return p;
  }
  const std::string p = TFileSystem::ResolveName(FContentDirectory.empty() ? "./" : FContentDirectory, name);
  if (TFileSystem::FileExists(p)) return p;
  return kNoEntry;
}

void TPeltoAccessControl::MovePage(const std::string& book, const std::string& page) {
  FCommandCtrl->SetBookName(book);
  FCommandCtrl->SetPageName(page);
  FNextCommandIndex = 0;
}

}  // namespace pelto5
