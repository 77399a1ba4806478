#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../graphics/FakeFontService.h"
#include "image/BmpEncoder.h"
#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "exec/PeltoProcessStack.h"
#include "exec/PresentationCommands.h"
#include "graphics/LasGraphic.h"
#include "graphics/LayerCtrl.h"
#include "graphics/ScreenControl.h"
#include "base/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "script/CommandCtrl.h"
#include "script/PeltoCommand.h"
#include "script/PeltoFile.h"
#include "script/VariableCtrl.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

THeadlessOptions Quiet() {
  THeadlessOptions options;
  options.EchoToStderr = false;
  return options;
}

std::string Sjis(const std::string& utf8) { return sjis::FromUtf8(utf8); }

const std::string kLayerA = "A";
constexpr uint32_t kWhite = 0xFFFFFF;

class PresentationCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&FPlatform);
    FAccess = std::make_unique<TPeltoAccessControl>();
    FAccess->SetContentDirectory(FDir.Path() + "/");
    // Header: the fake font, one extra layer "A" above the background.
    const std::string script =
        "<Head=\"Pelto\">\r\nFileType=PV5\r\nFontName=Fake\r\n<Head End>\r\n"
        "<Head=\"LayerList\">\r\nLayerCount=2\r\nLayer.1.LayerName=A\r\n<Head End>\r\n"
        "<Book=\"B\">\r\n<Page=\"P\">\r\n@rem\r\n<Page End>\r\n<Book End>\r\n";
    FAccess->PeltoFile().LoadFromStream(script);
    FAccess->LayerCtrl().Load(&FAccess->PeltoFile());
    FAccess->MovePage("B", "P");
    FScreen = std::make_unique<TScreenControl>();
    FScreen->AccessControl = FAccess.get();
    FScreen->InitWindows();
    FScreen->SetCanvas(0, &FPlatform.Canvas());
    FCommands = std::make_unique<TPresentationCommands>(*FAccess, *FScreen, [this] { return FLegacy; });
    FAccess->Process().EndStep();
  }
  void TearDown() override {
    FCommands.reset();
    FScreen.reset();
    FAccess.reset();
    InstallPlatform(nullptr);
  }

  static TPeltoCommand Command(int type, const std::vector<std::string>& utf8Properties) {
    TPeltoCommand command;
    command.CommandType = type;
    for (const std::string& p : utf8Properties) command.Properties.push_back(Sjis(p));
    return command;
  }

  // A w x h picture of one colour (0x00BBGGRR) in the content folder.
  void WritePicture(const std::string& name, int w, int h, uint32_t color) {
    TLasGraphic g;
    g.SetSize(w, h);
    g.FillRect(0, 0, w, h, color);
    FDir.Write(name, EncodeBmp32(g.View()));
  }

  TLasLayer& Layer(const std::string& name) { return *FScreen->FindLayer(0, name); }
  TLasScreen& Main() { return *FScreen->GetWindow(0)->Screen; }
  TDynamicLayer& Dynamic() { return Main().DynamicLayers; }
  TPeltoProcess& Process() { return FAccess->Process(); }
  uint32_t FramePixel(int x, int y) { return Main().Frame.GetPixel(x, y); }
  std::vector<std::string> Messages() {
    std::vector<std::string> out;
    for (const std::string& l : FPlatform.OutputLines()) {
      if (l.rfind("message", 0) == 0) out.push_back(l);
    }
    return out;
  }

  THeadlessPlatform FPlatform{Quiet()};
  test::TFakeFontService FFonts;
  test::TTempDir FDir;
  std::unique_ptr<TPeltoAccessControl> FAccess;
  std::unique_ptr<TScreenControl> FScreen;
  std::unique_ptr<TPresentationCommands> FCommands;
  bool FLegacy = false;
};

TEST_F(PresentationCommandsTest, MessageDrawResetsTheTextLayerAndStartsTheReveal) {
  FScreen->SetLayerPos(0, kTextLayerName, 30, 40);
  FScreen->SetLayerSize(0, kTextLayerName, 100, 50);
  TPeltoCommand c = Command(TCommandCtrl::ctMessageDraw, {"MessageDraw.Text=ab"});
  EXPECT_TRUE(FCommands->DoMessageDraw(c));
  const TLasLayer& text = Layer(kTextLayerName);
  EXPECT_EQ(text.Left, 0);
  EXPECT_EQ(text.Top, 0);
  EXPECT_EQ(text.Width, 640);
  EXPECT_EQ(text.Height, 480);
  EXPECT_TRUE(text.Visible);
  EXPECT_EQ(Process().PlayerMode, TPeltoProcess::MessageDrawing);
  EXPECT_EQ(Process().FMessageLayer, kTextLayerName);
  // Nothing of the text is on the white screen yet: the reveal draws it.
  EXPECT_EQ(FramePixel(2, 2), kWhite);
}

TEST_F(PresentationCommandsTest, MessageDrawWithoutEffectShowsTheTextAtOnce) {
  FAccess->VariableCtrl().SetTextByName(Sjis("名"), "x");
  TPeltoCommand c = Command(TCommandCtrl::ctMessageDraw,
                            {"MessageDraw.Text=$名$", "MessageDraw.Effect=None"});
  EXPECT_TRUE(FCommands->DoMessageDraw(c));
  EXPECT_NE(Process().PlayerMode, TPeltoProcess::MessageDrawing);
  // One 16-pixel black fake glyph at the origin, nothing after it.
  EXPECT_EQ(FramePixel(3, 3), 0u);
  EXPECT_EQ(FramePixel(15, 17), 0u);
  EXPECT_EQ(FramePixel(16, 3), kWhite);
}

TEST_F(PresentationCommandsTest, MessageDrawIntoAnotherLayerKeepsItsPlaceUnlessMoved) {
  FScreen->SetLayerVisible(0, kTextLayerName, true);
  FScreen->SetLayerPos(0, kLayerA, 5, 6);
  FScreen->SetLayerSize(0, kLayerA, 70, 80);
  TPeltoCommand c = Command(TCommandCtrl::ctMessageDraw,
                            {"MessageDraw.Text=a", "MessageDraw.Layer=A", "MessageDraw.Effect=None"});
  FCommands->DoMessageDraw(c);
  EXPECT_FALSE(Layer(kTextLayerName).Visible);
  EXPECT_TRUE(Layer(kLayerA).Visible);
  EXPECT_EQ(Layer(kLayerA).Left, 5);
  EXPECT_EQ(Layer(kLayerA).Width, 70);

  TPeltoCommand moved = Command(TCommandCtrl::ctMessageDraw,
                                {"MessageDraw.Text=a", "MessageDraw.Layer=A", "MessageDraw.Layer.Move=1",
                                 "MessageDraw.Area.Left=11", "MessageDraw.Area.Top=12",
                                 "MessageDraw.Area.Width=200", "MessageDraw.Effect=None"});
  FCommands->DoMessageDraw(moved);
  EXPECT_EQ(Layer(kLayerA).Left, 11);
  EXPECT_EQ(Layer(kLayerA).Top, 12);
  EXPECT_EQ(Layer(kLayerA).Width, 200);
  EXPECT_EQ(Layer(kLayerA).Height, 480);  // a missing height is the window's
}

TEST_F(PresentationCommandsTest, GraphicDrawShowsThePictureAndHidesTheText) {
  WritePicture("red.bmp", 640, 480, 0x0000FF);
  FScreen->SetLayerVisible(0, kTextLayerName, true);
  TPeltoCommand c = Command(TCommandCtrl::ctGraphicDraw, {"GraphicDraw.FileName=red.bmp"});
  EXPECT_TRUE(FCommands->DoGraphicDraw(c));
  EXPECT_EQ(FramePixel(100, 100), 0x0000FFu);
  EXPECT_FALSE(Layer(kTextLayerName).Visible);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PresentationCommandsTest, GraphicDrawMovesAndSizesTheLayer) {
  WritePicture("small.bmp", 20, 10, 0x00FF00);
  TPeltoCommand c = Command(TCommandCtrl::ctGraphicDraw,
                            {"GraphicDraw.FileName=small.bmp", "GraphicDraw.Layer=A", "GraphicDraw.Layer.Move=1",
                             "GraphicDraw.Area.Left=50", "GraphicDraw.Area.Top=60", "GraphicDraw.Area.Width=7",
                             "GraphicDraw.Area.Height=8", "GraphicDraw.AutoSize=0"});
  FCommands->DoGraphicDraw(c);
  EXPECT_EQ(Layer(kLayerA).Left, 50);
  EXPECT_EQ(Layer(kLayerA).Top, 60);
  EXPECT_EQ(Layer(kLayerA).Width, 7);
  EXPECT_EQ(Layer(kLayerA).Height, 8);
  EXPECT_TRUE(Layer(kLayerA).Visible);
  EXPECT_EQ(FramePixel(56, 67), 0x00FF00u);
  EXPECT_EQ(FramePixel(57, 60), kWhite);
}

TEST_F(PresentationCommandsTest, GraphicDrawInLegacyModeLeavesVisibilityAlone) {
  WritePicture("small.bmp", 20, 10, 0x00FF00);
  FScreen->SetLayerVisible(0, kLayerA, false);
  FLegacy = true;
  TPeltoCommand c = Command(TCommandCtrl::ctGraphicDraw, {"GraphicDraw.FileName=small.bmp", "GraphicDraw.Layer=A"});
  FCommands->DoGraphicDraw(c);
  EXPECT_FALSE(Layer(kLayerA).Visible);
  FLegacy = false;
  FCommands->DoGraphicDraw(c);
  EXPECT_TRUE(Layer(kLayerA).Visible);
}

TEST_F(PresentationCommandsTest, GraphicDrawOfAMissingPictureReportsItAndChangesNothing) {
  TPeltoCommand c = Command(TCommandCtrl::ctGraphicDraw, {"GraphicDraw.FileName=nope.png", "GraphicDraw.Layer=A",
                                                          "GraphicDraw.Layer.Move=1", "GraphicDraw.Area.Left=9"});
  EXPECT_TRUE(FCommands->DoGraphicDraw(c));
  const std::vector<std::string> messages = Messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "message (error, ok): 画像「nope.png」の読み込みができません");
  EXPECT_EQ(Layer(kLayerA).Left, 0);
}

TEST_F(PresentationCommandsTest, LayerCtrlRunsOnlyTheChangedGroupsWithValues) {
  WritePicture("pic.bmp", 30, 20, 0xFF0000);
  FAccess->VariableCtrl().SetValueByName(Sjis("x"), 25);
  TPeltoCommand c = Command(TCommandCtrl::ctLayerCtrl,
                            {"Layer.Name=A", "Layer.Visible.Change=1", "Layer.Image.Change=1",
                             "Layer.Image.FileName=pic.bmp", "Layer.Pos.Change=1", "Layer.Pos.Left=%x%",
                             "Layer.Pos.Top=7", "Layer.ViewPos.Change=1", "Layer.ViewPos.Left=-5",
                             "Layer.ViewPos.Top=3", "Layer.Size.Left=99"});
  EXPECT_TRUE(FCommands->DoLayerCtrl(c));
  const TLasLayer& a = Layer(kLayerA);
  EXPECT_TRUE(a.Visible);
  EXPECT_EQ(a.FileName, "pic.bmp");
  EXPECT_EQ(a.Left, 25);
  EXPECT_EQ(a.Top, 7);
  EXPECT_EQ(a.Width, 0);  // 0: the picture's size
  EXPECT_EQ(a.Height, 0);
  EXPECT_EQ(a.ViewLeft, 0);
  EXPECT_EQ(a.ViewTop, 3);
  // The picture from its view row 3 on: 30 x 17 at (25, 7).
  EXPECT_EQ(FramePixel(25, 7), 0xFF0000u);
  EXPECT_EQ(FramePixel(54, 23), 0xFF0000u);
  EXPECT_EQ(FramePixel(55, 7), kWhite);

  TPeltoCommand size = Command(TCommandCtrl::ctLayerCtrl,
                               {"Layer.Name=A", "Layer.Size.Change=1", "Layer.Size.Width=%x%", "Layer.Visible.Show=0"});
  FCommands->DoLayerCtrl(size);
  EXPECT_EQ(a.Width, 25);
  EXPECT_EQ(a.Height, 0);  // an absent value counts 0
  EXPECT_TRUE(a.Visible);  // Show without Change does nothing

  TPeltoCommand hide = Command(TCommandCtrl::ctLayerCtrl,
                               {"Layer.Name=A", "Layer.Visible.Change=1", "Layer.Visible.Show=0", "Layer.Image.Change=1"});
  FCommands->DoLayerCtrl(hide);
  EXPECT_FALSE(a.Visible);
  EXPECT_EQ(a.Graphic.Width(), 10);  // "Clear" is the default picture
  EXPECT_EQ(a.Graphic.Height(), 10);
}

TEST_F(PresentationCommandsTest, SelectStacksTheChoicesSkipsEmptyTextsAndWaits) {
  FScreen->AddDynamicLayer(0, TDynamicLayerList::Create());  // AttrID 0: removed
  auto kept = TDynamicLayerList::Create();
  kept->AttrID = 5;
  FScreen->AddDynamicLayer(0, std::move(kept));
  TPeltoCommand c = Command(TCommandCtrl::ctSelect,
                            {"Select.Area.Left=10", "Select.Area.Top=100", "Select.Area.Width=300",
                             "Select.Text1=one", "Select.Page1=p1", "Select.Text2=$empty$", "Select.Page2=p2",
                             "Select.Text3=three", "Select.Page3=p3", "Select.Text5=five", "Select.Page5=p5"});
  EXPECT_TRUE(FCommands->DoSelect(c));
  ASSERT_EQ(Dynamic().Count(), 3);
  const TDynamicLayerList& second = *Dynamic().GetNewest();
  const TDynamicLayerList& first = *second.Older;
  EXPECT_EQ(first.Text, "one");
  EXPECT_EQ(first.ClickPageName, "p1");
  EXPECT_EQ(first.ClickBookName, "B");
  EXPECT_EQ(first.AttrID, kAttrSelectChoice);
  EXPECT_EQ(first.AreaLeft, 10);
  EXPECT_EQ(first.AreaTop, 100);
  EXPECT_EQ(first.AreaWidth, 300);
  EXPECT_EQ(first.AreaHeight, 18);  // the fake font's line
  EXPECT_EQ(first.ActiveMode, TDynamicActiveMode::Waiting);
  EXPECT_EQ(first.ActiveArea, TDynamicActiveArea::All);
  EXPECT_TRUE(first.AutoClear);
  EXPECT_EQ(first.AnimeType, TDynamicAnimeType::None);
  EXPECT_EQ(second.Text, "three");
  EXPECT_EQ(second.AreaTop, 118);
  EXPECT_EQ(first.Older->AttrID, 5);
  EXPECT_EQ(Process().PlayerMode, TPeltoProcess::Waiting);
  EXPECT_EQ(Process().GetClickMode(), 2);
  EXPECT_FALSE(Process().IsAnyKeyBreak());
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "P");  // no gauge page without a time
}

TEST_F(PresentationCommandsTest, SelectWithATimeLimitCallsTheGaugePageKeepingTheWait) {
  FAccess->SetNextCommandIndex(1);
  TPeltoCommand c = Command(TCommandCtrl::ctSelect, {"Select.Timeout=1", "Select.Time=3000", "Select.Text1=one",
                                                     "Select.Page1=p1", "Select.Area.Import=1",
                                                     "Select.Area.ImportLayer=A"});
  FScreen->SetLayerPos(0, kLayerA, 40, 50);
  FScreen->SetLayerSize(0, kLayerA, 0, 0);
  EXPECT_TRUE(FCommands->DoSelect(c));
  const TDynamicLayerList& choice = *Dynamic().GetNewest();
  EXPECT_EQ(choice.AnimeType, TDynamicAnimeType::Timer);
  EXPECT_EQ(choice.AreaLeft, 40);
  EXPECT_EQ(choice.AreaTop, 50);
  EXPECT_EQ(choice.AreaWidth, 640);  // the imported width 0 becomes the window's
  EXPECT_EQ(FAccess->CommandCtrl().BookName(), "_system");
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "_timer");
  EXPECT_EQ(FAccess->NextCommandIndex(), 0);
  // The gauge page's return restores the wait and its time.
  ASSERT_TRUE(FAccess->ReturnFromCall());
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "P");
  EXPECT_EQ(FAccess->NextCommandIndex(), 1);
  EXPECT_EQ(Process().PlayerMode, TPeltoProcess::Waiting);
  EXPECT_EQ(Process().RemainingSeconds(), 3);

  TPeltoCommand noGauge = Command(TCommandCtrl::ctSelect, {"Select.Timeout=1", "Select.Time=3000",
                                                           "Select.TimerGauge=0", "Select.Text1=one",
                                                           "Select.Page1=p1"});
  FCommands->DoSelect(noGauge);
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "P");
  EXPECT_EQ(Process().RemainingSeconds(), 3);
}

TEST_F(PresentationCommandsTest, DynamicLayerDefaultsAndClickBehaviour) {
  TPeltoCommand plain = Command(TCommandCtrl::ctDynamicLayer, {});
  EXPECT_TRUE(FCommands->DoDynamicLayer(plain));
  const TDynamicLayerList* e = Dynamic().GetNewest();
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(e->IsImageEntry());
  EXPECT_FALSE(e->IsTextEntry());
  EXPECT_EQ(e->AreaWidth, 640);
  EXPECT_EQ(e->AreaHeight, 480);
  EXPECT_EQ(e->ActiveArea, TDynamicActiveArea::None);
  EXPECT_EQ(e->ActiveMode, TDynamicActiveMode::Disable);
  EXPECT_EQ(e->AttrID, 0);

  FAccess->VariableCtrl().SetValueByName(Sjis("w"), 33);
  TPeltoCommand click = Command(TCommandCtrl::ctDynamicLayer,
                                {"DynamicLayer.Clickable.Mode=All", "DynamicLayer.Clickable.BookName=B",
                                 "DynamicLayer.Clickable.PageName=Q", "DynamicLayer.Clickable.Move=Call",
                                 "DynamicLayer.Clickable.KeepExecuteMode=1", "DynamicLayer.Clickable.Cursor=0",
                                 "DynamicLayer.Area.Left=4", "DynamicLayer.Area.Width=%w%",
                                 "DynamicLayer.Area.Height=9", "DynamicLayer.AttrID=7"});
  FCommands->DoDynamicLayer(click);
  e = Dynamic().GetNewest();
  EXPECT_EQ(e->ActiveMode, TDynamicActiveMode::Waiting);
  EXPECT_EQ(e->PageChange, TDynamicPageChange::KeepCall);
  EXPECT_EQ(e->ClickPageName, "Q");
  EXPECT_FALSE(e->Cursor);
  EXPECT_FALSE(e->AutoClear);
  EXPECT_EQ(e->AreaLeft, 4);
  EXPECT_EQ(e->AreaWidth, 33);
  EXPECT_EQ(e->AreaHeight, 9);
  EXPECT_EQ(e->AttrID, 7);

  TPeltoCommand call = Command(TCommandCtrl::ctDynamicLayer,
                               {"DynamicLayer.Clickable.Mode=Opaque", "DynamicLayer.Clickable.Move=Call",
                                "DynamicLayer.ActiveMode=Always"});
  FCommands->DoDynamicLayer(call);
  EXPECT_EQ(Dynamic().GetNewest()->PageChange, TDynamicPageChange::Call);
  EXPECT_EQ(Dynamic().GetNewest()->ActiveMode, TDynamicActiveMode::Always);

  // Click settings are ignored without a clickable mode.
  TPeltoCommand inert = Command(TCommandCtrl::ctDynamicLayer,
                                {"DynamicLayer.Clickable.Mode=all", "DynamicLayer.Clickable.PageName=Q",
                                 "DynamicLayer.Clickable.Move=Call"});
  FCommands->DoDynamicLayer(inert);
  EXPECT_EQ(Dynamic().GetNewest()->ActiveArea, TDynamicActiveArea::None);
  EXPECT_EQ(Dynamic().GetNewest()->ClickPageName, "");
  EXPECT_EQ(Dynamic().GetNewest()->PageChange, TDynamicPageChange::Move);
}

TEST_F(PresentationCommandsTest, DynamicLayerImagesAndTheirAnimation) {
  WritePicture("anim.bmp", 60, 10, 0x00FFFF);
  TPeltoCommand single = Command(TCommandCtrl::ctDynamicLayer,
                                 {"DynamicLayer.Type=Image", "DynamicLayer.Image.FileName=anim.bmp",
                                  "DynamicLayer.Image.AnimeType=Repeat", "DynamicLayer.Area.Left=100",
                                  "DynamicLayer.Area.Top=200"});
  FCommands->DoDynamicLayer(single);
  const TDynamicLayerList* e = Dynamic().GetNewest();
  EXPECT_EQ(e->ImageFileName, "anim.bmp");
  EXPECT_EQ(e->AnimeType, TDynamicAnimeType::None);  // one frame does not animate
  EXPECT_EQ(e->AreaWidth, 60);
  EXPECT_EQ(e->AreaHeight, 10);
  EXPECT_EQ(FramePixel(130, 205), 0x00FFFFu);  // shown at once

  TPeltoCommand once = Command(TCommandCtrl::ctDynamicLayer,
                               {"DynamicLayer.Type=Image", "DynamicLayer.Image.FileName=anim.bmp",
                                "DynamicLayer.Image.AnimeCount=3", "DynamicLayer.Image.AnimeType=Once",
                                "DynamicLayer.ScrnRefresh=0"});
  FCommands->DoDynamicLayer(once);
  e = Dynamic().GetNewest();
  EXPECT_EQ(e->AnimeType, TDynamicAnimeType::Once);
  EXPECT_EQ(e->AnimeIndex, 1);
  EXPECT_EQ(e->AreaWidth, 20);
  EXPECT_EQ(FramePixel(5, 5), kWhite);  // not shown without a refresh

  TPeltoCommand timer = Command(TCommandCtrl::ctDynamicLayer,
                                {"DynamicLayer.Type=Image", "DynamicLayer.Image.FileName=anim.bmp",
                                 "DynamicLayer.Image.AnimeCount=2", "DynamicLayer.Image.AnimeType=Timer"});
  FCommands->DoDynamicLayer(timer);
  EXPECT_EQ(Dynamic().GetNewest()->AnimeType, TDynamicAnimeType::Timer);
  EXPECT_EQ(Dynamic().GetNewest()->AnimeIndex, 1);
}

TEST_F(PresentationCommandsTest, DynamicLayerWithAMissingImageShowsTheErrorAsText) {
  TPeltoCommand c = Command(TCommandCtrl::ctDynamicLayer,
                            {"DynamicLayer.Type=Image", "DynamicLayer.Image.FileName=gone.png"});
  EXPECT_TRUE(FCommands->DoDynamicLayer(c));
  const TDynamicLayerList* e = Dynamic().GetNewest();
  EXPECT_TRUE(e->IsTextEntry());
  EXPECT_EQ(e->Text, "Image load error - \"gone.png\"");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PresentationCommandsTest, DynamicLayerTextTakesTheWindowFont) {
  FAccess->VariableCtrl().SetValueByName(Sjis("n"), 42);
  TPeltoCommand c = Command(TCommandCtrl::ctDynamicLayer,
                            {"DynamicLayer.Type=Text", "DynamicLayer.Text.Text=n=%n%", "DynamicLayer.Area.Width=200"});
  EXPECT_TRUE(FCommands->DoDynamicLayer(c));
  const TDynamicLayerList* e = Dynamic().GetNewest();
  EXPECT_EQ(e->Text, "n=42");
  EXPECT_EQ(e->TextFontName, "Fake");
  EXPECT_EQ(e->TextFontSize, 16);
  EXPECT_EQ(e->AreaHeight, 18);
}

TEST_F(PresentationCommandsTest, DynamicLayerClearRemovesOneAttribute) {
  for (int attr : {0, 3, 0}) {
    auto e = TDynamicLayerList::Create();
    e->AttrID = attr;
    FScreen->AddDynamicLayer(0, std::move(e));
  }
  TPeltoCommand bare = Command(TCommandCtrl::ctDynamicLayerClear, {});
  EXPECT_TRUE(FCommands->DoDynamicLayerClear(bare));
  ASSERT_EQ(Dynamic().Count(), 1);
  EXPECT_EQ(Dynamic().GetNewest()->AttrID, 3);
  TPeltoCommand three = Command(TCommandCtrl::ctDynamicLayerClear, {"DynamicLayerClear.AttrID=3"});
  FCommands->DoDynamicLayerClear(three);
  EXPECT_EQ(Dynamic().Count(), 0);
}

}  // namespace
}  // namespace pelto5
