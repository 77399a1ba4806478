// pelto5-plugin-host: the helper process in which pelto5 runs native image
// plug-ins, so that a plug-in that crashes or hangs cannot take the player
// with it. The player starts it with the connection on descriptor 3 and the
// shared memory block on descriptor 4; it is not meant to be run by hand.
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
  TMessageSocket socket(TChildProcess::kSocketDescriptor);
  TSharedMemory memory;
  if (!memory.Adopt(TChildProcess::kSharedDescriptor)) return 1;
  return TPlugInHostServer(socket, memory).Run();
}
