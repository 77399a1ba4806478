// The most bytes a deflate stream can inflate to. The longest match is 258
// bytes and each match takes at least two bits (a one-bit length code and a
// one-bit distance code), so no stream inflates beyond 1032 bytes a byte.
// Readers of deflated data (package entries, PNG pictures) check what a
// header claims against this before they allocate for it.
#pragma once

#include <cstdint>

namespace pelto5 {

inline constexpr uint64_t kMaxInflateRatio = 1032;

// The largest size that deflated data of the given size can inflate to,
// with room for the last partial match.
constexpr uint64_t MaxInflatedSize(uint64_t deflatedBytes) {
  return deflatedBytes * kMaxInflateRatio + 1024;
}

}  // namespace pelto5
