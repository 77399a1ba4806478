// Drives pelto5-plugin-host.exe through the platform classes the player
// uses (TChildProcess, TMessageSocket over the named pipe, TSharedMemory),
// speaking the helper's protocol by hand: a check of the Windows side of
// the helper that needs neither the rest of the player nor a window. Built
// and run under wine by tests/windows/plugin-host-test.sh.
//
//   helper-check.exe HOST FOLDER
//   helper-check.exe --wait HOST
//
// FOLDER holds ppm.spi (the sample), crash.spi, huge.spi and local.spi
// (tests/windows/plugin/TinyPicture.c) and other.spi (a DLL for another
// machine). Prints one line per failed check; exits with 1 if any failed.
// With --wait it starts the helper and waits to be killed.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "image/NativePlugIn.h"
#include "image/Picture.h"
#include "image/PlugInMessages.h"
#include "platform/ChildProcess.h"
#include "platform/SharedMemory.h"

namespace pelto5 {
namespace {

int failures = 0;

void Check(bool condition, const std::string& what) {
  if (condition) return;
  std::printf("FAIL: %s\n", what.c_str());
  ++failures;
}

std::string Utf8(const wchar_t* wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string text(length > 0 ? static_cast<size_t>(length) : 1u, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), length, nullptr, nullptr);
  text.resize(std::strlen(text.c_str()));
  return text;
}

// A little-endian tiny picture: magic, width, height, RGB rows from the top.
std::string TinyPicture(const char* magic, int width, int height) {
  std::string data(magic, 8);
  for (int value : {width, height}) {
    data.push_back(static_cast<char>(value & 0xFF));
    data.push_back(static_cast<char>(value >> 8));
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) data += {static_cast<char>(10 * x), static_cast<char>(20 * y), '\x7F'};
  }
  return data;
}

class THelper {
 public:
  THelper(std::string program) : FProgram(std::move(program)) {}

  bool Start() {
    FChild.Stop();
    if (!FMemory.Create() || !FChild.Start(FProgram, "--serve", FMemory.Handle())) return false;
    std::string hello;
    return FChild.Socket().Receive(hello, kPlugInAnswerMaxSize, 20000) == TMessageStatus::Ok &&
           hello == kPlugInHelperReady;
  }
  bool Running() { return FChild.Running(); }
  const std::string& EndReason() const { return FChild.EndReason(); }

  TMessageStatus Describe(const std::string& path, TPlugInAnswer& answer) {
    TPlugInRequest request;
    request.Call = TPlugInCall::Describe;
    request.Path = path;
    return Exchange(request, answer, 20000);
  }

  // The decode of data by the plug-in at path; stage is the call the
  // helper was in when it failed.
  TMessageStatus Decode(const std::string& path, const std::string& data, int timeoutMs, TPicture& picture,
                        bool& converted, int& stage) {
    converted = false;
    stage = -1;
    if (!FMemory.Reserve(kPlugInInputOffset + data.size())) return TMessageStatus::Closed;
    FMemory.Data()[0] = 0;
    std::memcpy(FMemory.Data() + kPlugInInputOffset, data.data(), data.size());
    TPlugInRequest request;
    request.Call = TPlugInCall::GetPicture;
    request.Path = path;
    request.InputSize = data.size();
    TPlugInAnswer answer;
    const TMessageStatus status = Exchange(request, answer, timeoutMs);
    stage = FMemory.Data()[0];
    if (status != TMessageStatus::Ok) {
      FChild.Stop(status == TMessageStatus::TimedOut ? 0 : 1000);
      FMemory.Close();
      return status;
    }
    const size_t size = FMemory.Size();
    if (answer.Ok && answer.InfoOffset + answer.InfoSize <= size && answer.BitsOffset + answer.BitsSize <= size) {
      converted = TNativePlugIn::ConvertResult(FMemory.Data() + answer.InfoOffset, answer.InfoSize,
                                               FMemory.Data() + answer.BitsOffset, answer.BitsSize, picture);
    }
    return status;
  }
  size_t SharedSize() const { return FMemory.Size(); }

 private:
  TMessageStatus Exchange(const TPlugInRequest& request, TPlugInAnswer& answer, int timeoutMs) {
    TMessageStatus status = FChild.Socket().Send(EncodePlugInRequest(request), timeoutMs);
    std::string reply;
    if (status == TMessageStatus::Ok) status = FChild.Socket().Receive(reply, kPlugInAnswerMaxSize, timeoutMs);
    if (status == TMessageStatus::Ok && !DecodePlugInAnswer(request.Call, reply, answer)) status = TMessageStatus::Closed;
    return status;
  }

  std::string FProgram;
  TChildProcess FChild;
  TSharedMemory FMemory;
};

int Run(const std::string& host, const std::string& folder) {
  THelper helper(host);
  if (!helper.Start()) {
    std::printf("FAIL: the helper %s does not start\n", host.c_str());
    return 1;
  }
  const std::string ppm = folder + "/ppm.spi";
  TPlugInAnswer description;
  Check(helper.Describe(ppm, description) == TMessageStatus::Ok && description.Ok && description.Usable &&
            description.ApiVersion == "00IN" && description.Extensions == "*.PPM;*.PGM;*.PNM",
        "the sample plug-in is described");
  TPlugInAnswer other;
  Check(helper.Describe(folder + "/other.spi", other) == TMessageStatus::Ok && !other.Ok,
        "a DLL of the other machine does not load");

  TPicture picture;
  bool converted = false;
  int stage = 0;
  Check(helper.Decode(ppm, "P6 2 1 255\n" + std::string("\xFF\x00\x00\x00\x00\xFF", 6), 20000, picture, converted,
                      stage) == TMessageStatus::Ok &&
            converted && picture.Width == 2 && picture.Height == 1 && (picture.Pixels[0] & 0xFFFFFF) == 0xFF0000u &&
            (picture.Pixels[1] & 0xFFFFFF) == 0x0000FFu,
        "a 2 x 1 picture decodes");
  // 3 MB in, 3 MB out: the shared block grows on both sides.
  Check(helper.Decode(ppm, "P6 1000 1000 255\n" + std::string(3000000, '\x40'), 20000, picture, converted,
                      stage) == TMessageStatus::Ok &&
            converted && picture.Width == 1000 && (picture.Pixels[999999] & 0xFFFFFF) == 0x404040u &&
            helper.SharedSize() >= 6000000,
        "a 1000 x 1000 picture decodes through the grown block");
  Check(helper.Decode(folder + "/local.spi", TinyPicture("TINYLOCL", 3, 2), 20000, picture, converted, stage) ==
                TMessageStatus::Ok &&
            converted && picture.Width == 3 && picture.Height == 2 &&
            (picture.Pixels[static_cast<size_t>(1) * 3 + 2] & 0xFFFFFF) == 0x14147Fu,
        "local memory handles of a plug-in without FreePicture are read and released");
  Check(helper.Decode(folder + "/huge.spi", TinyPicture("TINYHUGE", 1, 1), 20000, picture, converted, stage) ==
                TMessageStatus::Ok &&
            !converted,
        "a picture claiming 30000 x 30000 with 16 bytes of bits is refused");
  Check(helper.Running(), "the helper survives what the player refuses");

  const TMessageStatus crash =
      helper.Decode(folder + "/crash.spi", TinyPicture("TINYCRSH", 1, 1), 20000, picture, converted, stage);
  Check(crash == TMessageStatus::Closed, "a crash in GetPicture closes the connection");
  Check(stage == static_cast<int>(TPlugInStage::GetPicture), "the helper said it was in GetPicture");
  Check(helper.EndReason() == "exception 0xC0000005", "the crash ends the helper with an access violation, not \"" +
                                                          helper.EndReason() + "\"");
  Check(helper.Start(), "a new helper starts after the crash");
  Check(helper.Decode(ppm, "P5 1 1 255\n\x80", 20000, picture, converted, stage) == TMessageStatus::Ok && converted,
        "the new helper decodes");

  const DWORD before = GetTickCount();
  const TMessageStatus hang =
      helper.Decode(folder + "/crash.spi", "TINYCRSH" + std::string(4, '\0') + "HANG", 1500, picture, converted, stage);
  const DWORD waited = GetTickCount() - before;
  Check(hang == TMessageStatus::TimedOut && waited >= 1400 && waited < 10000,
        "a plug-in that does not answer times out after 1500 ms (" + std::to_string(waited) + " ms)");
  Check(helper.EndReason() == "killed", "the hung helper is killed, not \"" + helper.EndReason() + "\"");
  Check(helper.Start(), "a new helper starts after the hang");
  Check(helper.Decode(ppm, "P5 1 1 255\n\x80", 20000, picture, converted, stage) == TMessageStatus::Ok && converted,
        "the helper after the hang decodes");
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace pelto5

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: helper-check HOST FOLDER | --wait HOST\n", stderr);
    return 2;
  }
  if (std::wcscmp(argv[1], L"--wait") == 0) {
    pelto5::THelper helper(pelto5::Utf8(argv[2]));
    if (!helper.Start()) return 1;
    std::printf("helper started\n");
    std::fflush(stdout);
    Sleep(INFINITE);
  }
  const int result = pelto5::Run(pelto5::Utf8(argv[1]), pelto5::Utf8(argv[2]));
  std::printf(result == 0 ? "helper check passed\n" : "helper check failed\n");
  return result;
}
