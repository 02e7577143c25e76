// The main window over the real application on the virtual board: the state after load
// and after each workflow button, pressed on the view; the charts a sweep draws; the help
// pages; a real export through the save-dialog seam.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCategoryAxis>
#include <QLineSeries>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "app/help_pages.h"
#include "app_window_fixture.h"
#include "gui/help_pictures.h"
#include "gui/help_windows.h"
#include "view_checks.h"

namespace quelnor::gui {
namespace {

using test::AppWindow;

struct Enabled {
  const char* name;
  bool enabled;
};

void expect_enabled(AppWindow& w, std::initializer_list<Enabled> expected) {
  for (const Enabled& e : expected) {
    EXPECT_EQ(w.window.control(e.name)->isEnabled(), e.enabled) << e.name;
  }
}

TEST(MainWindowApp, AfterLoad) {
  AppWindow w;
  ASSERT_TRUE(w.started);
  EXPECT_TRUE(w.window.isVisible());
  test::expect_view_matches_model(w.window, w.form());
  for (const char* selected :
       {"Option1", "Option3", "ExternalClock", "Opt_resistor", "Option7", "Multiply_by_one"}) {
    EXPECT_TRUE(qobject_cast<QAbstractButton*>(w.window.control(selected))->isChecked())
        << selected;
  }
  EXPECT_EQ(w.window.shown_text("Text7"), "16000000");
  expect_enabled(w, {{"Option7", false},
                     {"Option8", false},
                     {"Continuous_sweep_text", false},
                     {"Check1", false},
                     {"Download_data", false},
                     {"Command6", false},
                     {"Command1", false},
                     {"Multiply_by_one", false},
                     {"Multiply_by_two", false},
                     {"Multiply_by_four", false},
                     {"Text11", false},
                     {"Text6", false},
                     {"Command2", true},
                     {"Command5", true},
                     {"help", true},
                     {"Text10", true}});
}

TEST(MainWindowApp, WorkflowButtonsPressedOnTheView) {
  AppWindow w;
  ASSERT_TRUE(w.started);

  w.press("Command2");
  test::expect_view_matches_model(w.window, w.form());
  expect_enabled(w, {{"Command6", true},
                     {"Option7", true},
                     {"Option8", true},
                     {"Multiply_by_one", true},
                     {"Multiply_by_four", true},
                     {"Command1", false},
                     {"Continuous_sweep_text", false},
                     {"Check1", false},
                     {"Download_data", false}});
  EXPECT_EQ(w.boxes.texts().back(), "Registers have been programmed successfully. Press ok");

  w.press("Command6");
  test::expect_view_matches_model(w.window, w.form());
  expect_enabled(w, {{"Command1", true},
                     {"Continuous_sweep_text", true},
                     {"Check1", true},
                     {"Download_data", false}});

  w.press("Command1");
  test::expect_view_matches_model(w.window, w.form());
  expect_enabled(
      w,
      {{"Download_data", true}, {"Option7", true}, {"Multiply_by_two", true}, {"Command1", true}});
  EXPECT_EQ(w.boxes.texts().back(), " sweep complete:   Press ok  ");

  // Programming again withdraws the export and the sweep.
  w.press("Command2");
  expect_enabled(w, {{"Download_data", false}, {"Command1", false}, {"Check1", false}});
  test::expect_view_matches_model(w.window, w.form());
}

TEST(MainWindowApp, ARefusedGainFactorPutsTheFocusInItsBox) {
  AppWindow w;
  w.window.show();
  w.press("Command2");
  w.press("Command6");
  auto* gain = qobject_cast<QLineEdit*>(w.window.control("Text5"));
  gain->setFocus();
  gain->selectAll();
  gain->insert("0");
  w.window.control("Text1")->setFocus();
  QApplication::processEvents();
  w.press("Command1");
  EXPECT_EQ(w.boxes.texts().back(), "Gain factor must be greater than zero");
  // The box took the activation; the window's own focus is where it comes back to.
  EXPECT_EQ(w.window.focusWidget(), gain);
  EXPECT_FALSE(w.window.control("Download_data")->isEnabled());
}

TEST(MainWindowApp, ChartsReceiveTheSweepAndTheProgressBarMoves) {
  AppWindow w;
  w.press("Command2");
  w.press("Command6");
  qobject_cast<QAbstractButton*>(w.window.control("Check1"))->click();
  ASSERT_TRUE(w.form().Check1.value);
  w.bar_values_seen.clear();
  w.press("Command1");

  const model::SweepTable& table = w.application.session().data.sweep_table;
  const int points = w.application.session().data.plot_point_count;
  ASSERT_EQ(points, 101);
  struct ChartCase {
    QtStripChart* chart;
    const char* y_caption;
    const model::Column* y;
  };
  for (const ChartCase& c : {ChartCase{&w.window.strip1(), "Impedance(Ohms)", &table.impedance},
                             ChartCase{&w.window.strip2(), "Phase(Degrees)", &table.phase}}) {
    SCOPED_TRACE(c.y_caption);
    const model::RecordingStripChart& got = c.chart->record();
    EXPECT_EQ(got.y_caption(), c.y_caption);
    EXPECT_EQ(got.x_caption(), "Frequency(Hz)");
    EXPECT_EQ(got.x_lower(), 30000);
    EXPECT_EQ(got.x_upper(), table.frequency[100]);
    EXPECT_EQ(got.x_span(), 200);
    EXPECT_EQ(got.points_per_trace(), 101);
    ASSERT_EQ(got.trace(0).size(), 101u);
    for (int i = 0; i < points; ++i) {
      EXPECT_EQ(got.trace(0)[i], std::make_pair(table.frequency[i], (*c.y)[i])) << i;
    }
    EXPECT_FALSE(got.trace(1).empty());  // the theoretical profile is asked for
    // The drawing follows the record.
    EXPECT_EQ(c.chart->series(0)->count(), 101);
    EXPECT_EQ(c.chart->series(1)->count(), static_cast<int>(got.trace(1).size()));
    EXPECT_DOUBLE_EQ(c.chart->x_axis()->min(), got.x_lower());
    EXPECT_DOUBLE_EQ(c.chart->x_axis()->max(), got.x_upper());
    EXPECT_DOUBLE_EQ(c.chart->y_axis()->min(), got.y_lower());
    EXPECT_DOUBLE_EQ(c.chart->y_axis()->max(), got.y_upper());
    EXPECT_EQ(c.chart->x_axis()->titleText(), "Frequency(Hz)");
    EXPECT_EQ(c.chart->y_axis()->titleText(), c.y_caption);
    EXPECT_FALSE(c.chart->x_axis()->categoriesLabels().isEmpty());
  }
  EXPECT_EQ(w.window.strip2().record().y_lower(), -180);
  EXPECT_EQ(w.window.strip2().record().y_upper(), 180);
  // The view was rendered while the charts filled, with the bar at different places.
  const std::set<int> distinct(w.bar_values_seen.begin(), w.bar_values_seen.end());
  EXPECT_GE(distinct.size(), 2u);
  EXPECT_EQ(w.window.tabs()->currentIndex(), 0);

  // Programming the registers clears both charts, drawing included.
  w.press("Command2");
  EXPECT_TRUE(w.window.strip1().record().trace(0).empty());
  EXPECT_EQ(w.window.strip1().series(0)->count(), 0);
  EXPECT_EQ(w.window.strip2().series(1)->count(), 0);
}

// The bar is drawn as each row goes into the charts, not only at the servicing points.
TEST(MainWindowApp, TheProgressBarShowsEveryRowAsTheChartsFill) {
  AppWindow w;
  w.window.show();
  w.press("Command2");
  w.press("Command6");
  model::Session& session = w.application.session();
  const std::function<void()> window_repaint = session.repaint_cues;
  ASSERT_TRUE(window_repaint);
  const auto* bar = qobject_cast<QProgressBar*>(w.window.control("PBar"));
  std::set<int> shown;
  session.repaint_cues = [&] {
    window_repaint();
    shown.insert(bar->value());
  };
  w.press("Command1");
  ASSERT_EQ(session.data.plot_point_count, 101);
  EXPECT_EQ(shown.size(), 101u);  // rows 0 .. 100
  EXPECT_EQ(*shown.rbegin(), 100);
  EXPECT_EQ(bar->value(), 0);  // set back after the sweep
}

TEST(MainWindowApp, HelpPagesMatchTheModelAndLeadBackToAnUnchangedWindow) {
  AppWindow w;
  w.window.show();
  w.press("Command2");
  const std::string gain_before = w.form().Text5.text;

  w.press("help");
  auto& help = w.window.help_windows();
  auto visible_windows = [&] {
    std::vector<std::string> shown;
    if (w.window.isVisible()) shown.push_back("Form1");
    for (const app::HelpPage& design : app::help_page_table()) {
      const std::string& form = design.name;
      if (help.page(form) && help.page(form)->isVisible()) shown.push_back(form);
    }
    return shown;
  };
  EXPECT_EQ(visible_windows(), std::vector<std::string>{"Form2"});

  const std::pair<const char*, const char*> path[] = {{"Form2", "Command1"}, {"Form3", "Continue"},
                                                      {"Form4", "Command1"}, {"Form5", "Command3"},
                                                      {"Form6", "Command1"}, {"Form5", "Command2"}};
  const char* expected_after[] = {"Form3", "Form4", "Form5", "Form6", "Form5", "Form7"};
  for (std::size_t i = 0; i < std::size(path); ++i) {
    QPushButton* button = help.button(path[i].first, path[i].second);
    ASSERT_NE(button, nullptr) << path[i].first << "." << path[i].second;
    button->click();
    EXPECT_EQ(visible_windows(), std::vector<std::string>{expected_after[i]});
  }
  // Every page as the model describes it: caption, client size, button captions.
  for (const app::HelpPage& model_page : w.application.help_pages().pages()) {
    QWidget* page = help.page(model_page.name);
    ASSERT_NE(page, nullptr) << model_page.name;
    EXPECT_EQ(page->windowTitle().toStdString(), model_page.caption);
    EXPECT_EQ(page->size(), QSize(model_page.client_width_px, model_page.client_height_px));
    for (const app::HelpButton& b : model_page.buttons) {
      QPushButton* button = help.button(model_page.name, b.name);
      ASSERT_NE(button, nullptr) << model_page.name << "." << b.name;
      EXPECT_EQ(button->text().toStdString(), b.caption);
      EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 12.0);
      EXPECT_TRUE(button->font().bold());
    }
  }

  help.button("Form7", "Command1")->click();
  EXPECT_EQ(visible_windows(), std::vector<std::string>{"Form1"});
  EXPECT_EQ(w.form().Text5.text, gain_before);
  test::expect_view_matches_model(w.window, w.form());

  // Opened again it starts at page 1; a page closed through its frame brings the main
  // window back, and the page is kept for the next time.
  w.press("help");
  EXPECT_EQ(visible_windows(), std::vector<std::string>{"Form2"});
  help.button("Form2", "Command1")->click();
  QWidget* page = help.page("Form3");
  page->close();
  EXPECT_EQ(visible_windows(), std::vector<std::string>{"Form1"});
  EXPECT_EQ(help.page("Form3"), page);
}

TEST(MainWindowApp, ExportWritesThroughTheSaveDialogSeam) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "quelnor_qt_export_test.csv";
  std::filesystem::remove(file);
  std::vector<util::SaveDialogRequest> requests;
  std::string answer = file.string();
  AppWindow w([&](const util::SaveDialogRequest& request) {
    requests.push_back(request);
    return answer;
  });
  w.press("Command2");
  w.press("Command6");
  w.press("Command1");
  w.press("Download_data");

  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].folder, test::bin_dir());
  EXPECT_EQ(requests[0].suggested_name, "Impedance & Phase Data");
  EXPECT_EQ(requests[0].filter, "Log Files (*.csv)|*.csv");
  std::ifstream in(file, std::ios::binary);
  std::string line;
  std::vector<std::string> lines;
  while (std::getline(in, line)) lines.push_back(line);
  ASSERT_EQ(lines.size(), 102u);
  EXPECT_EQ(lines[0], "Frequency,Impedance,Phase,Real,Imaginary,Magnitude,\r");
  EXPECT_EQ(lines[1].rfind(" 30000 ,", 0), 0u) << lines[1];

  // Cancelled: nothing more is written.
  answer.clear();
  w.press("Download_data");
  std::ifstream again(file, std::ios::binary);
  std::size_t count = 0;
  while (std::getline(again, line)) ++count;
  EXPECT_EQ(count, 102u);
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace quelnor::gui

namespace quelnor::gui {
namespace {

// A continuous run ends when the operator acts on the view at a servicing point: here a
// zero timer stands for the operator, firing inside the run's first servicing.
struct ContinuousCase {
  const char* what;
  bool close_window;  // close the main window instead of unticking the box
};

TEST(MainWindowApp, TheOperatorEndsAContinuousRunFromTheView) {
  for (const ContinuousCase c : {ContinuousCase{"untick", false}, ContinuousCase{"close", true}}) {
    SCOPED_TRACE(c.what);
    AppWindow w;
    w.window.show();
    bool closed = false;
    w.window.set_on_closed([&] { closed = true; });
    w.press("Command2");
    w.press("Command6");
    auto* continuous = qobject_cast<QAbstractButton*>(w.window.control("Continuous_sweep_text"));
    continuous->click();
    ASSERT_TRUE(w.form().Continuous_sweep_text.value);
    QTimer::singleShot(0, &w.window, [&] {
      if (c.close_window) {
        w.window.close();
      } else {
        continuous->click();
      }
    });
    w.press("Command1");  // returns only once the run has ended
    EXPECT_FALSE(w.form().Continuous_sweep_text.value);
    EXPECT_FALSE(continuous->isChecked());
    EXPECT_EQ(closed, c.close_window);
    EXPECT_EQ(w.window.isVisible(), !c.close_window);
    if (!c.close_window) {
      EXPECT_TRUE(w.window.control("Download_data")->isEnabled());
      test::expect_view_matches_model(w.window, w.form());
    }
  }
}

// The whole help chain with its pictures (made by a second, hidden application), back to
// the window, a calibration and a continuous run of several passes ended by unticking:
// the path on which the window once ended silently.
TEST(MainWindowApp, AContinuousRunAfterTheWholeHelpChainRunsAndEnds) {
  AppWindow w;
  const std::string dir = test::bin_dir();
  w.window.set_help_pictures([dir] { return make_help_pictures(dir); });
  w.window.show();
  w.press("help");
  HelpWindows& help = w.window.help_windows();
  const std::pair<const char*, const char*> chain[] = {
      {"Form2", "Command1"}, {"Form3", "Continue"}, {"Form4", "Command1"}, {"Form5", "Command3"},
      {"Form6", "Command1"}, {"Form5", "Command2"}, {"Form7", "Command1"}};
  for (const auto& [form, button] : chain) {
    QPushButton* next = help.button(form, button);
    ASSERT_NE(next, nullptr) << form << "." << button;
    next->click();
  }
  ASSERT_TRUE(w.window.isVisible());
  w.press("Command2");
  w.press("Command6");
  auto* continuous = qobject_cast<QAbstractButton*>(w.window.control("Continuous_sweep_text"));
  continuous->click();
  // The operator unticks the box after about three passes (each pass services input after
  // both charts and after the temperature reading).
  int servicings = 0;
  w.pump.set_render([&] {
    w.window.render();
    if (++servicings == 10) QTimer::singleShot(0, &w.window, [continuous] { continuous->click(); });
  });
  w.press("Command1");
  EXPECT_GE(servicings, 10);
  EXPECT_FALSE(w.form().Continuous_sweep_text.value);
  EXPECT_TRUE(w.window.isVisible());
  // No box from the run itself.
  EXPECT_EQ(w.boxes.texts(),
            (std::vector<std::string>{"Registers have been programmed successfully. Press ok",
                                      "The mid-point gain factor has been calculated."}));
  test::expect_view_matches_model(w.window, w.form());
}

}  // namespace
}  // namespace quelnor::gui
