#include "exec/PresentationCommands.h"

#include <string>
#include <utility>

#include "content/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "graphics/DynamicLayerList.h"
#include "graphics/LasGraphic.h"
#include "graphics/LayerCtrl.h"
#include "graphics/ScreenControl.h"
#include "graphics/TransitionEffects.h"
#include "platform/Platform.h"
#include "script/CommandCtrl.h"
#include "script/IntegerConversion.h"
#include "script/PeltoCommand.h"
#include "script/VariableCtrl.h"

namespace pelto5 {

namespace {

constexpr int kMainWindow = 0;
constexpr int kMaxChoices = 20;
constexpr int kDynamicTextSize = 16;

// "画像「"
constexpr const char* kImageLoadError1 = "\x89\xE6\x91\x9C\x81\x75";
// "」の読み込みができません"
constexpr const char* kImageLoadError2 =
    "\x81\x76\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xAA\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";
// "debug - Dynamic layer create fail \r\nダイナミックレイヤーの生成に失敗しました"
constexpr const char* kDynamicLayerFail =
    "debug - Dynamic layer create fail \r\n"
    "\x83\x5F\x83\x43\x83\x69\x83\x7E\x83\x62\x83\x4E\x83\x8C\x83\x43\x83\x84\x81\x5B\x82\xCC"
    "\x90\xB6\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";

}  // namespace

TPresentationCommands::TPresentationCommands(TPeltoAccessControl& access, TScreenControl& screen,
                                             std::function<bool()> legacyMode)
    : FAccess(access), FScreen(screen), FLegacyMode(std::move(legacyMode)) {}

void TPresentationCommands::HideTextAndShow() {
  FScreen.SetLayerVisible(kMainWindow, kTextLayerName, false);
  FScreen.Compose(kMainWindow);
  FScreen.Paint(kMainWindow);
}

bool TPresentationCommands::DoMessageDraw(TPeltoCommand& command) {
  const std::string layer = command.ReadString("MessageDraw.Layer", kTextLayerName);
  const std::string effect = command.ReadString("MessageDraw.Effect", "Auto");
  const bool move = command.ReadBool("MessageDraw.Layer.Move", false);
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  if (move) {
    left = command.ReadInteger("MessageDraw.Area.Left", 0);
    top = command.ReadInteger("MessageDraw.Area.Top", 0);
    width = command.ReadInteger("MessageDraw.Area.Width", 0);
    height = command.ReadInteger("MessageDraw.Area.Height", 0);
  }

  // The text layer is hidden whatever the target: a new message replaces
  // whatever text was on the screen.
  if (FScreen.GetLayerVisible(kMainWindow, kTextLayerName)) {
    FScreen.SetLayerVisible(kMainWindow, kTextLayerName, false);
  }
  const std::string text = FAccess.FVariableCtrl->ExpandText(command.ReadString("MessageDraw.Text", ""));

  const TWindowRecord& main = *FScreen.GetWindow(kMainWindow);
  if (width < 1) width = main.Screen->Width;
  if (height < 1) height = main.Screen->Height;
  if (move || layer == kTextLayerName) {
    FScreen.CreateLayerSurface(kMainWindow, layer, width, height);
    FScreen.SetLayerPos(kMainWindow, layer, left, top);
    FScreen.SetLayerSize(kMainWindow, layer, width, height);
  }
  FScreen.DrawLayerText(kMainWindow, layer, text);
  if (LegacyMode() && layer == kBackgroundLayerName) FScreen.MergeLayer1IntoBase(kMainWindow);

  if (effect == "None") {
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
    FAccess.FProcess->StartMessageEffect(kMainWindow, layer);
  }
  return true;
}

bool TPresentationCommands::DoGraphicDraw(TPeltoCommand& command) {
  const std::string fileName = command.ReadString("GraphicDraw.FileName", "");
  const std::string layer = command.ReadString("GraphicDraw.Layer", kBackgroundLayerName);
  const bool transparent = command.ReadBool("GraphicDraw.Transparent", false);
  const bool translucent = command.ReadBool("GraphicDraw.Translucent", false);
  const bool move = command.ReadBool("GraphicDraw.Layer.Move", false);
  int left = command.ReadInteger("GraphicDraw.Area.Left", 0);
  int top = command.ReadInteger("GraphicDraw.Area.Top", 0);
  int width = command.ReadInteger("GraphicDraw.Area.Width", 0);
  int height = command.ReadInteger("GraphicDraw.Area.Height", 0);
  const bool autoSize = command.ReadBool("GraphicDraw.AutoSize", true);
  const std::string effectType = command.ReadString("GraphicDraw.EffectType", "None");
  const bool areaLimit = command.ReadBool("GraphicDraw.EffectAreaLimit", false);
  const bool refresh = command.ReadBool("GraphicDraw.ScrnRefresh", true);

  if (!FScreen.LoadLayerImage(kMainWindow, layer, fileName, transparent, translucent)) {
    Platform().MessageBox(std::string(kImageLoadError1) + fileName + kImageLoadError2, TMessageIcon::Error,
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
  const int effect = TTransitionEffects::EffectNumber(effectType);
  if (effect >= 0) FScreen.Effect(kMainWindow, effect, rect.Left, rect.Top, rect.Width, rect.Height);
  if (refresh) HideTextAndShow();
  return true;
}

bool TPresentationCommands::DoLayerCtrl(TPeltoCommand& command) {
  TVariableCtrl& vars = *FAccess.FVariableCtrl;
  const std::string layer = command.ReadString("Layer.Name", "");
  if (command.ReadBool("Layer.Visible.Change", false)) {
    FScreen.SetLayerVisible(kMainWindow, layer, command.ReadBool("Layer.Visible.Show", true));
  }
  if (command.ReadBool("Layer.Image.Change", false)) {
    const std::string fileName = command.ReadString("Layer.Image.FileName", "Clear");
    if (fileName == "Clear") {
      FScreen.ClearLayer(kMainWindow, layer);
    } else {
      // A failed load has been reported; the other groups still run.
      FScreen.LoadLayerImage(kMainWindow, layer, fileName, false, false);
      FScreen.SetLayerSize(kMainWindow, layer, 0, 0);
    }
  }
  if (command.ReadBool("Layer.Pos.Change", false)) {
    FScreen.SetLayerPos(kMainWindow, layer, vars.GetValue(command.ReadString("Layer.Pos.Left", "0")),
                        vars.GetValue(command.ReadString("Layer.Pos.Top", "0")));
  }
  if (command.ReadBool("Layer.Size.Change", false)) {
    FScreen.SetLayerSize(kMainWindow, layer, vars.GetValue(command.ReadString("Layer.Size.Width", "")),
                         vars.GetValue(command.ReadString("Layer.Size.Height", "")));
  }
  if (command.ReadBool("Layer.ViewPos.Change", false)) {
    FScreen.SetLayerViewPos(kMainWindow, layer, vars.GetValue(command.ReadString("Layer.ViewPos.Left", "0")),
                            vars.GetValue(command.ReadString("Layer.ViewPos.Top", "0")));
  }
  if (command.ReadBool("Layer.ScrnRefresh", true)) HideTextAndShow();
  return true;
}

bool TPresentationCommands::DoSelect(TPeltoCommand& command) {
  TLayerRect area{command.ReadInteger("Select.Area.Left", 0), command.ReadInteger("Select.Area.Top", 0),
                  command.ReadInteger("Select.Area.Width", 0), 0};
  if (command.ReadBool("Select.Area.Import", false)) {
    FScreen.GetLayerRect(kMainWindow, command.ReadString("Select.Area.ImportLayer", ""), area);
  }
  if (area.Width < 1) area.Width = FScreen.GetWindow(kMainWindow)->Screen->Width;

  FScreen.RemoveDynamicLayers(kMainWindow, kAttrDefault);
  const std::string book = FAccess.FCommandCtrl->BookName();
  const int time = command.ReadBool("Select.Timeout", false) ? command.ReadInteger("Select.Time", 0) : 0;

  for (int n = 1; n <= kMaxChoices; ++n) {
    const std::string page = command.ReadString("Select.Page" + IntToStr(n), "");
    if (page.empty()) break;
    const std::string text = FAccess.FVariableCtrl->ExpandText(command.ReadString("Select.Text" + IntToStr(n), ""));
    if (text.empty()) continue;  // skipped, the list goes on
    AddSelectItem(text, book, page, area, time);
    area.Top += area.Height;
  }
  FScreen.Compose(kMainWindow);
  FScreen.Paint(kMainWindow);

  TPeltoProcess& process = *FAccess.FProcess;
  process.StartWait();
  process.EnableActiveClickBreak();
  if (time > 0) {
    process.SetWaitTimer(time);
    // The gauge page returns into this wait: the state goes into its frame.
    if (command.ReadBool("Select.TimerGauge", true)) FAccess.CallPageKeepState("_system", "_timer");
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
  TVariableCtrl& vars = *FAccess.FVariableCtrl;
  const TWindowRecord& main = *FScreen.GetWindow(kMainWindow);
  auto entry = TDynamicLayerList::Create();

  const std::string type = command.ReadString("DynamicLayer.Type", "Transparent");
  std::unique_ptr<TLasGraphic> loaded;
  if (type == "Image") {
    const std::string fileName = command.ReadString("DynamicLayer.Image.FileName", "");
    loaded = std::make_unique<TLasGraphic>();
    if (FAccess.LoadImage(fileName, *loaded)) {
      entry->ImageFileName = fileName;
      entry->AnimeCount = command.ReadInteger("DynamicLayer.Image.AnimeCount", 1);
      entry->DivideCount = command.ReadInteger("DynamicLayer.Image.DivideCount", 1);
      entry->ImageIndexDisable = command.ReadInteger("DynamicLayer.ImageIndex.Disable", 0);
      entry->ImageIndexEnable = command.ReadInteger("DynamicLayer.ImageIndex.Enable", 0);
      entry->ImageIndexActive = command.ReadInteger("DynamicLayer.ImageIndex.Active", 0);
      entry->AnimeType = TDynamicAnimeType::None;
      if (entry->AnimeCount > 1) {
        const std::string anime = command.ReadString("DynamicLayer.Image.AnimeType", "None");
        if (anime == "Repeat") {
          entry->AnimeType = TDynamicAnimeType::Repeat;
        } else if (anime == "Once") {
          entry->AnimeType = TDynamicAnimeType::Once;
          entry->AnimeIndex = 1;
        } else if (anime == "Timer") {
          entry->AnimeType = TDynamicAnimeType::Timer;
          entry->AnimeIndex = 1;
        }
      }
    } else {
      // The entry shows the failure as a line of text instead.
      entry->Text = "Image load error - \"" + fileName + "\"";
      loaded.reset();
    }
  } else if (type == "Text") {
    entry->Text = vars.ExpandText(command.ReadString("DynamicLayer.Text.Text", ""));
    entry->TextFontName = main.FontName;
    entry->TextFontSize = kDynamicTextSize;
    entry->TextFontColor = 0;
    entry->TextFontStyle = TDynamicFontStyle{main.Bold, main.Italic};
  }

  const std::string mode = command.ReadString("DynamicLayer.Clickable.Mode", "None");
  entry->ActiveArea = mode == "All"      ? TDynamicActiveArea::All
                      : mode == "Opaque" ? TDynamicActiveArea::Opaque
                                         : TDynamicActiveArea::None;
  if (entry->ActiveArea != TDynamicActiveArea::None) {
    entry->ClickBookName = command.ReadString("DynamicLayer.Clickable.BookName", "");
    entry->ClickPageName = command.ReadString("DynamicLayer.Clickable.PageName", "");
    entry->AutoClear = command.ReadBool("DynamicLayer.Clickable.Clear", false);
    entry->Cursor = command.ReadBool("DynamicLayer.Clickable.Cursor", true);
    entry->PageChange = TDynamicPageChange::Move;
    if (command.ReadString("DynamicLayer.Clickable.Move", "Move") == "Call") {
      entry->PageChange = command.ReadBool("DynamicLayer.Clickable.KeepExecuteMode", false)
                              ? TDynamicPageChange::KeepCall
                              : TDynamicPageChange::Call;
    }
  }

  entry->AreaLeft = vars.GetValue(command.ReadString("DynamicLayer.Area.Left", "0"));
  entry->AreaTop = vars.GetValue(command.ReadString("DynamicLayer.Area.Top", "0"));
  entry->AreaWidth = vars.GetValue(command.ReadString("DynamicLayer.Area.Width", "0"));
  entry->AreaHeight = vars.GetValue(command.ReadString("DynamicLayer.Area.Height", "0"));
  if (entry->AreaWidth < 1) entry->AreaWidth = main.Screen->Width;
  if (entry->AreaHeight < 1) entry->AreaHeight = main.Screen->Height;
  entry->AttrID = command.ReadInteger("DynamicLayer.AttrID", kAttrDefault);

  const std::string activeMode = command.ReadString("DynamicLayer.ActiveMode", "Auto");
  if (activeMode == "Disable") {
    entry->ActiveMode = TDynamicActiveMode::Disable;
  } else if (activeMode == "Waiting") {
    entry->ActiveMode = TDynamicActiveMode::Waiting;
  } else if (activeMode == "Always") {
    entry->ActiveMode = TDynamicActiveMode::Always;
  } else {
    entry->ActiveMode = entry->ActiveArea != TDynamicActiveArea::None ? TDynamicActiveMode::Waiting
                                                                       : TDynamicActiveMode::Disable;
  }

  const bool ok = entry->BuildImage(loaded.get());
  loaded.reset();
  if (!ok) {
    Platform().MessageBox(kDynamicLayerFail, TMessageIcon::None, TMessageButtons::Ok);
    return false;
  }
  FScreen.AddDynamicLayer(kMainWindow, std::move(entry));
  if (command.ReadBool("DynamicLayer.ScrnRefresh", true)) {
    FScreen.Refresh(kMainWindow);
    FScreen.Paint(kMainWindow);
  }
  return true;
}

bool TPresentationCommands::DoDynamicLayerClear(TPeltoCommand& command) {
  FScreen.RemoveDynamicLayers(kMainWindow, command.ReadInteger("DynamicLayerClear.AttrID", kAttrDefault));
  if (command.ReadBool("DynamicLayerClear.ScrnRefresh", true)) {
    FScreen.Refresh(kMainWindow);
    FScreen.Paint(kMainWindow);
  }
  return true;
}

}  // namespace pelto5
