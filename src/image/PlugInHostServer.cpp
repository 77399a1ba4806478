#include "image/PlugInHostServer.h"

#include <cstring>

#include "image/NativePlugIn.h"
#include "platform/MessageSocket.h"
#include "platform/SharedMemory.h"

namespace pelto5 {

namespace {

constexpr uint64_t kBlockAlignment = 16;

uint64_t AlignedUp(uint64_t value) {
  return (value + kBlockAlignment - 1) / kBlockAlignment * kBlockAlignment;
}

}  // namespace

TPlugInHostServer::TPlugInHostServer(TMessageSocket& socket, TSharedMemory& memory)
    : FSocket(socket), FMemory(memory) {}

TPlugInHostServer::~TPlugInHostServer() = default;

int TPlugInHostServer::Run() {
  if (FSocket.Send(kPlugInHelperReady, -1) != TMessageStatus::Ok) return 0;
  for (;;) {
    std::string message;
    if (FSocket.Receive(message, kPlugInRequestMaxSize, -1) != TMessageStatus::Ok) return 0;
    TPlugInRequest request;
    if (!DecodePlugInRequest(message, request)) return 1;
    if (FSocket.Send(EncodePlugInAnswer(request.Call, Answer(request)), -1) != TMessageStatus::Ok) return 0;
  }
}

TNativePlugIn* TPlugInHostServer::PlugIn(const std::string& path) {
  auto found = FPlugIns.find(path);
  if (found == FPlugIns.end()) {
    auto plugIn = std::make_unique<TNativePlugIn>();
    // One that does not load is remembered as such.
    if (!plugIn->Load(path)) plugIn.reset();
    found = FPlugIns.emplace(path, std::move(plugIn)).first;
  }
  return found->second.get();
}

TPlugInAnswer TPlugInHostServer::Answer(const TPlugInRequest& request) {
  TPlugInAnswer answer;
  TNativePlugIn* plugIn = PlugIn(request.Path);
  if (!plugIn) return answer;
  switch (request.Call) {
    case TPlugInCall::Describe:
      answer.Ok = true;
      answer.ApiVersion = plugIn->ApiVersion;
      answer.Description = plugIn->Description;
      answer.FormatName = plugIn->FormatName();
      answer.Extensions = plugIn->Extensions;
      answer.Usable = plugIn->Usable();
      break;
    case TPlugInCall::GetPicture:
      if (plugIn->Usable()) answer = GetPicture(*plugIn, request.InputSize);
      break;
  }
  return answer;
}

TPlugInAnswer TPlugInHostServer::GetPicture(TNativePlugIn& plugIn, uint64_t inputSize) {
  TPlugInAnswer answer;
  const size_t size = FMemory.Size();
  if (size < kPlugInInputOffset || inputSize > size - kPlugInInputOffset) return answer;
  const std::string_view input(reinterpret_cast<const char*>(FMemory.Data() + kPlugInInputOffset),
                               static_cast<size_t>(inputSize));
  uint8_t& stage = FMemory.Data()[0];
  stage = static_cast<uint8_t>(TPlugInStage::IsSupported);
  if (!plugIn.IsSupported(input)) return answer;
  stage = static_cast<uint8_t>(TPlugInStage::GetPicture);
  answer.Ok = plugIn.GetPictureBlocks(input, [&](std::string_view info, std::string_view bits) {
    answer.InfoOffset = AlignedUp(kPlugInInputOffset + inputSize);
    answer.InfoSize = info.size();
    answer.BitsOffset = AlignedUp(answer.InfoOffset + info.size());
    answer.BitsSize = bits.size();
    if (!FMemory.Reserve(static_cast<size_t>(answer.BitsOffset + bits.size()))) return false;
    std::memcpy(FMemory.Data() + answer.InfoOffset, info.data(), info.size());
    std::memcpy(FMemory.Data() + answer.BitsOffset, bits.data(), bits.size());
    return true;
  });
  return answer;
}

}  // namespace pelto5
