// The author's brakes on the main loop: pausing it, stepping it one command
// at a time, and breakpoints that pause it before a given command of a page
// is fetched. While paused, no command is fetched; timers, painting and
// input go on as ever.
#pragma once

#include <set>
#include <string>
#include <tuple>

namespace pelto5 {

// A command of a page: book and page names (Shift-JIS) and command index.
struct TBreakpoint {
  std::string Book;
  std::string Page;
  int Index = 0;
  // Spelled out: not every standard library this builds with compares
  // strings with <=>.
  bool operator<(const TBreakpoint& other) const {
    return std::tie(Book, Page, Index) < std::tie(other.Book, other.Page, other.Index);
  }
  bool operator==(const TBreakpoint& other) const {
    return Book == other.Book && Page == other.Page && Index == other.Index;
  }
};

class TDebugControl {
 public:
  // What the main loop may do before fetching the command at a position.
  // Stopped: the loop has just come to a halt there (a breakpoint, or the
  // end of a single step), so the author is shown where.
  enum class TFetch { Go, Paused, Stopped };

  // Parses "BOOK/PAGE" or "BOOK/PAGE#INDEX" (Shift-JIS); the page's first
  // command when there is no index. False when it is not of that form.
  static bool ParseBreakpoint(const std::string& text, TBreakpoint& breakpoint);
  // "BOOK/PAGE#INDEX".
  static std::string Text(const TBreakpoint& breakpoint);

  void Pause();
  // Runs on from where it stopped; a breakpoint there does not stop it again.
  void Resume();
  // While paused: the next command runs, then the loop is paused again.
  // While running: the same as Pause.
  void Step();
  void TogglePause();
  [[nodiscard]] bool Paused() const { return FPaused; }

  void AddBreakpoint(const TBreakpoint& breakpoint) { FBreakpoints.insert(breakpoint); }
  // True when the breakpoint is set afterwards.
  bool ToggleBreakpoint(const TBreakpoint& breakpoint);
  [[nodiscard]] bool HasBreakpoint(const TBreakpoint& breakpoint) const { return FBreakpoints.count(breakpoint) > 0; }
  const std::set<TBreakpoint>& Breakpoints() const { return FBreakpoints; }

  // Asked by the main loop before it fetches the command at position.
  TFetch BeforeFetch(const TBreakpoint& position);

  // "Paused=0|1" and a "Breakpoint=BOOK/PAGE#INDEX" line for each, UTF-8.
  std::string DumpLines() const;

 private:
  std::set<TBreakpoint> FBreakpoints;
  bool FPaused = false;
  bool FStepPending = false;
  bool FStepDone = false;  // a step ran its command; the halt after it is news
  // Set by Resume and Step: the next fetch passes a breakpoint at its
  // position, since that is where the loop stopped.
  bool FPassBreakpoint = false;
};

}  // namespace pelto5
