// What the analyzer remembers, and a damaged store.
#include "gui/analyzer/analyzer_settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace quelnor::gui::analyzer {
namespace {

TEST(AnalyzerSettings, RoundTrip) {
  QTemporaryDir dir;
  const QString path = dir.filePath("analyzer.ini");
  AnalyzerState state;
  state.plan.start_hz = 20;
  state.plan.stop_hz = 2e5;
  state.plan.points = 333;
  state.plan.logarithmic = false;
  state.plan.range = 3;
  state.plan.pga = 5;
  state.calibration_file = "/tmp/cal.json";
  state.marker_frequencies_hz = {1234.5678901234567, 5e4};
  state.view_tab = 4;
  state.view.log_magnitude = false;
  state.view.difference = DifferenceMode::divide;
  {
    QSettings s(path, QSettings::IniFormat);
    save_analyzer_state(s, state);
  }
  QSettings s(path, QSettings::IniFormat);
  QString note;
  const AnalyzerState back = load_analyzer_state(s, note);
  EXPECT_TRUE(note.isEmpty()) << note.toStdString();
  EXPECT_EQ(back.plan.start_hz, 20);
  EXPECT_EQ(back.plan.points, 333);
  EXPECT_FALSE(back.plan.logarithmic);
  EXPECT_EQ(back.plan.range, 3);
  EXPECT_EQ(back.plan.pga, 5);
  EXPECT_EQ(back.calibration_file, "/tmp/cal.json");
  EXPECT_EQ(back.marker_frequencies_hz, state.marker_frequencies_hz);
  EXPECT_EQ(back.view_tab, 4);
  EXPECT_FALSE(back.view.log_magnitude);
  EXPECT_EQ(back.view.difference, DifferenceMode::divide);
}

TEST(AnalyzerSettings, DamagedValuesFallBackToDefaultsWithANote) {
  QTemporaryDir dir;
  const QString path = dir.filePath("analyzer.ini");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[plan]\nstart_hz=lots\nstop_hz=-4\npoints=12\n[markers]\nfrequencies_hz=1000, nope\n"
             "[view]\ntab=99\nlog_frequency=maybe\n");
  file.close();
  QSettings s(path, QSettings::IniFormat);
  QString note;
  const AnalyzerState state = load_analyzer_state(s, note);
  EXPECT_EQ(note.toStdString(),
            "Some saved settings of the analyzer were damaged and were reset to the defaults: plan/start_hz, plan, "
            "markers, view/log_frequency.");
  EXPECT_EQ(state.plan.start_hz, SweepPlan{}.start_hz);
  EXPECT_EQ(state.plan.points, SweepPlan{}.points);  // the whole plan, not a mix
  EXPECT_EQ(state.marker_frequencies_hz, std::vector<double>{1000});  // the readable ones stay
  EXPECT_EQ(state.view_tab, 0);
  EXPECT_TRUE(state.view.log_frequency);
}

TEST(AnalyzerSettings, AnUnreadableStoreGivesDefaultsWithANote) {
  QTemporaryDir dir;
  const QString path = dir.filePath("analyzer.ini");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[plan]\npoints=12\n\x01\x02\xff\xfe garbage\n[[[\n");
  file.close();
  QSettings s(path, QSettings::IniFormat);
  QString note;
  const AnalyzerState state = load_analyzer_state(s, note);
  EXPECT_EQ(note.toStdString(), "The saved settings of the analyzer could not be read; the defaults are used.");
  EXPECT_EQ(state.plan.points, SweepPlan{}.points);
}

}  // namespace
}  // namespace quelnor::gui::analyzer
