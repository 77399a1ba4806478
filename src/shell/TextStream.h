// The text the reader is shown, as a stream for outside tools (--text-out):
// every message page as it begins to show, every message box and every
// text-input prompt, one record each. A record tells when (the tick
// counter), what kind, where in the script (book, page, command index) and
// the text as the reader sees it: variables expanded, tags removed, line
// breaks as "\n", UTF-8. Nothing of it reaches the scenario.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/TextOutput.h"

namespace pelto5 {

class TPeltoAccessControl;

class TTextStream {
 public:
  TTextStream(const TPeltoAccessControl& access, std::unique_ptr<TTextOutput> output);

  // A message page begins to show (its marked-up Shift-JIS text). The
  // first page of a message takes the script position of the command
  // running now; the pages it runs on to keep it.
  void MessagePage(const std::string& markedUpText, bool firstPage);
  // A message box or text-input prompt (Shift-JIS) is about to show.
  void Dialog(TDialogText kind, const std::string& text);

  // A record's JSON line; text is UTF-8.
  static std::string RecordLine(uint32_t ms, const char* kind, const std::string& book, const std::string& page,
                                int index, const std::string& text);
  // Marked-up message text as the reader sees it: tags removed, "#" as a
  // line break ("\n"); still Shift-JIS.
  static std::string PlainText(const std::string& markedUpText);

 private:
  struct TPosition {
    std::string Book;  // UTF-8
    std::string Page;
    int Index = -1;
  };
  TPosition CurrentPosition() const;
  void Write(const char* kind, const TPosition& where, const std::string& sjisText);

  const TPeltoAccessControl& FAccess;
  std::unique_ptr<TTextOutput> FOutput;
  TPosition FMessagePosition;  // of the message whose pages are showing
};

}  // namespace pelto5
