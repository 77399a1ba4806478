// A block of memory shared with a child process, mapped once at its largest
// size so that its address never changes while it grows: an anonymous
// memory file on POSIX systems, which the side that creates it seals
// against shrinking; on Windows a paging-file section whose pages are
// reserved and committed as the block grows (committed pages stay until
// the section goes). Either way the other side can never take pages away
// under its reads: everything up to Size() stays readable whatever the
// other side does.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/NativeHandle.h"

namespace pelto5 {

class TSharedMemory {
 public:
  // The most the block grows to. A 32-bit Windows process seldom has 1 GB
  // of address space free in one piece.
#if defined(_WIN32) && !defined(_WIN64)
  static constexpr size_t kMaxSize = size_t{1} << 28;
#else
  static constexpr size_t kMaxSize = size_t{1} << 30;
#endif

  TSharedMemory() = default;
  ~TSharedMemory() { Close(); }
  TSharedMemory(const TSharedMemory&) = delete;
  TSharedMemory& operator=(const TSharedMemory&) = delete;

  // A new empty block, sealed against shrinking. False where the system
  // has no such memory.
  [[nodiscard]] bool Create();
  // Takes over the block of an inherited handle (the child's side).
  [[nodiscard]] bool Adopt(TNativeHandle handle);
  void Close();
  [[nodiscard]] bool IsOpen() const { return FData != nullptr; }
  // The handle to hand to the child, kNoNativeHandle when closed.
  TNativeHandle Handle() const { return FHandle; }

  // Grows the block to at least size bytes (it never shrinks); false when
  // size is beyond kMaxSize or the system refuses the memory.
  [[nodiscard]] bool Reserve(size_t size);
  // How many bytes from Data() may be read and written now: the block's
  // length as it is, which the other side may have grown, at most kMaxSize.
  size_t Size() const;
  uint8_t* Data() const { return FData; }

 private:
  [[nodiscard]] bool Map();

  TNativeHandle FHandle = kNoNativeHandle;
  uint8_t* FData = nullptr;
  // Windows: how many bytes from Data() this side has committed; the
  // block's size as the other side set it is believed only up to there.
  [[maybe_unused]] mutable size_t FCommitted = 0;
};

}  // namespace pelto5
