// Where the player's text stream (--text-out) goes: standard output, a
// file or FIFO (appended), a named pipe on Windows, or the system
// clipboard. Writing never blocks
// the player: a line that cannot go out at once is dropped, and the first
// drop is told once on standard error.
#pragma once

#include <memory>
#include <string>

namespace pelto5 {

class TTextOutput {
 public:
  // The destinations besides a file path.
  static constexpr const char* kStandardOutput = "-";
  static constexpr const char* kClipboard = "clipboard";

  virtual ~TTextOutput() = default;
  // One record: its JSON line (without the line end) for the stream forms,
  // its text alone (UTF-8) for the clipboard.
  virtual void Put(const std::string& jsonLine, const std::string& text) = 0;
  // Lines dropped so far.
  [[nodiscard]] virtual int Dropped() const { return 0; }

  // Whether destination is a Windows named pipe ("\\.\pipe\NAME", served
  // by the reading program), which is no file in a folder. Never elsewhere.
  [[nodiscard]] static bool IsNamedPipe(const std::string& destination);

  // The output for a --text-out destination. A file is opened when the
  // first line goes out (and again after its reader went away), so a
  // FIFO may get its reader at any time.
  static std::unique_ptr<TTextOutput> Open(const std::string& destination);
};

}  // namespace pelto5
