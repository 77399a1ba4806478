#ifdef _WIN32

#include <windows.h>

#include "platform/SharedMemory.h"

namespace pelto5 {

namespace {

// The section starts with one page of its own: the block's size, which
// either side raises when it grows the block. Data() is the page after it.
constexpr size_t kHeaderSize = 4096;
constexpr size_t kPageSize = 4096;
constexpr unsigned long long kSectionSize = kHeaderSize + TSharedMemory::kMaxSize;

HANDLE AsHandle(TNativeHandle handle) { return reinterpret_cast<HANDLE>(handle); }

volatile LONG* SizeField(uint8_t* data) { return reinterpret_cast<volatile LONG*>(data - kHeaderSize); }

size_t PagesFor(size_t size) { return (size + kPageSize - 1) / kPageSize * kPageSize; }

}  // namespace

bool TSharedMemory::Create() {
  Close();
  // Reserved, not committed: the paging file is charged only for what the
  // block grows to.
  const HANDLE section =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_RESERVE,
                         static_cast<DWORD>(kSectionSize >> 32), static_cast<DWORD>(kSectionSize & 0xFFFFFFFFu),
                         nullptr);
  if (!section) return false;
  FHandle = reinterpret_cast<TNativeHandle>(section);
  if (!Map()) {
    Close();
    return false;
  }
  return true;
}

bool TSharedMemory::Adopt(TNativeHandle handle) {
  Close();
  if (handle == kNoNativeHandle || handle == 0) return false;
  FHandle = handle;
  if (!Map()) {
    Close();
    return false;
  }
  return true;
}

bool TSharedMemory::Map() {
  void* view = MapViewOfFile(AsHandle(FHandle), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0,
                             static_cast<SIZE_T>(kSectionSize));
  if (!view) return false;
  if (!VirtualAlloc(view, kHeaderSize, MEM_COMMIT, PAGE_READWRITE)) {
    UnmapViewOfFile(view);
    return false;
  }
  FData = static_cast<uint8_t*>(view) + kHeaderSize;
  FCommitted = 0;
  return true;
}

void TSharedMemory::Close() {
  if (FData) UnmapViewOfFile(FData - kHeaderSize);
  FData = nullptr;
  FCommitted = 0;
  if (FHandle != kNoNativeHandle) CloseHandle(AsHandle(FHandle));
  FHandle = kNoNativeHandle;
}

bool TSharedMemory::Reserve(size_t size) {
  if (!FData || size > kMaxSize) return false;
  if (Size() >= size) return true;
  const size_t pages = PagesFor(size);
  if (pages > FCommitted) {
    if (!VirtualAlloc(FData + FCommitted, pages - FCommitted, MEM_COMMIT, PAGE_READWRITE)) return false;
    FCommitted = pages;
  }
  // Raised, never lowered, whatever the other side writes at the same time.
  volatile LONG* field = SizeField(FData);
  const LONG wanted = static_cast<LONG>(size);
  for (;;) {
    const LONG current = InterlockedCompareExchange(field, 0, 0);
    if (current >= wanted || InterlockedCompareExchange(field, wanted, current) == current) break;
  }
  return true;
}

size_t TSharedMemory::Size() const {
  if (!FData) return 0;
  // The other side's word for the size is taken only as far as this side's
  // own view has the pages committed.
  const LONG claimed = InterlockedCompareExchange(SizeField(FData), 0, 0);
  size_t size = claimed <= 0 ? 0 : static_cast<size_t>(claimed);
  if (size > kMaxSize) size = kMaxSize;
  if (size > FCommitted) {
    const size_t pages = PagesFor(size);
    if (VirtualAlloc(FData + FCommitted, pages - FCommitted, MEM_COMMIT, PAGE_READWRITE)) FCommitted = pages;
  }
  return size < FCommitted ? size : FCommitted;
}

}  // namespace pelto5

#endif  // _WIN32
