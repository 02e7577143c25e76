// The analyzer's views as pure functions of the traces and the view settings: which panes,
// which curves, where the markers sit. The plot widget only draws what this returns.
#pragma once

#include <complex>
#include <vector>

#include "gui/analyzer/plot_widget.h"
#include "gui/analyzer/trace_set.h"

namespace quelnor::gui::analyzer {

enum class ViewKind { bode, nyquist, resistance_reactance, conductance_susceptance, difference };
enum class DifferenceMode { percent_and_phase, subtract, divide };

struct ViewSettings {
  bool log_frequency = true;
  bool log_magnitude = true;     // |Z| in the Bode view
  bool log_resistance = false;   // R (and G) panes; X and B can be negative and stay linear
  DifferenceMode difference = DifferenceMode::percent_and_phase;
};

struct ViewData {
  std::vector<PlotPane> panes;
  QString x_label;
  bool x_log = true;
  bool x_is_frequency = true;
  bool equal_scale = false;
};

// The live trace first (blue), then every shown memory; the difference view draws each
// shown trace but the reference against the reference (nothing without one).
ViewData view_data(ViewKind kind, const ViewSettings& settings, const TraceSet& traces);

struct MarkerValue {
  int marker = 0;  // 1-based
  double frequency_hz = 0.0;
  std::complex<double> impedance_ohm;
};
// Where each marker sits in each pane of the view.
std::vector<PlotMarkerPoint> view_markers(ViewKind kind, const ViewSettings& settings, const TraceSet& traces,
                                          const std::vector<MarkerValue>& markers);

}  // namespace quelnor::gui::analyzer
