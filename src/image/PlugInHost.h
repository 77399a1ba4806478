// TPlugInHost: the player's side of its plug-in helper process. Native
// plug-ins run only there, so one that crashes or hangs costs the answer it
// was asked for and nothing else: the helper is stopped (killed after the
// time limit), the call fails as a plug-in's failure does, and the next
// request starts a new helper, which loads the plug-ins again as they are
// named. The helper is started on the first request and kept running.
//
// Nothing the helper sends is trusted: answers are checked field by field,
// and a picture's blocks are copied out of the shared memory and go through
// the same conversion as any plug-in result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "image/PlugInMessages.h"
#include "image/Picture.h"
#include "platform/ChildProcess.h"
#include "platform/SharedMemory.h"

namespace pelto5 {

class TPlugInHost {
 public:
  // How long the helper may take over one answer, unless the environment's
  // PELTO5_PLUGIN_TIMEOUT_MS says otherwise.
  static constexpr int kDefaultTimeoutMs = 10000;
#ifdef _WIN32
  static constexpr const char* kProgramName = "pelto5-plugin-host.exe";
#else
  static constexpr const char* kProgramName = "pelto5-plugin-host";
#endif
  // The argument the helper is started with.
  static constexpr const char* kServeArgument = "--serve";

  TPlugInHost();
  ~TPlugInHost();
  TPlugInHost(const TPlugInHost&) = delete;
  TPlugInHost& operator=(const TPlugInHost&) = delete;

  // Loads the plug-in at path in the helper and reads its texts into
  // description. False when the helper cannot run or failed, or when the
  // library does not load or has no GetPluginInfo.
  [[nodiscard]] bool Describe(const std::string& path, TPlugInAnswer& description);
  // The plug-in's IsSupported on data and, when it accepts it, its
  // GetPicture, converted into picture (untouched on failure).
  [[nodiscard]] bool GetPicture(const std::string& path, std::string_view data, TPicture& picture);
  // Stops the helper; the next request starts it again.
  void Stop();

  void SetTimeout(int milliseconds) { FTimeoutMs = milliseconds; }
  int Timeout() const { return FTimeoutMs; }
  void SetProgram(std::string program) { FProgram = std::move(program); }
  const std::string& Program() const { return FProgram; }
  // The helper beside the running executable, else the installed one.
  static std::string DefaultProgram();

  // The picture of a GetPicture answer whose blocks lie in the shared
  // block (blockSize bytes readable at block): false when either block
  // reaches outside it or the info block is longer than any can be, and
  // whenever the conversion refuses the result. scratch holds the copies.
  [[nodiscard]] static bool ReadResult(const uint8_t* block, size_t blockSize, const TPlugInAnswer& answer,
                                       std::string& scratch, TPicture& picture);

 private:
  [[nodiscard]] bool EnsureRunning();
  // Sends the request to the running helper and reads its answer; on any
  // failure the helper is stopped and the failure traced.
  [[nodiscard]] bool Exchange(const TPlugInRequest& request, TPlugInAnswer& answer);

  std::string FProgram;
  int FTimeoutMs;
  TChildProcess FChild;
  TSharedMemory FMemory;
  bool FStartFailureTraced = false;
  std::string FScratch;
};

}  // namespace pelto5
