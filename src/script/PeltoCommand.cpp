#include "script/PeltoCommand.h"

#include "base/IntegerConversion.h"

namespace pelto5 {

// Property lines follow the rule of every key=value list.
std::string TPeltoCommand::ReadString(std::string_view key, std::string_view def) const {
  return ListReadString(Properties, key, def);
}

int32_t TPeltoCommand::ReadInteger(std::string_view key, int32_t def) const {
  return StrToIntDef(ReadString(key, ""), def);
}

bool TPeltoCommand::ReadBool(std::string_view key, bool def) const {
  return ReadInteger(key, def ? 1 : 0) != 0;
}

std::string TPeltoCommand::ReadString(const TCommandKey& key) const { return ReadString(key.Name, key.Default); }

std::string TPeltoCommand::ReadString(const TCommandKey& key, int number) const {
  return ReadString(std::string(key.Name) + IntToStr(number), key.Default);
}

int32_t TPeltoCommand::ReadInteger(const TCommandKey& key) const {
  return ReadInteger(key.Name, StrToIntDef(key.Default, 0));
}

bool TPeltoCommand::ReadBool(const TCommandKey& key) const {
  return ReadBool(key.Name, StrToIntDef(key.Default, 0) != 0);
}

int TPeltoCommand::ReadKeyword(const TCommandKey& key) const {
  return TCommandKeys::KeywordIndex(key, ReadString(key));
}

}  // namespace pelto5
