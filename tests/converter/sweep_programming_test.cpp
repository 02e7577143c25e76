// Sweep-parameter programming and the frequency-field checks: the frequency code, the
// register bytes each field produces, clamping and field rewrites, and refused entries
// that must leave chip, fields and kept settings untouched.
#include "converter/sweep_programming.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "converter/register_map.h"
#include "converter_session.h"
#include "util/run_time_error.h"

namespace quelnor::converter {
namespace {

using Lines = std::vector<std::string>;
using Handler = void (*)(model::Session&);

constexpr const char* app_title = "Quelnor Beta Version VUD1.0";

TEST(FrequencyCode, ScalesAgainstAQuarterOfTheClockMagnitude) {
  const struct {
    double f_hz;
    double mclk_hz;
    std::int64_t code;
  } cases[] = {
      {30000, 16e6, 1006632},    // 0x0F5C28
      {2, 16e6, 67},             // 0x43
      {1, 16e6, 33},             // 0x21: 16777215 x 8, not 2^27, gives 33 rather than 34
      {500000, 16e6, 16777215},  // MCLK / 32: the largest 24-bit code
      {524250, 16776000, 16777215},
      {30000, -16e6, 1006632},  // the clock's sign is ignored
      {0, 16e6, 0},
      {-100, 16e6, -3356},       // rounded down, not toward zero
      {600000, 16e6, 20132658},  // beyond 24 bits; callers keep bits 23..0
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.f_hz);
    EXPECT_EQ(frequency_code(c.f_hz, c.mclk_hz), c.code);
  }
}

TEST(FrequencyCode, RefusesAZeroClockAndCodesBeyond64Bits) {
  const struct {
    double f_hz;
    double mclk_hz;
    util::ErrorKind kind;
  } cases[] = {
      {30000, 0, util::ErrorKind::division_by_zero},
      {0, 0, util::ErrorKind::invalid_operation},
      {1e8, 1e-10, util::ErrorKind::overflow},     // finite, but no 64-bit integer holds it
      {1e300, 1e-300, util::ErrorKind::overflow},  // the division itself overflows
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mclk_hz);
    try {
      frequency_code(c.f_hz, c.mclk_hz);
      ADD_FAILURE() << "no run-time error";
    } catch (const util::RunTimeError& e) {
      EXPECT_EQ(e.kind(), c.kind);
    }
  }
}

class SweepProgrammingTest : public ::testing::Test, public test::ConverterSession {};

TEST_F(SweepProgrammingTest, FrequencyFieldsBecomeThreeVerifiedBytesLowFirst) {
  const struct {
    const char* text;
    const char* mclk_text;
    bool delta;  // Text2 and 0x87..0x85 instead of Text1 and 0x84..0x82
    Lines writes;
    const char* text_after;
    double kept_hz;
  } cases[] = {
      {"30000", "16000000", false, {"W 84 28", "W 83 5C", "W 82 0F"}, "30000", 30000},
      {"500000", "16000000", false, {"W 84 FF", "W 83 FF", "W 82 FF"}, "500000", 500000},
      {"600000", "16000000", false, {"W 84 32", "W 83 33", "W 82 33"}, "600000", 600000},
      {"30000", "-16000000", false, {"W 84 28", "W 83 5C", "W 82 0F"}, "30000", 30000},
      {"1k", "16000000", false, {"W 84 21", "W 83 00", "W 82 00"}, "1k", 1},
      {"-100", "16000000", false, {"W 84 00", "W 83 00", "W 82 00"}, "0", -100},
      {"2", "16000000", true, {"W 87 43", "W 86 00", "W 85 00"}, "2", 2},
      {"1", "16000000", true, {"W 87 21", "W 86 00", "W 85 00"}, "1", 1},
      {"-5", "16000000", true, {"W 87 00", "W 86 00", "W 85 00"}, "0", -5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    traffic.clear();
    s.form.Text7.text = c.mclk_text;
    model::TextBox& field = c.delta ? s.form.Text2 : s.form.Text1;
    field.text = c.text;

    if (c.delta) {
      program_delta_frequency(s);
    } else {
      program_start_frequency(s);
    }

    EXPECT_EQ(writes(), c.writes);
    EXPECT_EQ(traffic.size(), 6u);  // each write is read back
    EXPECT_EQ(field.text, c.text_after);
    EXPECT_EQ(c.delta ? s.sweep.delta_frequency : s.sweep.start_frequency, c.kept_hz);
  }
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(SweepProgrammingTest, ANegativeStartIsKeptUntilTheNextProgrammingReadsTheZero) {
  s.form.Text1.text = "-100";
  program_start_frequency(s);
  EXPECT_EQ(s.sweep.start_frequency, -100);

  program_start_frequency(s);
  EXPECT_EQ(s.sweep.start_frequency, 0);
  EXPECT_EQ(s.form.Text1.text, "0");
}

TEST_F(SweepProgrammingTest, IncrementsAreRoundedToEvenAndClampedTo1Through511) {
  const struct {
    const char* text;
    const char* text_after;
    Lines writes;
    std::int32_t count;
  } cases[] = {
      {"300", "300", {"W 89 2C", "W 88 01"}, 300},
      {"600", "511", {"W 89 FF", "W 88 01"}, 511},
      {"511", "511", {"W 89 FF", "W 88 01"}, 511},
      {"510", "510", {"W 89 FE", "W 88 01"}, 510},
      {"0", "1", {"W 89 01", "W 88 00"}, 1},
      {"-5", "1", {"W 89 01", "W 88 00"}, 1},
      {"abc", "1", {"W 89 01", "W 88 00"}, 1},
      {"255.5", "255.5", {"W 89 00", "W 88 01"}, 256},
      {"100.5", "100.5", {"W 89 64", "W 88 00"}, 100},
      {"101.5", "101.5", {"W 89 66", "W 88 00"}, 102},
      {"0.5", "1", {"W 89 01", "W 88 00"}, 1},  // rounds to 0, then clamped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    traffic.clear();
    s.form.Text3.text = c.text;

    program_increments(s);

    EXPECT_EQ(writes(), c.writes);
    EXPECT_EQ(s.form.Text3.text, c.text_after);
    EXPECT_EQ(s.sweep.increment_count, c.count);
  }
}

TEST_F(SweepProgrammingTest, SettlingCyclesAreClampedTo0Through511) {
  const struct {
    const char* text;
    const char* text_after;
    Lines writes;
  } cases[] = {
      {"15", "15", {"W 8B 0F", "W 8A 00"}},   {"300", "300", {"W 8B 2C", "W 8A 01"}},
      {"600", "511", {"W 8B FF", "W 8A 01"}}, {"0", "0", {"W 8B 00", "W 8A 00"}},
      {"-3", "0", {"W 8B 00", "W 8A 00"}},  // a negative count is programmed as 0
      {"2.5", "2.5", {"W 8B 02", "W 8A 00"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    traffic.clear();
    s.form.Text4.text = c.text;

    program_settling_cycles(s);

    EXPECT_EQ(writes(), c.writes);
    EXPECT_EQ(s.form.Text4.text, c.text_after);
  }
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(SweepProgrammingTest, ProgrammingTheSettlingCountReturnsTheMultiplierToX1) {
  chip.registers[reg::settling_high] = 0x07;  // x4 and count bit 8
  s.form.Text4.text = "15";

  program_settling_cycles(s);

  EXPECT_EQ(chip.registers[reg::settling_high], 0x00);
  EXPECT_EQ(chip.registers[reg::settling_low], 0x0F);
}

TEST_F(SweepProgrammingTest, TheFourRoutinesRunInTheCallersOrder) {
  program_sweep_registers(s);  // the window's defaults

  EXPECT_EQ(writes(), (Lines{"W 84 28", "W 83 5C", "W 82 0F", "W 89 64", "W 88 00", "W 87 43",
                             "W 86 00", "W 85 00", "W 8B 0F", "W 8A 00"}));
  EXPECT_EQ(s.sweep.start_frequency, 30000);
  EXPECT_EQ(s.sweep.delta_frequency, 2);
  EXPECT_EQ(s.sweep.increment_count, 100);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(SweepProgrammingTest, AReadBackMismatchShowsOneBoxAndTheNextWritesStillHappen) {
  chip.stuck_registers[reg::start_frequency_mid] = 0x00;

  program_start_frequency(s);

  EXPECT_EQ(writes(), (Lines{"W 84 28", "W 83 5C", "W 82 0F"}));
  EXPECT_EQ(box_texts(),
            Lines{"Error:Invaid data write/readback sequence to part.check power connections: "});
}

// An entry that cannot be programmed raises an error naming the field; nothing has been
// written and no field or kept setting has changed.
TEST_F(SweepProgrammingTest, RefusedEntriesNameTheirFieldAndProgramNothing) {
  const struct {
    model::TextBox model::Form1Controls::*field;
    const char* text;
    Handler routine;  // the one routine that reads the field
    const char* message;
  } cases[] = {
      {&model::Form1Controls::Text3, "9E9", program_increments,
       "Number of Increments (9 Bit): the value 9E9 is too large."},
      {&model::Form1Controls::Text4, "9E9", program_settling_cycles,
       "Number of Settling Time Cycles: the value 9E9 is too large."},
      {&model::Form1Controls::Text4, "-9E9", program_settling_cycles,
       "Number of Settling Time Cycles: the value -9E9 is too small."},
      {&model::Form1Controls::Text3, "1E999", program_increments,
       "Number of Increments (9 Bit): the value 1E999 is too large."},
      {&model::Form1Controls::Text1, "1E999", program_start_frequency,
       "Start Frequency (Hz): the value 1E999 is too large."},
      {&model::Form1Controls::Text2, "-1E999", program_delta_frequency,
       "Delta Frequency (Hz): the value -1E999 is too large."},
      {&model::Form1Controls::Text7, "1E999", program_start_frequency,
       "MCLK,Ref Clock Frequency: the value 1E999 is too large."},
      {&model::Form1Controls::Text7, "0", program_delta_frequency,
       "MCLK,Ref Clock Frequency: the value 0 is not a usable clock frequency."},
      {&model::Form1Controls::Text7, "1E-300", program_start_frequency,
       "Start Frequency (Hz): the value 30000 cannot be scaled to the clock frequency 1E-300."},
  };
  for (const auto& c : cases) {
    for (const bool whole_action : {false, true}) {
      SCOPED_TRACE(std::string(c.text) + (whole_action ? " all four" : " one routine"));
      test::ConverterSession fresh;
      fresh.s.form.Text4.text = "-3";  // would be rewritten to "0" if settling were programmed
      (fresh.s.form.*c.field).text = c.text;
      fresh.s.sweep = {1.0, 2.0, 3};

      try {
        whole_action ? program_sweep_registers(fresh.s) : c.routine(fresh.s);
        ADD_FAILURE() << "no run-time error";
      } catch (const util::RunTimeError& e) {
        EXPECT_EQ(std::string(e.what()), c.message);
      }

      EXPECT_TRUE(fresh.traffic.empty());
      EXPECT_TRUE(fresh.dialogs.boxes.empty());  // the caller reports it
      if (c.field != &model::Form1Controls::Text4) {
        EXPECT_EQ(fresh.s.form.Text4.text, "-3");
      }
      EXPECT_EQ((fresh.s.form.*c.field).text, c.text);
      EXPECT_EQ(fresh.s.sweep.start_frequency, 1.0);
      EXPECT_EQ(fresh.s.sweep.delta_frequency, 2.0);
      EXPECT_EQ(fresh.s.sweep.increment_count, 3);
    }
  }
}

struct FieldTexts {
  const char* start;
  const char* delta;
  const char* mclk;
};

struct LostFocusCase {
  const char* name;
  Handler handler;
  FieldTexts before;
  FieldTexts after;
};

TEST_F(SweepProgrammingTest, LeavingAFrequencyFieldLimitsItToTheClockOver32) {
  const LostFocusCase cases[] = {
      {"start above the limit",
       Text1_LostFocus,
       {"600000", "2", "16000000"},
       {"499999", "2", "16000000"}},
      {"start just above",
       Text1_LostFocus,
       {"500001", "2", "16000000"},
       {"499999", "2", "16000000"}},
      {"start at the limit stays",
       Text1_LostFocus,
       {"500000", "2", "16000000"},
       {"500000", "2", "16000000"}},
      {"internal oscillator limit",
       Text1_LostFocus,
       {"524251", "2", "16776000"},
       {"524249", "2", "16776000"}},
      {"internal oscillator at limit",
       Text1_LostFocus,
       {"524250", "2", "16776000"},
       {"524250", "2", "16776000"}},
      {"negative start passes",
       Text1_LostFocus,
       {"-100", "2", "16000000"},
       {"-100", "2", "16000000"}},
      {"delta checks only delta",
       Text2_LostFocus,
       {"900000", "600000", "16000000"},
       {"900000", "499999", "16000000"}},
      {"clock 0 becomes 1", Text7_LostFocus, {"30000", "2", "0"}, {"-1", "-1", "1"}},
      {"negative clock becomes 1", Text7_LostFocus, {"30000", "2", "-5"}, {"-1", "-1", "1"}},
      {"clock checks both fields",
       Text7_LostFocus,
       {"600000", "700000", "16000000"},
       {"499999", "499999", "16000000"}},
      {"clock within limits",
       Text7_LostFocus,
       {"30000", "2", "16776000"},
       {"30000", "2", "16776000"}},
  };
  for (const LostFocusCase& c : cases) {
    SCOPED_TRACE(c.name);
    s.form.Text1.text = c.before.start;
    s.form.Text2.text = c.before.delta;
    s.form.Text7.text = c.before.mclk;

    c.handler(s);

    EXPECT_EQ(s.form.Text1.text, c.after.start);
    EXPECT_EQ(s.form.Text2.text, c.after.delta);
    EXPECT_EQ(s.form.Text7.text, c.after.mclk);
  }
  EXPECT_TRUE(traffic.empty());
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(s.sweep.start_frequency, 0);
  EXPECT_EQ(s.sweep.increment_count, 0);
}

TEST_F(SweepProgrammingTest, AZeroClockLeftThenProgrammedGivesZeroFieldsAndCodes) {
  s.form.Text7.text = "0";
  Text7_LostFocus(s);

  program_sweep_registers(s);

  EXPECT_EQ(s.form.Text1.text, "0");
  EXPECT_EQ(s.form.Text2.text, "0");
  EXPECT_EQ(s.sweep.start_frequency, -1);
  EXPECT_EQ(writes(), (Lines{"W 84 00", "W 83 00", "W 82 00", "W 89 64", "W 88 00", "W 87 00",
                             "W 86 00", "W 85 00", "W 8B 0F", "W 8A 00"}));
}

// The field checks run outside any failure handler: a value they cannot handle is
// reported in a box of their own, and the field keeps what the operator typed.
TEST_F(SweepProgrammingTest, AFieldCheckThatCannotApplyShowsABoxAndChangesNothing) {
  const struct {
    const char* name;
    Handler handler;
    FieldTexts texts;
    Lines boxes;
  } cases[] = {
      {"check value beyond 32 bits",
       Text1_LostFocus,
       {"1E20", "2", "1E15"},
       {"MCLK,Ref Clock Frequency: the value 1E15 is too large."}},
      {"negative check value beyond 32 bits",
       Text1_LostFocus,
       {"30000", "2", "-1E15"},
       {"MCLK,Ref Clock Frequency: the value -1E15 is too small."}},
      {"start beyond a double",
       Text1_LostFocus,
       {"1E999", "2", "16000000"},
       {"Start Frequency (Hz): the value 1E999 is too large."}},
      {"delta beyond a double",
       Text2_LostFocus,
       {"30000", "9E9999", "16000000"},
       {"Delta Frequency (Hz): the value 9E9999 is too large."}},
      {"clock beyond a double: one box",
       Text7_LostFocus,
       {"30000", "2", "1E999"},
       {"MCLK,Ref Clock Frequency: the value 1E999 is too large."}},
      {"clock check refuses only the field that needs it",
       Text7_LostFocus,
       {"30000", "1E20", "1E15"},
       {"MCLK,Ref Clock Frequency: the value 1E15 is too large."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dialogs.boxes.clear();
    s.form.Text1.text = c.texts.start;
    s.form.Text2.text = c.texts.delta;
    s.form.Text7.text = c.texts.mclk;

    c.handler(s);

    EXPECT_EQ(box_texts(), c.boxes);
    for (const util::MessageBox& box : dialogs.boxes) {
      EXPECT_EQ(box.title, app_title);
      EXPECT_EQ(box.buttons, util::Buttons::ok);
      EXPECT_FALSE(box.warning_icon);
    }
    EXPECT_EQ(s.form.Text1.text, c.texts.start);
    EXPECT_EQ(s.form.Text2.text, c.texts.delta);
    EXPECT_EQ(s.form.Text7.text, c.texts.mclk);
  }
  EXPECT_TRUE(traffic.empty());
}

TEST_F(SweepProgrammingTest, TheClockIsTheMagnitudeOfItsField) {
  s.form.Text7.text = "-16776000";
  EXPECT_EQ(mclk(s), 16776000);
}

}  // namespace
}  // namespace quelnor::converter
