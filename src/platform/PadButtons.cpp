#include "platform/PadButtons.h"

namespace pelto5 {

namespace {

const struct {
  const char* Name;
  TPadButton Button;
} kPadNames[] = {{"a", TPadButton::A},
                 {"b", TPadButton::B},
                 {"x", TPadButton::X},
                 {"y", TPadButton::Y},
                 {"back", TPadButton::Back},
                 {"start", TPadButton::Start},
                 {"leftshoulder", TPadButton::LeftShoulder},
                 {"rightshoulder", TPadButton::RightShoulder},
                 {"dpup", TPadButton::DpadUp},
                 {"dpdown", TPadButton::DpadDown},
                 {"dpleft", TPadButton::DpadLeft},
                 {"dpright", TPadButton::DpadRight}};

}  // namespace

const char* PadButtonName(TPadButton button) {
  for (const auto& n : kPadNames) {
    if (n.Button == button) return n.Name;
  }
  return "a";
}

bool PadButtonFromName(const std::string& name, TPadButton& button) {
  for (const auto& n : kPadNames) {
    if (name == n.Name) {
      button = n.Button;
      return true;
    }
  }
  return false;
}

}  // namespace pelto5
