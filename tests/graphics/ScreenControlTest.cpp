// The screen controller: windows from the header, the default layer stack,
// layer operations by name, image loading with its failure box and alpha
// preparation, and the character-by-character message replay with its
// waits and wait marks. Text is drawn with the fake font service (a
// character of size 16 is a 16 x 18 block of ink), so the expected frames
// are simple rectangles worked out here.
#include "graphics/ScreenControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/BmpEncoder.h"
#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "graphics/FakeFontService.h"
#include "graphics/LayerCtrl.h"
#include "graphics/PngTestSupport.h"
#include "platform/Platform.h"
#include "base/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

constexpr uint32_t kGrey = 0x00808080u;  // colour value and pixel alike
constexpr uint32_t kInk = 0x00000000u;
constexpr uint32_t kWhite = 0x00FFFFFFu;
const std::string kText = kTextLayerName;
const std::string kBackground = kBackgroundLayerName;

THeadlessOptions Quiet() {
  THeadlessOptions o;
  o.EchoToStderr = false;
  return o;
}

// Header lines (UTF-8) for "Pelto" and, if given, the other sections.
std::string Script(const std::vector<std::string>& pelto, const std::vector<std::string>& others = {}) {
  std::vector<std::string> lines = {"<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19"};
  lines.insert(lines.end(), pelto.begin(), pelto.end());
  lines.push_back("<Head End>");
  lines.insert(lines.end(), others.begin(), others.end());
  return test::MakeScript(lines);
}

class ScreenControlTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallPlatform(&FPlatform); }
  void TearDown() override { InstallPlatform(nullptr); }

  // Opens a plain script with the given header and sets up the windows; the
  // main window gets a canvas of its size.
  void Start(const std::vector<std::string>& pelto = {"ImageWidth=64", "ImageHeight=32"},
             const std::vector<std::string>& others = {}) {
    ASSERT_TRUE(FAccess.Open(FDir.Write("game.pf5", Script(pelto, others))));
    FScreen.AccessControl = &FAccess;
    FScreen.InitWindows();
    const TLasScreen& main = *FScreen.GetWindow(0)->Screen;
    FCanvas.SetSize(main.Width, main.Height);
    FScreen.SetCanvas(0, &FCanvas);
  }

  TLasScreen& Main() { return *FScreen.GetWindow(0)->Screen; }
  TPeltoProcess& Process() { return FAccess.Process(); }

  std::vector<std::string> LayerNames(int window) {
    std::vector<std::string> names;
    for (TLasLayer* l = FScreen.GetWindow(window)->Screen->BaseLayer(); l; l = l->UpperLayer) {
      names.push_back(l->LayerName);
    }
    return names;
  }

  // A grey picture in the background layer, composed and painted.
  void GreyGround() {
    ASSERT_TRUE(FScreen.CreateLayerSurface(0, kBackground, Main().Width, Main().Height));
    FScreen.FindLayer(0, kBackground)->Graphic.FillRect(0, 0, Main().Width, Main().Height, kGrey);
    FScreen.SetLayerVisible(0, kBackground, true);
    FScreen.Compose(0);
    FScreen.Paint(0);
  }

  // Compares the canvas with expected(x, y) everywhere.
  template <typename F>
  void ExpectCanvas(F expected, const char* what) {
    for (int y = 0; y < FCanvas.Height(); ++y) {
      for (int x = 0; x < FCanvas.Width(); ++x) {
        ASSERT_EQ(FCanvas.Row(y)[x] & 0x00FFFFFFu, expected(x, y)) << what << " at " << x << "," << y;
      }
    }
  }

  // Starts a message on the text layer as the message command does.
  void StartMessage(const std::string& text) {
    FScreen.CreateLayerSurface(0, kText, 64, 32);
    FScreen.DrawLayerText(0, kText, sjis::FromUtf8(text));
    Process().StartMessageEffect(0, kText);
  }

  THeadlessPlatform FPlatform{Quiet()};
  test::TFakeFontService FFonts;
  test::TTempDir FDir;
  TPeltoAccessControl FAccess;
  TScreenControl FScreen;
  TCanvas FCanvas;
};

TEST_F(ScreenControlTest, WindowsTakeTheirSectionsOrTheDefaults) {
  Start({"ImageWidth=64", "ImageHeight=32", "RelativeToMainX=5", "FontName=Fake", "FontTypeBold=1",
         "FontTypeShadow=1", "FontTypeShadowColor=clRed"},
        {"<Head=\"MessageWindow\">", "ImageHeight=40", "FontName=NoSuchFont", "FontTypeItalic=1",
         "FontTypeShadowColor=$00123456", "<Head End>", "<Head=\"UserWindow2\">", "FontTypeShadowColor=what",
         "<Head End>"});
  const TWindowRecord& main = *FScreen.GetWindow(0);
  EXPECT_EQ(main.ImageWidth, 64);
  EXPECT_EQ(main.ImageHeight, 32);
  EXPECT_EQ(main.Screen->Width, 64);
  EXPECT_EQ(main.RelativeToMainX, 5);
  EXPECT_EQ(main.RelativeToMainY, 0);
  EXPECT_EQ(main.FontName, "Fake");
  EXPECT_TRUE(main.Bold);
  EXPECT_FALSE(main.Italic);
  EXPECT_TRUE(main.FontShadow);
  EXPECT_EQ(main.FontShadowColor, 0x000000FFu);

  const TWindowRecord& message = *FScreen.GetWindow(1);
  EXPECT_EQ(message.ImageWidth, 520);
  EXPECT_EQ(message.ImageHeight, 40);
  EXPECT_EQ(message.Screen->Height, 40);
  EXPECT_EQ(message.RelativeToMainX, 60);
  EXPECT_EQ(message.RelativeToMainY, 350);
  EXPECT_TRUE(message.Italic);
  EXPECT_FALSE(message.Bold);
  EXPECT_EQ(message.FontShadowColor, 0x00123456u);

  const TWindowRecord& select = *FScreen.GetWindow(2);
  EXPECT_EQ(select.ImageWidth, 400);
  EXPECT_EQ(select.ImageHeight, 110);
  EXPECT_EQ(select.RelativeToMainX, 80);
  EXPECT_EQ(select.RelativeToMainY, 220);
  for (int i = 3; i <= 5; ++i) {
    const TWindowRecord& user = *FScreen.GetWindow(i);
    EXPECT_EQ(user.ImageWidth, 100) << i;
    EXPECT_EQ(user.ImageHeight, 100) << i;
    EXPECT_EQ(user.FontShadowColor, 0x00C0C0C0u) << i;  // "what" is no colour
    EXPECT_FALSE(user.FontShadow) << i;
  }
  EXPECT_EQ(FScreen.GetWindow(-1), nullptr);
  EXPECT_EQ(FScreen.GetWindow(6), nullptr);
}

TEST_F(ScreenControlTest, WindowsThatAreNeverDrawnHoldNoPictures) {
  Start({"ImageWidth=64", "ImageHeight=32"},
        {"<Head=\"UserWindow1\">", "ImageWidth=8000", "ImageHeight=8000", "<Head End>", "<Head=\"UserWindow2\">",
         "ImageWidth=30", "ImageHeight=20", "<Head End>"});
  const TLasScreen& huge = *FScreen.GetWindow(3)->Screen;
  EXPECT_EQ(huge.Width, 8000);
  EXPECT_EQ(huge.Height, 8000);
  EXPECT_EQ(FScreen.GetWindow(3)->ImageWidth, 8000);
  EXPECT_EQ(huge.Frame.Width(), 0);
  EXPECT_EQ(huge.Composition.Width(), 0);
  EXPECT_EQ(huge.BaseLayer()->Graphic.Width(), 0);
  EXPECT_EQ(huge.BaseLayer()->Width, 8000);
  // The main window has its pictures from the start.
  EXPECT_EQ(FScreen.GetWindow(0)->Screen->Frame.Width(), 64);
  // A window that is drawn gets them at its real size, white.
  FScreen.Compose(4);
  const TLasScreen& small = *FScreen.GetWindow(4)->Screen;
  EXPECT_EQ(small.Frame.Width(), 30);
  EXPECT_EQ(small.Frame.Height(), 20);
  EXPECT_EQ(small.BaseLayer()->Graphic.Width(), 30);
  EXPECT_EQ(small.Frame.GetPixel(29, 19), 0x00FFFFFFu);
  FScreen.MergeLayer1IntoBase(5);
  EXPECT_EQ(FScreen.GetWindow(5)->Screen->BaseLayer()->Graphic.Width(), 100);
}

TEST_F(ScreenControlTest, AnUninstalledFontNameGivesTheSystemFontSetting) {
  FAccess.SetDefaultFontName("Fallback");
  Start({"FontName=NoSuchFont"});
  EXPECT_EQ(FScreen.GetWindow(0)->FontName, "Fallback");
  // The default "ＭＳ ゴシック" is not a face of the fake font service either.
  EXPECT_EQ(FScreen.GetWindow(3)->FontName, "Fallback");
}

TEST_F(ScreenControlTest, DefaultLayersWithoutALayerList) {
  Start();
  EXPECT_EQ(LayerNames(0), (std::vector<std::string>{"", kBackground, kText}));
  for (int i = 1; i < 6; ++i) EXPECT_EQ(LayerNames(i), (std::vector<std::string>{"", kBackground})) << i;
  // Layers start hidden; the main form shows the background layer once an
  // opening picture has been loaded into it.
  EXPECT_FALSE(FScreen.GetLayerVisible(0, kBackground));
  EXPECT_FALSE(FScreen.GetLayerVisible(0, kText));
}

TEST_F(ScreenControlTest, ConfiguredLayersLieBetweenBackgroundAndText) {
  Start({}, {"<Head=\"LayerList\">", "LayerCount=4", "Layer.1.LayerName=A", "Layer.2.LayerName=B",
             "<Head End>"});
  EXPECT_EQ(LayerNames(0), (std::vector<std::string>{"", kBackground, "A", "B", "noname", kText}));
  EXPECT_EQ(Main().Width, 640);
  EXPECT_EQ(Main().Height, 480);
  EXPECT_FALSE(FScreen.GetLayerVisible(0, "A"));
}

TEST_F(ScreenControlTest, LayersThatAreNotFoundAreReportedAndLeftAlone) {
  Start();
  const std::string box = "message (none, ok): debug - error:\\n layername not found:";
  // The base layer's name "" is never found.
  EXPECT_EQ(FScreen.FindLayer(0, ""), nullptr);
  EXPECT_EQ(FScreen.FindLayer(0, "Nope"), nullptr);
  EXPECT_EQ(FScreen.FindLayer(0, sjis::FromUtf8("てきすとレイヤー")), nullptr);
  // Names are matched exactly, letter case included.
  EXPECT_EQ(FScreen.FindLayer(1, "A"), nullptr);
  EXPECT_EQ(FPlatform.OutputLines(),
            (std::vector<std::string>{box, box + "Nope", box + "てきすとレイヤー", box + "A"}));

  EXPECT_FALSE(FScreen.SetLayerPos(0, "Nope", 1, 2));
  EXPECT_FALSE(FScreen.SetLayerVisible(0, "Nope", true));
  EXPECT_FALSE(FScreen.GetLayerVisible(0, "Nope"));
  TLayerRect rect{9, 9, 9, 9};
  EXPECT_FALSE(FScreen.GetLayerRect(0, "Nope", rect));
  EXPECT_EQ(rect.Left, 9);
  EXPECT_EQ(FScreen.DrawLayerText(0, "Nope", "x"), 0);
  EXPECT_FALSE(FScreen.DrawMessage(0, "Nope"));
  EXPECT_EQ(FPlatform.OutputLines().size(), 10u);

  // A window index outside 0..5 does nothing and says nothing.
  EXPECT_EQ(FScreen.FindLayer(6, kBackground), nullptr);
  EXPECT_EQ(FScreen.FindLayer(-1, kBackground), nullptr);
  EXPECT_FALSE(FScreen.SetLayerVisible(7, kBackground, true));
  EXPECT_FALSE(FScreen.AddDynamicLayer(6, TDynamicLayerList::Create()));
  EXPECT_FALSE(FScreen.RemoveDynamicLayers(-1, 0));
  FScreen.Compose(6);
  FScreen.Paint(-1);
  FScreen.Refresh(6);
  FScreen.Effect(6, 0, 0, 0, 0, 0);
  FScreen.MergeLayer1IntoBase(6);
  EXPECT_EQ(FPlatform.OutputLines().size(), 10u);
}

TEST_F(ScreenControlTest, LayerFieldsThroughTheirOperations) {
  Start();
  ASSERT_TRUE(FScreen.SetLayerViewPos(0, kBackground, -5, 7));
  TLasLayer* bg = FScreen.FindLayer(0, kBackground);
  ASSERT_NE(bg, nullptr);
  EXPECT_EQ(bg->ViewLeft, 0);
  EXPECT_EQ(bg->ViewTop, 7);
  FScreen.SetLayerViewPos(0, kBackground, 3, -1);
  EXPECT_EQ(bg->ViewLeft, 3);
  EXPECT_EQ(bg->ViewTop, 0);

  ASSERT_TRUE(FScreen.SetLayerPos(0, kBackground, -4, 6));
  ASSERT_TRUE(FScreen.SetLayerSize(0, kBackground, 20, 30));
  TLayerRect rect;
  ASSERT_TRUE(FScreen.GetLayerRect(0, kBackground, rect));
  EXPECT_EQ(rect.Left, -4);
  EXPECT_EQ(rect.Top, 6);
  EXPECT_EQ(rect.Width, 20);
  EXPECT_EQ(rect.Height, 30);

  ASSERT_TRUE(FScreen.SetLayerVisible(0, kText, true));
  EXPECT_TRUE(FScreen.GetLayerVisible(0, kText));

  bg->FileName = "old.png";
  ASSERT_TRUE(FScreen.CreateLayerSurface(0, kBackground, 33, 3));
  EXPECT_EQ(bg->FileName, "");
  EXPECT_EQ(bg->Graphic.Width(), 33);
  EXPECT_EQ(bg->Graphic.Height(), 3);
  bg->FileName = "old.png";
  ASSERT_TRUE(FScreen.ClearLayer(0, kBackground));
  EXPECT_EQ(bg->FileName, "");
  EXPECT_EQ(bg->Graphic.Width(), 10);
  EXPECT_EQ(bg->Graphic.Height(), 10);
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(ScreenControlTest, MergingLayerOneIntoTheBase) {
  Start();
  TLasLayer* bg = FScreen.FindLayer(0, kBackground);
  bg->Graphic.SetSize(4, 4);
  bg->Graphic.FillRect(0, 0, 4, 4, 0x000000FF);
  bg->Left = 10;
  bg->Top = 2;
  bg->Visible = false;
  FScreen.MergeLayer1IntoBase(0);
  const TLasGraphic& base = Main().BaseLayer()->Graphic;
  EXPECT_EQ(base.Width(), 64);
  EXPECT_EQ(base.GetPixel(10, 2), 0x000000FFu);
  EXPECT_EQ(base.GetPixel(13, 5), 0x000000FFu);
  EXPECT_EQ(base.GetPixel(14, 5), kWhite);
  EXPECT_EQ(base.GetPixel(9, 2), kWhite);
  // Layer 1 keeps its picture and flags.
  EXPECT_EQ(bg->Graphic.Width(), 4);
  EXPECT_FALSE(bg->Visible);
}

TEST_F(ScreenControlTest, AMissingImageAsksAbortOrIgnore) {
  Start();
  TLasGraphic g;
  g.SetSize(3, 3);
  EXPECT_FALSE(FScreen.LoadGraphic(g, "nope.bmp", true, true));
  EXPECT_EQ(g.Width(), 3);
  EXPECT_FALSE(FPlatform.Terminated());
  EXPECT_FALSE(FScreen.LoadLayerImage(0, kBackground, sjis::FromUtf8("絵.png"), false, false));
  // The layer records the name even when the picture could not be read.
  EXPECT_EQ(FScreen.FindLayer(0, kBackground)->FileName, sjis::FromUtf8("絵.png"));
  const std::string rest =
      "」の読み込みに失敗しました\\nこのファイルが存在しないか、このファイルを読み込むためのSusieプラグインが必要です。";
  EXPECT_EQ(FPlatform.OutputLines(), (std::vector<std::string>{"message (error, ignore): 画像ファイル「nope.bmp" + rest,
                                                               "message (error, ignore): 画像ファイル「絵.png" + rest}));

  THeadlessOptions abort = Quiet();
  abort.Answer = TMessageResult::Abort;
  THeadlessPlatform aborting(abort);
  InstallPlatform(&aborting);
  EXPECT_FALSE(FScreen.LoadGraphic(g, "nope.bmp", false, false));
  EXPECT_TRUE(aborting.Terminated());
  ASSERT_EQ(aborting.OutputLines().size(), 1u);
  EXPECT_EQ(aborting.OutputLines()[0], "message (error, abort): 画像ファイル「nope.bmp" + rest);
  InstallPlatform(&FPlatform);
}

TEST_F(ScreenControlTest, ColourKeyAndHalfTranslucencyOnlyForPicturesOtherThanPng) {
  Start();
  // 3 x 2: bottom-left (the key) green, one red pixel, the rest green.
  TLasGraphic source;
  source.SetSize(3, 2);
  source.FillRect(0, 0, 3, 2, 0x0000FF00);
  source.FillRect(1, 0, 1, 1, 0x000000FF);
  FDir.Write("key.bmp", EncodeBmp32(source.View()));
  test::TPngImage png;
  png.Width = 3;
  png.Height = 2;
  png.Data = {0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0};
  FDir.Write("key.PNG", test::EncodePng(png));

  TLasGraphic g;
  ASSERT_TRUE(FScreen.LoadGraphic(g, "key.bmp", false, false));
  EXPECT_EQ(g.AlphaType(), TAlphaType::None);

  ASSERT_TRUE(FScreen.LoadGraphic(g, "key.bmp", true, false));
  ASSERT_EQ(g.AlphaType(), TAlphaType::Mask);
  EXPECT_EQ(g.AlphaRow(0)[0], 0);
  EXPECT_EQ(g.AlphaRow(0)[1], 255);
  EXPECT_EQ(g.AlphaRow(1)[2], 0);

  ASSERT_TRUE(FScreen.LoadGraphic(g, "key.bmp", false, true));
  ASSERT_EQ(g.AlphaType(), TAlphaType::Blend);
  EXPECT_EQ(g.AlphaRow(0)[0], 128);
  EXPECT_EQ(g.AlphaRow(1)[1], 128);

  ASSERT_TRUE(FScreen.LoadGraphic(g, "key.bmp", true, true));
  ASSERT_EQ(g.AlphaType(), TAlphaType::Blend);
  EXPECT_EQ(g.AlphaRow(0)[0], 0);
  EXPECT_EQ(g.AlphaRow(0)[1], 128);

  // A PNG keeps its own alpha (here none) whatever the flags say, also with
  // the extension in capitals.
  TLasGraphic fresh;
  ASSERT_TRUE(FScreen.LoadGraphic(fresh, "key.PNG", true, true));
  EXPECT_EQ(fresh.AlphaType(), TAlphaType::None);
  EXPECT_EQ(fresh.GetPixel(1, 0), 0x000000FFu);
  // Into a surface that blended before, it is opaque again: neither keyed
  // nor halved, and without the earlier picture's alpha.
  ASSERT_TRUE(FScreen.LoadGraphic(g, "key.PNG", true, true));
  EXPECT_EQ(g.AlphaType(), TAlphaType::None);
  EXPECT_FALSE(g.HasAlpha());
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(ScreenControlTest, TextIsRenderedAtTheWindowSizeWithTheWindowsFont) {
  Start({"ImageWidth=64", "ImageHeight=32", "FontTypeBold=1"});
  TLasLayer* text = FScreen.FindLayer(0, kText);
  text->FileName = "x.png";
  // Two 18-pixel lines do not fit in 32: the first page is one line.
  EXPECT_EQ(FScreen.DrawLayerText(0, kText, "ab#c"), 18);
  EXPECT_EQ(text->Graphic.Text, "<*16><clBlack>c");
  EXPECT_EQ(text->FileName, "");
  EXPECT_EQ(text->Width, 64);
  EXPECT_EQ(text->Height, 32);
  EXPECT_EQ(text->Graphic.Width(), 64);
  EXPECT_EQ(text->Graphic.Height(), 32);
  EXPECT_EQ(text->Graphic.Font.Size, 16);
  EXPECT_EQ(text->Graphic.Font.Color, 0u);
  EXPECT_TRUE(text->Graphic.Font.Bold);
  // Bold: 17 pixels a character; "a" and "b" inked, then white.
  EXPECT_EQ(text->Graphic.GetPixel(33, 0), kInk);
  EXPECT_EQ(text->Graphic.GetPixel(34, 0), kWhite);

  FScreen.SetLayerSize(0, kText, 40, 20);
  FScreen.DrawLayerText(0, kText, "a");
  EXPECT_EQ(text->Graphic.Width(), 40);
  EXPECT_EQ(text->Graphic.Height(), 20);
}

TEST_F(ScreenControlTest, AOnePageMessageIsRevealedAndEndsComposed) {
  Start();
  GreyGround();
  StartMessage("ab");
  EXPECT_FALSE(FScreen.DrawMessage(0, kText));
  EXPECT_TRUE(FScreen.GetLayerVisible(0, kText));
  ExpectCanvas([](int x, int y) { return x < 32 && y < 18 ? kInk : kGrey; }, "end");
  // The last character's pause is in force until the main loop ends the
  // message.
  EXPECT_EQ(Process().PlayerMode, TPeltoProcess::MessagePaused);
  EXPECT_TRUE(Process().FTimerBreak);
  EXPECT_EQ(Process().FWaitTime, 60);
  EXPECT_EQ(Main().DynamicLayers.Count(), 0);
  // Replaying a finished message ends at once.
  EXPECT_FALSE(FScreen.DrawMessage(0, kText));
}

TEST_F(ScreenControlTest, KeyWaitShowsAWhiteMarkWhenItsPictureIsMissing) {
  Start();
  GreyGround();
  StartMessage("a<FAST>b<KEY>c");
  EXPECT_TRUE(FScreen.DrawMessage(0, kText));
  EXPECT_FALSE(FScreen.FindLayer(0, kText)->Visible);
  // Stopped at the key: paused for any key, no timer.
  EXPECT_EQ(Process().PlayerMode, TPeltoProcess::MessagePaused);
  EXPECT_TRUE(Process().IsAnyKeyBreak());
  EXPECT_FALSE(Process().FTimerBreak);
  // The mark: right of "b" (x 32), bottom on the line's bottom (y 18); the
  // missing picture leaves the 10 x 10 white surface, shown half wide.
  ASSERT_EQ(Main().DynamicLayers.Count(), 1);
  const TDynamicLayerList& mark = *Main().DynamicLayers.GetNewest();
  EXPECT_EQ(mark.AttrID, 2002);
  EXPECT_EQ(mark.AreaLeft, 32);
  EXPECT_EQ(mark.AreaTop, 8);
  EXPECT_EQ(mark.AreaWidth, 5);
  EXPECT_EQ(mark.AreaHeight, 10);
  EXPECT_EQ(mark.ImageFileName, "_keywait_char.png");
  EXPECT_EQ(mark.AnimeCount, 2);
  EXPECT_EQ(mark.DivideCount, 1);
  EXPECT_EQ(mark.AnimeType, TDynamicAnimeType::Repeat);
  EXPECT_EQ(mark.ActiveArea, TDynamicActiveArea::None);
  EXPECT_EQ(mark.ActiveMode, TDynamicActiveMode::Disable);
  ExpectCanvas(
      [](int x, int y) {
        if (x < 32 && y < 18) return kInk;
        if (x >= 32 && x < 37 && y >= 8 && y < 18) return kWhite;
        return kGrey;
      },
      "key wait");

  // The key: the mark goes, "c" is revealed at the fast speed, the end.
  Process().BreakWait();
  EXPECT_FALSE(FScreen.DrawMessage(0, kText));
  EXPECT_EQ(Main().DynamicLayers.Count(), 0);
  EXPECT_EQ(Process().FWaitTime, 20);
  ExpectCanvas([](int x, int y) { return x < 48 && y < 18 ? kInk : kGrey; }, "end");
}

TEST_F(ScreenControlTest, TimedWaitsStopTheRevealWithTheirOwnTime) {
  Start();
  GreyGround();
  StartMessage("a<W3>b<W>c");
  EXPECT_TRUE(FScreen.DrawMessage(0, kText));
  EXPECT_EQ(Process().PlayerMode, TPeltoProcess::MessagePaused);
  EXPECT_EQ(Process().FWaitTime, 300);
  EXPECT_FALSE(Process().IsAnyKeyBreak());
  ExpectCanvas([](int x, int y) { return x < 16 && y < 18 ? kInk : kGrey; }, "first wait");

  FPlatform.AdvanceClock(300);
  ASSERT_TRUE(Process().MessageEffectDue());
  // A wait of 0 stops but leaves the character's own delay in force.
  EXPECT_TRUE(FScreen.DrawMessage(0, kText));
  EXPECT_EQ(Process().FWaitTime, 60);
  EXPECT_EQ(Process().PlayerMode, TPeltoProcess::MessagePaused);
  ExpectCanvas([](int x, int y) { return x < 32 && y < 18 ? kInk : kGrey; }, "second wait");
  EXPECT_FALSE(FScreen.DrawMessage(0, kText));
  EXPECT_EQ(Main().DynamicLayers.Count(), 0);
}

TEST_F(ScreenControlTest, DirectModeRevealsWithoutPaintingUntilAStopThatPaints) {
  Start();
  GreyGround();
  FScreen.MessageMode = TScreenControl::MessageDirect;
  StartMessage("ab<W3>c");
  EXPECT_TRUE(FScreen.DrawMessage(0, kText));
  // On the composition, but neither in the frame nor on the canvas.
  EXPECT_EQ(Main().Composition.GetPixel(20, 10), kInk);
  EXPECT_EQ(Main().Frame.GetPixel(20, 10), kGrey);
  ExpectCanvas([](int, int) { return kGrey; }, "direct");
  EXPECT_EQ(Process().FWaitTime, 300);

  EXPECT_FALSE(FScreen.DrawMessage(0, kText));
  ExpectCanvas([](int x, int y) { return x < 48 && y < 18 ? kInk : kGrey; }, "end");
}

TEST_F(ScreenControlTest, ATwoPageMessageShowsThePageMarkAndLaysOutTheSecondPage) {
  Start();
  ASSERT_TRUE(FAccess.OpenRuntimeLibrary(std::string(PELTO5_BINARY_DIR) + "/peltort5.pml"));
  TLasGraphic page;
  ASSERT_TRUE(FAccess.LoadImage("_pagewait_char.png", page));
  ASSERT_GE(page.Width(), 2);
  GreyGround();
  // One 18-pixel line fits in 20 pixels; "b" goes to the second page.
  FScreen.CreateLayerSurface(0, kText, 64, 20);
  FScreen.SetLayerSize(0, kText, 64, 20);
  FScreen.SetLayerPos(0, kText, 4, 6);
  FScreen.DrawLayerText(0, kText, "a#b");
  Process().StartMessageEffect(0, kText);

  EXPECT_TRUE(FScreen.DrawMessage(0, kText));
  EXPECT_EQ(Process().PlayerMode, TPeltoProcess::MessagePaused);
  EXPECT_TRUE(Process().IsAnyKeyBreak());
  ASSERT_EQ(Main().DynamicLayers.Count(), 1);
  const TDynamicLayerList& mark = *Main().DynamicLayers.GetNewest();
  // After the line's end (x 4 + 16, width 0), on the line's bottom (6 + 18).
  EXPECT_EQ(mark.AttrID, 2002);
  EXPECT_EQ(mark.AreaLeft, 20);
  EXPECT_EQ(mark.AreaTop, 24 - page.Height());
  EXPECT_EQ(mark.AreaWidth, page.Width() / 2);
  EXPECT_EQ(mark.AreaHeight, page.Height());
  EXPECT_EQ(mark.ImageFileName, "_keywait_char.png");
  EXPECT_EQ(FCanvas.Row(6)[4] & 0x00FFFFFFu, kInk);
  EXPECT_EQ(FCanvas.Row(23)[19] & 0x00FFFFFFu, kInk);
  EXPECT_EQ(FCanvas.Row(23)[20 + page.Width() / 2] & 0x00FFFFFFu, kGrey);
  // The mark animates between the halves of its picture.
  EXPECT_TRUE(FScreen.AnimateDynamicLayers(true));
  EXPECT_EQ(mark.AnimeIndex, 1);

  // The key: the mark goes and the next page replaces the first.
  Process().BreakWait();
  EXPECT_TRUE(FScreen.DrawMessage(0, kText));
  EXPECT_EQ(Main().DynamicLayers.Count(), 0);
  EXPECT_EQ(Process().PlayerMode, TPeltoProcess::MessageDrawing);
  EXPECT_FALSE(FScreen.GetLayerVisible(0, kText));
  ExpectCanvas([](int, int) { return kGrey; }, "new page");

  EXPECT_FALSE(FScreen.DrawMessage(0, kText));
  EXPECT_TRUE(FScreen.GetLayerVisible(0, kText));
  ExpectCanvas([](int x, int y) { return x >= 4 && x < 20 && y >= 6 && y < 24 ? kInk : kGrey; }, "page two");
}

TEST_F(ScreenControlTest, WaitMarksAreDynamicLayersOfTheMainWindow) {
  Start();
  GreyGround();
  FScreen.ShowWaitMark("_pagewait_char.png", 30, 20, 7, 9);
  ASSERT_EQ(Main().DynamicLayers.Count(), 1);
  const TDynamicLayerList& mark = *Main().DynamicLayers.GetNewest();
  EXPECT_EQ(mark.AreaLeft, 30);
  EXPECT_EQ(mark.AreaTop, 10);
  // Shown at once: the refresh puts the frame on the canvas.
  EXPECT_EQ(FCanvas.Row(10)[30] & 0x00FFFFFFu, kWhite);
  EXPECT_EQ(FCanvas.Row(19)[34] & 0x00FFFFFFu, kWhite);
  EXPECT_EQ(FCanvas.Row(10)[35] & 0x00FFFFFFu, kGrey);

  FScreen.AddDynamicLayer(0, TDynamicLayerList::Create());
  EXPECT_TRUE(FScreen.RemoveDynamicLayers(0, 2002));
  EXPECT_FALSE(FScreen.RemoveDynamicLayers(0, 2002));
  EXPECT_EQ(Main().DynamicLayers.Count(), 1);
  // The composition is unchanged; a refresh shows it without the mark.
  FScreen.Refresh(0);
  EXPECT_EQ(FCanvas.Row(10)[30] & 0x00FFFFFFu, kGrey);
}

}  // namespace
}  // namespace pelto5
