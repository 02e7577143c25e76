// Panes and curves of each view.
#include "gui/analyzer/view_curves.h"

#include <cmath>
#include <numbers>

#include "analysis/impedance_quantities.h"
#include "analysis/trace_difference.h"
#include "analysis/trace_interpolation.h"

namespace quelnor::gui::analyzer {
namespace {


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

// One plotted quantity of a point; plain functions, so a 100,000-point curve is built
// without computing every derived quantity of every point.
using Quantity = double (*)(double frequency_hz, std::complex<double> z);

PlotCurve curve_of(const Shown& s, const Quantity& x, const Quantity& y, bool keep_frequency) {
  PlotCurve c;
  c.name = s.name;
  c.color = s.color;
  c.style = s.style;
  const auto& points = s.spectrum->points;
  c.x.reserve(points.size());
  c.y.reserve(points.size());
  for (const analysis::SpectrumPoint& p : points) {
    c.x.push_back(x(p.frequency_hz, p.impedance_ohm));
    c.y.push_back(y(p.frequency_hz, p.impedance_ohm));
    if (keep_frequency) c.frequency_hz.push_back(p.frequency_hz);
  }
  return c;
}

double frequency(double f, std::complex<double>) { return f; }
double magnitude(double, std::complex<double> z) { return std::abs(z); }
double phase_deg(double, std::complex<double> z) { return std::arg(z) * 180.0 / std::numbers::pi; }
double resistance(double, std::complex<double> z) { return z.real(); }
double reactance(double, std::complex<double> z) { return z.imag(); }
double minus_reactance(double, std::complex<double> z) { return -z.imag(); }
// G and B as impedance_quantities defines them (NaN for a short circuit).
double conductance(double f, std::complex<double> z) { return analysis::impedance_quantities(f, z).conductance_s; }
double susceptance(double f, std::complex<double> z) { return analysis::impedance_quantities(f, z).susceptance_s; }

struct PaneSpec {
  QString label;
  bool log;
  Quantity value;
};

std::vector<PaneSpec> pane_specs(ViewKind kind, const ViewSettings& s) {
  switch (kind) {
    case ViewKind::bode:
      return {{"|Z| (Ohm)", s.log_magnitude, magnitude}, {"Phase (deg)", false, phase_deg}};
    case ViewKind::resistance_reactance:
      return {{"R (Ohm)", s.log_resistance, resistance}, {"X (Ohm)", false, reactance}};
    case ViewKind::conductance_susceptance:
      return {{"G (S)", s.log_resistance, conductance}, {"B (S)", false, susceptance}};
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
      pane.curves.push_back(curve_of(s, resistance, minus_reactance, true));
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
    if (kind == ViewKind::nyquist) {
      points.push_back({m.marker, 0, QPointF(m.impedance_ohm.real(), -m.impedance_ohm.imag())});
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
      points.push_back(
          {m.marker, static_cast<int>(pane), QPointF(m.frequency_hz, specs[pane].value(m.frequency_hz, m.impedance_ohm))});
    }
  }
  return points;
}

}  // namespace quelnor::gui::analyzer
