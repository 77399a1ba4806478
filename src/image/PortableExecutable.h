// The machine a Windows DLL (or program) is built for, read from the start
// of its file: the DOS header's "MZ" and its pointer to the PE header,
// whose "PE\0\0" signature is followed by the machine's number. The player
// reads it before handing a plug-in to the Windows loader, which would
// refuse a DLL of another machine with a less helpful reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelto5 {

class TPortableExecutable {
 public:
  static constexpr uint16_t kMachineI386 = 0x014C;
  static constexpr uint16_t kMachineArm = 0x01C4;
  static constexpr uint16_t kMachineAmd64 = 0x8664;
  static constexpr uint16_t kMachineArm64 = 0xAA64;
  // The most of a file's start Machine() looks at.
  static constexpr size_t kHeadSize = 65536;

  // The machine of the file whose first bytes are head; 0 when head is not
  // the start of a PE file (no "MZ", or no PE header inside head where the
  // DOS header points).
  static uint16_t Machine(std::string_view head);
  // The machine this program is built for (0 when it is none of the above).
  static uint16_t OwnMachine();
  // How a trace line names a machine: "32-bit x86", "machine 0x0200".
  static std::string MachineName(uint16_t machine);
};

}  // namespace pelto5
