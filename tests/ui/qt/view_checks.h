// Checks that the main window shows exactly what the model holds: texts, captions,
// enabled states, selections, the progress bar and the chart page.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <string>
#include <vector>

#include "model/form1_controls.h"
#include "ui/qt/main_window.h"

namespace quelnor::test {

inline QString q(const std::string& text) {
  return QString::fromStdString(text);
}

inline void expect_view_matches_model(ui::qt::MainWindow& window, model::Form1Controls& f) {
  using model::TextBox;
  const std::vector<std::pair<const char*, const TextBox*>> boxes = {
      {"Text1", &f.Text1},   {"Text2", &f.Text2}, {"Text3", &f.Text3},
      {"Text4", &f.Text4},   {"Text7", &f.Text7}, {"Text10", &f.Text10},
      {"Text11", &f.Text11}, {"Text6", &f.Text6}, {"Text5", &f.Text5}};
  for (const auto& [name, box] : boxes) {
    auto* edit = qobject_cast<QLineEdit*>(window.control(name));
    ASSERT_NE(edit, nullptr) << name;
    EXPECT_EQ(edit->text(), q(box->text)) << name;
    EXPECT_EQ(edit->isEnabled(), box->enabled) << name;
    if (box->max_length > 0) {
      EXPECT_EQ(edit->maxLength(), box->max_length) << name;
    }
  }
  const std::vector<std::pair<const char*, const model::OptionButton*>> options = {
      {"ExternalClock", &f.ExternalClock},
      {"InternalClock", &f.InternalClock},
      {"Option1", &f.Option1},
      {"Option2", &f.Option2},
      {"Option3", &f.Option3},
      {"Option4", &f.Option4},
      {"Option5", &f.Option5},
      {"Option6", &f.Option6},
      {"Opt_resistor", &f.Opt_resistor},
      {"Opt_capacitor", &f.Opt_capacitor},
      {"Optresistorandcapseries", &f.Optresistorandcapseries},
      {"Optresisandcapparallel", &f.Optresisandcapparallel},
      {"Complex", &f.Complex},
      {"Multiply_by_one", &f.Multiply_by_one},
      {"Multiply_by_two", &f.Multiply_by_two},
      {"Multiply_by_four", &f.Multiply_by_four},
      {"Option7", &f.Option7},
      {"Option8", &f.Option8}};
  for (const auto& [name, option] : options) {
    auto* button = qobject_cast<QAbstractButton*>(window.control(name));
    ASSERT_NE(button, nullptr) << name;
    EXPECT_EQ(window.shown_text(name), q(option->caption)) << name;
    EXPECT_EQ(button->isChecked(), option->value) << name;
    EXPECT_EQ(button->isEnabled(), option->enabled) << name;
  }
  const std::vector<std::pair<const char*, const model::CheckBox*>> checks = {
      {"Continuous_sweep_text", &f.Continuous_sweep_text}, {"Check1", &f.Check1}};
  for (const auto& [name, check] : checks) {
    auto* button = qobject_cast<QAbstractButton*>(window.control(name));
    ASSERT_NE(button, nullptr) << name;
    EXPECT_EQ(window.shown_text(name), q(check->caption)) << name;
    EXPECT_EQ(button->isChecked(), check->value) << name;
    EXPECT_EQ(button->isEnabled(), check->enabled) << name;
  }
  const std::vector<std::pair<const char*, const model::CommandButton*>> buttons = {
      {"help", &f.help},         {"Command2", &f.Command2}, {"Command6", &f.Command6},
      {"Command5", &f.Command5}, {"Command1", &f.Command1}, {"Download_data", &f.Download_data}};
  for (const auto& [name, command] : buttons) {
    auto* button = qobject_cast<QPushButton*>(window.control(name));
    ASSERT_NE(button, nullptr) << name;
    EXPECT_EQ(button->text(), q(command->caption)) << name;
    EXPECT_EQ(button->isEnabled(), command->enabled) << name;
  }
  const std::vector<std::pair<const char*, const model::Label*>> labels = {
      {"label_start", &f.label_start},
      {"label_delta", &f.label_delta},
      {"label_increments", &f.label_increments},
      {"label_settling", &f.label_settling},
      {"label_mclk", &f.label_mclk},
      {"Label17", &f.Label17},
      {"Label19", &f.Label19},
      {"Label5", &f.Label5},
      {"Label20", &f.Label20},
      {"Label10", &f.Label10},
      {"Label8", &f.Label8},
      {"Label9", &f.Label9}};
  for (const auto& [name, label] : labels) {
    EXPECT_EQ(window.shown_text(name), q(label->caption)) << name;
  }
  const std::vector<std::pair<const char*, const model::Frame*>> frames = {
      {"sweep_parameters", &f.sweep_parameters},
      {"system_clock", &f.system_clock},
      {"output_excitation", &f.output_excitation},
      {"pga_control", &f.pga_control},
      {"Frm_choose_impedence_type", &f.Frm_choose_impedence_type},
      {"dds_settling", &f.dds_settling},
      {"calibration_gain_factor", &f.calibration_gain_factor},
      {"internal_temperature", &f.internal_temperature},
      {"start_sweep", &f.start_sweep}};
  for (const auto& [name, frame] : frames) {
    EXPECT_EQ(window.shown_text(name), q(frame->caption)) << name;
  }
  auto* bar = qobject_cast<QProgressBar*>(window.control("PBar"));
  ASSERT_NE(bar, nullptr);
  if (f.PBar.max > f.PBar.min) {
    EXPECT_EQ(bar->minimum(), f.PBar.min);
    EXPECT_EQ(bar->maximum(), f.PBar.max);
    EXPECT_EQ(bar->value(), f.PBar.value);
  } else {
    EXPECT_EQ(bar->value(), bar->minimum());  // empty, never the busy animation
    EXPECT_GT(bar->maximum(), bar->minimum());
  }
  EXPECT_EQ(window.tabs()->currentIndex(), f.SSTab1);
}

}  // namespace quelnor::test
