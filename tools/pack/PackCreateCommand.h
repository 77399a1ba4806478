// pelto5-pack create: builds a container from files and folders.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace pelto5::pack {

class TPackCreateCommand {
 public:
  int Run(const std::vector<std::string>& args);

 private:
  struct TInputFile {
    std::string Path;       // on the disk
    std::string EntryName;  // Shift-JIS, "\" between folders
  };

  int ParseArguments(const std::vector<std::string>& args);
  bool CollectInputs();
  bool AddInput(const std::string& input);
  // Adds the files below folder (relative names under relative) to found.
  bool AddFolder(const std::string& folder, const std::filesystem::path& relative, std::vector<TInputFile>& found);
  bool Write();

  std::string FMagic = "PV5PKG";
  bool FCompress = false;
  bool FScramble = false;
  std::vector<std::string> FExtractPatterns;
  std::vector<std::string> FNoExtractPatterns;
  std::string FExecutable;
  std::string FOutput;
  std::vector<std::string> FInputs;
  std::vector<TInputFile> FFiles;
};

}  // namespace pelto5::pack
