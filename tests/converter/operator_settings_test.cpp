// The option handlers of the gain, range, clock and settling-multiplier groups, and
// standby: register traffic byte for byte and the settings they leave behind.
#include "converter/operator_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converter/control_command.h"
#include "converter/register_map.h"
#include "converter/temperature.h"
#include "converter_session.h"

namespace quelnor::converter {
namespace {

using Lines = std::vector<std::string>;
using Handler = void (*)(model::Session&);

class OperatorSettingsTest : public ::testing::Test, public test::ConverterSession {};

struct GainCase {
  const char* name;
  Handler handler;
  std::int32_t range_bits_before;
  std::int32_t pga_bits_after;
  Lines traffic;  // every access, read-backs included
};

TEST_F(OperatorSettingsTest, GainOptionsGoToStandbyThenWriteRangeAndGainIntoBothControlBytes) {
  const GainCase cases[] = {
      {"x1 at start-up",
       Option1_Click,
       0,
       1,
       {"W 80 B0", "R 80 B0", "W 80 01", "R 80 01", "W 81 01", "R 81 01"}},
      {"x1 with range bits 2",
       Option1_Click,
       2,
       1,
       {"W 80 B0", "R 80 B0", "W 80 03", "R 80 03", "W 81 03", "R 81 03"}},
      {"x5 with range bits 6",
       Option2_Click,
       6,
       0,
       {"W 80 B0", "R 80 B0", "W 80 06", "R 80 06", "W 81 06", "R 81 06"}},
      {"x5 with range bits 0",
       Option2_Click,
       0,
       0,
       {"W 80 B0", "R 80 B0", "W 80 00", "R 80 00", "W 81 00", "R 81 00"}},
  };
  for (const GainCase& c : cases) {
    SCOPED_TRACE(c.name);
    traffic.clear();
    s.control_bits.pga_bits = 1 - c.pga_bits_after;  // the other gain was in force
    s.control_bits.range_bits = c.range_bits_before;

    c.handler(s);

    EXPECT_EQ(traffic, c.traffic);
    EXPECT_EQ(s.control_bits.pga_bits, c.pga_bits_after);
    EXPECT_EQ(s.control_bits.range_bits, c.range_bits_before);
    EXPECT_TRUE(dialogs.boxes.empty());
  }
}

TEST_F(OperatorSettingsTest, RangeOptionsOnlyRecordTheRangeBits) {
  const struct {
    Handler handler;
    std::int32_t range_bits;
  } cases[] = {{Option4_Click, 6}, {Option5_Click, 4}, {Option6_Click, 2}, {Option3_Click, 0}};
  s.control_bits.pga_bits = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.range_bits);
    c.handler(s);
    EXPECT_EQ(s.control_bits.range_bits, c.range_bits);
    EXPECT_EQ(s.control_bits.pga_bits, 1);
  }
  EXPECT_TRUE(traffic.empty());
}

TEST_F(OperatorSettingsTest, TheNextCommandCarriesTheChosenGainAndRange) {
  Option2_Click(s);  // x5
  Option4_Click(s);  // Range2: 1 V p-p
  traffic.clear();

  write_control_command(s, reg::control_high, command::initialise);

  EXPECT_EQ(writes(), Lines{"W 80 16"});
}

TEST_F(OperatorSettingsTest, StandbyAndTemperatureCommandsCarryNoRangeOrGainBits) {
  Option1_Click(s);
  Option4_Click(s);  // pga 1 + range 6 would turn 0xB0 into 0xB7
  chip.registers[reg::status] = status_bit::temperature_valid;
  traffic.clear();

  enter_standby_quiet(s);
  measure_temperature(s);

  const Lines all = writes();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], "W 80 B0");
  EXPECT_EQ(all[1], "W 80 90");
}

TEST_F(OperatorSettingsTest, ClockOptionsReplaceTheTypedClockAndWriteNothing) {
  s.form.Text7.text = "12345";
  InternalClock_Click(s);
  EXPECT_EQ(s.form.Text7.text, "16776000");

  s.form.Text7.text = "abc";
  ExternalClock_Click(s);
  EXPECT_EQ(s.form.Text7.text, "16000000");

  EXPECT_TRUE(traffic.empty());
}

TEST_F(OperatorSettingsTest, MultipliersKeepCountBit8AndReplaceBits2To1) {
  const struct {
    const char* name;
    Handler handler;
    std::uint8_t held;
    Lines traffic;
  } cases[] = {
      {"x4 over count bit 8", Multiply_by_four_Click, 0x01, {"R 8A 01", "W 8A 07", "R 8A 07"}},
      {"x1 over x4", Multiply_by_one_Click, 0x07, {"R 8A 07", "W 8A 01", "R 8A 01"}},
      {"x2 over x4", Multiply_by_two_Click, 0x06, {"R 8A 06", "W 8A 02", "R 8A 02"}},
      {"x2 drops stray bits", Multiply_by_two_Click, 0xF9, {"R 8A F9", "W 8A 03", "R 8A 03"}},
      {"x4 with no count bit", Multiply_by_four_Click, 0x00, {"R 8A 00", "W 8A 06", "R 8A 06"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    traffic.clear();
    chip.registers[reg::settling_high] = c.held;

    c.handler(s);

    EXPECT_EQ(traffic, c.traffic);
  }
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(OperatorSettingsTest, AWriteThatReadsBackWrongShowsItsBoxAndTheHandlerGoesOn) {
  chip.stuck_registers[reg::control_high] = 0xFF;

  Option1_Click(s);

  EXPECT_EQ(writes(), (Lines{"W 80 B0", "W 80 01", "W 81 01"}));
  EXPECT_EQ(box_texts(),
            (Lines{"Error:Invaid data write/readback sequence to part.check power connections: ",
                   "error:"}));
}

}  // namespace
}  // namespace quelnor::converter
