// The program's command-line arguments as UTF-8 text, the form every path
// inside the player takes. On Windows main's narrow arguments are in the
// system's code page, which cannot hold every file name (a Japanese name
// on an English system): there the arguments are read again from the wide
// command line. Also sets standard output and error up there: UTF-8 on a
// console, and "\n" line ends unchanged.
#pragma once

#include <string>
#include <vector>

namespace pelto5 {

class TProgramArguments {
 public:
  // The arguments after the program's name.
  static std::vector<std::string> Utf8(int argc, char** argv);
};

}  // namespace pelto5
