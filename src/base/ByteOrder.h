// Multi-byte numbers in byte buffers: 16- and 32-bit values read in little-
// or big-endian order from a buffer, and appended little-endian to a string.
// A read that would reach past the end of the buffer gives 0, so a parser
// that checks its sizes first never sees it, and one that does not cannot
// read outside the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelto5 {

namespace byteorder_detail {

constexpr bool Fits(std::string_view data, size_t offset, size_t count) {
  return offset <= data.size() && data.size() - offset >= count;
}

constexpr uint32_t Byte(std::string_view data, size_t at) { return static_cast<uint8_t>(data[at]); }

}  // namespace byteorder_detail

// The value at offset, low byte first; 0 if it does not fit in data.
constexpr uint16_t ReadLe16(std::string_view data, size_t offset) {
  using namespace byteorder_detail;
  if (!Fits(data, offset, 2)) return 0;
  return static_cast<uint16_t>(Byte(data, offset) | Byte(data, offset + 1) << 8);
}

constexpr uint32_t ReadLe32(std::string_view data, size_t offset) {
  using namespace byteorder_detail;
  if (!Fits(data, offset, 4)) return 0;
  return Byte(data, offset) | Byte(data, offset + 1) << 8 | Byte(data, offset + 2) << 16 |
         Byte(data, offset + 3) << 24;
}

// The value at offset, high byte first; 0 if it does not fit in data.
constexpr uint16_t ReadBe16(std::string_view data, size_t offset) {
  using namespace byteorder_detail;
  if (!Fits(data, offset, 2)) return 0;
  return static_cast<uint16_t>(Byte(data, offset) << 8 | Byte(data, offset + 1));
}

constexpr uint32_t ReadBe32(std::string_view data, size_t offset) {
  using namespace byteorder_detail;
  if (!Fits(data, offset, 4)) return 0;
  return Byte(data, offset) << 24 | Byte(data, offset + 1) << 16 | Byte(data, offset + 2) << 8 |
         Byte(data, offset + 3);
}

// Appends the low 16 or all 32 bits of value, low byte first.
inline void AppendLe16(std::string& out, uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void AppendLe32(std::string& out, uint32_t value) {
  AppendLe16(out, value & 0xFFFF);
  AppendLe16(out, value >> 16);
}

}  // namespace pelto5
