// The player's own texts: what it says besides the fixed messages of the
// scenario format (those are in base/MessageTexts.h and never change). These
// come in English and in Japanese, and the user's locale chooses.
//
// Each entry holds its English wording, which a translation catalogue would
// use as the message id, and its Japanese translation, both UTF-8. Texts
// that take values name them "%1", "%2", ... (FillIn puts them in).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace pelto5 {

enum class TLanguage { English, Japanese };

enum class TOwnText {
  // Game folders.
  NothingToPlay,
  MoreThanOneGame,
  // Damaged packages.
  FileDamaged,
  // Saves.
  SaveFolderNotWritable,
  SavesGoTo,
  FileRefused1,
  FileRefused2,
  SaveFailed1,
  SaveFailed2,
  SaveDirRefusedLine,
  StateDumpNotWritten,
  ScreenshotNotWritten,
  // A call nested too deep: 1, the limit, 2, the book, 3, the page, 4.
  CallTooDeep1,
  CallTooDeep2,
  CallTooDeep3,
  CallTooDeep4,
  // Started without content.
  NoContent,
  ChooseGameTitle,
  GameFiles,
  AllFiles,
  // Buttons of message boxes and dialogs.
  OkLabel,
  CancelLabel,
  YesLabel,
  NoLabel,
  AbortLabel,
  IgnoreLabel,
  // The command line.
  Usage,
  NeedsValue,
  MoreThanOneContent,
  ScaleRange,
  FilterValues,
  MaxTimeValue,
  AnswerValues,
  FormatValues,
  UnknownOption,
  CheckNeedsContent,
  EventsNeedHeadless,
  OutputFolderMissing,
  // The author's tools: the debug window's controls, their options.
  PauseLabel,
  ResumeLabel,
  StepLabel,
  BreakValue,
  TestNeedsContent,
  JUnitNeedsTest,
  WatchPackage,
  ReloadWithoutWatch,
  RecordNotWritten,
  AuthorUsage,
  // Reading aids.
  ReadingUsage,
  TextOutDropped,
  NoClipboard,
  NoSpeechService,
  SpeechOn,
  SpeechOff,
  ExtractNeedsContent,
  Count
};

// The text in UTF-8.
const char* OwnTextUtf8(TOwnText id, TLanguage language);
// The text in Shift-JIS, as the engine and its message boxes hold texts.
std::string OwnText(TOwnText id, TLanguage language);
// The language of the messages for the locale settings LC_ALL, LC_MESSAGES
// and LANG (null or empty when unset): the first one set decides, Japanese
// when it starts with "ja", English otherwise.
TLanguage LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);

// pattern with "%1" ... "%9" replaced by the values, scanned once (a value
// holding "%2" stays as it is). For UTF-8 and ASCII texts.
std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values);

}  // namespace pelto5
