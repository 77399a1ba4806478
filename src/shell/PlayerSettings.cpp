#include "shell/PlayerSettings.h"

#include "base/AtomicFile.h"
#include "base/KeyValueList.h"
#include "platform/FileSystem.h"
#include "platform/UserFolders.h"

namespace pelto5 {

namespace {

constexpr const char* kSelfVoicing = "SelfVoicing";

std::string Folder() {
  const std::string config = TUserFolders::ConfigHome();
  return config.empty() ? "" : config + "/pelto5";
}

}  // namespace

std::string TPlayerSettings::Path() {
  const std::string folder = Folder();
  return folder.empty() ? "" : folder + "/player.ini";
}

void TPlayerSettings::Load() {
  std::string text;
  const std::string path = Path();
  if (path.empty() || !TFileSystem::ReadFile(path, text)) return;
  const TStringList lines = TextToStrings(text);
  SelfVoicing = ListReadBool(lines, kSelfVoicing, SelfVoicing);
}

bool TPlayerSettings::Save() const {
  const std::string path = Path();
  if (path.empty() || !TUserFolders::CreateDirectories(Folder())) return false;
  // Keys this player does not know (written by a newer one) are kept.
  std::string text;
  TStringList lines;
  if (TFileSystem::ReadFile(path, text)) lines = TextToStrings(text);
  ListWriteBool(lines, kSelfVoicing, SelfVoicing);
  return TAtomicFile::WriteWhole(path, StringsToText(lines));
}

}  // namespace pelto5
