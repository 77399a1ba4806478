// pelto5-pack create: builds a container from files and folders.
#pragma once

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
