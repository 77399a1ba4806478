// Sets up the fonts backend's part of every program: the FreeType font
// service as the one that answers while no other is installed. The face
// locator is the build's default (fontconfig on a desktop); the browser
// player passes its own folder of faces.
#pragma once

#include <memory>

#include "platform/fonts/FaceLocator.h"

namespace pelto5 {

void InstallDefaultFonts();
void InstallDefaultFonts(std::unique_ptr<TFaceLocator> locator);

}  // namespace pelto5
