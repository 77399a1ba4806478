#include "script/CommandCtrl.h"

#include "base/MessageTexts.h"
#include "platform/Platform.h"
#include "base/SjisText.h"
#include "script/CommandKeys.h"
#include "script/PeltoFile.h"

namespace pelto5 {

namespace {

void ReportError(const char* text) {
  Platform().MessageBox(text, TMessageIcon::Error, TMessageButtons::Ok);
}

}  // namespace

int32_t TCommandCtrl::CommandTypeOf(std::string_view text) {
  for (const TCommandInfo& command : TCommandKeys::Commands()) {
    if (text == command.Line) return command.Type;
  }
  return ctUnknown;
}

void TCommandCtrl::SetFile(TPeltoFile* file) {
  if (file == FFile) return;
  FFile = file;
  FCacheStale = true;
}

void TCommandCtrl::SetBookName(std::string_view name) {
  if (name == FBookName) return;
  FBookName = name;
  FCacheStale = true;
}

void TCommandCtrl::SetPageName(std::string_view name) {
  if (name == FPageName) return;
  FPageName = name;
  FCacheStale = true;
}

void TCommandCtrl::EnsureCache() {
  if (FCacheStale) Make_CommandCache();
}

void TCommandCtrl::Make_CommandCache() {
  if (FFile == nullptr) {
    ReportError(msg::kNoCommandFile);
    return;
  }
  int start = 0;
  int end = 0;
  const int lineCount = FFile->FindPageBlock(FBookName, FPageName, start, end) ? end - start - 1 : 0;
  FEntries.clear();
  if (lineCount > kMaxPageLines) {
    // As for too many commands: the page holds none, and is reported again
    // until the page changes.
    FCount = 0;
    ReportError(msg::kTooManyPageLines);
    return;
  }
  FEntries.reserve(kMaxCommands);
  const TScriptLines& lines = FFile->Lines();
  int32_t depth = 0;
  for (int i = 0; i < lineCount; ++i) {
    const std::string_view line = sjis::TrimmedView(lines[start + 1 + i]);
    // Checked before the line is looked at: a full cache may only be
    // followed by the end of the page.
    if (FEntries.size() >= static_cast<size_t>(kMaxCommands)) {
      // A page that does not fit holds no commands: running only part of
      // it would execute a truncated page. The cache stays stale, so every
      // query reports the page again until the page changes.
      FEntries.clear();
      FCount = 0;
      ReportError(msg::kTooManyCommands);
      return;
    }
    if (line.empty() || line[0] != '@') continue;
    TCacheEntry entry;
    entry.LineIndex = i;
    entry.CommandType = CommandTypeOf(line);
    if (entry.CommandType == ctIf) {
      entry.Level = depth++;
    } else if (entry.CommandType == ctElse) {
      entry.Level = depth - 1;
    } else if (entry.CommandType == ctEndIf) {
      entry.Level = --depth;
    } else {
      entry.Level = depth;
    }
    FEntries.push_back(entry);
  }
  FCount = static_cast<int>(FEntries.size());
  FCacheStale = false;
}

int TCommandCtrl::GetCommandCount() {
  EnsureCache();
  return FCount;
}

bool TCommandCtrl::GetCommand(int index, TPeltoCommand& command) {
  EnsureCache();
  if (FFile == nullptr || index < 0 || index >= FCount) return false;
  const TCacheEntry& entry = FEntries[index];
  const int first = index == 0 ? 0 : FEntries[index - 1].LineIndex + 1;
  command.CommandType = entry.CommandType;
  command.Level = entry.Level;
  command.Properties.clear();
  for (int i = first; i < entry.LineIndex; ++i) {
    command.Properties.push_back(FFile->GetPageLine(FBookName, FPageName, i));
  }
  command.CommandLine = sjis::Trim(FFile->GetPageLine(FBookName, FPageName, entry.LineIndex));
  return true;
}

int TCommandCtrl::GetCommandLineIndex(int index) {
  EnsureCache();
  if (index < 0 || index >= FCount) return -1;
  return FEntries[index].LineIndex;
}

int TCommandCtrl::GetCommandLevel(int index) {
  EnsureCache();
  if (index < 0 || index >= FCount) return -1;
  return FEntries[index].Level;
}

}  // namespace pelto5
