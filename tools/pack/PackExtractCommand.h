// pelto5-pack extract: entries to files below a target folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "content/PackageReader.h"

namespace pelto5::pack {

class TPackExtractCommand {
 public:
  int Run(const std::vector<std::string>& args);

 private:
  int ParseArguments(const std::vector<std::string>& args);
  bool SelectEntries(const PackageReader& reader);
  // Writes one entry; false when it could not be read or written. An entry
  // refused for its name sets refused and is no failure.
  bool ExtractOne(PackageReader& reader, int index, bool& refused);

  std::string FArchive;
  std::filesystem::path FFolder = ".";
  std::vector<std::string> FNames;
  std::vector<int> FSelected;
};

}  // namespace pelto5::pack
