// The main window as a view: it shows what the model holds, sends what the operator does
// to the actions by control name, and shows the model again afterwards, refusals included.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>

#include "gui/help_windows.h"
#include "gui/main_window.h"
#include "model/form1_control_table.h"
#include "model_actions_fake.h"
#include "view_checks.h"

namespace quelnor::gui {
namespace {

using test::ModelActionsFake;

class MainWindowView : public ::testing::Test {
 protected:
  MainWindowView() {
    window.bind(fake.session, fake);
    window.show();
    QApplication::processEvents();
  }
  model::Form1Controls& form() { return fake.session.form; }
  QAbstractButton* button(const char* name) {
    return qobject_cast<QAbstractButton*>(window.control(name));
  }
  QLineEdit* edit(const char* name) { return qobject_cast<QLineEdit*>(window.control(name)); }

  ModelActionsFake fake;
  MainWindow window;
};

TEST_F(MainWindowView, WindowFrameFontAndPages) {
  EXPECT_EQ(window.size(), QSize(897, 668));
  EXPECT_EQ(window.windowTitle(), "Quelnor Beta Version VUD1.0");
  EXPECT_TRUE(window.font().bold());
  EXPECT_DOUBLE_EQ(window.font().pointSizeF(), 8.25);
  EXPECT_EQ(window.tabs()->tabText(0), "Absolute Impedance | Z |");
  EXPECT_EQ(window.tabs()->tabText(1), QString::fromUtf8("Impedance Phase  \u00D8"));
  EXPECT_EQ(window.tabs()->widget(0), window.control("Strip1"));
  EXPECT_EQ(window.tabs()->widget(1), window.control("Strip2"));
  test::expect_view_matches_model(window, form());
}

TEST_F(MainWindowView, EveryControlSitsInsideTheClientAreaWithoutOverlap) {
  std::vector<std::pair<std::string, QRect>> placed;
  for (const char* name :
       {"help", "sweep_parameters", "system_clock", "output_excitation", "pga_control",
        "Frm_choose_impedence_type", "Command2", "dds_settling", "calibration_gain_factor",
        "internal_temperature", "start_sweep", "SSTab1"}) {
    QWidget* widget = window.control(name);
    ASSERT_NE(widget, nullptr) << name;
    const QRect area(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    EXPECT_TRUE(window.rect().contains(area)) << name;
    for (const auto& [other, other_area] : placed) {
      EXPECT_FALSE(area.intersects(other_area)) << name << " overlaps " << other;
    }
    placed.emplace_back(name, area);
  }
  // Every caption fits its control: a label or caption wraps rather than being cut.
  for (const model::ControlEntry& entry : model::form1_control_table) {
    const std::string name(entry.name);
    QWidget* widget = window.control(name);
    if (auto* push = qobject_cast<QPushButton*>(widget)) {
      EXPECT_LE(push->fontMetrics().horizontalAdvance(push->text()) + 8, push->width()) << name;
    }
  }
}

TEST_F(MainWindowView, RendersWhatTheModelChanged) {
  form().Command1.enabled = true;
  form().Download_data.enabled = true;
  form().Label20.caption = "Average Gain Factor";
  form().Text5.text = "4.9E-10";
  form().Text11.enabled = true;
  form().Check1.value = true;
  form().select(form().Option8);
  form().PBar = {0, 100, 42};
  form().SSTab1 = 1;
  window.render();
  test::expect_view_matches_model(window, form());

  // A progress bar with no range stays empty instead of animating as busy.
  form().PBar = {0, 0, 0};
  window.render();
  test::expect_view_matches_model(window, form());
}

TEST_F(MainWindowView, AGroupWithNothingSelectedShowsNothingSelected) {
  form().ExternalClock.value = false;
  window.render();
  EXPECT_FALSE(button("ExternalClock")->isChecked());
  EXPECT_FALSE(button("InternalClock")->isChecked());
}

TEST_F(MainWindowView, ClicksReachTheActionsByName) {
  button("Option2")->click();
  button("Check1")->click();
  qobject_cast<QPushButton*>(window.control("Command5"))->click();
  const std::vector<std::string> expected = {"click Option2", "check Check1 1", "click Command5"};
  EXPECT_EQ(fake.calls, expected);
  EXPECT_TRUE(button("Option2")->isChecked());
  EXPECT_FALSE(button("Option1")->isChecked());
  test::expect_view_matches_model(window, form());
}

TEST_F(MainWindowView, AClickOnACaptionActsAsAClickOnItsOption) {
  auto* captioned = window.findChild<QWidget*>("Complex_caption");
  ASSERT_NE(captioned, nullptr);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), captioned->mapToGlobal(QPointF(3, 3)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3),
                      captioned->mapToGlobal(QPointF(3, 3)), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(captioned, &press);
  QApplication::sendEvent(captioned, &release);
  ASSERT_FALSE(fake.calls.empty());
  EXPECT_EQ(fake.calls.back(), "click Complex");
  EXPECT_TRUE(button("Complex")->isChecked());
}

TEST_F(MainWindowView, ARefusedSelectionIsNotShown) {
  fake.refused.insert("Option4");
  button("Option4")->click();
  EXPECT_EQ(fake.calls, std::vector<std::string>{"click Option4"});
  EXPECT_FALSE(button("Option4")->isChecked());
  EXPECT_TRUE(button("Option3")->isChecked());
}

TEST_F(MainWindowView, TypingAndLeavingABoxReachTheActions) {
  QLineEdit* start = edit("Text1");
  start->setFocus();
  QApplication::processEvents();
  start->selectAll();
  start->insert("45000");  // as typing: emits textEdited
  EXPECT_EQ(form().Text1.text, "45000");
  // Tab to the next box: the box left runs its lost-focus action.
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QApplication::sendEvent(start, &tab);
  QApplication::processEvents();
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"type Text1 45000", "leave Text1"}));
  EXPECT_EQ(form().focused, "Text2");
}

TEST_F(MainWindowView, LosingTheFocusToAnotherWindowIsNotLeavingTheBox) {
  edit("Text1")->setFocus();
  QApplication::processEvents();
  QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(edit("Text1"), &deactivated);
  EXPECT_TRUE(fake.calls.empty());
}

TEST_F(MainWindowView, TheModelMovesTheFocus) {
  edit("Text1")->setFocus();
  QApplication::processEvents();
  // The handler refuses a gain factor and puts the focus in its box.
  form().Command1.enabled = true;
  window.render();
  fake.steps["Command1"] = [this] { form().focused = "Text5"; };
  qobject_cast<QPushButton*>(window.control("Command1"))->click();
  EXPECT_EQ(QApplication::focusWidget(), edit("Text5"));
}

// The window's whole focus order: entry fields, options, action buttons, then the rest.
const std::vector<std::string> focus_order = {"Text1",
                                              "Text2",
                                              "Text3",
                                              "Text4",
                                              "Text7",
                                              "Option1",
                                              "Option2",
                                              "Option3",
                                              "Option4",
                                              "Option5",
                                              "Option6",
                                              "ExternalClock",
                                              "InternalClock",
                                              "Opt_resistor",
                                              "Opt_capacitor",
                                              "Optresistorandcapseries",
                                              "Optresisandcapparallel",
                                              "Complex",
                                              "Text10",
                                              "Text11",
                                              "Text6",
                                              "Text5",
                                              "Continuous_sweep_text",
                                              "help",
                                              "Command2",
                                              "Command6",
                                              "Command1",
                                              "Download_data",
                                              "Check1",
                                              "Multiply_by_one",
                                              "Multiply_by_two",
                                              "Multiply_by_four",
                                              "Option7",
                                              "Option8",
                                              "Command5"};

TEST_F(MainWindowView, FocusOrderAndInitialFocus) {
  const std::vector<std::string>& expected = focus_order;
  EXPECT_EQ(QApplication::focusWidget(), edit("Text1"));
  std::vector<std::string> chain;
  QWidget* widget = window.control("Text1");
  for (int guard = 0; guard < 500 && chain.size() < expected.size(); ++guard) {
    for (const std::string& name : expected) {
      if (window.control(name) == widget) chain.push_back(name);
    }
    widget = widget->nextInFocusChain();
  }
  EXPECT_EQ(chain, expected);
}

TEST_F(MainWindowView, TheTabKeyReachesEveryEnabledControlInOrder) {
  // Qt gives the Tab key only the selected option of an exclusive group, and skips what is
  // disabled; apart from that the walk follows the focus order to its end.
  form().Command1.enabled = true;
  form().Multiply_by_one.enabled = true;
  window.render();
  std::vector<std::string> expected;
  for (const std::string& name : focus_order) {
    QWidget* widget = window.control(name);
    if (!widget->isEnabled()) continue;
    auto* option = qobject_cast<QRadioButton*>(widget);
    if (option != nullptr && !option->isChecked()) continue;
    expected.push_back(name);
  }
  ASSERT_EQ(QApplication::focusWidget(), edit("Text1"));
  std::vector<std::string> walked = {"Text1"};
  for (std::size_t i = 1; i < expected.size(); ++i) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(focused, &tab);
    QApplication::processEvents();
    std::string name = "?";
    for (const std::string& candidate : focus_order) {
      if (window.control(candidate) == QApplication::focusWidget()) name = candidate;
    }
    walked.push_back(name);
  }
  EXPECT_EQ(walked, expected);
}

TEST_F(MainWindowView, TabPageChoiceIsKeptInTheModel) {
  window.tabs()->setCurrentIndex(1);
  EXPECT_EQ(form().SSTab1, 1);
}

TEST_F(MainWindowView, ClosingDuringARunningHandlerWaitsForItAndStopsAContinuousRun) {
  bool closed = false;
  window.set_on_closed([&] { closed = true; });
  form().Command1.enabled = true;
  form().Continuous_sweep_text.value = true;
  window.render();
  // The operator closes the window while the sweep services input.
  fake.steps["Command1"] = [&] {
    window.close();
    EXPECT_FALSE(closed);
    EXPECT_FALSE(form().Continuous_sweep_text.value);  // the loop is told to stop
  };
  qobject_cast<QPushButton*>(window.control("Command1"))->click();
  EXPECT_TRUE(closed);
  EXPECT_EQ(fake.calls.back(), "close Form1");
}

TEST_F(MainWindowView, HelpPagesFollowTheModelAndAFrameCloseIsReported) {
  fake.steps["help"] = [this] {
    form().visible = false;
    fake.visible["Form2"] = true;
  };
  qobject_cast<QPushButton*>(window.control("help"))->click();
  QWidget* page = window.help_windows().page("Form2");
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(page->isVisible());
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(page->windowTitle(), "Quelnor Evaluation software ");
  EXPECT_EQ(page->size(), QSize(808, 311));

  page->close();  // through the frame
  EXPECT_EQ(fake.calls.back(), "close Form2");
  EXPECT_FALSE(page->isVisible());
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.help_windows().page("Form2"), page);  // hidden, never destroyed
}

}  // namespace
}  // namespace quelnor::gui
