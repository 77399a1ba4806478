// The writing end of a Windows named pipe that another program serves
// (\\.\pipe\NAME), as a screen reader's bridge makes one to receive
// --text-out. The pipe is put into non-blocking mode when it is opened, so
// a write never waits for the reader: it takes what fits into the pipe's
// buffer (nothing while the reader does not read) and returns at once.
// (Windows only; elsewhere a FIFO in the file system does this job.)
#pragma once

#include <cstddef>
#include <string>

#include "platform/NativeHandle.h"

namespace pelto5 {

class TPipeWriter {
 public:
  TPipeWriter() = default;
  ~TPipeWriter() { Close(); }
  TPipeWriter(const TPipeWriter&) = delete;
  TPipeWriter& operator=(const TPipeWriter&) = delete;

  // Whether utf8 names a named pipe: "\\.\pipe\NAME", with "\" or "/"
  // between its parts, "pipe" in any case.
  [[nodiscard]] static bool IsPipeName(const std::string& utf8);

  // Connects to the pipe, without waiting: false when nobody serves it or
  // every instance of it is taken.
  [[nodiscard]] bool Open(const std::string& utf8);
  [[nodiscard]] bool IsOpen() const { return FHandle != kNoNativeHandle; }
  // Writes up to size bytes of data: the number the pipe took (0 when it
  // is full), or -1 when the reader has gone away (the pipe is closed then).
  [[nodiscard]] long Write(const char* data, size_t size);
  void Close();

 private:
  TNativeHandle FHandle = kNoNativeHandle;
};

}  // namespace pelto5
