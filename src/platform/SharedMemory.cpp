#include "platform/SharedMemory.h"

#ifndef _WIN32

#ifndef __EMSCRIPTEN__
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pelto5 {

#ifndef __EMSCRIPTEN__

bool TSharedMemory::Create() {
  Close();
  FHandle = memfd_create("pelto5-shared", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (FHandle < 0) return false;
  // No shrinking, and no way for anyone to lift that seal.
  if (fcntl(FHandle, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_SEAL) != 0 || !Map()) {
    Close();
    return false;
  }
  return true;
}

bool TSharedMemory::Adopt(TNativeHandle handle) {
  Close();
  FHandle = handle;
  if (!Map()) {
    Close();
    return false;
  }
  return true;
}

bool TSharedMemory::Map() {
  // The whole range at once: pages past the block's length are never
  // touched (Size() bounds every access), so the address can stay put.
  void* address = mmap(nullptr, kMaxSize, PROT_READ | PROT_WRITE, MAP_SHARED, FHandle, 0);
  if (address == MAP_FAILED) return false;
  FData = static_cast<uint8_t*>(address);
  return true;
}

void TSharedMemory::Close() {
  if (FData) munmap(FData, kMaxSize);
  FData = nullptr;
  if (FHandle >= 0) close(FHandle);
  FHandle = kNoNativeHandle;
}

bool TSharedMemory::Reserve(size_t size) {
  if (!FData || size > kMaxSize) return false;
  if (Size() >= size) return true;
  return ftruncate(FHandle, static_cast<off_t>(size)) == 0 && Size() >= size;
}

size_t TSharedMemory::Size() const {
  struct stat info {};
  if (!FData || fstat(FHandle, &info) != 0 || info.st_size < 0) return 0;
  const auto size = static_cast<unsigned long long>(info.st_size);
  return size < kMaxSize ? static_cast<size_t>(size) : kMaxSize;
}

#else  // The browser build runs no child processes and shares no memory.

bool TSharedMemory::Create() { return false; }
bool TSharedMemory::Adopt(TNativeHandle) { return false; }
bool TSharedMemory::Map() { return false; }
void TSharedMemory::Close() {}
bool TSharedMemory::Reserve(size_t) { return false; }
size_t TSharedMemory::Size() const { return 0; }

#endif

}  // namespace pelto5

#endif  // !_WIN32
