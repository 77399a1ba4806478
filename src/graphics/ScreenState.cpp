#include "graphics/ScreenState.h"

#include <memory>

#include "base/MessageTexts.h"
#include "content/PackageReader.h"
#include "content/PackageWriter.h"
#include "graphics/ColorText.h"
#include "graphics/DynamicLayerList.h"
#include "graphics/ScreenControl.h"
#include "image/BmpDecoder.h"
#include "image/BmpEncoder.h"
#include "platform/Font.h"
#include "platform/Platform.h"

namespace pelto5 {

const char* const kLayerInfoEntry = "layer.info";
const char* const kDynamicLayerInfoEntry = "dynamiclayer.info";
const char* const kBackgroundEntry = "_background.bmp";
const char* const kLayerBorder = "@LayerBorder";

namespace {

constexpr int kMainWindow = 0;

// --- Enumerations in their stored words ---------------------------------

const char* ActiveAreaText(TDynamicActiveArea v) {
  switch (v) {
    case TDynamicActiveArea::Opaque: return "Opaque";
    case TDynamicActiveArea::All: return "All";
    case TDynamicActiveArea::None: break;
  }
  return "None";
}

TDynamicActiveArea ActiveAreaOf(const std::string& s) {
  if (s == "Opaque") return TDynamicActiveArea::Opaque;
  if (s == "All") return TDynamicActiveArea::All;
  return TDynamicActiveArea::None;
}

const char* ActiveModeText(TDynamicActiveMode v) {
  switch (v) {
    case TDynamicActiveMode::Waiting: return "Waiting";
    case TDynamicActiveMode::Always: return "Always";
    case TDynamicActiveMode::Disable: break;
  }
  return "Disable";
}

TDynamicActiveMode ActiveModeOf(const std::string& s) {
  if (s == "Waiting") return TDynamicActiveMode::Waiting;
  if (s == "Always") return TDynamicActiveMode::Always;
  return TDynamicActiveMode::Disable;
}

const char* PageChangeText(TDynamicPageChange v) {
  switch (v) {
    case TDynamicPageChange::Call: return "Call";
    case TDynamicPageChange::KeepCall: return "KeepCall";
    case TDynamicPageChange::Move: break;
  }
  return "Move";
}

TDynamicPageChange PageChangeOf(const std::string& s) {
  if (s == "Call") return TDynamicPageChange::Call;
  if (s == "KeepCall") return TDynamicPageChange::KeepCall;
  return TDynamicPageChange::Move;
}

// Repeat is stored as "Repert", and only that word reads back as Repeat.
const char* AnimeTypeText(TDynamicAnimeType v) {
  switch (v) {
    case TDynamicAnimeType::Repeat: return "Repert";
    case TDynamicAnimeType::Once: return "Once";
    case TDynamicAnimeType::Timer: return "Timer";
    case TDynamicAnimeType::None: break;
  }
  return "None";
}

TDynamicAnimeType AnimeTypeOf(const std::string& s) {
  if (s == "Repert") return TDynamicAnimeType::Repeat;
  if (s == "Once") return TDynamicAnimeType::Once;
  if (s == "Timer") return TDynamicAnimeType::Timer;
  return TDynamicAnimeType::None;
}

const char* StatusText(TDynamicStatus v) {
  switch (v) {
    case TDynamicStatus::Idle: return "Idle";
    case TDynamicStatus::Active: return "Active";
    case TDynamicStatus::Disable: break;
  }
  return "Disable";
}

TDynamicStatus StatusOf(const std::string& s) {
  if (s == "Idle") return TDynamicStatus::Idle;
  if (s == "Active") return TDynamicStatus::Active;
  return TDynamicStatus::Disable;
}

// --- Records --------------------------------------------------------------

void AddLayerRecord(TStringList& list, const TLasLayer& layer) {
  ListAddString(list, "Layer.LayerName", layer.LayerName);
  ListAddBool(list, "Layer.Visible", layer.Visible);
  ListAddString(list, "Layer.FileName", layer.FileName);
  // A translation on the screen is saved as the scenario's own text would
  // be: a save does not depend on the translation it was made with.
  ListAddString(list, "Layer.Text", layer.Graphic.UntranslatedLastText());
  ListAddInteger(list, "Layer.Pos.Left", layer.Left);
  ListAddInteger(list, "Layer.Pos.Top", layer.Top);
  ListAddInteger(list, "Layer.Size.Width", layer.Width);
  ListAddInteger(list, "Layer.Size.Height", layer.Height);
  ListAddInteger(list, "Layer.ViewPos.Left", layer.ViewLeft);
  ListAddInteger(list, "Layer.ViewPos.Top", layer.ViewTop);
  ListAddBool(list, "Layer.Transparent", layer.Transparent);
  ListAddBool(list, "Layer.Translucent", layer.Translucent);
  list.push_back(kLayerBorder);
}

void AddDynamicLayerRecord(TStringList& list, const TDynamicLayerList& e) {
  ListAddInteger(list, "DynamicLayer.AttrID", e.AttrID);
  ListAddInteger(list, "DynamicLayer.Area.Left", e.AreaLeft);
  ListAddInteger(list, "DynamicLayer.Area.Top", e.AreaTop);
  ListAddInteger(list, "DynamicLayer.Area.Width", e.AreaWidth);
  ListAddInteger(list, "DynamicLayer.Area.Height", e.AreaHeight);
  ListAddString(list, "DynamicLayer.ActiveArea", ActiveAreaText(e.ActiveArea));
  ListAddString(list, "DynamicLayer.ActiveMode", ActiveModeText(e.ActiveMode));
  ListAddString(list, "DynamicLayer.Focus.BookName", e.FocusBookName);
  ListAddString(list, "DynamicLayer.Focus.PageName", e.FocusPageName);
  ListAddString(list, "DynamicLayer.Clickable.BookName", e.ClickBookName);
  ListAddString(list, "DynamicLayer.Clickable.PageName", e.ClickPageName);
  ListAddBool(list, "DynamicLayer.Clickable.AutoClear", e.AutoClear);
  ListAddBool(list, "DynamicLayer.Clickable.Cursor", e.Cursor);
  ListAddString(list, "DynamicLayer.Clickable.PageChange", PageChangeText(e.PageChange));
  ListAddString(list, "DynamicLayer.Image.FileName", e.ImageFileName);
  ListAddInteger(list, "DynamicLayer.Image.AnimeCount", e.AnimeCount);
  ListAddInteger(list, "DynamicLayer.Image.DivideCount", e.DivideCount);
  ListAddInteger(list, "DynamicLayer.ImageIndex.Disable", e.ImageIndexDisable);
  ListAddInteger(list, "DynamicLayer.ImageIndex.Enable", e.ImageIndexEnable);
  ListAddInteger(list, "DynamicLayer.ImageIndex.Active", e.ImageIndexActive);
  ListAddInteger(list, "DynamicLayer.ImageIndex.Click", e.ImageIndexClick);
  ListAddString(list, "DynamicLayer.Image.AnimeType", AnimeTypeText(e.AnimeType));
  ListAddString(list, "DynamicLayer.Text.Text", e.Text);
  ListAddString(list, "DynamicLayer.Text.FontName", e.TextFontName);
  ListAddInteger(list, "DynamicLayer.Text.FontSize", e.TextFontSize);
  ListAddString(list, "DynamicLayer.Text.FontColor", ColorToText(e.TextFontColor));
  ListAddString(list, "DynamicLayer.Status", StatusText(e.Status));
  ListAddInteger(list, "DynamicLayer.AnimeIndex", e.AnimeIndex);
  ListAddInteger(list, "DynamicLayer.FocusIndex", e.FocusIndex);
  list.push_back(kLayerBorder);
}

// The fields of a stored record; the picture is built afterwards.
void ReadDynamicLayerFields(const TStringList& r, TDynamicLayerList& e) {
  e.AttrID = ListReadInteger(r, "DynamicLayer.AttrID", 0);
  e.AreaLeft = ListReadInteger(r, "DynamicLayer.Area.Left", 0);
  e.AreaTop = ListReadInteger(r, "DynamicLayer.Area.Top", 0);
  e.AreaWidth = ListReadInteger(r, "DynamicLayer.Area.Width", 0);
  e.AreaHeight = ListReadInteger(r, "DynamicLayer.Area.Height", 0);
  e.ActiveArea = ActiveAreaOf(ListReadString(r, "DynamicLayer.ActiveArea", "None"));
  e.ActiveMode = ActiveModeOf(ListReadString(r, "DynamicLayer.ActiveMode", "Disable"));
  e.FocusBookName = ListReadString(r, "DynamicLayer.Focus.BookName", "");
  e.FocusPageName = ListReadString(r, "DynamicLayer.Focus.PageName", "");
  e.ClickBookName = ListReadString(r, "DynamicLayer.Clickable.BookName", "");
  e.ClickPageName = ListReadString(r, "DynamicLayer.Clickable.PageName", "");
  e.AutoClear = ListReadBool(r, "DynamicLayer.Clickable.AutoClear", false);
  e.Cursor = ListReadBool(r, "DynamicLayer.Clickable.Cursor", true);
  e.PageChange = PageChangeOf(ListReadString(r, "DynamicLayer.Clickable.PageChange", "Move"));
  e.ImageFileName = ListReadString(r, "DynamicLayer.Image.FileName", "");
  e.AnimeCount = ListReadInteger(r, "DynamicLayer.Image.AnimeCount", 1);
  e.DivideCount = ListReadInteger(r, "DynamicLayer.Image.DivideCount", 1);
  e.ImageIndexDisable = ListReadInteger(r, "DynamicLayer.ImageIndex.Disable", 0);
  e.ImageIndexEnable = ListReadInteger(r, "DynamicLayer.ImageIndex.Enable", 0);
  e.ImageIndexActive = ListReadInteger(r, "DynamicLayer.ImageIndex.Active", 0);
  e.ImageIndexClick = ListReadInteger(r, "DynamicLayer.ImageIndex.Click", 0);
  e.AnimeType = AnimeTypeOf(ListReadString(r, "DynamicLayer.Image.AnimeType", "None"));
  e.Text = ListReadString(r, "DynamicLayer.Text.Text", "");
  e.TextFontName = ListReadString(r, "DynamicLayer.Text.FontName", kDefaultFontName);
  e.TextFontSize = ListReadInteger(r, "DynamicLayer.Text.FontSize", 16);
  uint32_t color = clBlack;
  if (!TextToColor(ListReadString(r, "DynamicLayer.Text.FontColor", "clBlack"), color)) color = clBlack;
  e.TextFontColor = color;
  // The font style is not stored: a restored text entry is plain.
  e.TextFontStyle = TDynamicFontStyle{};
  e.Status = StatusOf(ListReadString(r, "DynamicLayer.Status", "Idle"));
  e.AnimeIndex = ListReadInteger(r, "DynamicLayer.AnimeIndex", 0);
  e.FocusIndex = ListReadInteger(r, "DynamicLayer.FocusIndex", 0);
}

}  // namespace

// --- Saving ---------------------------------------------------------------

TStringList TScreenState::LayerInfo() const {
  TStringList list;
  const TWindowRecord* main = FScreen.GetWindow(kMainWindow);
  for (const TLasLayer* l = main->Screen->BaseLayer(); l; l = l->UpperLayer) AddLayerRecord(list, *l);
  return list;
}

TStringList TScreenState::DynamicLayerInfo() const {
  TStringList list;
  const TWindowRecord* main = FScreen.GetWindow(kMainWindow);
  for (const TDynamicLayerList* e = main->Screen->DynamicLayers.GetNewest(); e; e = e->Older) {
    AddDynamicLayerRecord(list, *e);
  }
  return list;
}

bool TScreenState::SaveInfo(PackageWriter& writer, bool withBackground) {
  bool ok = AddEntryFromStrings(writer, LayerInfo(), kLayerInfoEntry);
  // Without dynamic layers the entry is written empty: a screen without
  // them is a normal state, and its save and restore succeed.
  ok = AddEntryFromStrings(writer, DynamicLayerInfo(), kDynamicLayerInfoEntry) && ok;
  if (withBackground) {
    const TLasGraphic& base = FScreen.GetWindow(kMainWindow)->Screen->BaseLayer()->Graphic;
    ok = AddEntryFromStream(writer, EncodeBmp32(base.View()), kBackgroundEntry) && ok;
  }
  return ok;
}

// --- Restoring ------------------------------------------------------------

std::vector<TStringList> TScreenState::SplitRecords(const TStringList& lines) {
  std::vector<TStringList> records;
  TStringList current;
  for (const std::string& line : lines) {
    if (line == kLayerBorder) {
      records.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(line);
    }
  }
  return records;
}

void TScreenState::RestoreLayer(TLasLayer& layer, const TStringList& r) {
  layer.LayerName = ListReadString(r, "Layer.LayerName", "");
  layer.Visible = ListReadBool(r, "Layer.Visible", false);
  layer.FileName = ListReadString(r, "Layer.FileName", "");
  layer.Left = ListReadInteger(r, "Layer.Pos.Left", 0);
  layer.Top = ListReadInteger(r, "Layer.Pos.Top", 0);
  layer.Width = ListReadInteger(r, "Layer.Size.Width", 10);
  layer.Height = ListReadInteger(r, "Layer.Size.Height", 10);
  // A view origin is never negative (as when a script sets it).
  const int viewLeft = ListReadInteger(r, "Layer.ViewPos.Left", 0);
  const int viewTop = ListReadInteger(r, "Layer.ViewPos.Top", 0);
  layer.ViewLeft = viewLeft < 0 ? 0 : viewLeft;
  layer.ViewTop = viewTop < 0 ? 0 : viewTop;
  // Saves without the flags load the picture plain.
  layer.Transparent = ListReadBool(r, "Layer.Transparent", false);
  layer.Translucent = ListReadBool(r, "Layer.Translucent", false);
  if (layer.LayerName.empty()) return;  // the base layer: its picture is the background
  if (layer.FileName.empty()) {
    FScreen.DrawLayerText(kMainWindow, layer.LayerName, ListReadString(r, "Layer.Text", ""));
  } else {
    // A picture that no longer loads has been reported; the layer stays empty.
    (void)FScreen.LoadGraphic(layer.Graphic, layer.FileName, layer.Transparent, layer.Translucent);
  }
}

void TScreenState::RestoreLayers(const TStringList& lines) {
  const std::vector<TStringList> records = SplitRecords(lines);
  TLasLayer* layer = FScreen.GetWindow(kMainWindow)->Screen->BaseLayer();
  for (size_t i = 0; layer && i < records.size(); ++i, layer = layer->UpperLayer) {
    RestoreLayer(*layer, records[i]);
  }
}

void TScreenState::RestoreDynamicLayer(const TStringList& record,
                                       std::vector<std::unique_ptr<TDynamicLayerList>>& out) {
  auto entry = TDynamicLayerList::Create();
  ReadDynamicLayerFields(record, *entry);
  if (TDynamicLayerList::IsNotRestoredAttr(entry->AttrID)) return;
  std::unique_ptr<TLasGraphic> surface;
  if (!entry->ImageFileName.empty()) {
    surface = std::make_unique<TLasGraphic>();
    TScreenHost* access = FScreen.AccessControl;
    if (!access || !access->LoadImage(entry->ImageFileName, *surface)) {
      entry->Text = "Image load error - \"" + entry->ImageFileName + "\"";
      surface.reset();
    }
  }
  if (!entry->BuildImage(surface.get())) {
    Platform().MessageBox(msg::kDynamicLayerFail, TMessageIcon::None, TMessageButtons::Ok);
    return;
  }
  out.push_back(std::move(entry));
}

void TScreenState::RestoreDynamicLayers(const TStringList& lines) {
  std::vector<std::unique_ptr<TDynamicLayerList>> restored;  // topmost first
  for (const TStringList& record : SplitRecords(lines)) RestoreDynamicLayer(record, restored);
  TDynamicLayer& layers = FScreen.GetWindow(kMainWindow)->Screen->DynamicLayers;
  // Each restored entry goes below the ones before it: add from the bottom.
  for (auto it = restored.rbegin(); it != restored.rend(); ++it) layers.Add(std::move(*it));
  if (!restored.empty()) FScreen.Refresh(kMainWindow);
}

bool TScreenState::RestoreBackground(std::string_view bmp) {
  TPicture picture;
  if (!DecodeBmp(bmp, picture)) return false;
  FScreen.GetWindow(kMainWindow)->Screen->BaseLayer()->Graphic.AssignGraphic(picture);
  return true;
}

bool TScreenState::LoadInfo(PackageReader& reader, bool withBackground) {
  bool ok = true;
  TStringList lines;
  if (LoadEntryStrings(reader, kLayerInfoEntry, lines)) {
    RestoreLayers(lines);
  } else {
    ok = false;
  }

  FScreen.GetWindow(kMainWindow)->Screen->DynamicLayers.Clear();
  lines.clear();
  if (LoadEntryStrings(reader, kDynamicLayerInfoEntry, lines)) {
    RestoreDynamicLayers(lines);
  } else {
    ok = false;
  }

  if (withBackground) {
    std::string bmp;
    if (!ExtractEntry(reader, kBackgroundEntry, bmp) || !RestoreBackground(bmp)) ok = false;
  }

  if (ok) {
    FScreen.Compose(kMainWindow);
    FScreen.Paint(kMainWindow);
  }
  return ok;
}

}  // namespace pelto5
