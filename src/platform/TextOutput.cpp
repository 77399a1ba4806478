#include "platform/TextOutput.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

#include "base/NativeFile.h"
#include "base/SjisText.h"
#include "platform/Platform.h"
#include "platform/ProcessSignals.h"
#ifdef _WIN32
#include "platform/PipeWriter.h"
#endif

namespace pelto5 {

namespace {

// Lines to a descriptor: standard output, or a file or FIFO opened on the
// first line (on Windows a named pipe instead of a FIFO). A line that the
// descriptor cannot take at once is dropped; a line it took only in part
// is finished before the next one goes out, so the stream never holds a
// broken line.
class TStreamTextOutput : public TTextOutput {
 public:
  // path "" = standard output.
  explicit TStreamTextOutput(std::string path) : FPath(std::move(path)) {
#ifdef _WIN32
    FIsPipe = TPipeWriter::IsPipeName(FPath);
#endif
    if (!FPath.empty()) return;
#ifdef _WIN32
    // JSON lines are UTF-8 bytes: no "\r" may be put in.
    FDescriptor = _fileno(stdout);
    if (FDescriptor >= 0) _setmode(FDescriptor, _O_BINARY);
#else
    FDescriptor = STDOUT_FILENO;
#endif
  }
  ~TStreamTextOutput() override {
    if (!FPath.empty()) CloseDescriptor();
  }

  void Put(const std::string& jsonLine, const std::string&) override {
    if (!EnsureOpen() || !Flush()) {
      Drop();
      return;
    }
    FPending = jsonLine + "\n";
    if (Flush()) return;
    // Nothing of the line went out, or the reader went away with it: it is
    // dropped. (A line that went out in part is finished first next time.)
    if (FPending.empty() || FPending.size() == jsonLine.size() + 1) {
      FPending.clear();
      Drop();
    }
  }

  [[nodiscard]] int Dropped() const override { return FDropped; }

 private:
  bool EnsureOpen() {
#ifdef _WIN32
    if (FIsPipe) return FPipe.IsOpen() || FPipe.Open(FPath);
#endif
    if (FDescriptor >= 0) return true;
#ifdef _WIN32
    FDescriptor = _wopen(native::Wide(FPath).c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT,
                         _S_IREAD | _S_IWRITE);
#else
    // Non-blocking: a FIFO without a reader fails at once (ENXIO) instead
    // of waiting for one.
    FDescriptor = ::open(FPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
#endif
    return FDescriptor >= 0;
  }

  // Writes what is pending; true when all of it went out.
  bool Flush() {
#ifdef _WIN32
    // A named pipe takes what fits (nothing while its reader does not
    // read); a file or the console takes a line whole.
    while (!FPending.empty()) {
      const long written = FIsPipe ? FPipe.Write(FPending.data(), FPending.size())
                                   : _write(FDescriptor, FPending.data(), static_cast<unsigned>(FPending.size()));
      if (written == 0 && FIsPipe) return false;
      if (written <= 0) {
        Lost();
        return false;
      }
      FPending.erase(0, static_cast<size_t>(written));
    }
#else
    while (!FPending.empty()) {
      pollfd entry{FDescriptor, POLLOUT, 0};
      if (::poll(&entry, 1, 0) != 1 || (entry.revents & POLLOUT) == 0) {
        if (entry.revents & (POLLERR | POLLHUP)) Lost();
        return false;
      }
      const ssize_t written = ::write(FDescriptor, FPending.data(), FPending.size());
      if (written < 0) {
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) Lost();
        return false;
      }
      FPending.erase(0, static_cast<size_t>(written));
    }
#endif
    return true;
  }

  // The reader went away (or the file failed): the part of a line still
  // pending is lost with it, and the next line opens the file again.
  void Lost() {
    FPending.clear();
    if (FPath.empty()) return;
    CloseDescriptor();
  }

  void CloseDescriptor() {
#ifdef _WIN32
    FPipe.Close();
    if (FDescriptor >= 0) _close(FDescriptor);
#else
    if (FDescriptor >= 0) ::close(FDescriptor);
#endif
    FDescriptor = -1;
  }

  void Drop() {
    ++FDropped;
    if (FDropped > 1) return;
    const std::string where = FPath.empty() ? "-" : FPath;
    Platform().WarningLine(sjis::FromUtf8("pelto5: " + FillIn(LocalizedUtf8(TOwnText::TextOutDropped), {where})));
  }

  std::string FPath;
  int FDescriptor = -1;
#ifdef _WIN32
  bool FIsPipe = false;
  TPipeWriter FPipe;
#endif
  std::string FPending;
  int FDropped = 0;
};

class TClipboardTextOutput : public TTextOutput {
 public:
  void Put(const std::string&, const std::string& text) override {
    if (Platform().SetClipboardText(text) || FWarned) return;
    FWarned = true;
    Platform().WarningLine(sjis::FromUtf8("pelto5: " + LocalizedUtf8(TOwnText::NoClipboard)));
  }

 private:
  bool FWarned = false;
};

}  // namespace

bool TTextOutput::IsNamedPipe(const std::string& destination) {
#ifdef _WIN32
  return TPipeWriter::IsPipeName(destination);
#else
  static_cast<void>(destination);
  return false;
#endif
}

std::unique_ptr<TTextOutput> TTextOutput::Open(const std::string& destination) {
  if (destination == kClipboard) return std::make_unique<TClipboardTextOutput>();
  // A reader that goes away must not end the player.
  TProcessSignals::IgnoreBrokenPipeSignal();
  return std::make_unique<TStreamTextOutput>(destination == kStandardOutput ? "" : destination);
}

}  // namespace pelto5
