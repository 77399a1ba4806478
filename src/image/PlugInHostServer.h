// TPlugInHostServer: the plug-in helper process's side. It answers the
// player's requests one at a time until the player closes the connection,
// loading each plug-in the first time a request names it and keeping it
// loaded. GetPicture reads the picture from the start of the shared block
// and writes the result's info block and bits after it.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "image/PlugInMessages.h"

namespace pelto5 {

class TMessageSocket;
class TNativePlugIn;
class TSharedMemory;

class TPlugInHostServer {
 public:
  // Both outlive the server.
  TPlugInHostServer(TMessageSocket& socket, TSharedMemory& memory);
  ~TPlugInHostServer();
  TPlugInHostServer(const TPlugInHostServer&) = delete;
  TPlugInHostServer& operator=(const TPlugInHostServer&) = delete;

  // Says it is ready, then serves until the connection ends: 0 when the
  // player closed it, 1 when it sent something that is not a request.
  int Run();

 private:
  TPlugInAnswer Answer(const TPlugInRequest& request);
  TPlugInAnswer GetPicture(TNativePlugIn& plugIn, uint64_t inputSize);
  // The plug-in at path, loaded on first use; null when it does not load.
  TNativePlugIn* PlugIn(const std::string& path);

  TMessageSocket& FSocket;
  TSharedMemory& FMemory;
  std::map<std::string, std::unique_ptr<TNativePlugIn>> FPlugIns;
};

}  // namespace pelto5
