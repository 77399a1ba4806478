// The outcome of an operation that can fail and whose caller needs to know
// why: success, or failure with a short reason in words. The result cannot
// be dropped unexamined.
#pragma once

#include <string>
#include <utility>

namespace pelto5 {

class [[nodiscard]] TResult {
 public:
  static TResult Ok() { return TResult(true, std::string()); }
  static TResult Fail(std::string reason) { return TResult(false, std::move(reason)); }

  explicit operator bool() const { return FOk; }
  // Why the operation failed; empty on success.
  const std::string& Reason() const { return FReason; }

 private:
  TResult(bool ok, std::string reason) : FOk(ok), FReason(std::move(reason)) {}

  bool FOk;
  std::string FReason;
};

}  // namespace pelto5
