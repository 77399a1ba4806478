// The layer configuration read from the script header's "LayerList" section.
#include "graphics/LayerCtrl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "script/PeltoFile.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

// A script whose header has the given "LayerList" lines (UTF-8); no section
// at all when listLines is empty and withSection is false.
std::string ScriptWithLayerList(const std::vector<std::string>& listLines, bool withSection = true) {
  std::vector<std::string> lines = {"<Head=\"Pelto\">", "FileType=PV5", "<Head End>"};
  if (withSection) {
    lines.push_back("<Head=\"LayerList\">");
    lines.insert(lines.end(), listLines.begin(), listLines.end());
    lines.push_back("<Head End>");
  }
  return test::MakeScript(lines);
}

class LayerCtrlTest : public ::testing::Test {
 protected:
  static THeadlessOptions Quiet() {
    THeadlessOptions o;
    o.EchoToStderr = false;
    return o;
  }
  void SetUp() override { InstallPlatform(&FPlatform); }
  void TearDown() override { InstallPlatform(nullptr); }

  TLayerCtrl Load(const std::string& script) {
    FFile.LoadFromStream(script);
    TLayerCtrl ctrl;
    ctrl.Load(&FFile);
    return ctrl;
  }

  THeadlessPlatform FPlatform{Quiet()};
  TPeltoFile FFile;
};

const std::string kBackground = sjis::FromUtf8("背景レイヤー");

TEST_F(LayerCtrlTest, WithoutTheSectionOnlyTheBackgroundLayerIsConfigured) {
  const TLayerCtrl ctrl = Load(ScriptWithLayerList({}, false));
  EXPECT_EQ(ctrl.LayerCount, 1);
  EXPECT_EQ(ctrl.LayerNames, TStringList{kBackground});
  EXPECT_EQ(ctrl.Layers[0].LayerName, kBackground);
  EXPECT_TRUE(ctrl.Layers[0].Attr);
  EXPECT_EQ(std::string(kBackgroundLayerName), kBackground);
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(LayerCtrlTest, RecordsComeFromNumberedKeysAndNamesAreListedTopFirst) {
  const TLayerCtrl ctrl = Load(ScriptWithLayerList(
      {"LayerCount=3", "Layer.1.LayerName=A", "Layer.1.FileName=a.png", "Layer.1.Attr=1", "Layer.1.Left=12",
       "Layer.1.Top=-4", "Layer.2.LayerName=B",
       // Record 0 belongs to the background layer; the script cannot change it.
       "Layer.0.LayerName=Mine", "Layer.0.Attr=0"}));
  EXPECT_EQ(ctrl.LayerCount, 3);
  EXPECT_EQ(ctrl.LayerNames, (TStringList{"B", "A", kBackground}));
  EXPECT_EQ(ctrl.Layers[1].FileName, "a.png");
  EXPECT_TRUE(ctrl.Layers[1].Attr);
  EXPECT_EQ(ctrl.Layers[1].Left, 12);
  EXPECT_EQ(ctrl.Layers[1].Top, -4);
  // Missing keys take their defaults.
  EXPECT_EQ(ctrl.Layers[2].FileName, "");
  EXPECT_FALSE(ctrl.Layers[2].Attr);
  EXPECT_EQ(ctrl.Layers[2].Left, 0);
  EXPECT_EQ(ctrl.Layers[0].LayerName, kBackground);
  EXPECT_TRUE(ctrl.Layers[0].Attr);
}

TEST_F(LayerCtrlTest, AMissingNameIsNonameAndCountsAreBounded) {
  EXPECT_EQ(Load(ScriptWithLayerList({"LayerCount=2"})).LayerNames, (TStringList{"noname", kBackground}));

  // Beyond the 32-record table: limited to 32, the last name read is 31.
  const TLayerCtrl many = Load(ScriptWithLayerList({"LayerCount=1000", "Layer.31.LayerName=Last",
                                                    "Layer.32.LayerName=Beyond"}));
  EXPECT_EQ(many.LayerCount, TLayerCtrl::kMaxLayers);
  ASSERT_EQ(many.LayerNames.size(), 32u);
  EXPECT_EQ(many.LayerNames.front(), "Last");
  EXPECT_EQ(many.LayerNames.back(), kBackground);

  for (const char* count : {"LayerCount=0", "LayerCount=-7", "LayerCount=abc"}) {
    const TLayerCtrl few = Load(ScriptWithLayerList({count, "Layer.1.LayerName=A"}));
    EXPECT_EQ(few.LayerCount, 1) << count;
    EXPECT_EQ(few.LayerNames, TStringList{kBackground}) << count;
  }
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(LayerCtrlTest, ReloadReadsTheRememberedScriptAgain) {
  TLayerCtrl ctrl = Load(ScriptWithLayerList({"LayerCount=3", "Layer.1.LayerName=A", "Layer.2.LayerName=B"}));
  FFile.LoadFromStream(ScriptWithLayerList({"LayerCount=2", "Layer.1.LayerName=C"}));
  ctrl.Reload();
  EXPECT_EQ(ctrl.LayerNames, (TStringList{"C", kBackground}));

  // Without a script only the background layer is configured.
  TLayerCtrl empty;
  empty.Reload();
  EXPECT_EQ(empty.LayerNames, TStringList{kBackground});
}

TEST_F(LayerCtrlTest, SectionNamesAndTheWrongKindBox) {
  const TLayerCtrl ctrl;
  EXPECT_EQ(ctrl.GetSectionName(7, 0), "Layer.7.LayerName");
  EXPECT_EQ(ctrl.GetSectionName(7, 1), "Layer.7.FileName");
  EXPECT_EQ(ctrl.GetSectionName(7, 2), "Layer.7.Attr");
  EXPECT_EQ(ctrl.GetSectionName(7, 3), "Layer.7.Left");
  EXPECT_EQ(ctrl.GetSectionName(12, 4), "Layer.12.Top");
  EXPECT_TRUE(FPlatform.OutputLines().empty());
  EXPECT_EQ(ctrl.GetSectionName(3, 5), "Layer.3");
  EXPECT_EQ(ctrl.GetSectionName(3, -1), "Layer.3");
  const std::vector<std::string> expected(
      2, "message (error, ok): Layer Section が不正です\\nfail from TLayerCtrl::GetSectionName()");
  EXPECT_EQ(FPlatform.OutputLines(), expected);
}

}  // namespace
}  // namespace pelto5
