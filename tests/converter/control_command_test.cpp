// Control commands: the gain and range bits in force are added to the command code, and
// the read-back is compared with the composed byte, not with the bare command.
#include "converter/control_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converter/register_map.h"
#include "converter_session.h"

namespace quelnor::converter {
namespace {

using Lines = std::vector<std::string>;

class ControlCommandTest : public ::testing::Test, public test::ConverterSession {};

TEST_F(ControlCommandTest, TheCommandCarriesGainAndRangeBitsAndIsComparedAsSent) {
  s.control_bits = {pga_gain_x1, range_1v};

  write_control_command(s, reg::control_high, command::start_sweep);

  EXPECT_EQ(traffic, (Lines{"W 80 27", "R 80 27"}));
  EXPECT_TRUE(dialogs.boxes.empty());

  chip.stuck_registers[reg::control_high] = command::start_sweep;  // dropped the bits
  write_control_command(s, reg::control_high, command::start_sweep);
  EXPECT_EQ(box_texts(), Lines{"error:"});
  EXPECT_EQ(dialogs.boxes[0].title, model::application_title);
}

}  // namespace
}  // namespace quelnor::converter
