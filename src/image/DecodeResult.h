// The answer of an image decoder: whether it decoded the picture and, when
// it did not, possibly a warning for the user. Decoders never show anything
// themselves; the caller that owns the user's attention shows the warning
// the moment the decode returns.
#pragma once

#include <string>
#include <utility>

namespace pelto5 {

struct [[nodiscard]] TDecodeResult {
  bool Ok = false;
  // Empty when there is nothing to tell (a picture of another format is
  // refused silently).
  std::string Warning;

  explicit operator bool() const { return Ok; }

  static TDecodeResult Of(bool ok) { return {ok, {}}; }
  static TDecodeResult Decoded() { return {true, {}}; }
  static TDecodeResult Refused() { return {false, {}}; }
  static TDecodeResult Failed(std::string warning) { return {false, std::move(warning)}; }
};

}  // namespace pelto5
