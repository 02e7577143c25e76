// Panes and curves of each view.
#include "gui/analyzer/view_curves.h"

#include <cmath>
#include <functional>
#include <numbers>

#include "analysis/impedance_quantities.h"
#include "analysis/trace_difference.h"
#include "analysis/trace_interpolation.h"

namespace quelnor::gui::analyzer {
namespace {

using analysis::ImpedanceQuantities;

struct Shown {
  QString name;
  QColor color;
  Qt::PenStyle style;
  const analysis::Spectrum* spectrum;
  bool is_reference;
};

std::vector<Shown> shown_traces(const TraceSet& traces) {
  std::vector<Shown> shown;
  if (!traces.live().points.empty()) shown.push_back({"Live", QColor(20, 70, 200), Qt::SolidLine, &traces.live(), false});
  for (std::size_t i = 0; i < traces.memories().size(); ++i) {
    const Trace& t = traces.memories()[i];
    if (!t.visible) continue;
    shown.push_back({t.name + (traces.reference() == i ? " (ref)" : ""), t.color,
                     t.model.isEmpty() ? Qt::SolidLine : Qt::DashLine, &t.spectrum, traces.reference() == i});
  }
  return shown;
}

using Quantity = std::function<double(const ImpedanceQuantities&)>;

PlotCurve curve_of(const Shown& s, const Quantity& x, const Quantity& y, bool keep_frequency) {
  PlotCurve c;
  c.name = s.name;
  c.color = s.color;
  c.style = s.style;
  const auto& points = s.spectrum->points;
  c.x.reserve(points.size());
  c.y.reserve(points.size());
  for (const analysis::SpectrumPoint& p : points) {
    const ImpedanceQuantities q = analysis::impedance_quantities(p.frequency_hz, p.impedance_ohm);
    c.x.push_back(x(q));
    c.y.push_back(y(q));
    if (keep_frequency) c.frequency_hz.push_back(p.frequency_hz);
  }
  return c;
}

const Quantity frequency = [](const ImpedanceQuantities& q) { return q.frequency_hz; };

struct PaneSpec {
  QString label;
  bool log;
  Quantity value;
};

std::vector<PaneSpec> pane_specs(ViewKind kind, const ViewSettings& s) {
  switch (kind) {
    case ViewKind::bode:
      return {{"|Z| (Ohm)", s.log_magnitude, [](const ImpedanceQuantities& q) { return q.magnitude_ohm; }},
              {"Phase (deg)", false, [](const ImpedanceQuantities& q) { return q.phase_deg; }}};
    case ViewKind::resistance_reactance:
      return {{"R (Ohm)", s.log_resistance, [](const ImpedanceQuantities& q) { return q.resistance_ohm; }},
              {"X (Ohm)", false, [](const ImpedanceQuantities& q) { return q.reactance_ohm; }}};
    case ViewKind::conductance_susceptance:
      return {{"G (S)", s.log_resistance, [](const ImpedanceQuantities& q) { return q.conductance_s; }},
              {"B (S)", false, [](const ImpedanceQuantities& q) { return q.susceptance_s; }}};
    case ViewKind::nyquist:
    case ViewKind::difference:
      break;
  }
  return {};
}

// The two values of the difference view for one compared point.
std::pair<double, double> difference_values(DifferenceMode mode, const analysis::DifferencePoint& d) {
  switch (mode) {
    case DifferenceMode::percent_and_phase: return {d.magnitude_change_percent, d.phase_change_deg};
    case DifferenceMode::subtract: return {d.difference_ohm.real(), d.difference_ohm.imag()};
    case DifferenceMode::divide: return {d.ratio.real(), d.ratio.imag()};
  }
  return {};
}

std::pair<QString, QString> difference_labels(DifferenceMode mode) {
  switch (mode) {
    case DifferenceMode::percent_and_phase: return {"|Z| change (%)", "Phase change (deg)"};
    case DifferenceMode::subtract: return {"Re(data - ref) (Ohm)", "Im(data - ref) (Ohm)"};
    case DifferenceMode::divide: return {"Re(data / ref)", "Im(data / ref)"};
  }
  return {};
}

}  // namespace

ViewData view_data(ViewKind kind, const ViewSettings& settings, const TraceSet& traces) {
  ViewData v;
  v.x_label = "Frequency (Hz)";
  v.x_log = settings.log_frequency;
  const std::vector<Shown> shown = shown_traces(traces);
  if (kind == ViewKind::nyquist) {
    v.x_label = "R (Ohm)";
    v.x_log = false;
    v.x_is_frequency = false;
    v.equal_scale = true;
    PlotPane pane{"-X (Ohm)", false, {}};
    for (const Shown& s : shown) {
      pane.curves.push_back(curve_of(
          s, [](const ImpedanceQuantities& q) { return q.resistance_ohm; },
          [](const ImpedanceQuantities& q) { return -q.reactance_ohm; }, true));
    }
    v.panes.push_back(std::move(pane));
    return v;
  }
  if (kind == ViewKind::difference) {
    const auto [top_label, bottom_label] = difference_labels(settings.difference);
    PlotPane top{top_label, false, {}};
    PlotPane bottom{bottom_label, false, {}};
    if (const Trace* reference = traces.reference_trace()) {
      for (const Shown& s : shown) {
        if (s.is_reference) continue;
        PlotCurve a;
        a.name = s.name + " vs " + reference->name;
        a.color = s.color;
        a.style = s.style;
        PlotCurve b = a;
        for (const auto& d : analysis::trace_difference(s.spectrum->points, reference->spectrum.points)) {
          const auto [first, second] = difference_values(settings.difference, d);
          a.x.push_back(d.frequency_hz);
          a.y.push_back(first);
          b.x.push_back(d.frequency_hz);
          b.y.push_back(second);
        }
        top.curves.push_back(std::move(a));
        bottom.curves.push_back(std::move(b));
      }
    }
    v.panes = {std::move(top), std::move(bottom)};
    return v;
  }
  for (const PaneSpec& spec : pane_specs(kind, settings)) {
    PlotPane pane{spec.label, spec.log, {}};
    for (const Shown& s : shown) pane.curves.push_back(curve_of(s, frequency, spec.value, false));
    v.panes.push_back(std::move(pane));
  }
  return v;
}

std::vector<PlotMarkerPoint> view_markers(ViewKind kind, const ViewSettings& settings, const TraceSet& traces,
                                          const std::vector<MarkerValue>& markers) {
  std::vector<PlotMarkerPoint> points;
  for (const MarkerValue& m : markers) {
    const ImpedanceQuantities q = analysis::impedance_quantities(m.frequency_hz, m.impedance_ohm);
    if (kind == ViewKind::nyquist) {
      points.push_back({m.marker, 0, QPointF(q.resistance_ohm, -q.reactance_ohm)});
      continue;
    }
    if (kind == ViewKind::difference) {
      const Trace* reference = traces.reference_trace();
      const auto z_ref = reference ? analysis::interpolate_impedance(reference->spectrum.points, m.frequency_hz)
                                   : std::nullopt;
      if (!z_ref) continue;
      analysis::SpectrumPoint p;
      p.frequency_hz = m.frequency_hz;
      p.impedance_ohm = m.impedance_ohm;
      analysis::SpectrumPoint r = p;
      r.impedance_ohm = *z_ref;
      const auto d = analysis::trace_difference({p}, {r});
      if (d.empty()) continue;
      const auto [first, second] = difference_values(settings.difference, d.front());
      points.push_back({m.marker, 0, QPointF(m.frequency_hz, first)});
      points.push_back({m.marker, 1, QPointF(m.frequency_hz, second)});
      continue;
    }
    const std::vector<PaneSpec> specs = pane_specs(kind, settings);
    for (std::size_t pane = 0; pane < specs.size(); ++pane) {
      points.push_back({m.marker, static_cast<int>(pane), QPointF(m.frequency_hz, specs[pane].value(q))});
    }
  }
  return points;
}

}  // namespace quelnor::gui::analyzer
