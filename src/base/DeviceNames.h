// Names that Windows gives to devices rather than files: "CON", "PRN",
// "AUX", "NUL", "COM1".."COM9", "LPT1".."LPT9" (and "CONIN$", "CONOUT$"),
// whatever their letter case, with any extension and with trailing dots or
// blanks ("nul.txt", "Con .log"). A file of such a name cannot exist there:
// writing it would send the bytes to the device, so no entry of a package
// is ever extracted under one.
#pragma once

#include <string_view>

namespace pelto5 {

// Whether one component of a path (no separators) is a device name.
[[nodiscard]] bool IsDeviceName(std::string_view component);
// Whether any component of a Shift-JIS name, split at single-byte "\" and
// "/", is a device name.
[[nodiscard]] bool NamesDevice(std::string_view sjisName);

}  // namespace pelto5
