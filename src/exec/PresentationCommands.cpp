#include "exec/PresentationCommands.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "base/MessageTexts.h"
#include "base/SjisText.h"
#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "graphics/DynamicLayerList.h"
#include "graphics/LasGraphic.h"
#include "graphics/LayerCtrl.h"
#include "graphics/ScreenControl.h"
#include "graphics/TransitionEffects.h"
#include "platform/Platform.h"
#include "script/CommandCtrl.h"
#include "script/CommandKeys.h"
#include "base/IntegerConversion.h"
#include "script/PeltoCommand.h"
#include "script/Translation.h"
#include "script/VariableCtrl.h"

namespace pelto5 {

namespace {

constexpr int kMainWindow = 0;
constexpr int kDynamicTextSize = 16;

}  // namespace

TPresentationCommands::TPresentationCommands(TPeltoAccessControl& access, TScreenControl& screen,
                                             std::function<bool()> legacyMode)
    : FAccess(access), FScreen(screen), FLegacyMode(std::move(legacyMode)) {}

void TPresentationCommands::HideTextAndShow() {
  FScreen.SetLayerVisible(kMainWindow, kTextLayerName, false);
  FScreen.Compose(kMainWindow);
  FScreen.Paint(kMainWindow);
}

const std::string* TPresentationCommands::Translation(const std::string& written) const {
  if (!FTranslation || FTranslation->Empty()) return nullptr;
  const TCommandCtrl& commands = FAccess.CommandCtrl();
  // The command was fetched already: the next index is past it.
  const std::string context = TTranslation::Context(sjis::ToUtf8(commands.BookName()),
                                                    sjis::ToUtf8(commands.PageName()), FAccess.NextCommandIndex() - 1);
  return FTranslation->Find(context, sjis::ToUtf8(written));
}

std::vector<TTextTranslation> TPresentationCommands::TranslationsOf(const std::string& savedText) {
  std::vector<TTextTranslation> found;
  if (!FTranslation) return found;
  TVariableCtrl& vars = FAccess.VariableCtrl();
  // A later page holds the tags that carry the font over, then the rest of
  // the text: the original ends with what follows the tags.
  std::string_view rest = savedText;
  while (!rest.empty() && rest[0] == '<') {
    const size_t close = rest.find('>');
    if (close == std::string_view::npos) break;
    rest.remove_prefix(close + 1);
  }
  const std::string here = sjis::ToUtf8(FAccess.CommandCtrl().BookName()) + "/" +
                           sjis::ToUtf8(FAccess.CommandCtrl().PageName()) + "#";
  size_t onThisPage = 0;
  for (const auto& [context, entry] : FTranslation->Entries()) {
    if (!TTranslation::Usable(entry)) continue;
    const std::string original = vars.ExpandTextAside(sjis::FromUtf8(entry.Id));
    const bool fits = original == savedText ||
                      (!rest.empty() && original.size() >= rest.size() &&
                       original.compare(original.size() - rest.size(), rest.size(), rest) == 0);
    if (!fits) continue;
    TTextTranslation t{original, vars.ExpandTextAside(sjis::FromUtf8Wide(entry.Text))};
    if (context.rfind(here, 0) == 0) {
      found.insert(found.begin() + static_cast<std::ptrdiff_t>(onThisPage++), std::move(t));
    } else {
      found.push_back(std::move(t));
    }
  }
  return found;
}

bool TPresentationCommands::DoMessageDraw(TPeltoCommand& command) {
  const std::string layer = command.ReadString(cmdkey::MessageDrawLayer);
  const bool atOnce = command.ReadKeyword(cmdkey::MessageDrawEffect) == cmdkey::meNone;
  const bool move = command.ReadBool(cmdkey::MessageDrawLayerMove);
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  if (move) {
    left = command.ReadInteger(cmdkey::MessageDrawAreaLeft);
    top = command.ReadInteger(cmdkey::MessageDrawAreaTop);
    width = command.ReadInteger(cmdkey::MessageDrawAreaWidth);
    height = command.ReadInteger(cmdkey::MessageDrawAreaHeight);
  }

  // The text layer is hidden whatever the target: a new message replaces
  // whatever text was on the screen.
  if (FScreen.GetLayerVisible(kMainWindow, kTextLayerName)) {
    FScreen.SetLayerVisible(kMainWindow, kTextLayerName, false);
  }
  // A translation draws the random numbers the script's text would, and the
  // script's text is expanded as without it, so the run stays the same.
  TVariableCtrl& vars = FAccess.VariableCtrl();
  const std::string written = command.ReadString(cmdkey::MessageDrawText);
  const std::string* translation = Translation(written);
  const std::string translated = translation ? vars.ExpandTextAside(sjis::FromUtf8Wide(*translation)) : std::string();
  const std::string text = vars.ExpandText(written);

  const TWindowRecord& main = *FScreen.GetWindow(kMainWindow);
  if (width < 1) width = main.Screen->Width;
  if (height < 1) height = main.Screen->Height;
  if (move || layer == kTextLayerName) {
    FScreen.CreateLayerSurface(kMainWindow, layer, width, height);
    FScreen.SetLayerPos(kMainWindow, layer, left, top);
    FScreen.SetLayerSize(kMainWindow, layer, width, height);
  }
  if (translation) {
    FScreen.DrawTranslatedText(kMainWindow, layer, translated, text);
  } else {
    FScreen.DrawLayerText(kMainWindow, layer, text);
  }
  FScreen.MessagePageBegun(kMainWindow, layer, true);
  if (LegacyMode() && layer == kBackgroundLayerName) FScreen.MergeLayer1IntoBase(kMainWindow);

  if (atOnce) {
    FScreen.SetLayerVisible(kMainWindow, layer, true);
    FScreen.Compose(kMainWindow);
    FScreen.Paint(kMainWindow);
    FScreen.MessagePageShown(kMainWindow, layer);
  } else {
    // The screen without the new text first; the reveal draws it in.
    FScreen.SetLayerVisible(kMainWindow, layer, false);
    FScreen.Compose(kMainWindow);
    FScreen.Paint(kMainWindow);
    FScreen.SetLayerVisible(kMainWindow, layer, true);
    FAccess.Process().StartMessageEffect(kMainWindow, layer);
  }
  return true;
}

bool TPresentationCommands::DoGraphicDraw(TPeltoCommand& command) {
  const std::string fileName = command.ReadString(cmdkey::GraphicDrawFileName);
  const std::string layer = command.ReadString(cmdkey::GraphicDrawLayer);
  const bool transparent = command.ReadBool(cmdkey::GraphicDrawTransparent);
  const bool translucent = command.ReadBool(cmdkey::GraphicDrawTranslucent);
  const bool move = command.ReadBool(cmdkey::GraphicDrawLayerMove);
  int left = command.ReadInteger(cmdkey::GraphicDrawAreaLeft);
  int top = command.ReadInteger(cmdkey::GraphicDrawAreaTop);
  int width = command.ReadInteger(cmdkey::GraphicDrawAreaWidth);
  int height = command.ReadInteger(cmdkey::GraphicDrawAreaHeight);
  const bool autoSize = command.ReadBool(cmdkey::GraphicDrawAutoSize);
  const int effectType = command.ReadKeyword(cmdkey::GraphicDrawEffectType);
  const bool areaLimit = command.ReadBool(cmdkey::GraphicDrawEffectAreaLimit);
  const bool refresh = command.ReadBool(cmdkey::GraphicDrawScrnRefresh);

  if (!FScreen.LoadLayerImage(kMainWindow, layer, fileName, transparent, translucent)) {
    Platform().MessageBox(std::string(msg::kImageLoadError1) + fileName + msg::kImageLoadError2, TMessageIcon::Error,
                          TMessageButtons::Ok);
    return true;
  }
  if (move) {
    FScreen.SetLayerPos(kMainWindow, layer, left, top);
    if (autoSize) width = height = 0;  // the layer takes its picture's size
    FScreen.SetLayerSize(kMainWindow, layer, width, height);
  }
  if (LegacyMode()) {
    if (layer == kBackgroundLayerName) FScreen.MergeLayer1IntoBase(kMainWindow);
  } else {
    FScreen.SetLayerVisible(kMainWindow, layer, true);
  }

  TLayerRect rect;  // all 0: the whole window
  if (areaLimit) {
    if (move) {
      rect = TLayerRect{left, top, width, height};
    } else {
      FScreen.GetLayerRect(kMainWindow, layer, rect);
    }
  }
  // The transition keywords stand in the order of their effect numbers.
  if (effectType >= 0 && effectType < cmdkey::efNone) {
    FScreen.Effect(kMainWindow, effectType, rect.Left, rect.Top, rect.Width, rect.Height);
  }
  if (refresh) HideTextAndShow();
  return true;
}

bool TPresentationCommands::DoLayerCtrl(TPeltoCommand& command) {
  TVariableCtrl& vars = FAccess.VariableCtrl();
  const std::string layer = command.ReadString(cmdkey::LayerName);
  if (command.ReadBool(cmdkey::LayerVisibleChange)) {
    FScreen.SetLayerVisible(kMainWindow, layer, command.ReadBool(cmdkey::LayerVisibleShow));
  }
  if (command.ReadBool(cmdkey::LayerImageChange)) {
    const std::string fileName = command.ReadString(cmdkey::LayerImageFileName);
    if (TCommandKeys::KeywordIndex(cmdkey::LayerImageFileName, fileName) == cmdkey::liClear) {
      FScreen.ClearLayer(kMainWindow, layer);
    } else {
      // A failed load has been reported; the other groups still run.
      FScreen.LoadLayerImage(kMainWindow, layer, fileName, false, false);
      FScreen.SetLayerSize(kMainWindow, layer, 0, 0);
    }
  }
  if (command.ReadBool(cmdkey::LayerPosChange)) {
    FScreen.SetLayerPos(kMainWindow, layer, vars.GetValue(command.ReadString(cmdkey::LayerPosLeft)),
                        vars.GetValue(command.ReadString(cmdkey::LayerPosTop)));
  }
  if (command.ReadBool(cmdkey::LayerSizeChange)) {
    FScreen.SetLayerSize(kMainWindow, layer, vars.GetValue(command.ReadString(cmdkey::LayerSizeWidth)),
                         vars.GetValue(command.ReadString(cmdkey::LayerSizeHeight)));
  }
  if (command.ReadBool(cmdkey::LayerViewPosChange)) {
    FScreen.SetLayerViewPos(kMainWindow, layer, vars.GetValue(command.ReadString(cmdkey::LayerViewPosLeft)),
                            vars.GetValue(command.ReadString(cmdkey::LayerViewPosTop)));
  }
  if (command.ReadBool(cmdkey::LayerScrnRefresh)) HideTextAndShow();
  return true;
}

bool TPresentationCommands::DoSelect(TPeltoCommand& command) {
  TLayerRect area{command.ReadInteger(cmdkey::SelectAreaLeft), command.ReadInteger(cmdkey::SelectAreaTop),
                  command.ReadInteger(cmdkey::SelectAreaWidth), 0};
  if (command.ReadBool(cmdkey::SelectAreaImport)) {
    FScreen.GetLayerRect(kMainWindow, command.ReadString(cmdkey::SelectAreaImportLayer), area);
  }
  if (area.Width < 1) area.Width = FScreen.GetWindow(kMainWindow)->Screen->Width;

  FScreen.RemoveDynamicLayers(kMainWindow, kAttrDefault);
  const std::string book = FAccess.CommandCtrl().BookName();
  const int time = command.ReadBool(cmdkey::SelectTimeout) ? command.ReadInteger(cmdkey::SelectTime) : 0;

  for (int n = 1; n <= TCommandKeys::kMaxNumbered; ++n) {
    const std::string page = command.ReadString(cmdkey::SelectPage, n);
    if (page.empty()) break;
    const std::string text = FAccess.VariableCtrl().ExpandText(command.ReadString(cmdkey::SelectText, n));
    if (text.empty()) continue;  // skipped, the list goes on
    AddSelectItem(text, book, page, area, time);
    area.Top += area.Height;
  }
  FScreen.Compose(kMainWindow);
  FScreen.Paint(kMainWindow);

  TPeltoProcess& process = FAccess.Process();
  process.StartWait();
  process.EnableActiveClickBreak();
  if (time > 0) {
    process.SetWaitTimer(time);
    // The gauge page returns into this wait: the state goes into its frame.
    if (command.ReadBool(cmdkey::SelectTimerGauge)) FAccess.CallPageKeepState("_system", "_timer");
  }
  return true;
}

void TPresentationCommands::AddSelectItem(const std::string& text, const std::string& book,
                                          const std::string& page, TLayerRect& area, int time) {
  auto entry = TDynamicLayerList::Create();
  entry->AttrID = kAttrSelectChoice;
  entry->ActiveArea = TDynamicActiveArea::All;
  entry->ActiveMode = TDynamicActiveMode::Waiting;
  entry->PageChange = TDynamicPageChange::Move;
  entry->AutoClear = true;
  entry->Cursor = true;
  entry->ClickBookName = book;
  entry->ClickPageName = page;
  entry->AreaLeft = area.Left;
  entry->AreaTop = area.Top;
  entry->AreaWidth = area.Width;
  entry->Text = text;
  if (time > 0) {
    entry->AnimeType = TDynamicAnimeType::Timer;
    entry->AnimeCount = 1;
  }
  area.Height = 0;
  if (!entry->BuildImage(nullptr)) return;  // no room for the text: no choice
  area.Height = entry->AreaHeight;
  FScreen.AddDynamicLayer(kMainWindow, std::move(entry));
}

bool TPresentationCommands::DoDynamicLayer(TPeltoCommand& command) {
  TVariableCtrl& vars = FAccess.VariableCtrl();
  const TWindowRecord& main = *FScreen.GetWindow(kMainWindow);
  auto entry = TDynamicLayerList::Create();

  const int type = command.ReadKeyword(cmdkey::DynamicType);
  std::unique_ptr<TLasGraphic> loaded;
  if (type == cmdkey::dtImage) {
    const std::string fileName = command.ReadString(cmdkey::DynamicImageFileName);
    loaded = std::make_unique<TLasGraphic>();
    if (FAccess.LoadImage(fileName, *loaded)) {
      entry->ImageFileName = fileName;
      entry->AnimeCount = command.ReadInteger(cmdkey::DynamicAnimeCount);
      entry->DivideCount = command.ReadInteger(cmdkey::DynamicDivideCount);
      entry->ImageIndexDisable = command.ReadInteger(cmdkey::DynamicIndexDisable);
      entry->ImageIndexEnable = command.ReadInteger(cmdkey::DynamicIndexEnable);
      entry->ImageIndexActive = command.ReadInteger(cmdkey::DynamicIndexActive);
      entry->AnimeType = TDynamicAnimeType::None;
      if (entry->AnimeCount > 1) {
        const int anime = command.ReadKeyword(cmdkey::DynamicAnimeType);
        if (anime == cmdkey::atRepeat) {
          entry->AnimeType = TDynamicAnimeType::Repeat;
        } else if (anime == cmdkey::atOnce) {
          entry->AnimeType = TDynamicAnimeType::Once;
          entry->AnimeIndex = 1;
        } else if (anime == cmdkey::atTimer) {
          entry->AnimeType = TDynamicAnimeType::Timer;
          entry->AnimeIndex = 1;
        }
      }
    } else {
      // The entry shows the failure as a line of text instead.
      entry->Text = "Image load error - \"" + fileName + "\"";
      loaded.reset();
    }
  } else if (type == cmdkey::dtText) {
    entry->Text = vars.ExpandText(command.ReadString(cmdkey::DynamicText));
    entry->TextFontName = main.FontName;
    entry->TextFontSize = kDynamicTextSize;
    entry->TextFontColor = 0;
    entry->TextFontStyle = TDynamicFontStyle{main.Bold, main.Italic};
  }

  const int mode = command.ReadKeyword(cmdkey::DynamicClickMode);
  entry->ActiveArea = mode == cmdkey::cmAll      ? TDynamicActiveArea::All
                      : mode == cmdkey::cmOpaque ? TDynamicActiveArea::Opaque
                                                 : TDynamicActiveArea::None;
  if (entry->ActiveArea != TDynamicActiveArea::None) {
    entry->ClickBookName = command.ReadString(cmdkey::DynamicClickBook);
    entry->ClickPageName = command.ReadString(cmdkey::DynamicClickPage);
    entry->AutoClear = command.ReadBool(cmdkey::DynamicClickClear);
    entry->Cursor = command.ReadBool(cmdkey::DynamicClickCursor);
    entry->PageChange = TDynamicPageChange::Move;
    if (command.ReadKeyword(cmdkey::DynamicClickMove) == cmdkey::cvCall) {
      entry->PageChange = command.ReadBool(cmdkey::DynamicClickKeep)
                              ? TDynamicPageChange::KeepCall
                              : TDynamicPageChange::Call;
    }
  }

  entry->AreaLeft = vars.GetValue(command.ReadString(cmdkey::DynamicAreaLeft));
  entry->AreaTop = vars.GetValue(command.ReadString(cmdkey::DynamicAreaTop));
  entry->AreaWidth = vars.GetValue(command.ReadString(cmdkey::DynamicAreaWidth));
  entry->AreaHeight = vars.GetValue(command.ReadString(cmdkey::DynamicAreaHeight));
  if (entry->AreaWidth < 1) entry->AreaWidth = main.Screen->Width;
  if (entry->AreaHeight < 1) entry->AreaHeight = main.Screen->Height;
  entry->AttrID = command.ReadInteger(cmdkey::DynamicAttrID);

  const int activeMode = command.ReadKeyword(cmdkey::DynamicActiveMode);
  if (activeMode == cmdkey::amDisable) {
    entry->ActiveMode = TDynamicActiveMode::Disable;
  } else if (activeMode == cmdkey::amWaiting) {
    entry->ActiveMode = TDynamicActiveMode::Waiting;
  } else if (activeMode == cmdkey::amAlways) {
    entry->ActiveMode = TDynamicActiveMode::Always;
  } else {
    entry->ActiveMode = entry->ActiveArea != TDynamicActiveArea::None ? TDynamicActiveMode::Waiting
                                                                       : TDynamicActiveMode::Disable;
  }

  const bool ok = entry->BuildImage(loaded.get());
  loaded.reset();
  if (!ok) {
    Platform().MessageBox(msg::kDynamicLayerFail, TMessageIcon::None, TMessageButtons::Ok);
    return false;
  }
  FScreen.AddDynamicLayer(kMainWindow, std::move(entry));
  if (command.ReadBool(cmdkey::DynamicScrnRefresh)) {
    FScreen.Refresh(kMainWindow);
    FScreen.Paint(kMainWindow);
  }
  return true;
}

bool TPresentationCommands::DoDynamicLayerClear(TPeltoCommand& command) {
  FScreen.RemoveDynamicLayers(kMainWindow, command.ReadInteger(cmdkey::DynamicClearAttrID));
  if (command.ReadBool(cmdkey::DynamicClearScrnRefresh)) {
    FScreen.Refresh(kMainWindow);
    FScreen.Paint(kMainWindow);
  }
  return true;
}

}  // namespace pelto5
