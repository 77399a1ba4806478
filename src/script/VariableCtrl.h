// The scenario's variables: value variables (32-bit signed integers) and
// string variables (text), both kept as key=value lists in the order of
// their first assignment, with names compared without regard to ASCII
// letter case. Scripts refer to them as %name% and $name$.
//
// Names that begin with "@" are read-only built-ins: date and time, a
// random number, the elapsed time, version numbers, header values of the
// script ("@section:key") and the script file name. Writing one is ignored.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "base/KeyValueList.h"

namespace pelto5 {

struct PackageReader;
struct PackageWriter;
class TPeltoFile;

class TVariableCtrl {
 public:
  // Save-container entries of the two lists.
  static constexpr std::string_view ValueVarsEntryName = "valuevar.info";
  static constexpr std::string_view StringVarsEntryName = "stringvar.info";
  // Upper bound (exclusive) of "@乱数".
  static constexpr int32_t FRandomMax = 1000;

  // The elapsed-time built-in counts from here.
  TVariableCtrl();

  // Seeds the generator behind the random built-in.
  void Randomize(uint32_t seed);

  // A literal number or a delimited value variable (%name%); 0 for text
  // that is neither.
  int32_t GetValue(std::string_view text);
  int32_t GetValueByName(std::string_view name);
  std::string GetTextByName(std::string_view name);

  // ref is a delimited name: %name% for values, $name$ for strings. A
  // reference without its leading delimiter is reported as a syntax error.
  void Set_Value(std::string_view ref, int32_t value);
  void SetValueByName(std::string_view name, int32_t value);
  void Set_Text(std::string_view ref, std::string_view text);
  void SetTextByName(std::string_view name, std::string_view text);

  // Replaces every $name$ by the string variable, then every %name% by the
  // value variable. Unpaired delimiters give an error text instead, with
  // failed set.
  std::string ExpandText(std::string_view text, bool& failed);
  std::string ExpandText(std::string_view text);
  // ExpandText with the random sequence left where it was: a text shown in
  // place of another (a translation) draws the numbers the other draws.
  std::string ExpandTextAside(std::string_view text);

  // Adds "valuevar.info" and "stringvar.info" to a container being written.
  bool SaveVariables(PackageWriter& writer) const;
  // Replaces each list by its entry; a list whose entry is missing keeps
  // its contents.
  void LoadVariables(PackageReader& reader);

  void CopyValueVars(TStringList& list) const;
  void CopyStringVars(TStringList& list) const;

  // The scenario's script, for header reads; set by the owner (may be null).
  TPeltoFile* FFile = nullptr;
  TStringList FValueVars;
  TStringList FStringVars;
  // File name of the opened content, without directory.
  std::string FScriptFileName = "unknown file";
  uint32_t FStartTick = 0;

 private:
  int32_t BuiltInValue(std::string_view name);
  std::string BuiltInText(std::string_view name);
  int32_t RandomValue();

  std::mt19937 FRandom;
};

}  // namespace pelto5
