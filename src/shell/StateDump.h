// The runtime state as UTF-8 text, written at shutdown for automation
// (--dump-state): sections "[name]" followed by "key=value" lines.
#pragma once

#include <string>

namespace pelto5 {

class TPeltoAccessControl;
class TScreenControl;
class TfrmDebugInfo;

class TStateDump {
 public:
  // The screen sections are left out when there is no screen controller.
  // The debug window's rows follow when there is a debug window.
  static std::string Build(TPeltoAccessControl& access, TScreenControl* screen,
                           const TfrmDebugInfo* debug = nullptr);
  // Builds the text and writes it to path (native); false if it cannot.
  [[nodiscard]] static bool Write(TPeltoAccessControl& access, TScreenControl* screen,
                                  const std::string& path, const TfrmDebugInfo* debug = nullptr);
};

}  // namespace pelto5
