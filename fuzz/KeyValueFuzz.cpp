// libFuzzer target: any bytes as a key=value list and as the system
// settings file. The list must survive its stored form unchanged, every
// value written under a line's name must read back, every number that
// converts must convert back from its text, and the settings file must
// load into a player without harm.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzPlayer.h"
#include "base/SjisText.h"
#include "base/IntegerConversion.h"
#include "base/KeyValueList.h"

namespace {

void CheckList(std::string_view text) {
  using namespace pelto5;
  const TStringList list = TextToStrings(text);
  if (TextToStrings(StringsToText(list)) != list) std::abort();
  TStringList written = list;
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string& line = list[i];
    // The name ends at the first "=" that is not the second byte of a
    // double-byte character.
    const size_t equals = sjis::FindChar(line, '=');
    if (equals == std::string::npos) continue;
    const std::string_view name = std::string_view(line).substr(0, equals);
    const std::string_view value = std::string_view(line).substr(equals + 1);
    const int found = ListIndexOfName(list, name);
    if (found < 0 || static_cast<size_t>(found) > i) std::abort();
    int32_t number = 0;
    if (TryStrToInt(value, number)) {
      int32_t again = 0;
      if (!TryStrToInt(IntToStr(number), again) || again != number) std::abort();
      if (ListReadInteger(list, name, 0) != StrToIntDef(ListReadString(list, name, ""), 0)) std::abort();
    }
    static_cast<void>(ListReadBool(list, name, false));
    ListWriteString(written, name, value);
    if (ListReadString(written, name, "\x01") != value) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelto5;
  CheckList(std::string_view(reinterpret_cast<const char*>(data), size));
  TFuzzPlayer player;
  const std::string path = TFuzzPlayer::WriteDataFile(TSaveSystem::SystemSettingsFileName, data, size);
  player.Save->LoadSystemSettings(path);
  player.Save->ReadSystemValue("System.Font");
  return 0;
}
