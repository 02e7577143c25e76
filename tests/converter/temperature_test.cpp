// The temperature measurement (command, status poll, conversion, display, the bounded
// wait for a late result) and the millisecond busy wait on the clock seam.
#include "converter/temperature.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "converter/register_map.h"
#include "converter_session.h"
#include "util/run_time_error.h"

namespace quelnor::converter {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* app_title = "Quelnor Beta Version VUD1.0";
constexpr double coarsest_step_s = 1.0 / 128;  // of a single-precision time of day near 86400

TEST(TemperatureOfWord, ReadsFourteenBitTwosComplementInThirtySecondsUnmasked) {
  const struct {
    std::int32_t word;
    double celsius;
  } cases[] = {
      {800, 25}, {812, 25.375}, {8191, 255.96875}, {8192, -256},         {16383, -0.03125},
      {0, 0},    {0x4000, 0},   {0x4001, 0.03125}, {0xFFFF, 1535.96875},  // bits 15..14 set: (65535
                                                                          // - 16384) / 32
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    EXPECT_EQ(temperature_of_word(c.word), c.celsius);
  }
}

class MeasureTemperatureTest : public ::testing::Test, public test::ConverterSession {
 protected:
  void set_word(std::uint8_t high, std::uint8_t low) {
    chip.registers[reg::temperature_high] = high;
    chip.registers[reg::temperature_low] = low;
  }
};

TEST_F(MeasureTemperatureTest, AResultReadyAtOnceIsShownWithoutABox) {
  const struct {
    std::uint8_t high, low;
    const char* shown;
  } cases[] = {
      {0x03, 0x20, "25"},
      {0x1F, 0xFF, "255.96875"},
      {0x20, 0x00, "-256"},
      {0x40, 0x00, "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    traffic.clear();
    set_word(c.high, c.low);
    chip.registers[reg::status] = 0x07;  // other bits set as well

    measure_temperature(s);

    char high_read[8], low_read[8];
    std::snprintf(high_read, sizeof high_read, "R 92 %02X", c.high);
    std::snprintf(low_read, sizeof low_read, "R 93 %02X", c.low);
    EXPECT_EQ(traffic, (Lines{"W 80 90", "R 80 90", "R 8F 07", high_read, low_read}));
    EXPECT_EQ(s.form.Label8.caption, c.shown);
    EXPECT_EQ(s.form.Label10.caption, "Current Device Temperature");
  }
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(MeasureTemperatureTest, TheCommandIsFollowedByAtLeastFiveMilliseconds) {
  chip.registers[reg::status] = status_bit::temperature_valid;
  const double before_s = clock.elapsed();

  measure_temperature(s);

  EXPECT_GE(clock.elapsed() - before_s, 0.005);
}

TEST_F(MeasureTemperatureTest, ALateResultShowsProgressThenTheCompletionBox) {
  set_word(0x03, 0x2C);  // 812: 25.375
  // Valid-data and sweep-complete bits do not end the wait; bit 0 does.
  scripted.queued[reg::status] = {0x00, 0x02, 0x04, 0x01};
  Lines captions_during_poll;
  scripted.on_read = [&](std::int32_t reg) {
    if (reg == reg::status) captions_during_poll.push_back(s.form.Label10.caption);
  };
  // The view is told at once each time the heading changes, not at the next servicing.
  Lines captions_repainted;
  s.repaint_cues = [&] { captions_repainted.push_back(s.form.Label10.caption); };

  measure_temperature(s);

  EXPECT_EQ(captions_during_poll, (Lines{"Current Device Temperature", "Measurement In progress",
                                         "Measurement In progress", "Measurement In progress"}));
  EXPECT_EQ(captions_repainted, (Lines{"Measurement In progress", "Current Device Temperature"}));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Device Temperature Measurement Complete");
  EXPECT_EQ(dialogs.boxes[0].title, app_title);
  EXPECT_EQ(dialogs.boxes[0].buttons, util::Buttons::ok);
  EXPECT_FALSE(dialogs.boxes[0].warning_icon);
  EXPECT_EQ(s.form.Label10.caption, "Current Device Temperature");
  EXPECT_EQ(s.form.Label8.caption, "25.375");
  EXPECT_EQ(traffic.back(), "R 93 2C");
}

TEST_F(MeasureTemperatureTest, AResultThatNeverArrivesEndsTheWaitAfterAboutASecond) {
  chip.stuck_registers[reg::status] = 0x06;
  set_word(0x03, 0x20);
  const double before_s = clock.elapsed();

  measure_temperature(s);

  const double waited_s = clock.elapsed() - before_s;
  EXPECT_GE(waited_s, 1.0);
  EXPECT_LT(waited_s, 1.1);
  EXPECT_EQ(box_texts(), Lines{"The temperature result did not arrive from the board."});
  EXPECT_EQ(dialogs.boxes[0].title, app_title);
  EXPECT_EQ(s.form.Label10.caption, "Current Device Temperature");
  EXPECT_EQ(s.form.Label8.caption, "25.00000");
  for (const std::string& line : traffic) {
    EXPECT_NE(line.substr(0, 4), "R 92");
    EXPECT_NE(line.substr(0, 4), "R 93");
  }
}

TEST_F(MeasureTemperatureTest, ABoardThatStopsAnsweringDuringTheWaitLeavesNoProgressCaption) {
  scripted.queued[reg::status] = {0x00};
  scripted.on_read = [&](std::int32_t reg) {
    if (reg == reg::status) chip.fail_requests = true;  // the first poll was the last answer
  };

  EXPECT_THROW(measure_temperature(s), util::RunTimeError);

  EXPECT_EQ(s.form.Label10.caption, "Current Device Temperature");
  EXPECT_EQ(s.form.Label8.caption, "25.00000");
  EXPECT_TRUE(dialogs.boxes.empty());  // the caller's guard reports the failure
}

TEST(MsDelay, ANonPositiveCountReturnsAfterOneReading) {
  for (const std::int32_t n : {0, -1, -2147483647 - 1}) {
    SCOPED_TRACE(n);
    util::VirtualClock clock(8 * 3600.0, 1e-6);

    msDelay(clock, n);

    EXPECT_DOUBLE_EQ(clock.elapsed(), 1e-6);
  }
}

// The time of day is single precision: near 08:00 it moves in steps of about 2 ms, near
// midnight of about 8 ms. The wait is never shorter than asked, and it ends on the time of
// day within two of its steps (before the monotonic safety bound), also when midnight
// falls inside it.
TEST(MsDelay, WaitsAtLeastTheCountAndEndsAcrossMidnight) {
  const struct {
    double time_of_day_s;
    std::int32_t n;
  } cases[] = {
      {8 * 3600.0, 1}, {8 * 3600.0, 2}, {8 * 3600.0, 5}, {8 * 3600.0 + 0.0013, 5},
      {86399.999, 5},  {86399.9999, 2}, {86399.995, 5},  {86399.990, 1},
      {86399.0, 5},    {0.0, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.time_of_day_s) + " + " + std::to_string(c.n) + " ms");
    util::VirtualClock clock(c.time_of_day_s, 1e-6);

    msDelay(clock, c.n);

    EXPECT_GE(clock.elapsed(), c.n / 1000.0);
    EXPECT_LT(clock.elapsed(), c.n / 1000.0 + 2 * coarsest_step_s);
  }
}

// A time of day that stands still (a stalled time source, a clock set back) would hold the
// window for good; the monotonic clock ends the wait.
TEST(MsDelay, EndsEvenWhenTheTimeOfDayStandsStill) {
  class StalledTimeOfDay final : public util::Clock {
   public:
    float seconds_since_midnight() override { return 1000.0f; }
    double monotonic_seconds() override { return monotonic_s += 1e-5; }
    double monotonic_s = 0.0;
  } clock;

  msDelay(clock, 5);

  EXPECT_GE(clock.monotonic_s, 0.005);
}

}  // namespace
}  // namespace quelnor::converter
