#include "image/PortableExecutable.h"

#include <cstdio>

#include "base/ByteOrder.h"

namespace pelto5 {

namespace {

constexpr size_t kHeaderPointerOffset = 0x3C;
constexpr std::string_view kPeSignature("PE\0\0", 4);

}  // namespace

uint16_t TPortableExecutable::Machine(std::string_view head) {
  if (head.size() < kHeaderPointerOffset + 4 || head.substr(0, 2) != "MZ") return 0;
  const uint32_t peOffset = ReadLe32(head, kHeaderPointerOffset);
  if (peOffset > head.size() || head.size() - peOffset < kPeSignature.size() + 2) return 0;
  if (head.substr(peOffset, kPeSignature.size()) != kPeSignature) return 0;
  return static_cast<uint16_t>(ReadLe16(head, peOffset + kPeSignature.size()));
}

uint16_t TPortableExecutable::OwnMachine() {
#if defined(__x86_64__) || defined(_M_X64)
  return kMachineAmd64;
#elif defined(__i386__) || defined(_M_IX86)
  return kMachineI386;
#elif defined(__aarch64__) || defined(_M_ARM64)
  return kMachineArm64;
#elif defined(__arm__) || defined(_M_ARM)
  return kMachineArm;
#else
  return 0;
#endif
}

std::string TPortableExecutable::MachineName(uint16_t machine) {
  switch (machine) {
    case kMachineI386:
      return "32-bit x86";
    case kMachineAmd64:
      return "64-bit x86";
    case kMachineArm:
      return "32-bit ARM";
    case kMachineArm64:
      return "64-bit ARM";
    default: {
      char text[24];
      std::snprintf(text, sizeof text, "machine 0x%04X", static_cast<unsigned>(machine));
      return text;
    }
  }
}

}  // namespace pelto5
