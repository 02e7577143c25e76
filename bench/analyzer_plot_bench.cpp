// Redraw time of the analyzer's plot with a 100,000-point trace: the whole Bode view, a
// zoomed-in view (what panning and wheel zoom repaint), and rebuilding the view's curves
// from the trace (what each refresh during a sweep does).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <numbers>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>

#include "gui/analyzer/analyzer_window.h"
#include "gui/analyzer/demo_source.h"
#include "gui/analyzer/plan_panel.h"
#include "gui/analyzer/plot_widget.h"
#include "gui/analyzer/view_curves.h"

namespace {

using namespace quelnor::gui::analyzer;

TraceSet rlc_traces(int count) {
  TraceSet traces;
  for (int i = 0; i < count; ++i) {
    const double f = 100.0 * std::pow(1e4, i / double(count - 1));
    const double w = 2 * std::numbers::pi * f;
    quelnor::analysis::SpectrumPoint p;
    p.frequency_hz = f;
    // A little ripple so every pixel column holds a real spread of values.
    p.impedance_ohm = {10.0 * (1 + 0.01 * std::sin(i * 0.7)), w * 1e-3 - 1 / (w * 1e-6)};
    traces.live().points.push_back(p);
  }
  return traces;
}

void render(benchmark::State& state, double zoom, ViewKind kind) {
  const TraceSet traces = rlc_traces(100000);
  PlotWidget plot;
  plot.resize(1000, 700);
  const ViewData v = view_data(kind, ViewSettings{}, traces);
  plot.set_data(v.panes, v.x_label, v.x_log, v.x_is_frequency, v.equal_scale);
  if (zoom != 1.0) plot.zoom_x(zoom);
  QImage image(plot.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter painter(&image);
    plot.render_plot(painter, plot.size());
  }
}

void BM_RedrawBode100k(benchmark::State& state) { render(state, 1.0, ViewKind::bode); }
void BM_RedrawBode100kZoomed(benchmark::State& state) { render(state, 0.05, ViewKind::bode); }
void BM_RedrawNyquist100k(benchmark::State& state) { render(state, 1.0, ViewKind::nyquist); }
BENCHMARK(BM_RedrawBode100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawBode100kZoomed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawNyquist100k)->Unit(benchmark::kMillisecond);

void BM_BuildBodeCurves100k(benchmark::State& state) {
  const TraceSet traces = rlc_traces(100000);
  for (auto _ : state) benchmark::DoNotOptimize(view_data(ViewKind::bode, ViewSettings{}, traces));
}
BENCHMARK(BM_BuildBodeCurves100k)->Unit(benchmark::kMillisecond);

// The longest time the window's event loop goes without servicing a 1 ms timer while a
// 500-point sweep (2 ms a point, in real time) arrives point by point with a marker set.
void BM_LongestEventLoopBlockDuring500PointSweep(benchmark::State& state) {
  QTemporaryDir dir;
  DemoSource source("R10k||C1n", std::chrono::milliseconds(2));
  AnalyzerWindow window(source, dir.filePath("analyzer.ini"));
  window.resize(1280, 820);
  window.show();
  SweepPlan plan;
  plan.points = 500;
  window.plan_panel()->set_plan(plan);
  window.add_marker(1e4);
  QApplication::processEvents();
  double longest_ms = 0.0;
  for (auto _ : state) {
    QEventLoop loop;
    QObject::connect(&window, &AnalyzerWindow::run_ended, &loop, &QEventLoop::quit);
    QTimer tick;
    tick.setInterval(1);
    QElapsedTimer since;
    since.start();
    QObject::connect(&tick, &QTimer::timeout, [&] {
      longest_ms = std::max(longest_ms, since.nsecsElapsed() / 1e6);
      since.start();
    });
    tick.start();
    window.run_single();
    loop.exec();
  }
  state.counters["longest_block_ms"] = longest_ms;
}
BENCHMARK(BM_LongestEventLoopBlockDuring500PointSweep)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
