#include "image/SusiePlugIn.h"

#include "image/PlugInHost.h"
#include "image/PortableExecutable.h"
#include "image/RemotePlugIn.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "base/SjisText.h"

namespace pelto5 {

TSusiePlugIn::TSusiePlugIn() : Filter("AllType   [*.*]|*.*|"), FHost(std::make_unique<TPlugInHost>()) {}

TSusiePlugIn::~TSusiePlugIn() { ClosePlugIn(); }

void TSusiePlugIn::Append(TSusiePlugInRecord record) {
  Filter += record.FormatName + "   [" + record.Extensions + "]|" + record.Extensions + "|";
  FPlugIns.push_back(std::move(record));
}

std::string TSusiePlugIn::SkipReason(const std::string& path) {
  std::string head;
#ifdef _WIN32
  // Only a DLL of this build's own machine loads; the 64-bit player cannot
  // use a 32-bit plug-in, nor the other way round.
  if (!TFileSystem::ReadFilePrefix(path, TPortableExecutable::kHeadSize, head)) return "";
  const uint16_t machine = TPortableExecutable::Machine(head);
  if (machine == 0) return "not a Windows DLL";
  if (machine != TPortableExecutable::OwnMachine())
    return "a " + TPortableExecutable::MachineName(machine) + " DLL";
  return "";
#else
  if (TFileSystem::ReadFilePrefix(path, 2, head) && head == "MZ") return "a Windows DLL";
  return "";
#endif
}

int TSusiePlugIn::OpenPlugIn(const std::string& pathMask) {
  const std::string directory = TFileSystem::DirectoryOf(pathMask);
  const std::string mask = TFileSystem::FileNameOf(pathMask);
  int count = 0;
  for (const std::string& name : TFileSystem::ListFiles(directory.empty() ? "./" : directory, mask)) {
    const std::string path = directory + name;
    if (CheckPlug(path) == 0) continue;
    const std::string skipped = SkipReason(path);
    if (!skipped.empty()) {
      if (Platform().TraceEnabled()) {
        Platform().TraceLine("plug-in skipped (" + skipped + "): " + sjis::FromUtf8(path));
      }
      continue;
    }
    TPlugInAnswer description;
    if (!FHost->Describe(path, description) || !description.Usable) {
      if (Platform().TraceEnabled()) Platform().TraceLine("plug-in not usable: " + sjis::FromUtf8(path));
      continue;
    }
    TSusiePlugInRecord record;
    record.FileName = path;
    record.ApiVersion = description.ApiVersion;
    record.Description = description.Description;
    record.Extensions = description.Extensions;
    record.FormatName = description.FormatName;
    record.Decoder = std::make_unique<TRemotePlugIn>(*FHost, path, description.FormatName);
    Append(std::move(record));
    ++count;
  }
  return count;
}

bool TSusiePlugIn::ClosePlugIn() {
  FPlugIns.clear();
  FHost->Stop();
  return true;
}

const TSusiePlugInRecord* TSusiePlugIn::GetPlugInInfo(int index) const {
  if (index < 0 || index >= GetPlugNum()) return nullptr;
  return &FPlugIns[index];
}

int TSusiePlugIn::CheckPlug(const std::string& fileName) const {
  for (const TSusiePlugInRecord& record : FPlugIns) {
    if (record.FileName == fileName) return 0;
  }
  return -1;
}

bool TSusiePlugIn::LoadFromFile(const std::string& fileName, TPicture& picture) {
  std::string data;
  if (!TFileSystem::ReadFile(fileName, data)) return false;
  return LoadFromMemory(data, picture);
}

bool TSusiePlugIn::LoadFromStream(const std::string& stream, TPicture& picture) {
  return LoadFromMemory(stream, picture);
}

bool TSusiePlugIn::LoadFromMemory(std::string_view data, TPicture& picture) {
  if (data.empty() || FPlugIns.empty()) return false;
  for (TSusiePlugInRecord& record : FPlugIns) {
    if (record.Decoder->IsSupported(data) && record.Decoder->Decode(data, picture)) return true;
  }
  return false;
}

}  // namespace pelto5
