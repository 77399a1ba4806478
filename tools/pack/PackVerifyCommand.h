// pelto5-pack verify: checks everything the format lets one check.
#pragma once

#include <string>
#include <vector>

#include "content/PackageReader.h"

namespace pelto5::pack {

class TPackVerifyCommand {
 public:
  int Run(const std::vector<std::string>& args);

 private:
  void CheckArchive(const PackageReader& reader);
  void CheckEntry(PackageReader& reader, int index);
  void Problem(const std::string& problem);

  std::string FArchive;
  int FProblems = 0;
};

}  // namespace pelto5::pack
