// Opens a FreeType face from a native (UTF-8) path. FreeType opens files by
// narrow name, which on Windows is read in the system's code page: there the
// file is opened through the wide call and read as a stream.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace pelto5 {

FT_Error OpenFaceFile(FT_Library library, const std::string& path, FT_Long index, FT_Face* face);

}  // namespace pelto5
