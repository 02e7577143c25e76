// The virtual-board panel: circuits typed or picked, the board's own error text for a
// malformed one, faults switched by their tick boxes and shown as the board has them.
#include "gui/virtual_board_panel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <stdexcept>

#include "sim/virtual_board.h"
#include "util/clock.h"

namespace quelnor::gui {
namespace {

class Panel : public ::testing::Test {
 protected:
  util::VirtualClock clock;
  sim::VirtualBoard board{clock};
  VirtualBoardPanel panel{board};
};

TEST_F(Panel, SaysPlainlyThatTheBoardIsSimulated) {
  EXPECT_TRUE(panel.windowTitle().contains("VIRTUAL BOARD"));
  EXPECT_TRUE(panel.windowTitle().contains("not a measurement"));
  auto* banner = panel.findChild<QLabel*>("banner");
  ASSERT_NE(banner, nullptr);
  EXPECT_EQ(banner->text(), panel.windowTitle());
}

TEST_F(Panel, TypedAndPresetCircuitsReachTheBoard) {
  panel.circuit_edit()->setText("R100k||C22p");
  EXPECT_TRUE(panel.apply_circuit(panel.circuit_edit()->text().toStdString()));
  EXPECT_EQ(board.dut(), "R100k||C22p");
  EXPECT_TRUE(panel.circuit_label()->text().contains("R100k||C22p"));

  for (const std::string& preset : VirtualBoardPanel::presets()) {
    auto* button = panel.findChild<QPushButton*>(QString::fromStdString("preset " + preset));
    ASSERT_NE(button, nullptr) << preset;
    button->click();
    EXPECT_EQ(board.dut(), preset);
  }
  const auto& presets = VirtualBoardPanel::presets();
  for (const char* calibration_circuit :
       {"R200k", "C15p", "R200k+C15p", "R200k||C15p", "(R200k||C15p)+R200k"}) {
    EXPECT_NE(std::find(presets.begin(), presets.end(), calibration_circuit), presets.end());
  }
}

TEST_F(Panel, AMalformedCircuitShowsTheBoardsErrorAndKeepsThePreviousOne) {
  ASSERT_TRUE(panel.apply_circuit("R200k"));
  EXPECT_FALSE(panel.apply_circuit("R200k||"));
  EXPECT_EQ(board.dut(), "R200k");
  std::string expected;
  try {
    board.set_dut("R200k||");
  } catch (const std::invalid_argument& error) {
    expected = error.what();
  }
  EXPECT_EQ(panel.message_label()->text().toStdString(), expected);
}

TEST_F(Panel, FaultTickBoxesSwitchTheBoardsFaults) {
  auto* zero_data = panel.findChild<QCheckBox*>("fault zero-data");
  auto* argument = panel.findChild<QLineEdit*>("argument zero-data");
  ASSERT_NE(zero_data, nullptr);
  ASSERT_NE(argument, nullptr);
  argument->setText("7");
  zero_data->click();
  EXPECT_EQ(board.active_faults(), std::vector<std::string>{"zero-data 7"});
  EXPECT_EQ(panel.fault_list()->item(0)->text(), "zero-data 7");
  zero_data->click();
  EXPECT_TRUE(board.active_faults().empty());

  // A bad argument is refused with the board's text, and the box does not stay ticked.
  argument->setText("x");
  zero_data->click();
  EXPECT_TRUE(board.active_faults().empty());
  EXPECT_FALSE(zero_data->isChecked());
  EXPECT_TRUE(panel.message_label()->text().contains("zero-data"));

  // A fault switched elsewhere (a script, the typed line) shows on its box.
  EXPECT_TRUE(panel.apply_fault("drop-request all"));
  EXPECT_TRUE(panel.findChild<QCheckBox*>("fault drop-request")->isChecked());
  EXPECT_TRUE(panel.apply_fault("off all"));
  EXPECT_FALSE(panel.findChild<QCheckBox*>("fault drop-request")->isChecked());
  EXPECT_FALSE(panel.apply_fault("no-such-fault"));
}

}  // namespace
}  // namespace quelnor::gui
