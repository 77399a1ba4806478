#include "image/ImageLoader.h"

#include "content/ContentSources.h"
#include "content/PackageReader.h"
#include "platform/FileSystem.h"
#include "platform/SharedLibrary.h"
#include "platform/UserFolders.h"

namespace pelto5 {

TImageLoader::TImageLoader(TContentSources& sources) : FSources(sources), FDecoderTable(FSusiePlugIn) {}

TImageLoader::~TImageLoader() = default;

void TImageLoader::SetPlugInsLoaded(bool loaded) {
  if (loaded == FPlugInsLoaded) return;
  FPlugInsLoaded = loaded;
  if (!loaded) {
    FSusiePlugIn.ClosePlugIn();
    return;
  }
  for (const std::string& folder : PlugInFolders()) FSusiePlugIn.OpenPlugIn(folder + "*.spi");
}

std::vector<std::string> TImageLoader::PlugInFolders() const {
  std::vector<std::string> folders;
  auto add = [&folders](std::string folder) {
    if (folder.empty()) return;
    if (folder.back() != '/') folder += '/';
    folders.push_back(folder);
  };
  add(FSources.ContentDirectory());
  add(TFileSystem::DirectoryOf(TFileSystem::ExecutablePath()));
  for (const std::string& folder : TSharedLibrary::PluginPathFromEnvironment()) add(folder);
  add(TUserFolders::InstalledPlugInsBesideExecutable());
#ifdef PELTO5_PLUGIN_DIR
  add(PELTO5_PLUGIN_DIR);
#endif
  return folders;
}

bool TImageLoader::Decode(const std::string& name, std::string_view bytes, TDecodedImage& image) {
  return FDecoderTable.Decode(
      name, bytes, image, [this] { SetPlugInsLoaded(true); },
      [this](const std::string& text) {
        if (FWarningHandler) FWarningHandler(text);
      });
}

bool TImageLoader::LoadImage(const std::string& given, TDecodedImage& image) {
  // The decoders go by the extension: "pic.png\" and "sub/./pic.png" are
  // "pic.png" and "sub\pic.png", as the lookups take them.
  const std::string lookupName = PackageLookupName(given);
  const std::string& name = lookupName.empty() ? given : lookupName;
  std::string bytes;
  if (FSources.ReadEntry(TContainer::Save, name, bytes) && Decode(name, bytes, image)) return true;
  if (FSources.IsOpen(TContainer::Package)) {
    if (FSources.ReadEntry(TContainer::Package, name, bytes) && Decode(name, bytes, image)) return true;
  } else {
    // A file on disk goes the way an entry does: the same decoders, the same
    // fall-back to the plug-ins.
    const std::string path = FSources.FindDataFile(name);
    if (path != kNoEntry && TFileSystem::ReadFile(path, bytes) && Decode(name, bytes, image)) return true;
  }
  return FSources.ReadEntry(TContainer::Library, name, bytes) && Decode(name, bytes, image);
}

bool TImageLoader::ImageExists(const std::string& name) const {
  if (FSources.HasEntry(name)) return true;
  return !FSources.IsOpen(TContainer::Package) && FSources.FindDataFile(name) != kNoEntry;
}

}  // namespace pelto5
