// Key=value text lists: the one form of every persistent record (save
// entries, call-stack frames, the system settings file). A line's name is
// its text before the first "="; names compare without regard to the case
// of single-byte ASCII letters, and the first matching line wins.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelto5 {

using TStringList = std::vector<std::string>;

// Index of the first line whose name equals key (case-insensitive), or -1.
int ListIndexOfName(const TStringList& list, std::string_view key);

std::string ListReadString(const TStringList& list, std::string_view key, std::string_view def);
int32_t ListReadInteger(const TStringList& list, std::string_view key, int32_t def);
[[nodiscard]] bool ListReadBool(const TStringList& list, std::string_view key, bool def);

// Replace the first line of that name in place, or append.
void ListWriteString(TStringList& list, std::string_view key, std::string_view value);
void ListWriteInteger(TStringList& list, std::string_view key, int32_t value);
void ListWriteBool(TStringList& list, std::string_view key, bool value);

// Append without looking for an existing line (records that repeat keys).
void ListAddString(TStringList& list, std::string_view key, std::string_view value);
void ListAddInteger(TStringList& list, std::string_view key, int32_t value);
void ListAddBool(TStringList& list, std::string_view key, bool value);

// The stored form of a list: every line followed by CR LF. And back:
// splitting accepts CR LF, lone CR and lone LF; a final line break does not
// make an empty last line.
std::string StringsToText(const TStringList& list);
TStringList TextToStrings(std::string_view text);

}  // namespace pelto5
