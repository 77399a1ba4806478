#include "script/CommandKeys.h"

#include <array>
#include <string>

#include "base/SjisText.h"
#include "script/CommandCtrl.h"
#include "base/IntegerConversion.h"

namespace pelto5 {

namespace {

using namespace cmdkey;

constexpr const TCommandKey* kIfKeys[] = {&IfVariableType, &IfCompare, &IfVariable1, &IfVariable2};
constexpr const TCommandKey* kWaitKeys[] = {&WaitTimeBreak, &WaitTime, &WaitInputBreak, &WaitInput};
constexpr const TCommandKey* kMoveKeys[] = {&MoveBookName, &MovePageName};
constexpr const TCommandKey* kCallKeys[] = {&CallBookName, &CallPageName};
constexpr const TCommandKey* kValueCtrlKeys[] = {&ValueCtrlValueVar, &ValueCtrlLeftValue, &ValueCtrlRightValue,
                                                 &ValueCtrlCalc};
constexpr const TCommandKey* kStringCtrlKeys[] = {&StringCtrlStringVar, &StringCtrlText};
constexpr const TCommandKey* kStringInputKeys[] = {&StringInputStringVar, &StringInputText, &StringInputCaption};
constexpr const TCommandKey* kMessageDrawKeys[] = {
    &MessageDrawText,     &MessageDrawLayer,   &MessageDrawEffect,    &MessageDrawLayerMove,
    &MessageDrawAreaLeft, &MessageDrawAreaTop, &MessageDrawAreaWidth, &MessageDrawAreaHeight};
constexpr const TCommandKey* kGraphicDrawKeys[] = {
    &GraphicDrawFileName,    &GraphicDrawLayer,       &GraphicDrawTransparent,  &GraphicDrawTranslucent,
    &GraphicDrawLayerMove,   &GraphicDrawAreaLeft,    &GraphicDrawAreaTop,      &GraphicDrawAreaWidth,
    &GraphicDrawAreaHeight,  &GraphicDrawAreaViewLeft, &GraphicDrawAreaViewTop, &GraphicDrawAutoSize,
    &GraphicDrawEffectType,  &GraphicDrawEffectAreaLimit, &GraphicDrawScrnRefresh};
constexpr const TCommandKey* kLayerCtrlKeys[] = {
    &LayerName,       &LayerVisibleChange, &LayerVisibleShow, &LayerImageChange,   &LayerImageFileName,
    &LayerPosChange,  &LayerPosLeft,       &LayerPosTop,      &LayerSizeChange,    &LayerSizeWidth,
    &LayerSizeHeight, &LayerViewPosChange, &LayerViewPosLeft, &LayerViewPosTop,    &LayerScrnRefresh};
constexpr const TCommandKey* kSelectKeys[] = {&SelectAreaLeft, &SelectAreaTop,  &SelectAreaWidth,
                                              &SelectAreaImport, &SelectAreaImportLayer, &SelectTimeout,
                                              &SelectTime,     &SelectText,     &SelectPage,
                                              &SelectTimerGauge};
constexpr const TCommandKey* kDynamicLayerKeys[] = {
    &DynamicType,        &DynamicImageFileName, &DynamicAnimeCount,  &DynamicDivideCount, &DynamicIndexDisable,
    &DynamicIndexEnable, &DynamicIndexActive,   &DynamicAnimeType,   &DynamicText,        &DynamicClickMode,
    &DynamicClickBook,   &DynamicClickPage,     &DynamicClickClear,  &DynamicClickCursor, &DynamicClickMove,
    &DynamicClickKeep,   &DynamicAreaLeft,      &DynamicAreaTop,     &DynamicAreaWidth,   &DynamicAreaHeight,
    &DynamicAttrID,      &DynamicActiveMode,    &DynamicScrnRefresh};
constexpr const TCommandKey* kDynamicLayerClearKeys[] = {&DynamicClearAttrID, &DynamicClearScrnRefresh};
constexpr const TCommandKey* kMusicKeys[] = {&MusicFileName, &MusicLoop};
constexpr const TCommandKey* kSoundKeys[] = {&SoundFileName, &SoundWait, &SoundProtect};
constexpr const TCommandKey* kSaveCtrlKeys[] = {&SaveCtrlCommand, &SaveCtrlKey, &SaveCtrlVariable, &SaveCtrlValue,
                                                &SaveCtrlFileName};
constexpr const TCommandKey* kSystemKeys[] = {&SystemCommand, &SystemVolume};

using C = TCommandCtrl;
constexpr std::array<TCommandInfo, C::kCommandTypeCount - 1> kCommands = {{
    {C::ctRem, "@rem", true, {}},
    {C::ctIf, "@if", true, kIfKeys},
    {C::ctElse, "@else", true, {}},
    {C::ctEndIf, "@endif", true, {}},
    {C::ctMessageDraw, "@MessageDraw", true, kMessageDrawKeys},
    {C::ctGraphicDraw, "@GraphicDraw", true, kGraphicDrawKeys},
    {C::ctEffect, "@Effect", false, {}},
    {C::ctMusic, "@Music", true, kMusicKeys},
    {C::ctSound, "@Sound", true, kSoundKeys},
    {C::ctMusicStop, "@MusicStop", true, {}},
    {C::ctValueCtrl, "@ValueCtrl", true, kValueCtrlKeys},
    {C::ctStringCtrl, "@StringCtrl", true, kStringCtrlKeys},
    {C::ctLayerCtrl, "@LayerCtrl", true, kLayerCtrlKeys},
    {C::ctGraphicCtrl, "@GraphicCtrl", false, {}},
    {C::ctWait, "@Wait", true, kWaitKeys},
    {C::ctSelect, "@Select", true, kSelectKeys},
    {C::ctMove, "@Move", true, kMoveKeys},
    {C::ctCall, "@Call", true, kCallKeys},
    {C::ctReturn, "@Return", true, {}},
    {C::ctDynamicLayer, "@DynamicLayer", true, kDynamicLayerKeys},
    {C::ctDynamicLayerClear, "@DynamicLayerClear", true, kDynamicLayerClearKeys},
    {C::ctWindowShow, "@WindowShow", false, {}},
    {C::ctStringInput, "@StringInput", true, kStringInputKeys},
    {C::ctSaveCtrl, "@SaveCtrl", true, kSaveCtrlKeys},
    {C::ctSystem, "@System", true, kSystemKeys},
}};

}  // namespace

std::span<const TCommandInfo> TCommandKeys::Commands() { return kCommands; }

const TCommandInfo* TCommandKeys::Command(int32_t type) {
  if (type < 1 || type > static_cast<int32_t>(kCommands.size())) return nullptr;
  return &kCommands[type - 1];
}

const TCommandKey* TCommandKeys::Find(const TCommandInfo& command, std::string_view key, int* number) {
  for (const TCommandKey* k : command.Keys) {
    if (!k->Numbered) {
      if (sjis::SameText(key, k->Name)) return k;
      continue;
    }
    if (key.size() <= k->Name.size() || !sjis::SameText(key.substr(0, k->Name.size()), k->Name)) continue;
    // The number is written in decimal without leading zeros.
    const std::string_view digits = key.substr(k->Name.size());
    if (digits.size() > 2 || digits[0] == '0') continue;
    int n = 0;
    bool ok = true;
    for (char c : digits) {
      if (c < '0' || c > '9') ok = false;
      n = n * 10 + (c - '0');
    }
    if (!ok || n < 1 || n > kMaxNumbered) continue;
    if (number != nullptr) *number = n;
    return k;
  }
  return nullptr;
}

int TCommandKeys::KeywordIndex(const TCommandKey& key, std::string_view value) {
  for (size_t i = 0; i < key.Keywords.size(); ++i) {
    if (key.Keywords[i] == value) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace pelto5
