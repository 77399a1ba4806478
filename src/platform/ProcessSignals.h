// Signals the programs set up before they write anything.
#pragma once

namespace pelto5 {

class TProcessSignals {
 public:
  // A write past the file-size limit of the process (ulimit -f) would kill
  // it with SIGXFSZ, leaving a half-written temporary file behind and the
  // game without its chance to say so. Ignored, the write fails with
  // EFBIG instead, and the writer reports it like a full disk.
  static void IgnoreFileSizeLimitSignal();
  // A write to a pipe or FIFO whose reader has gone would kill the
  // process with SIGPIPE; ignored, the write fails with EPIPE instead.
  static void IgnoreBrokenPipeSignal();
};

}  // namespace pelto5
