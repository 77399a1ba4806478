// The runtime state as UTF-8 text, written at shutdown for automation
// (--dump-state): sections "[name]" followed by "key=value" lines.
#pragma once

#include <string>

namespace pelto5 {

class TPeltoAccessControl;
class TScreenControl;

class TStateDump {
 public:
  // The screen sections are left out when there is no screen controller.
  static std::string Build(TPeltoAccessControl& access, TScreenControl* screen);
  // Builds the text and writes it to path (native); false if it cannot.
  static bool Write(TPeltoAccessControl& access, TScreenControl* screen, const std::string& path);
};

}  // namespace pelto5
