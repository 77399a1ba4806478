// pelto5-pack list: one line per entry.
#pragma once

#include <string>
#include <vector>

namespace pelto5::pack {

class TPackListCommand {
 public:
  int Run(const std::vector<std::string>& args);
};

}  // namespace pelto5::pack
