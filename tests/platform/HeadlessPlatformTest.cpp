#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <vector>

namespace pelto5 {
namespace {

THeadlessOptions Quiet() {
  THeadlessOptions o;
  o.EchoToStderr = false;
  return o;
}

// Records what the platform delivers, with the virtual time of delivery.
class TRecorder : public TPlatformClient {
 public:
  explicit TRecorder(THeadlessPlatform& p) : FPlatform(p) {}
  void FormMouseDown(TMouseButton b, int x, int y) override {
    Log("down" + std::to_string(static_cast<int>(b)) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void FormMouseUp(TMouseButton b, int, int) override { Log("up" + std::to_string(static_cast<int>(b))); }
  void FormMouseMove(int x, int y) override { Log("move " + std::to_string(x) + "," + std::to_string(y)); }
  void FormKeyDown(int key) override { Log("key " + std::to_string(key)); }
  void FormKeyUp(int) override {}
  void FormPaint() override {}
  void FormActivate() override {
    Log("activate");
    FPlatform.SetMainTimerEnabled(true);
  }
  void MainTimerTimer() override {
    Log("tick");
    if (++FTicks == StopAfter) FPlatform.Terminate();
  }
  void Log(const std::string& s) { Events.push_back(std::to_string(FPlatform.GetTickCount()) + " " + s); }

  std::vector<std::string> Events;
  int StopAfter = 3;

 private:
  THeadlessPlatform& FPlatform;
  int FTicks = 0;
};

TEST(HeadlessPlatform, TimerTicksAndEventsFollowTheVirtualClock) {
  THeadlessPlatform p(Quiet());
  const TResult parsed = p.ParseEvents("# comment\n\n"
                                       "100 click 5 6\n"
                                       "250 key space\n"
                                       "250 rclick 1 2\n"
                                       "400 key 65\n");
  ASSERT_TRUE(parsed) << parsed.Reason();
  TRecorder r(p);
  EXPECT_EQ(p.Run(r), 0);
  const std::vector<std::string> expected = {
      "0 activate", "100 move 5,6", "100 down0 5,6", "100 up0", "200 tick",
      "250 key 32", "250 move 1,2", "250 down1 1,2", "250 up1",
      "400 key 65", "400 tick", "600 tick"};
  EXPECT_EQ(r.Events, expected);
}

TEST(HeadlessPlatform, MaxTimeStopsTheRunWithStatus3) {
  THeadlessOptions o = Quiet();
  o.MaxTime = 1000;
  THeadlessPlatform p(o);
  TRecorder r(p);
  r.StopAfter = -1;
  EXPECT_EQ(p.Run(r), 3);
  EXPECT_TRUE(p.TimedOut());
  EXPECT_EQ(p.GetTickCount(), 1000u);
}

TEST(HeadlessPlatform, QuitEndsTheRunNormally) {
  THeadlessPlatform p(Quiet());
  ASSERT_TRUE(p.ParseEvents("500 quit\n"));
  TRecorder r(p);
  r.StopAfter = -1;
  EXPECT_EQ(p.Run(r), 0);
  EXPECT_EQ(p.GetTickCount(), 500u);
}

TEST(HeadlessPlatform, MalformedLinesAreNamed) {
  for (const char* bad : {"abc move 1 2", "10 move 1", "10 jump", "10 key banana", "10 quit now",
                          "10 shot", "10 click 1 2 3"}) {
    THeadlessPlatform p(Quiet());
    const TResult parsed = p.ParseEvents(std::string("# ok\n") + bad + "\n");
    EXPECT_FALSE(parsed) << bad;
    EXPECT_EQ(parsed.Reason().rfind("2: ", 0), 0u) << parsed.Reason();
    EXPECT_NE(parsed.Reason().find(bad), std::string::npos) << parsed.Reason();
  }
}

TEST(HeadlessPlatform, MessageBoxesAreLoggedAndAnswered) {
  THeadlessPlatform p(Quiet());
  EXPECT_EQ(p.MessageBox("a\r\nb\rc\nd", TMessageIcon::Error, TMessageButtons::Ok), TMessageResult::Ok);
  EXPECT_EQ(p.MessageBox("q", TMessageIcon::Error, TMessageButtons::AbortIgnore), TMessageResult::Ignore);
  EXPECT_EQ(p.MessageBox("\x83\x5C", TMessageIcon::Warning, TMessageButtons::YesNo), TMessageResult::Yes);
  const std::vector<std::string> expected = {"message (error, ok): a\\nb\\nc\\nd",
                                             "message (error, ignore): q",
                                             "message (warning, yes): \xE3\x82\xBD"};
  EXPECT_EQ(p.OutputLines(), expected);

  THeadlessOptions o = Quiet();
  o.Answer = TMessageResult::Abort;
  THeadlessPlatform abortive(o);
  EXPECT_EQ(abortive.MessageBox("q", TMessageIcon::Error, TMessageButtons::AbortIgnore), TMessageResult::Abort);
  EXPECT_EQ(abortive.MessageBox("q", TMessageIcon::None, TMessageButtons::YesNo), TMessageResult::Yes);
  EXPECT_EQ(abortive.OutputLines()[1], "message (none, yes): q");
}

TEST(HeadlessPlatform, TextAnswersAreTakenInOrderOnceDelivered) {
  THeadlessPlatform p(Quiet());
  ASSERT_TRUE(p.ParseEvents("0 text \xE3\x82\xBD x\n0 text-cancel\n1000 text late\n"));
  std::string value = "init";
  EXPECT_TRUE(p.InputQuery("c", "p", value));
  EXPECT_EQ(value, "\x83\x5C x");
  EXPECT_FALSE(p.InputQuery("c", "p", value));
  EXPECT_EQ(value, "\x83\x5C x");
  // The third answer is not due yet: the dialog is cancelled.
  EXPECT_FALSE(p.InputQuery("c", "p", value));
  p.WaitUntil(1000);
  EXPECT_TRUE(p.InputQuery("c", "p", value));
  EXPECT_EQ(value, "late");
}

TEST(HeadlessPlatform, LocalTimeStartsAtAFixedDate) {
  THeadlessPlatform p(Quiet());
  TLocalTime t = p.GetLocalTime();
  EXPECT_EQ(t.Year, 2000);
  EXPECT_EQ(t.Month, 1);
  EXPECT_EQ(t.Day, 1);
  EXPECT_EQ(t.DayOfWeek, 6);
  p.WaitUntil(86400000u + 3723000u);
  t = p.GetLocalTime();
  EXPECT_EQ(t.Day, 2);
  EXPECT_EQ(t.DayOfWeek, 0);
  EXPECT_EQ(t.Hour, 1);
  EXPECT_EQ(t.Minute, 2);
  EXPECT_EQ(t.Second, 3);
}

}  // namespace
}  // namespace pelto5
