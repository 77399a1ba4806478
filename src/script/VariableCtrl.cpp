#include "script/VariableCtrl.h"

#include <optional>

#include "base/MessageTexts.h"
#include "content/PackageReader.h"
#include "content/PackageWriter.h"
#include "platform/Platform.h"
#include "base/SjisText.h"
#include "base/IntegerConversion.h"
#include "script/PeltoFile.h"

namespace pelto5 {

namespace {

// Names of the built-ins (Shift-JIS).
constexpr std::string_view kRandom = "@\x97\x90\x90\x94";                  // "@乱数"
constexpr std::string_view kElapsed = "@\x8C\x6F\x89\xDF\x8E\x9E\x8A\xD4";  // "@経過時間"
constexpr std::string_view kDate = "@\x94\x4E\x8C\x8E\x93\xFA";             // "@年月日"
constexpr std::string_view kYear = "@\x94\x4E";                             // "@年"
constexpr std::string_view kMonth = "@\x8C\x8E";                            // "@月"
constexpr std::string_view kDay = "@\x93\xFA";                              // "@日"
constexpr std::string_view kTime = "@\x8E\x9E\x95\xAA\x95\x62";             // "@時分秒"
constexpr std::string_view kHour = "@\x8E\x9E";                             // "@時"
constexpr std::string_view kMinute = "@\x95\xAA";                           // "@分"
constexpr std::string_view kSecond = "@\x95\x62";                           // "@秒"
constexpr std::string_view kVersion = "@Version";
constexpr std::string_view kCommandVersion = "@CommandVersion";
constexpr std::string_view kWeekday = "@\x97\x6A\x93\xFA";                  // "@曜日"
constexpr std::string_view kScriptFile = "@ScriptFile";

constexpr int32_t kVersionNumber = 3100;
constexpr int32_t kCommandVersionNumber = 19;

// "日", "月", "火", "水", "木", "金", "土": Sunday to Saturday.
constexpr std::string_view kWeekdayNames[7] = {"\x93\xFA", "\x8C\x8E", "\x89\xCE", "\x90\x85",
                                               "\x96\xD8", "\x8B\xE0", "\x93\x79"};

bool IsBuiltInName(std::string_view name) { return !name.empty() && name[0] == '@'; }

// A name that holds "=" cannot be a line's name in its list: it would never
// be found again, and every write would add one more line.
bool StorableName(std::string_view name) {
  return !IsBuiltInName(name) && sjis::FindChar(name, '=') == std::string_view::npos;
}

// The name inside a delimited reference: without its first character (the
// delimiter) and its last character, whatever that is.
std::string_view StripDelimiters(std::string_view ref) {
  if (ref.size() <= 1) return {};
  size_t last = 1;
  for (size_t pos = 1; pos < ref.size(); pos += sjis::CharLength(ref, pos)) last = pos;
  return ref.substr(1, last - 1);
}

// Splits "@section:key" into its parts; false without a ":".
bool SplitHeaderName(std::string_view name, std::string_view& section, std::string_view& key) {
  const size_t colon = sjis::FindChar(name, ':', 1);
  if (colon == std::string_view::npos) return false;
  section = name.substr(1, colon - 1);
  key = name.substr(colon + 1);
  return true;
}

// One pass of ExpandText: every delimited name replaced by lookup(name).
// Nothing when a delimiter has no partner.
template <class Lookup>
std::optional<std::string> ExpandPass(std::string_view rest, char delimiter, Lookup lookup) {
  std::string result;
  for (;;) {
    const size_t open = sjis::FindChar(rest, delimiter);
    if (open == std::string_view::npos) break;
    result.append(rest.substr(0, open));
    rest.remove_prefix(open + 1);
    const size_t close = sjis::FindChar(rest, delimiter);
    if (close == std::string_view::npos) return std::nullopt;
    result += lookup(rest.substr(0, close));
    rest.remove_prefix(close + 1);
  }
  result.append(rest);
  return result;
}

}  // namespace

TVariableCtrl::TVariableCtrl() : FStartTick(Platform().GetTickCount()) {}

void TVariableCtrl::Randomize(uint32_t seed) { FRandom.seed(seed); }

int32_t TVariableCtrl::RandomValue() {
  std::uniform_int_distribution<int32_t> range(0, FRandomMax - 1);
  return range(FRandom);
}

int32_t TVariableCtrl::BuiltInValue(std::string_view name) {
  if (name == kRandom) return RandomValue();
  if (name == kElapsed) {
    const uint32_t elapsed = Platform().GetTickCount() - FStartTick;
    return static_cast<int32_t>(elapsed / 1000);
  }
  if (name == kVersion) return kVersionNumber;
  if (name == kCommandVersion) return kCommandVersionNumber;
  if (name == kDate || name == kYear || name == kMonth || name == kDay || name == kTime ||
      name == kHour || name == kMinute || name == kSecond) {
    const TLocalTime now = Platform().GetLocalTime();
    if (name == kDate) return now.Year * 10000 + now.Month * 100 + now.Day;
    if (name == kYear) return now.Year;
    if (name == kMonth) return now.Month;
    if (name == kDay) return now.Day;
    if (name == kTime) return now.Hour * 10000 + now.Minute * 100 + now.Second;
    if (name == kHour) return now.Hour;
    if (name == kMinute) return now.Minute;
    return now.Second;
  }
  std::string_view section, key;
  if (FFile != nullptr && SplitHeaderName(name, section, key)) {
    return FFile->ReadInteger(section, key, 0);
  }
  return 0;
}

std::string TVariableCtrl::BuiltInText(std::string_view name) {
  if (name == kWeekday) {
    const int day = Platform().GetLocalTime().DayOfWeek;
    if (day < 0 || day > 6) return std::string();
    return std::string(kWeekdayNames[day]);
  }
  if (name == kScriptFile) return FScriptFileName;
  std::string_view section, key;
  if (FFile != nullptr && SplitHeaderName(name, section, key)) {
    return FFile->ReadString(section, key, "");
  }
  return std::string();
}

int32_t TVariableCtrl::GetValue(std::string_view text) {
  if (!text.empty() && text[0] == '%') return GetValueByName(StripDelimiters(text));
  return StrToIntDef(text, 0);
}

int32_t TVariableCtrl::GetValueByName(std::string_view name) {
  if (IsBuiltInName(name)) return BuiltInValue(name);
  return ListReadInteger(FValueVars, name, 0);
}

std::string TVariableCtrl::GetTextByName(std::string_view name) {
  if (IsBuiltInName(name)) return BuiltInText(name);
  return ListReadString(FStringVars, name, "");
}

void TVariableCtrl::Set_Value(std::string_view ref, int32_t value) {
  if (ref.empty() || ref[0] != '%') {
    Platform().MessageBox(std::string(msg::kSetValueSyntax) + std::string(ref), TMessageIcon::None,
                          TMessageButtons::Ok);
    return;
  }
  SetValueByName(StripDelimiters(ref), value);
}

void TVariableCtrl::SetValueByName(std::string_view name, int32_t value) {
  if (StorableName(name)) ListWriteInteger(FValueVars, name, value);
}

void TVariableCtrl::Set_Text(std::string_view ref, std::string_view text) {
  if (ref.empty() || ref[0] != '$') {
    Platform().MessageBox(std::string(msg::kSetTextSyntax) + std::string(ref), TMessageIcon::None,
                          TMessageButtons::Ok);
    return;
  }
  SetTextByName(StripDelimiters(ref), text);
}

void TVariableCtrl::SetTextByName(std::string_view name, std::string_view text) {
  if (StorableName(name)) ListWriteString(FStringVars, name, text);
}

std::string TVariableCtrl::ExpandText(std::string_view text, bool& failed) {
  failed = false;
  // Strings first, so that a string holding %name% is expanded further.
  const std::optional<std::string> strings =
      ExpandPass(text, '$', [this](std::string_view name) { return GetTextByName(name); });
  if (!strings) {
    failed = true;
    return std::string(msg::kUnpairedDollar);
  }
  const std::optional<std::string> values = ExpandPass(
      *strings, '%', [this](std::string_view name) { return IntToStr(GetValueByName(name)); });
  if (!values) {
    failed = true;
    return std::string(msg::kUnpairedPercent);
  }
  return *values;
}

std::string TVariableCtrl::ExpandText(std::string_view text) {
  bool failed = false;
  return ExpandText(text, failed);
}

std::string TVariableCtrl::ExpandTextAside(std::string_view text) {
  const std::mt19937 random = FRandom;
  std::string expanded = ExpandText(text);
  FRandom = random;
  return expanded;
}

bool TVariableCtrl::SaveVariables(PackageWriter& writer) const {
  const bool values = AddEntryFromStrings(writer, FValueVars, ValueVarsEntryName);
  const bool strings = AddEntryFromStrings(writer, FStringVars, StringVarsEntryName);
  return values && strings;
}

void TVariableCtrl::LoadVariables(PackageReader& reader) {
  // LoadEntryStrings leaves the list untouched when the entry is missing.
  (void)LoadEntryStrings(reader, ValueVarsEntryName, FValueVars);
  (void)LoadEntryStrings(reader, StringVarsEntryName, FStringVars);
}

void TVariableCtrl::CopyValueVars(TStringList& list) const {
  list.insert(list.end(), FValueVars.begin(), FValueVars.end());
}

void TVariableCtrl::CopyStringVars(TStringList& list) const {
  list.insert(list.end(), FStringVars.begin(), FStringVars.end());
}

}  // namespace pelto5
