// The bundled demo package plays from start to end, headless, with the
// choices made by scripted clicks and keys.
#include <gtest/gtest.h>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

TEST(Demo, PlaysThroughBothChoicesTheCalledPageAndTheTimedChoice) {
  TTempDir dir;
  // Two key waits, the first choice, the button that calls a page, its key
  // wait, then the timed choice runs out and the last key wait ends it.
  const std::string events = dir.Write("events.txt",
                                       "5000 key space\n10000 key space\n"
                                       "15000 move 320 160\n15200 click 320 160\n17000 key enter\n"
                                       "18000 move 300 210\n18200 click 300 210\n"
                                       "21000 key space\n22000 key space\n39000 key space\n");
  const std::string dump = dir.Path() + "/dump.txt";
  const TPlayerResult r = RunPlayer({"--headless", "--trace", "--events", events, "--dump-state", dump,
                                     "--max-time", "60000", std::string(PELTO5_BINARY_DIR) + "/demo.pp5"});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(r.LinesStartingWith("message").empty()) << r.LinesStartingWith("message").front();
  EXPECT_EQ(r.LinesStartingWith("trace: 21200 _system/_timer #1 @DynamicLayer").size(), 1u);
  EXPECT_EQ(r.LinesStartingWith("trace: 18200 灯台/双眼鏡 #0").size(), 1u);
  const std::string state = ReadFileText(dump);
  EXPECT_NE(state.find("[values]\n夜=2\n見回り=1\n[strings]\n名前=ナギ\n"), std::string::npos) << state;
  EXPECT_NE(state.find("1=背景レイヤー|1|dawn.png|"), std::string::npos) << state;
}

}  // namespace
}  // namespace pelto5::test
