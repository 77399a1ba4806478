// A block of memory shared with a child process: an anonymous memory file,
// mapped once at its largest size so that its address never changes while
// it grows. The side that creates it seals it against shrinking, so the
// other side can never take pages away under its reads: everything up to
// Size() stays readable whatever the other side does.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pelto5 {

class TSharedMemory {
 public:
  // The most the block grows to.
  static constexpr size_t kMaxSize = size_t{1} << 30;

  TSharedMemory() = default;
  ~TSharedMemory() { Close(); }
  TSharedMemory(const TSharedMemory&) = delete;
  TSharedMemory& operator=(const TSharedMemory&) = delete;

  // A new empty block, sealed against shrinking. False where the system
  // has no such memory.
  [[nodiscard]] bool Create();
  // Takes over the block of an inherited descriptor (the child's side).
  [[nodiscard]] bool Adopt(int descriptor);
  void Close();
  [[nodiscard]] bool IsOpen() const { return FData != nullptr; }
  // The descriptor to hand to the child, -1 when closed.
  int Descriptor() const { return FDescriptor; }

  // Grows the block to at least size bytes (it never shrinks); false when
  // size is beyond kMaxSize or the system refuses the memory.
  [[nodiscard]] bool Reserve(size_t size);
  // How many bytes from Data() may be read and written now: the block's
  // length as it is, which the other side may have grown, at most kMaxSize.
  size_t Size() const;
  uint8_t* Data() const { return FData; }

 private:
  [[nodiscard]] bool Map();

  int FDescriptor = -1;
  uint8_t* FData = nullptr;
};

}  // namespace pelto5
