// The main window's picture state through a real save container on disk:
// layers restored by position with their names, flags, geometry, view
// origins, pictures reloaded from their files and texts re-rendered;
// dynamic layers rebuilt in their stacking order, the 1000-1999 attributes
// left out; the stored background; and damaged or missing entries.
#include "graphics/ScreenState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/BmpEncoder.h"
#include "content/PackageReader.h"
#include "content/PackageWriter.h"
#include "exec/PeltoAccessControl.h"
#include "graphics/DynamicLayerList.h"
#include "graphics/FakeFontService.h"
#include "graphics/LayerCtrl.h"
#include "graphics/ScreenControl.h"
#include "platform/Platform.h"
#include "base/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

const std::string kText = kTextLayerName;
const std::string kBackground = kBackgroundLayerName;

THeadlessOptions Quiet() {
  THeadlessOptions o;
  o.EchoToStderr = false;
  return o;
}

// A w x h picture of one colour (colour value) with one other pixel at (0, 0).
TLasGraphic Picture(int w, int h, uint32_t color, uint32_t corner) {
  TLasGraphic g;
  g.SetSize(w, h);
  g.FillRect(0, 0, w, h, color);
  g.FillRect(0, 0, 1, 1, corner);
  return g;
}

class ScreenStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&FPlatform);
    const std::string script = test::MakeScript(
        {"<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19", "ImageWidth=64", "ImageHeight=32",
         "<Head End>", "<Head=\"LayerList\">", "LayerCount=3", "Layer.1.LayerName=A",
         "Layer.2.LayerName=B", "<Head End>"});
    ASSERT_TRUE(FAccess.Open(FDir.Write("game.pf5", script)));
    FSaved.AccessControl = &FAccess;
    FSaved.InitWindows();
    FRestored.AccessControl = &FAccess;
    FRestored.InitWindows();
    FCanvas.SetSize(64, 32);
    FRestored.SetCanvas(0, &FCanvas);
    FSavePath = FDir.Path() + "/p_save01.svd";
  }
  void TearDown() override {
    ClosePackage(FReader);
    InstallPlatform(nullptr);
  }

  static TLasScreen& Main(TScreenControl& s) { return *s.GetWindow(0)->Screen; }

  // Writes a save container with whatever add() puts in it.
  template <typename F>
  bool WriteSave(F add) {
    // The last save loaded is closed first: Windows replaces no file that
    // is open.
    ClosePackage(FReader);
    PackageWriter writer;
    if (!SetWriterMagic(writer, "PV5SAVE") || !CreatePackage(writer, FSavePath)) return false;
    const bool added = add(writer);
    return FinishPackage(writer) && added;
  }
  bool SaveScreen(bool withBackground) {
    return WriteSave([&](PackageWriter& w) { return FSaved.SaveInfo(w, withBackground); });
  }
  // Opens the save and restores it into the second screen controller.
  bool LoadScreen(bool withBackground) {
    ClosePackage(FReader);
    if (!OpenPackage(FSavePath, FReader)) {
      ADD_FAILURE() << "save container does not open: " << FReader.FailureReason;
      return false;
    }
    return FRestored.LoadInfo(FReader, withBackground);
  }
  // A save holding the given entries as text lines.
  void WriteEntries(const std::vector<std::pair<std::string, TStringList>>& entries) {
    ASSERT_TRUE(WriteSave([&](PackageWriter& w) {
      bool ok = true;
      for (const auto& [name, lines] : entries) ok = AddEntryFromStrings(w, lines, name) && ok;
      return ok;
    }));
  }

  std::vector<TDynamicLayerList*> Dynamic(TScreenControl& s) {
    std::vector<TDynamicLayerList*> out;
    for (TDynamicLayerList* e = Main(s).DynamicLayers.GetNewest(); e; e = e->Older) out.push_back(e);
    return out;
  }

  bool SawBox(const std::string& part) const {
    for (const std::string& line : FPlatform.OutputLines()) {
      if (line.find(part) != std::string::npos) return true;
    }
    return false;
  }

  THeadlessPlatform FPlatform{Quiet()};
  test::TFakeFontService FFonts;
  test::TTempDir FDir;
  TPeltoAccessControl FAccess;
  TScreenControl FSaved;
  TScreenControl FRestored;
  TCanvas FCanvas;
  PackageReader FReader;
  std::string FSavePath;
};

// The saved screen of the layer tests: a merged base picture, a picture
// layer loaded with a colour key, a text layer cleared after its text, and
// a hidden layer with its own geometry.
void PrepareLayers(TScreenControl& s, test::TTempDir& dir) {
  TLasScreen& main = *s.GetWindow(0)->Screen;
  main.BaseLayer()->Graphic.Assign(Picture(64, 32, 0x00112233, 0x00445566));
  main.BaseLayer()->Visible = true;
  dir.Write("bg.bmp", EncodeBmp32(Picture(8, 4, 0x0000FF00, 0x000000FF).View()));
  ASSERT_TRUE(s.LoadLayerImage(0, kBackground, "bg.bmp", true, false));
  ASSERT_EQ(s.FindLayer(0, kBackground)->Graphic.AlphaType(), TAlphaType::Mask);
  s.SetLayerVisible(0, kBackground, true);
  s.SetLayerPos(0, kBackground, 3, -4);
  s.SetLayerSize(0, kBackground, 8, 4);
  s.SetLayerViewPos(0, kBackground, 1, 2);

  s.CreateLayerSurface(0, "A", 40, 20);
  ASSERT_GT(s.DrawLayerText(0, "A", "Hi"), 0);
  s.ClearLayer(0, "A");
  s.SetLayerVisible(0, "A", true);

  s.SetLayerPos(0, "B", -7, 9);
  s.SetLayerSize(0, "B", 30, 12);
  s.SetLayerViewPos(0, "B", 5, 6);
  s.SetLayerVisible(0, "B", false);
  s.SetLayerSize(0, kText, 64, 32);
}

TEST_F(ScreenStateTest, LayersComeBackByPositionWithPicturesAndTexts) {
  PrepareLayers(FSaved, FDir);
  ASSERT_TRUE(SaveScreen(true));
  ASSERT_TRUE(LoadScreen(true));

  TLasScreen& saved = Main(FSaved);
  TLasScreen& restored = Main(FRestored);
  ASSERT_EQ(restored.GetLayerCount(), saved.GetLayerCount());
  for (int i = 0; i < saved.GetLayerCount(); ++i) {
    const TLasLayer& a = *saved.GetLayer(i);
    const TLasLayer& b = *restored.GetLayer(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(b.LayerName, a.LayerName);
    EXPECT_EQ(b.Visible, a.Visible);
    EXPECT_EQ(b.FileName, a.FileName);
    EXPECT_EQ(b.Left, a.Left);
    EXPECT_EQ(b.Top, a.Top);
    EXPECT_EQ(b.Width, a.Width);
    EXPECT_EQ(b.Height, a.Height);
    EXPECT_EQ(b.ViewLeft, a.ViewLeft);
    EXPECT_EQ(b.ViewTop, a.ViewTop);
  }
  // The picture layer is reloaded from its file with the colour key it was
  // loaded with (the key is the bottom-left pixel's colour, green).
  const TLasGraphic& bg = restored.GetLayer(1)->Graphic;
  ASSERT_EQ(bg.Width(), 8);
  EXPECT_EQ(bg.AlphaType(), TAlphaType::Mask);
  EXPECT_TRUE(restored.GetLayer(1)->Transparent);
  EXPECT_FALSE(restored.GetLayer(1)->Translucent);
  EXPECT_FALSE(bg.IsOpaqueAt(0, 3));
  EXPECT_FALSE(bg.IsOpaqueAt(7, 0));
  EXPECT_TRUE(bg.IsOpaqueAt(0, 0));
  EXPECT_EQ(bg.GetPixel(0, 0), 0x000000FFu);
  EXPECT_EQ(bg.GetPixel(7, 3), 0x0000FF00u);
  // The cleared text layer is rendered again with its last text.
  const TLasGraphic& a = restored.GetLayer(2)->Graphic;
  EXPECT_EQ(a.LastText, "Hi");
  EXPECT_EQ(a.GetPixel(0, 0), 0u);
  EXPECT_TRUE(a.IsOpaqueAt(0, 0));
  // The base layer takes the stored background, not a file.
  const TLasGraphic& base = restored.BaseLayer()->Graphic;
  ASSERT_EQ(base.Width(), 64);
  EXPECT_EQ(base.GetPixel(0, 0), 0x00445566u);
  EXPECT_EQ(base.GetPixel(63, 31), 0x00112233u);
  // Everything restored: window 0 is composed and painted.
  EXPECT_EQ(FCanvas.Row(31)[0] & 0xFFFFFF, 0x00332211u);
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(ScreenStateTest, ATranslationIsSavedAsTheScenariosTextAndComesBackTranslated) {
  // Layer "A" holds two lines of four characters a page (16 pixels wide,
  // 18 high at the message size): the original takes three pages, its
  // translation two.
  const std::string original(24, 'a');
  const std::string translation(16, 'b');
  FSaved.CreateLayerSurface(0, "A", 64, 36);
  FSaved.SetLayerSize(0, "A", 64, 36);
  FSaved.DrawTranslatedText(0, "A", translation, original);
  TLasGraphic& shown = FSaved.FindLayer(0, "A")->Graphic;
  shown.DrawText();
  ASSERT_TRUE(shown.Text.empty());
  const std::string translatedLast = shown.LastText;
  ASSERT_TRUE(SaveScreen(false));

  // Saved as the original's last page, as a run without the translation
  // saves it.
  TLasGraphic plain;
  plain.SetSize(64, 36);
  plain.Font = shown.Font;
  plain.Text = original;
  while (plain.PageNumber == 0 || !plain.Text.empty()) plain.DrawText();
  ASSERT_EQ(plain.PageNumber, 3);
  ASSERT_TRUE(LoadScreen(false));
  TLasGraphic& restored = FRestored.FindLayer(0, "A")->Graphic;
  EXPECT_EQ(restored.LastText, plain.LastText);
  EXPECT_FALSE(restored.Translated);

  // With the translation, the message whose original has that page shows
  // translated, at its last page.
  std::vector<std::string> asked;
  FRestored.TranslationsOf = [&](const std::string& saved) {
    asked.push_back(saved);
    return std::vector<TTextTranslation>{{"aaaa", "cccc"}, {original, translation}};
  };
  FRestored.TranslateRestoredText();
  EXPECT_TRUE(restored.Translated);
  EXPECT_EQ(restored.Untranslated, original);
  EXPECT_EQ(restored.LastText, translatedLast);
  EXPECT_EQ(restored.UntranslatedLastText(), plain.LastText);
  // Only the text layers with a text were looked up.
  EXPECT_EQ(asked, std::vector<std::string>{plain.LastText});
}

TEST_F(ScreenStateTest, StoredLayerRecordsAsWritten) {
  PrepareLayers(FSaved, FDir);
  const TStringList lines = TScreenState(FSaved).LayerInfo();
  ASSERT_EQ(lines.size(), 5u * 13u);
  const TStringList first(lines.begin() + 13, lines.begin() + 26);
  EXPECT_EQ(first, (TStringList{"Layer.LayerName=" + kBackground, "Layer.Visible=1", "Layer.FileName=bg.bmp",
                                "Layer.Text=", "Layer.Pos.Left=3", "Layer.Pos.Top=-4", "Layer.Size.Width=8",
                                "Layer.Size.Height=4", "Layer.ViewPos.Left=1", "Layer.ViewPos.Top=2",
                                "Layer.Transparent=1", "Layer.Translucent=0", "@LayerBorder"}));
  EXPECT_EQ(lines[26 + 3], "Layer.Text=Hi");
}

TEST_F(ScreenStateTest, PictureRecordsWithoutFlagsLoadPlainAndTranslucentComesBack) {
  FDir.Write("bg.bmp", EncodeBmp32(Picture(8, 4, 0x0000FF00, 0x000000FF).View()));
  // A record of an older save has no flags: the picture loads plain. The
  // next record asks for half translucency.
  WriteEntries({{"layer.info",
                 {"Layer.LayerName=", "@LayerBorder", "Layer.LayerName=" + kBackground, "Layer.Visible=1",
                  "Layer.FileName=bg.bmp", "@LayerBorder", "Layer.LayerName=A", "Layer.FileName=bg.bmp",
                  "Layer.Translucent=1", "@LayerBorder"}},
                {"dynamiclayer.info", {}}});
  ASSERT_TRUE(LoadScreen(false));
  const TLasLayer& plain = *Main(FRestored).GetLayer(1);
  EXPECT_FALSE(plain.Transparent);
  EXPECT_EQ(plain.Graphic.AlphaType(), TAlphaType::None);
  const TLasLayer& half = *Main(FRestored).GetLayer(2);
  EXPECT_TRUE(half.Translucent);
  // Without its alpha plane (the picture did not load) there is no row to read.
  ASSERT_EQ(half.Graphic.AlphaType(), TAlphaType::Blend);
  EXPECT_EQ(half.Graphic.AlphaRow(0)[0], 128);
}

TEST_F(ScreenStateTest, RecordsApplyByPositionAndTakeTheirNames) {
  // Two records for five layers; the second names a layer differently,
  // has keys in another case and leaves some out; lines after the last
  // border are no record.
  WriteEntries({{"layer.info",
                 {"Layer.LayerName=", "Layer.Visible=1", "@LayerBorder", "layer.layername=Renamed",
                  "LAYER.VISIBLE=7", "Layer.Text=Yo", "@LayerBorder", "Layer.LayerName=Ghost", "Layer.Visible=1"}},
                {"dynamiclayer.info", {}}});
  TLasLayer& third = *Main(FRestored).GetLayer(2);
  third.Left = 99;
  ASSERT_TRUE(LoadScreen(false));
  TLasLayer& second = *Main(FRestored).GetLayer(1);
  EXPECT_EQ(second.LayerName, "Renamed");
  EXPECT_TRUE(second.Visible);
  EXPECT_EQ(second.Width, 10);
  EXPECT_EQ(second.Height, 10);
  EXPECT_EQ(second.Graphic.LastText, "Yo");
  EXPECT_EQ(third.LayerName, "A");
  EXPECT_EQ(third.Left, 99);
  EXPECT_FALSE(Main(FRestored).GetLayer(4)->Visible);
}

// Topmost first: a transparent entry, a choice text entry, a hidden-from-
// restore entry and an animated picture entry at the bottom.
void PrepareDynamicLayers(TScreenControl& s, test::TTempDir& dir) {
  dir.Write("btn.bmp", EncodeBmp32(Picture(20, 10, 0x00FF0000, 0x0000FF00).View()));
  auto picture = TDynamicLayerList::Create();
  picture->AttrID = 0;
  picture->ImageFileName = "btn.bmp";
  picture->AnimeCount = 2;
  picture->DivideCount = 2;
  picture->AnimeType = TDynamicAnimeType::Repeat;
  picture->AreaLeft = 4;
  picture->AreaTop = 5;
  picture->ImageIndexActive = 1;
  picture->ImageIndexClick = 1;
  picture->ActiveArea = TDynamicActiveArea::Opaque;
  picture->ActiveMode = TDynamicActiveMode::Always;
  picture->ClickBookName = "Book";
  picture->ClickPageName = "Page";
  picture->PageChange = TDynamicPageChange::KeepCall;
  picture->AutoClear = true;
  picture->Cursor = false;
  picture->AnimeIndex = 1;
  TLasGraphic loaded;
  ASSERT_TRUE(s.AccessControl->LoadImage("btn.bmp", loaded));
  ASSERT_TRUE(picture->BuildImage(&loaded));
  s.AddDynamicLayer(0, std::move(picture));

  auto skipped = TDynamicLayerList::Create();
  skipped->AttrID = 1500;
  skipped->AreaWidth = skipped->AreaHeight = 5;
  s.AddDynamicLayer(0, std::move(skipped));

  auto choice = TDynamicLayerList::Create();
  choice->AttrID = kAttrSelectChoice;
  choice->Text = "Yes";
  choice->AreaWidth = 48;
  choice->TextFontSize = 12;
  choice->TextFontColor = 0x00123456;
  choice->TextFontStyle.Bold = true;
  choice->FocusBookName = "FB";
  choice->FocusPageName = "FP";
  choice->Status = TDynamicStatus::Active;
  ASSERT_TRUE(choice->BuildImage(nullptr));
  s.AddDynamicLayer(0, std::move(choice));

  auto area = TDynamicLayerList::Create();
  area->AttrID = 7;
  area->AreaLeft = 1;
  area->AreaTop = 2;
  area->AreaWidth = 3;
  area->AreaHeight = 4;
  area->ActiveArea = TDynamicActiveArea::All;
  area->ActiveMode = TDynamicActiveMode::Waiting;
  area->PageChange = TDynamicPageChange::Call;
  area->Status = TDynamicStatus::Disable;
  s.AddDynamicLayer(0, std::move(area));
}

TEST_F(ScreenStateTest, DynamicLayersComeBackInTheirOrderWithoutTheExcludedAttributes) {
  PrepareDynamicLayers(FSaved, FDir);
  ASSERT_TRUE(SaveScreen(false));
  // Whatever the window showed before is replaced.
  auto stale = TDynamicLayerList::Create();
  stale->AttrID = 3;
  FRestored.AddDynamicLayer(0, std::move(stale));
  ASSERT_TRUE(LoadScreen(false));

  const std::vector<TDynamicLayerList*> saved = Dynamic(FSaved);
  const std::vector<TDynamicLayerList*> got = Dynamic(FRestored);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0]->AttrID, 7);
  EXPECT_EQ(got[1]->AttrID, kAttrSelectChoice);
  EXPECT_EQ(got[2]->AttrID, 0);
  for (int i = 0; i < 3; ++i) {
    const TDynamicLayerList& a = *saved[i < 2 ? i : 3];
    const TDynamicLayerList& b = *got[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(b.AreaLeft, a.AreaLeft);
    EXPECT_EQ(b.AreaTop, a.AreaTop);
    EXPECT_EQ(b.AreaWidth, a.AreaWidth);
    EXPECT_EQ(b.AreaHeight, a.AreaHeight);
    EXPECT_EQ(b.ActiveArea, a.ActiveArea);
    EXPECT_EQ(b.ActiveMode, a.ActiveMode);
    EXPECT_EQ(b.FocusBookName, a.FocusBookName);
    EXPECT_EQ(b.FocusPageName, a.FocusPageName);
    EXPECT_EQ(b.ClickBookName, a.ClickBookName);
    EXPECT_EQ(b.ClickPageName, a.ClickPageName);
    EXPECT_EQ(b.AutoClear, a.AutoClear);
    EXPECT_EQ(b.Cursor, a.Cursor);
    EXPECT_EQ(b.PageChange, a.PageChange);
    EXPECT_EQ(b.ImageFileName, a.ImageFileName);
    EXPECT_EQ(b.AnimeCount, a.AnimeCount);
    EXPECT_EQ(b.DivideCount, a.DivideCount);
    EXPECT_EQ(b.AnimeType, a.AnimeType);
    EXPECT_EQ(b.ImageIndexActive, a.ImageIndexActive);
    EXPECT_EQ(b.ImageIndexClick, a.ImageIndexClick);
    EXPECT_EQ(b.Text, a.Text);
    EXPECT_EQ(b.TextFontName, a.TextFontName);
    EXPECT_EQ(b.TextFontSize, a.TextFontSize);
    EXPECT_EQ(b.TextFontColor, a.TextFontColor);
    EXPECT_EQ(b.Status, a.Status);
    EXPECT_EQ(b.AnimeIndex, a.AnimeIndex);
    EXPECT_EQ(b.Image != nullptr, a.Image != nullptr);
  }
  // The picture is loaded again; the text entry is rendered again, plain.
  ASSERT_NE(got[2]->Image, nullptr);
  EXPECT_EQ(got[2]->Image->GetPixel(0, 0), 0x0000FF00u);
  EXPECT_EQ(got[2]->AreaWidth, 10);
  EXPECT_FALSE(got[1]->TextFontStyle.Bold);
  ASSERT_NE(got[1]->Image, nullptr);
  EXPECT_EQ(got[1]->Image->Height(), 2 * 14);
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(ScreenStateTest, DynamicLayerRecordsReadTheirWordsAndDefaults) {
  FDir.Write("anim.bmp", EncodeBmp32(Picture(8, 4, 0x00FFFFFF, 0).View()));
  const auto record = [](const std::string& file, const std::string& anime, int attr) {
    return TStringList{"DynamicLayer.AttrID=" + std::to_string(attr), "DynamicLayer.Image.FileName=" + file,
                       "DynamicLayer.Image.AnimeCount=2", "DynamicLayer.Image.AnimeType=" + anime,
                       "@LayerBorder"};
  };
  TStringList lines;
  for (const TStringList& r : {record("anim.bmp", "Repeat", 1), record("anim.bmp", "Repert", 2),
                               record("gone.bmp", "Once", 3), record("anim.bmp", "Timer", 1999),
                               TStringList{"DynamicLayer.AttrID=4", "DynamicLayer.Text.Text=T",
                                           "DynamicLayer.Area.Width=16", "DynamicLayer.Text.FontColor=bogus",
                                           "DynamicLayer.ActiveArea=all", "DynamicLayer.Status=Sleeping",
                                           "@LayerBorder"},
                               TStringList{"DynamicLayer.AttrID=5", "@LayerBorder"}}) {
    lines.insert(lines.end(), r.begin(), r.end());
  }
  WriteEntries({{"layer.info", {}}, {"dynamiclayer.info", lines}});
  ASSERT_TRUE(LoadScreen(false));

  const std::vector<TDynamicLayerList*> got = Dynamic(FRestored);
  ASSERT_EQ(got.size(), 4u);
  // "Repeat" is not the stored word for Repeat.
  EXPECT_EQ(got[0]->AttrID, 1);
  EXPECT_EQ(got[0]->AnimeType, TDynamicAnimeType::None);
  EXPECT_EQ(got[1]->AttrID, 2);
  EXPECT_EQ(got[1]->AnimeType, TDynamicAnimeType::Repeat);
  EXPECT_EQ(got[1]->AreaWidth, 4);
  // The record whose picture is gone is dropped with the create-fail box.
  EXPECT_TRUE(SawBox("debug - Dynamic layer create fail"));
  EXPECT_EQ(FPlatform.OutputLines().size(), 1u);
  // Unknown words and absent keys take the defaults.
  const TDynamicLayerList& text = *got[2];
  EXPECT_EQ(text.AttrID, 4);
  EXPECT_EQ(text.TextFontColor, 0u);
  EXPECT_EQ(text.ActiveArea, TDynamicActiveArea::None);
  EXPECT_EQ(text.Status, TDynamicStatus::Disable);
  EXPECT_EQ(text.TextFontName, kDefaultFontName);
  EXPECT_EQ(text.TextFontSize, 16);
  EXPECT_TRUE(text.Cursor);
  ASSERT_NE(text.Image, nullptr);
  const TDynamicLayerList& bare = *got[3];
  EXPECT_EQ(bare.AttrID, 5);
  EXPECT_EQ(bare.Status, TDynamicStatus::Idle);
  EXPECT_EQ(bare.ActiveMode, TDynamicActiveMode::Disable);
  EXPECT_EQ(bare.PageChange, TDynamicPageChange::Move);
  EXPECT_EQ(bare.AnimeCount, 1);
  EXPECT_EQ(bare.Image, nullptr);
}

TEST_F(ScreenStateTest, AScreenWithoutDynamicLayersSavesAndRestores) {
  ASSERT_TRUE(SaveScreen(false));
  ASSERT_TRUE(OpenPackage(FSavePath, FReader));
  TStringList lines{"x"};
  ASSERT_TRUE(LoadEntryStrings(FReader, "dynamiclayer.info", lines));
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(FindEntry(FReader, "_background.bmp"), -1);
  ASSERT_TRUE(LoadScreen(false));
  EXPECT_EQ(Main(FRestored).DynamicLayers.Count(), 0);
}

TEST_F(ScreenStateTest, MissingOrBrokenEntriesFailTheirPartButNotTheOthers) {
  WriteEntries({{"dynamiclayer.info", {"DynamicLayer.AttrID=9", "@LayerBorder"}},
                {"_background.bmp", {"not a bitmap"}}});
  TLasScreen& main = Main(FRestored);
  main.Composition.FillRect(0, 0, 1, 1, 0x00ABCDEF);
  main.BaseLayer()->Graphic.Assign(Picture(64, 32, 0x00010203, 0));
  EXPECT_FALSE(LoadScreen(true));
  // The dynamic layers were still restored; the broken picture changed
  // nothing; the window was not composed again.
  ASSERT_EQ(main.DynamicLayers.Count(), 1);
  EXPECT_EQ(main.BaseLayer()->Graphic.GetPixel(5, 5), 0x00010203u);
  EXPECT_EQ(main.Composition.GetPixel(0, 0), 0x00ABCDEFu);

  // Without the dynamic-layer entry the old ones are gone all the same.
  WriteEntries({{"layer.info", {"Layer.Visible=1", "@LayerBorder"}}});
  EXPECT_FALSE(LoadScreen(false));
  EXPECT_EQ(Main(FRestored).DynamicLayers.Count(), 0);
  EXPECT_TRUE(Main(FRestored).BaseLayer()->Visible);

  // None of the entries: every part fails, nothing crashes.
  WriteEntries({{"stack.info", {"@StackBorder"}}});
  EXPECT_FALSE(LoadScreen(true));
}

TEST_F(ScreenStateTest, GarbledRecordsRestoreWithDefaultsAndDrawSafely) {
  FDir.Write("cell.bmp", EncodeBmp32(Picture(6, 6, 0x00FFFFFF, 0).View()));
  WriteEntries({{"layer.info",
                 {"no equals sign here", "Layer.Visible=maybe", "@LayerBorder", "Layer.LayerName=" + kBackground,
                  "Layer.Pos.Left=12x", "Layer.Size.Width=-40", "Layer.ViewPos.Left=-9", "Layer.ViewPos.Top=$10",
                  "@LayerBorder"}},
                {"dynamiclayer.info",
                 {"DynamicLayer.Image.FileName=cell.bmp", "DynamicLayer.Image.AnimeCount=0",
                  "DynamicLayer.Image.DivideCount=-3", "DynamicLayer.AnimeIndex=77", "DynamicLayer.ImageIndex.Enable=9",
                  "DynamicLayer.AttrID=many", "@LayerBorder"}}});
  ASSERT_TRUE(LoadScreen(false));
  TLasScreen& main = Main(FRestored);
  EXPECT_FALSE(main.BaseLayer()->Visible);
  const TLasLayer& bg = *main.GetLayer(1);
  EXPECT_EQ(bg.Left, 0);
  EXPECT_EQ(bg.ViewLeft, 0);
  EXPECT_EQ(bg.ViewTop, 16);
  const std::vector<TDynamicLayerList*> got = Dynamic(FRestored);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0]->AttrID, 0);
  EXPECT_EQ(got[0]->AnimeCount, 1);
  EXPECT_EQ(got[0]->DivideCount, 1);
  // Drawing a cell outside the picture shows nothing instead of reading
  // outside it.
  main.UpdateFrame();
  EXPECT_EQ(got[0]->AnimeIndex, 0);
}

TEST_F(ScreenStateTest, AWriterThatCannotWriteReportsFailure) {
  PackageWriter closed;
  EXPECT_FALSE(FSaved.SaveInfo(closed, true));
}

}  // namespace
}  // namespace pelto5
