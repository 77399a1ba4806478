// The runtime state as UTF-8 text, written at shutdown for automation
// (--dump-state): sections "[name]" followed by "key=value" lines.
#pragma once

#include <string>

namespace pelto5 {

class TPeltoAccessControl;

class TStateDump {
 public:
  static std::string Build(TPeltoAccessControl& access);
  // Builds the text and writes it to path (native); false if it cannot.
  static bool Write(TPeltoAccessControl& access, const std::string& path);
};

}  // namespace pelto5
