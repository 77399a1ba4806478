#include "graphics/ScreenControl.h"

#include "base/MessageTexts.h"
#include "content/PackageReader.h"
#include "graphics/MessagePacing.h"
#include "graphics/ColorText.h"
#include "graphics/LayerCtrl.h"
#include "graphics/ScreenState.h"
#include "graphics/TextStepList.h"
#include "platform/FontService.h"
#include "platform/Platform.h"
#include "base/SjisText.h"
#include "script/PeltoFile.h"

namespace pelto5 {

const char* const kTextLayerName = "\x83\x65\x83\x4C\x83\x58\x83\x67\x83\x8C\x83\x43\x83\x84\x81\x5B";

namespace {

constexpr const char* kKeyWaitMark = "_keywait_char.png";
constexpr const char* kPageWaitMark = "_pagewait_char.png";

// Of the name as the lookups take it, so "pic.png\" is a PNG too.
bool HasPngExtension(const std::string& given) {
  const std::string lookupName = PackageLookupName(given);
  const std::string& name = lookupName.empty() ? given : lookupName;
  return name.size() >= 4 && sjis::SameText(std::string_view(name).substr(name.size() - 4), ".png");
}

}  // namespace

TScreenControl::TScreenControl() {
  for (TWindowRecord& w : Windows) w.Screen = std::make_unique<TLasScreen>();
}

TScreenControl::~TScreenControl() = default;

TLasScreen* TScreenControl::ScreenOf(int index) {
  if (index < 0 || index >= kWindowCount) return nullptr;
  return Windows[index].Screen.get();
}

TWindowRecord* TScreenControl::GetWindow(int index) {
  if (index < 0 || index >= kWindowCount) return nullptr;
  return &Windows[index];
}

void TScreenControl::InitWindows() {
  InitWindow(0, "Pelto", 0, 0, 640, 480);
  InitWindow(1, "MessageWindow", 60, 350, 520, 110);
  InitWindow(2, "SelectWindow", 80, 220, 400, 110);
  InitWindow(3, "UserWindow1", 0, 0, 100, 100);
  InitWindow(4, "UserWindow2", 0, 0, 100, 100);
  InitWindow(5, "UserWindow3", 0, 0, 100, 100);
  CreateDefaultLayers();
}

void TScreenControl::InitWindow(int window, const std::string& section, int defaultX, int defaultY,
                                int defaultWidth, int defaultHeight) {
  TWindowRecord* w = GetWindow(window);
  if (!w || !AccessControl) return;
  TPeltoFile& file = AccessControl->ScriptFile();
  w->ImageWidth = file.ReadInteger(section, "ImageWidth", defaultWidth);
  w->ImageHeight = file.ReadInteger(section, "ImageHeight", defaultHeight);
  // Only the main window is ever shown; the others get their pictures when
  // something first draws in them.
  if (window == 0) {
    w->Screen->Create(w->ImageWidth, w->ImageHeight);
  } else {
    w->Screen->CreateDeferred(w->ImageWidth, w->ImageHeight);
  }
  // The screen limits sizes its pictures cannot hold; the record follows.
  w->ImageWidth = w->Screen->Width;
  w->ImageHeight = w->Screen->Height;
  w->RelativeToMainX = file.ReadInteger(section, "RelativeToMainX", defaultX);
  w->RelativeToMainY = file.ReadInteger(section, "RelativeToMainY", defaultY);
  w->FontName = file.ReadString(section, "FontName", kDefaultFontName);
  if (!FontService().IsInstalled(w->FontName)) w->FontName = AccessControl->DefaultFontName();
  w->Bold = file.ReadBool(section, "FontTypeBold", false);
  w->Italic = file.ReadBool(section, "FontTypeItalic", false);
  w->FontShadow = file.ReadBool(section, "FontTypeShadow", false);
  uint32_t shadow = 0x00C0C0C0;
  if (TextToColor(file.ReadString(section, "FontTypeShadowColor", "clSilver"), shadow)) {
    w->FontShadowColor = shadow;
  }
}

void TScreenControl::CreateDefaultLayers() {
  TLasScreen& main = *Windows[0].Screen;
  main.AddLayerAfter(main.BaseLayer())->LayerName = kTextLayerName;
  if (AccessControl) {
    for (const std::string& name : AccessControl->ConfiguredLayerNames()) {
      main.AddLayerAfter(main.BaseLayer())->LayerName = name;
    }
  }
  for (int i = 1; i < kWindowCount; ++i) {
    TLasScreen& screen = *Windows[i].Screen;
    screen.AddLayerAfter(screen.BaseLayer())->LayerName = kBackgroundLayerName;
  }
}

void TScreenControl::SetCanvas(int index, TCanvas* canvas) {
  if (TLasScreen* s = ScreenOf(index)) s->Canvas = canvas;
}

TLasLayer* TScreenControl::FindLayer(int index, const std::string& layerName) {
  TLasScreen* screen = ScreenOf(index);
  if (!screen) return nullptr;
  for (TLasLayer* layer = screen->BaseLayer()->UpperLayer; layer; layer = layer->UpperLayer) {
    if (layer->LayerName == layerName) return layer;
  }
  Platform().MessageBox(msg::kLayerNotFound + layerName, TMessageIcon::None, TMessageButtons::Ok);
  return nullptr;
}

bool TScreenControl::LoadLayerImage(int index, const std::string& layerName, const std::string& fileName,
                                    bool transparent, bool translucent) {
  TLasLayer* layer = FindLayer(index, layerName);
  if (!layer) return false;
  layer->FileName = fileName;
  layer->Transparent = transparent;
  layer->Translucent = translucent;
  return LoadGraphic(layer->Graphic, fileName, transparent, translucent);
}

bool TScreenControl::LoadGraphic(TLasGraphic& graphic, const std::string& fileName, bool transparent,
                                 bool translucent) {
  if (AccessControl && AccessControl->LoadImage(fileName, graphic)) {
    // A PNG keeps its own alpha; other pictures take the requested one.
    if (!HasPngExtension(fileName)) {
      if (transparent) graphic.SetColorKey();
      if (translucent) graphic.SetHalfTranslucent();
    }
    return true;
  }
  if (Platform().MessageBox(msg::kImageFailed1 + fileName + msg::kImageFailed2, TMessageIcon::Error,
                            TMessageButtons::AbortIgnore) == TMessageResult::Abort) {
    Platform().Terminate();
  }
  return false;
}

bool TScreenControl::ClearLayer(int index, const std::string& layerName) {
  TLasLayer* layer = FindLayer(index, layerName);
  if (!layer) return false;
  layer->FileName.clear();
  layer->Graphic.SetSize(10, 10);
  return true;
}

bool TScreenControl::CreateLayerSurface(int index, const std::string& layerName, int width, int height) {
  TLasLayer* layer = FindLayer(index, layerName);
  if (!layer) return false;
  layer->FileName.clear();
  layer->Graphic.SetSize(width, height);
  return true;
}

TLasLayer* TScreenControl::PrepareTextLayer(int index, const std::string& layerName) {
  TLasLayer* layer = FindLayer(index, layerName);
  if (!layer) return nullptr;
  FRevealedCharacters = 0;
  const TWindowRecord& main = Windows[0];
  layer->FileName.clear();
  if (layer->Width <= 0) layer->Width = main.ImageWidth;
  if (layer->Height <= 0) layer->Height = main.ImageHeight;
  TLasGraphic& g = layer->Graphic;
  if (g.Width() != layer->Width || g.Height() != layer->Height) g.SetSize(layer->Width, layer->Height);
  g.Font.Name = main.FontName;
  g.Font.Size = 16;
  g.Font.Color = 0;
  g.Font.Bold = main.Bold;
  g.Font.Italic = main.Italic;
  g.Translated = false;
  g.Untranslated.clear();
  g.PageNumber = 0;
  return layer;
}

int TScreenControl::DrawLayerText(int index, const std::string& layerName, const std::string& text) {
  TLasLayer* layer = PrepareTextLayer(index, layerName);
  if (!layer) return 0;
  layer->Graphic.Text = text;
  return layer->Graphic.DrawText();
}

int TScreenControl::DrawTranslatedText(int index, const std::string& layerName, const std::string& text,
                                       const std::string& original) {
  TLasLayer* layer = PrepareTextLayer(index, layerName);
  if (!layer) return 0;
  TLasGraphic& g = layer->Graphic;
  g.Translated = true;
  g.Untranslated = original;
  g.Text = text;
  return g.DrawText();
}

void TScreenControl::TranslateRestoredText() {
  TLasScreen* screen = ScreenOf(0);
  if (!TranslationsOf || !screen) return;
  for (TLasLayer* layer = screen->BaseLayer()->UpperLayer; layer; layer = layer->UpperLayer) {
    TLasGraphic& g = layer->Graphic;
    if (!layer->FileName.empty() || g.Translated || g.LastText.empty()) continue;
    const std::string saved = g.LastText;
    for (const TTextTranslation& candidate : TranslationsOf(saved)) {
      TLasGraphic probe;
      probe.SetSize(g.Width(), g.Height());
      probe.Font = g.Font;
      probe.Untranslated = candidate.Original;
      bool lastPage = false;
      const int page = probe.UntranslatedPageOf(saved, lastPage);
      if (page == 0) continue;
      DrawTranslatedText(0, layer->LayerName, candidate.Translated, candidate.Original);
      // The same page of the translation, or its last for the original's last.
      while (!g.Text.empty() && (lastPage || g.PageNumber < page)) g.DrawText();
      break;
    }
  }
}

bool TScreenControl::SetLayerVisible(int index, const std::string& layerName, bool visible) {
  TLasLayer* layer = FindLayer(index, layerName);
  if (!layer) return false;
  layer->Visible = visible;
  return true;
}

bool TScreenControl::GetLayerVisible(int index, const std::string& layerName) {
  TLasLayer* layer = FindLayer(index, layerName);
  return layer && layer->Visible;
}

bool TScreenControl::SetLayerPos(int index, const std::string& layerName, int left, int top) {
  TLasLayer* layer = FindLayer(index, layerName);
  if (!layer) return false;
  layer->Left = left;
  layer->Top = top;
  return true;
}

bool TScreenControl::SetLayerSize(int index, const std::string& layerName, int width, int height) {
  TLasLayer* layer = FindLayer(index, layerName);
  if (!layer) return false;
  layer->Width = width;
  layer->Height = height;
  return true;
}

bool TScreenControl::SetLayerViewPos(int index, const std::string& layerName, int left, int top) {
  TLasLayer* layer = FindLayer(index, layerName);
  if (!layer) return false;
  layer->ViewLeft = left < 0 ? 0 : left;
  layer->ViewTop = top < 0 ? 0 : top;
  return true;
}

bool TScreenControl::GetLayerRect(int index, const std::string& layerName, TLayerRect& rect) {
  TLasLayer* layer = FindLayer(index, layerName);
  if (!layer) return false;
  rect = TLayerRect{layer->Left, layer->Top, layer->Width, layer->Height};
  return true;
}

void TScreenControl::MergeLayer1IntoBase(int index) {
  TLasScreen* screen = ScreenOf(index);
  if (!screen) return;
  TLasLayer* layer1 = screen->GetLayer(1);
  if (!layer1) return;
  screen->EnsureSurfaces();
  TLasGraphic merged;
  merged.Assign(screen->BaseLayer()->Graphic);
  layer1->DrawTo(merged);
  screen->BaseLayer()->Graphic.Assign(merged);
}

void TScreenControl::Compose(int index) {
  if (TLasScreen* s = ScreenOf(index)) s->Compose();
}

void TScreenControl::Paint(int index) {
  if (TLasScreen* s = ScreenOf(index)) s->Paint();
}

void TScreenControl::Refresh(int index) {
  if (TLasScreen* s = ScreenOf(index)) {
    s->UpdateFrame();
    s->Paint();
  }
}

void TScreenControl::Effect(int index, int effectType, int x, int y, int width, int height) {
  if (TLasScreen* s = ScreenOf(index)) s->Effect(effectType, x, y, width, height, FRandom);
}

bool TScreenControl::DrawMessage(int index, const std::string& layerName) {
  TLasScreen* screen = ScreenOf(index);
  TLasLayer* layer = screen ? FindLayer(index, layerName) : nullptr;
  if (!layer) return false;
  TMessagePacing* process = AccessControl ? &AccessControl->MessagePacing() : nullptr;
  layer->Visible = false;
  for (;;) {
    const TTextStep step = layer->Graphic.NextTextStep();
    switch (step.Code) {
      case tsEnd:
        layer->Visible = true;
        screen->Compose();
        screen->Paint();
        MessagePageShown(index, layerName);
        return false;
      case tsCharEnd:
        screen->DrawOnComposition(layer->Graphic, layer->Left + step.X, layer->Top + step.Y, step.CharWidth,
                                  step.LineHeight, step.X, step.Y);
        if (step.CharWidth > 0) ++FRevealedCharacters;
        if (MessageMode == MessageEffect) {
          screen->UpdateFrame();
          screen->Paint();
        }
        if (process) {
          process->PauseMessage();
          process->SetWaitTimer(step.Delay);
        }
        break;
      case tsKeyWaitMark:
      case tsPageWaitMark:
        ShowWaitMark(step.Code == tsKeyWaitMark ? kKeyWaitMark : kPageWaitMark,
                     layer->Left + step.X + step.CharWidth, layer->Top + step.Y + step.LineHeight,
                     step.CharWidth, step.LineHeight);
        break;
      case tsKeyWaitClear:
      case tsPageWaitClear:
        RemoveDynamicLayers(index, kAttrWaitMark);
        break;
      case tsKeyWait:
      case tsPageKeyWait:
        if (process) {
          process->PauseMessage();
          process->EnableAnyKeyBreak();
          if (step.Value > 0) process->SetWaitTimer(step.Value);
        }
        if (step.Code == tsPageKeyWait) MessagePageShown(index, layerName);
        if (OnMessageKeyWait) OnMessageKeyWait(FRevealedCharacters);
        FRevealedCharacters = 0;
        return true;
      case tsWait:
        if (step.Value > 0 && process) {
          process->PauseMessage();
          process->SetWaitTimer(step.Value);
        }
        return true;
      case tsNewPage:
        layer->Graphic.DrawText();
        screen->Compose();
        screen->Paint();
        MessagePageBegun(index, layerName, false);
        return true;
      case tsLineTop:
      case tsLineX:
      case tsCharWidthReset:
      case tsLineHeight:
      case tsSpeedNormal:
      case tsSpeedFast:
      case tsSpeedSlow:
        // State steps are applied by NextTextStep itself.
        break;
      default:
        return false;
    }
  }
}

const TLasLayer* TScreenControl::LayerQuietly(int index, const std::string& layerName) {
  TLasScreen* screen = ScreenOf(index);
  if (!screen) return nullptr;
  for (TLasLayer* layer = screen->BaseLayer()->UpperLayer; layer; layer = layer->UpperLayer) {
    if (layer->LayerName == layerName) return layer;
  }
  return nullptr;
}

void TScreenControl::MessagePageShown(int index, const std::string& layerName) {
  if (!OnMessagePageShown) return;
  // Looked up quietly: a missing layer has been reported by its drawing.
  if (const TLasLayer* layer = LayerQuietly(index, layerName)) OnMessagePageShown(layer->Graphic.PageText());
}

void TScreenControl::MessagePageBegun(int index, const std::string& layerName, bool firstPage) {
  if (!OnMessagePageBegun) return;
  if (const TLasLayer* layer = LayerQuietly(index, layerName)) {
    OnMessagePageBegun(layer->Graphic.PageText(), firstPage);
  }
}

void TScreenControl::ShowWaitMark(const std::string& fileName, int x, int y, int width, int height) {
  TLasGraphic surface;
  if (AccessControl) static_cast<void>(AccessControl->LoadImage(fileName, surface));
  auto entry = TDynamicLayerList::Create();
  entry->AttrID = kAttrWaitMark;
  entry->AreaLeft = x;
  entry->AreaTop = y - surface.Height();
  entry->AreaWidth = width;
  entry->AreaHeight = height;
  entry->ActiveArea = TDynamicActiveArea::None;
  entry->ActiveMode = TDynamicActiveMode::Disable;
  entry->ImageFileName = kKeyWaitMark;
  entry->AnimeCount = 2;
  entry->DivideCount = 1;
  entry->AnimeType = TDynamicAnimeType::Repeat;
  entry->AnimeIndex = 0;
  entry->FocusIndex = 0;
  if (!entry->BuildImage(&surface)) return;
  Windows[0].Screen->DynamicLayers.Add(std::move(entry));
  Refresh(0);
}

bool TScreenControl::AddDynamicLayer(int index, std::unique_ptr<TDynamicLayerList> entry) {
  TLasScreen* screen = ScreenOf(index);
  if (!screen || !entry) return false;
  screen->DynamicLayers.Add(std::move(entry));
  return true;
}

bool TScreenControl::RemoveDynamicLayers(int index, int attrId) {
  TLasScreen* screen = ScreenOf(index);
  return screen && screen->DynamicLayers.RemoveByAttrID(attrId);
}

bool TScreenControl::AnimateDynamicLayers(bool repaint) {
  const bool changed = Windows[0].Screen->DynamicLayers.AnimateStep();
  if (changed && repaint) Refresh(0);
  return changed;
}

bool TScreenControl::TimerDynamicLayers(bool repaint, int remainingSeconds) {
  const bool changed = Windows[0].Screen->DynamicLayers.TimerStep(remainingSeconds);
  if (changed && repaint) Refresh(0);
  return changed;
}

bool TScreenControl::SaveInfo(PackageWriter& writer, bool withBackground) {
  return TScreenState(*this).SaveInfo(writer, withBackground);
}

bool TScreenControl::LoadInfo(PackageReader& reader, bool withBackground) {
  return TScreenState(*this).LoadInfo(reader, withBackground);
}

}  // namespace pelto5
