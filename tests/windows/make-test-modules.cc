// Writes the test tracker modules of tests/audio/TrackerModules.h into a
// folder, one file per format, for scripts/build-windows-deps --check.
//
//   make-test-modules FOLDER
//
// Prints the files' paths, one a line. A .cc file, so the test binary
// (which takes every .cpp file under tests/) leaves it alone.
#include <cstdio>
#include <fstream>
#include <string>

#include "audio/TrackerModules.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  for (const pelto5::test::TTrackerModule& module : pelto5::test::TrackerModules()) {
    const std::string path = std::string(argv[1]) + "/" + module.Name;
    std::ofstream out(path, std::ios::binary);
    out.write(module.Bytes.data(), static_cast<std::streamsize>(module.Bytes.size()));
    if (!out.flush()) {
      std::fprintf(stderr, "make-test-modules: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
