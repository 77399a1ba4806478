#include "shell/TextStream.h"

#include "base/JsonText.h"
#include "base/SjisText.h"
#include "exec/PeltoAccessControl.h"
#include "script/CommandCtrl.h"
#include "shell/MessageHistory.h"

namespace pelto5 {

namespace {

// CR LF and lone CRs of a box's text become LF.
std::string UnixLineBreaks(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

}  // namespace

TTextStream::TTextStream(const TPeltoAccessControl& access, std::unique_ptr<TTextOutput> output)
    : FAccess(access), FOutput(std::move(output)) {}

std::string TTextStream::PlainText(const std::string& markedUpText) {
  std::string text;
  bool first = true;
  for (const std::string& line : TMessageHistory::PlainLines(markedUpText)) {
    if (!first) text += '\n';
    text += line;
    first = false;
  }
  return text;
}

std::string TTextStream::RecordLine(uint32_t ms, const char* kind, const std::string& book, const std::string& page,
                                    int index, const std::string& text) {
  return "{\"ms\":" + std::to_string(ms) + ",\"kind\":" + JsonString(kind) + ",\"book\":" + JsonString(book) +
         ",\"page\":" + JsonString(page) + ",\"index\":" + std::to_string(index) + ",\"text\":" + JsonString(text) +
         "}";
}

TTextStream::TPosition TTextStream::CurrentPosition() const {
  const TCommandCtrl& commands = FAccess.CommandCtrl();
  // The command running now was fetched already: the next index is past it.
  return TPosition{sjis::ToUtf8(commands.BookName()), sjis::ToUtf8(commands.PageName()),
                   FAccess.NextCommandIndex() - 1};
}

void TTextStream::MessagePage(const std::string& markedUpText, bool firstPage) {
  if (firstPage) FMessagePosition = CurrentPosition();
  Write("message", FMessagePosition, PlainText(markedUpText));
}

void TTextStream::Dialog(TDialogText kind, const std::string& text) {
  Write(kind == TDialogText::MessageBox ? "box" : "input", CurrentPosition(), UnixLineBreaks(text));
}

void TTextStream::Write(const char* kind, const TPosition& where, const std::string& sjisText) {
  if (!FOutput) return;
  const std::string text = sjis::ToUtf8(sjisText);
  FOutput->Put(RecordLine(Platform().GetTickCount(), kind, where.Book, where.Page, where.Index, text), text);
}

}  // namespace pelto5
