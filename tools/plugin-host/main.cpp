// pelto5-plugin-host: the helper process in which pelto5 runs native image
// plug-ins, so that a plug-in that crashes or hangs cannot take the player
// with it. The player starts it and hands it the connection and the shared
// memory block (see TChildProcess); it is not meant to be run by hand.
#include <cstdio>
#include <cstring>

#include "image/PlugInHost.h"
#include "image/PlugInHostServer.h"
#include "platform/ChildProcess.h"
#include "platform/MessageSocket.h"
#include "platform/SharedMemory.h"

int main(int argc, char** argv) {
  using namespace pelto5;
  if (argc != 2 || std::strcmp(argv[1], TPlugInHost::kServeArgument) != 0) {
    std::fputs("pelto5-plugin-host runs image plug-ins for pelto5, which starts it; it takes no options.\n",
               stderr);
    return 2;
  }
  TChildProcess::SetUpAsChild();
  TNativeHandle socketHandle = kNoNativeHandle;
  TNativeHandle sharedHandle = kNoNativeHandle;
  if (!TChildProcess::InheritedHandles(socketHandle, sharedHandle)) return 1;
  TMessageSocket socket(socketHandle);
  TSharedMemory memory;
  if (!memory.Adopt(sharedHandle)) return 1;
  return TPlugInHostServer(socket, memory).Run();
}
