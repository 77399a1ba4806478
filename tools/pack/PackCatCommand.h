// pelto5-pack cat: one entry's bytes to standard output.
#pragma once

#include <string>
#include <vector>

namespace pelto5::pack {

class TPackCatCommand {
 public:
  int Run(const std::vector<std::string>& args);
};

}  // namespace pelto5::pack
