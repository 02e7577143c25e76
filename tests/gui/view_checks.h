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
#include <variant>
#include <vector>

#include "gui/main_window.h"
#include "model/form1_control_table.h"

namespace quelnor::test {

inline QString q(const std::string& text) {
  return QString::fromStdString(text);
}

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

inline void expect_view_matches_model(gui::MainWindow& window, model::Form1Controls& f) {
  for (const model::ControlEntry& entry : model::form1_control_table) {
    const std::string name(entry.name);
    QWidget* widget = window.control(name);
    ASSERT_NE(widget, nullptr) << name;
    std::visit(Overloaded{
                   [&](const model::TextBox* box) {
                     auto* edit = qobject_cast<QLineEdit*>(widget);
                     ASSERT_NE(edit, nullptr) << name;
                     EXPECT_EQ(edit->text(), q(box->text)) << name;
                     EXPECT_EQ(edit->isEnabled(), box->enabled) << name;
                     if (box->max_length > 0) {
                       EXPECT_EQ(edit->maxLength(), box->max_length) << name;
                     }
                   },
                   [&](const model::OptionButton* option) {
                     auto* button = qobject_cast<QAbstractButton*>(widget);
                     ASSERT_NE(button, nullptr) << name;
                     EXPECT_EQ(window.shown_text(name), q(option->caption)) << name;
                     EXPECT_EQ(button->isChecked(), option->value) << name;
                     EXPECT_EQ(button->isEnabled(), option->enabled) << name;
                   },
                   [&](const model::CheckBox* check) {
                     auto* button = qobject_cast<QAbstractButton*>(widget);
                     ASSERT_NE(button, nullptr) << name;
                     EXPECT_EQ(window.shown_text(name), q(check->caption)) << name;
                     EXPECT_EQ(button->isChecked(), check->value) << name;
                     EXPECT_EQ(button->isEnabled(), check->enabled) << name;
                   },
                   [&](const model::CommandButton* command) {
                     auto* button = qobject_cast<QPushButton*>(widget);
                     ASSERT_NE(button, nullptr) << name;
                     EXPECT_EQ(button->text(), q(command->caption)) << name;
                     EXPECT_EQ(button->isEnabled(), command->enabled) << name;
                   },
                   [&](const model::Label* label) {
                     ASSERT_NE(qobject_cast<QLabel*>(widget), nullptr) << name;
                     EXPECT_EQ(window.shown_text(name), q(label->caption)) << name;
                   },
                   [&](const model::Frame* frame) {
                     ASSERT_NE(qobject_cast<QGroupBox*>(widget), nullptr) << name;
                     EXPECT_EQ(window.shown_text(name), q(frame->caption)) << name;
                   },
                   [&](const model::ProgressBar*) {},
               },
               entry.in(f));
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
