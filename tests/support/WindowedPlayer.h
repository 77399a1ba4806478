// Ending a player that runs in a window, as the window's close button
// would: a quit request to its process. Checks that it ends normally.
#pragma once

#include <future>
#include <string>

#include "support/PlayerRun.h"

namespace pelto5::test {

// Sends the quit request to the process of window windowId (an X window
// id) and waits up to 10 s for run to end, killing it if it does not.
// Records a test failure unless the player ended with status 0.
void QuitWindowedPlayer(const std::string& windowId, std::future<TPlayerResult>& run);

}  // namespace pelto5::test
