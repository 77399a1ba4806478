// Font files on demand: the page holds the faces beside it and the player
// downloads a face only when it first draws with it.
#pragma once

#include <string>

namespace pelto5 {

// Downloads the face file named like path's file name from the page's
// fonts/ folder and stores it at path; false if it cannot be had. With
// whole, the whole face (fonts/full/) replaces the subset stored there;
// false when the folder has no whole face of it (the file was whole).
[[nodiscard]] bool FetchWebFont(const std::string& path, bool whole);

}  // namespace pelto5
