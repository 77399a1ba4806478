// libFuzzer target: any bytes opened as a package container, every entry
// read.
#include <cstdlib>

#include "PackageFuzzBody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const pelto5::TPackageFuzzResult result = pelto5::RunPackageFuzzInput(data, size);
  if (!result.Consistent) std::abort();
  return 0;
}
