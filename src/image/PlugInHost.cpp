#include "image/PlugInHost.h"

#include <cstring>

#include "base/SjisText.h"
#include "image/NativePlugIn.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/SharedLibrary.h"

namespace pelto5 {

namespace {

// Longer than any info block: a 124-byte header, masks and 256 colours.
constexpr uint64_t kMaxInfoBlockSize = 2048;
// How long a helper that broke its connection gets to end by itself, so
// that the trace can say how it ended.
constexpr int kCrashGraceMs = 500;
// How long a new helper may take to say it is ready. Apart from the time
// limit of the requests, so that a slow start on a busy machine is not
// counted against the first plug-in call.
constexpr int kStartTimeoutMs = 10000;

// The plug-in function a request was in when its helper failed. A decode
// names the one the helper said it was calling; before either it was still
// loading the plug-in (a new helper loads it on its first request).
const char* CallName(TPlugInCall call, const TSharedMemory& memory) {
  const uint8_t stage = call == TPlugInCall::GetPicture && memory.Size() > 0 ? memory.Data()[0] : 0;
  if (stage == static_cast<uint8_t>(TPlugInStage::IsSupported)) return "IsSupported";
  if (stage == static_cast<uint8_t>(TPlugInStage::GetPicture)) return "GetPicture";
  return "GetPluginInfo";
}

}  // namespace

TPlugInHost::TPlugInHost()
    : FProgram(DefaultProgram()),
      FTimeoutMs(TSharedLibrary::PluginTimeoutFromEnvironment(kDefaultTimeoutMs)) {}

TPlugInHost::~TPlugInHost() { Stop(); }

std::string TPlugInHost::DefaultProgram() {
  const std::string beside = TFileSystem::DirectoryOf(TFileSystem::ExecutablePath()) + kProgramName;
#ifdef PELTO5_HOST_INSTALL_DIR
  if (!TFileSystem::FileExists(beside)) {
    const std::string installed = std::string(PELTO5_HOST_INSTALL_DIR) + "/" + kProgramName;
    if (TFileSystem::FileExists(installed)) return installed;
  }
#endif
  return beside;
}

void TPlugInHost::Stop() {
  FChild.Stop();
  FMemory.Close();
}

bool TPlugInHost::EnsureRunning() {
  if (FChild.Running()) return true;
  // A helper that ended between requests is collected and replaced, with a
  // fresh shared block.
  Stop();
  std::string hello;
  if (FMemory.Create() && FChild.Start(FProgram, kServeArgument, FMemory.Handle()) &&
      FChild.Socket().Receive(hello, kPlugInAnswerMaxSize, kStartTimeoutMs) == TMessageStatus::Ok &&
      hello == kPlugInHelperReady) {
    return true;
  }
  Stop();
  if (!FStartFailureTraced && Platform().TraceEnabled()) {
    Platform().TraceLine("plug-in helper cannot start: " + sjis::FromUtf8(FProgram));
  }
  FStartFailureTraced = true;
  return false;
}

bool TPlugInHost::Exchange(const TPlugInRequest& request, TPlugInAnswer& answer) {
  TMessageStatus status = FChild.Socket().Send(EncodePlugInRequest(request), FTimeoutMs);
  std::string reply;
  if (status == TMessageStatus::Ok) status = FChild.Socket().Receive(reply, kPlugInAnswerMaxSize, FTimeoutMs);
  if (status == TMessageStatus::Ok && DecodePlugInAnswer(request.Call, reply, answer)) return true;
  // Crashed, hung or speaking nonsense: this helper is done.
  const bool hung = status == TMessageStatus::TimedOut;
  FChild.Stop(hung ? 0 : kCrashGraceMs);
  const char* callName = CallName(request.Call, FMemory);
  FMemory.Close();
  if (Platform().TraceEnabled()) {
    std::string why;
    if (hung) {
      why = "no answer within " + std::to_string(FTimeoutMs) + " ms";
    } else if (status == TMessageStatus::Ok) {
      why = "malformed answer";
    } else {
      why = FChild.EndReason().empty() ? "helper ended" : "helper ended with " + FChild.EndReason();
    }
    Platform().TraceLine(std::string("plug-in failed in ") + callName + " (" + why +
                         "): " + sjis::FromUtf8(request.Path));
  }
  return false;
}

bool TPlugInHost::Describe(const std::string& path, TPlugInAnswer& description) {
  if (!EnsureRunning()) return false;
  TPlugInRequest request;
  request.Call = TPlugInCall::Describe;
  request.Path = path;
  return Exchange(request, description) && description.Ok;
}

bool TPlugInHost::GetPicture(const std::string& path, std::string_view data, TPicture& picture) {
  if (!EnsureRunning() || data.size() > TSharedMemory::kMaxSize - kPlugInInputOffset ||
      !FMemory.Reserve(kPlugInInputOffset + data.size())) {
    return false;
  }
  FMemory.Data()[0] = static_cast<uint8_t>(TPlugInStage::None);
  std::memcpy(FMemory.Data() + kPlugInInputOffset, data.data(), data.size());
  TPlugInRequest request;
  request.Call = TPlugInCall::GetPicture;
  request.Path = path;
  request.InputSize = data.size();
  TPlugInAnswer answer;
  if (!Exchange(request, answer) || !answer.Ok) return false;
  return ReadResult(FMemory.Data(), FMemory.Size(), answer, FScratch, picture);
}

bool TPlugInHost::ReadResult(const uint8_t* block, size_t blockSize, const TPlugInAnswer& answer,
                             std::string& scratch, TPicture& picture) {
  auto inside = [blockSize](uint64_t offset, uint64_t size) {
    return offset <= blockSize && size <= blockSize - offset;
  };
  if (!block || !inside(answer.InfoOffset, answer.InfoSize) || !inside(answer.BitsOffset, answer.BitsSize) ||
      answer.InfoSize > kMaxInfoBlockSize) {
    return false;
  }
  // Copies, read only here: the helper could go on writing into the block.
  const auto infoSize = static_cast<size_t>(answer.InfoSize);
  const auto bitsSize = static_cast<size_t>(answer.BitsSize);
  scratch.assign(reinterpret_cast<const char*>(block + answer.InfoOffset), infoSize);
  scratch.append(reinterpret_cast<const char*>(block + answer.BitsOffset), bitsSize);
  const auto* copy = reinterpret_cast<const uint8_t*>(scratch.data());
  return TNativePlugIn::ConvertResult(copy, infoSize, copy + infoSize, bitsSize, picture);
}

}  // namespace pelto5
