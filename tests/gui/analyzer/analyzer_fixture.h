// The analyzer window on the demo source with its own settings file, and a sweep that
// waits (bounded) for the run to end.
#pragma once

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

#include "gui/analyzer/analyzer_window.h"
#include "gui/analyzer/demo_source.h"
#include "gui/analyzer/plan_panel.h"

namespace quelnor::gui::analyzer::test {

inline SweepPlan log_plan(double start_hz, double stop_hz, int points) {
  SweepPlan plan;
  plan.start_hz = start_hz;
  plan.stop_hz = stop_hz;
  plan.points = points;
  plan.logarithmic = true;
  return plan;
}

class AnalyzerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    open_window();
  }

  void open_window() {
    window.reset();
    window = std::make_unique<AnalyzerWindow>(source, dir.filePath("analyzer.ini"));
    window->resize(1280, 820);
    window->show();
    window->plan_panel()->set_plan(log_plan(1e3, 1e5, 51));
  }

  // Runs `start` and waits up to 20 s for the run to end.
  template <typename Start>
  bool wait_for_run(Start start) {
    QSignalSpy ended(window.get(), &AnalyzerWindow::run_ended);
    if (!start()) return false;
    return ended.wait(20000) || ended.count() > 0;
  }
  bool sweep() {
    return wait_for_run([this] { return window->run_single(); });
  }

  QTemporaryDir dir;
  DemoSource source{"R10k||C1n"};
  std::unique_ptr<AnalyzerWindow> window;
};

}  // namespace quelnor::gui::analyzer::test
