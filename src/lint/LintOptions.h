// What a scenario check looks at and how it reports.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace pelto5 {

struct TLintOptions {
  // The names of the checks, each of which --no-NAME turns off.
  static constexpr std::string_view kChecks[] = {"structure", "commands", "targets",
                                                 "resources", "variables", "header"};
  std::set<std::string, std::less<>> Disabled;
  bool Json = false;
  // The runtime library; empty: "peltort5.pml" beside the program, as the
  // player looks for it.
  std::string LibraryPath;

  [[nodiscard]] bool Enabled(std::string_view check) const { return Disabled.find(check) == Disabled.end(); }
  [[nodiscard]] static bool IsCheck(std::string_view name) {
    for (std::string_view check : kChecks) {
      if (check == name) return true;
    }
    return false;
  }
};

}  // namespace pelto5
