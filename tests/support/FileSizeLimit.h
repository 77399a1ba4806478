// Runs a piece of a test in a child process whose files may not grow past
// a size (the limit of "ulimit -f"), with SIGXFSZ ignored as the programs
// ignore it: a write past the limit fails with EFBIG, as on a full disk.
#pragma once

#include <cstddef>
#include <functional>

namespace pelto5::test {

// The child's exit status: what body returned (0..255), or -1 when the
// child did not exit normally (killed by a signal).
int RunUnderFileSizeLimit(size_t bytes, const std::function<int()>& body);

}  // namespace pelto5::test
