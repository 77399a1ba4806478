// One run of the main form on an installed platform, as the command line
// asks for it.
#pragma once

#include "app/CommandLine.h"
#include "platform/Platform.h"

namespace pelto5 {

// Creates, shows and runs the main form until it ends; the exit status
// (1 when the content could not be opened, else the platform's).
int RunForm(TPlatform& platform, const TCommandLine& cl);

}  // namespace pelto5
