// Sets up the headless backend's part of every program: the quiet
// instance that answers while no platform is installed, and the factory of
// quiet platforms (for pelto5 --check).
#pragma once

namespace pelto5 {

void InstallHeadlessDefaults();

}  // namespace pelto5
