// Redrawing the impedance and phase charts from the sweep table after a sweep, with the
// theoretical overlay when Check1 is ticked, and the progress bar advancing per row.
#include "ui/plot_sweep_results.h"

#include "measure/programmed_sweep.h"
#include "measure/theoretical_profile.h"
#include "util/checked_math.h"
#include "util/run_time_error.h"

namespace quelnor::ui {
namespace {

constexpr const char* frequency_caption = "Frequency(Hz)";

struct Axes {
  double x_lower = 0.0, x_upper = 0.0, x_span = 0.0;
  double y_lower = 0.0, y_upper = 0.0;
  int points_per_trace = 0;
};

void set_axes(model::StripChart& chart, const Axes& axes) {
  chart.set_x_axis(axes.x_lower, axes.x_upper, axes.x_span);
  chart.set_y_axis(axes.y_lower, axes.y_upper);
  chart.set_points_per_trace(axes.points_per_trace);
}

// Y range of the impedance chart: 10 % beyond the extremes of the plotted rows, on the
// outside whatever their sign, and never of zero height so a flat trace stays visible.
void set_impedance_range(const model::Column& impedance, std::size_t rows, Axes& axes) {
  double z_min = impedance[0];
  double z_max = impedance[0];
  for (std::size_t i = 0; i < rows; ++i) {
    if (impedance[i] > z_max) z_max = impedance[i];
    if (impedance[i] < z_min) z_min = impedance[i];
  }
  axes.y_upper = util::checked_mul(z_max >= 0.0 ? 1.1 : 0.9, z_max);
  axes.y_lower = util::checked_mul(z_min >= 0.0 ? 0.9 : 1.1, z_min);
  if (axes.y_upper <= axes.y_lower) {  // every value 0
    axes.y_upper = 1.0;
    axes.y_lower = -1.0;
  }
}

// Builds the point array of one column, moving the progress bar to each row as it goes.
model::PointArray measured_points(model::Session& s, const model::Column& values,
                                  std::size_t rows) {
  const model::Column& frequency = s.data.sweep_table.frequency;
  model::PointArray points(rows);
  for (std::size_t f = 0; f < rows; ++f) {
    points[f] = {frequency[f], values[f]};
    s.form.PBar.value = static_cast<int>(f);
    s.cues_changed();
  }
  return points;
}

void draw_measured(model::Session& s, model::StripChart& chart, const char* y_caption,
                   const model::Column& values, std::size_t rows, const Axes& axes) {
  chart.apply_appearance(y_caption, frequency_caption);
  chart.clear();
  set_axes(chart, axes);
  chart.plot(0, measured_points(s, values, rows));
  set_axes(chart, axes);
  s.pump.service_pending_input();
}

}  // namespace

void plot_sweep_results(model::Session& s, bool continuous_pass) {
  const model::SweepTable& table = s.data.sweep_table;
  const std::int16_t count = s.data.plot_point_count;
  if (count <= 0) {
    throw util::RunTimeError(util::ErrorKind::out_of_bounds, "No sweep point to plot");
  }
  const auto rows = static_cast<std::size_t>(count);
  util::checked_index(count - 1, model::table_rows);
  const std::int32_t n = s.sweep.increment_count;

  Axes axes;
  axes.x_lower = table.frequency[0];
  axes.x_upper = table.frequency[rows - 1];
  // The step the chip was given: a negative entry is programmed as 0 Hz.
  const double delta_hz = measure::as_programmed(s.sweep).delta_hz;
  axes.x_span = util::checked_mul(static_cast<double>(n), delta_hz);
  axes.points_per_trace = util::checked_add_i32(n, 1);

  Axes impedance_axes = axes;
  set_impedance_range(table.impedance, rows, impedance_axes);
  draw_measured(s, s.Strip1, "Impedance(Ohms)", table.impedance, rows, impedance_axes);
  if (s.form.Check1.value) {
    s.Strip1.select_trace(1);
    measure::theoretical_magnitude_profile(s);
    set_axes(s.Strip1, impedance_axes);
    s.pump.service_pending_input();
  }

  Axes phase_axes = axes;
  phase_axes.y_upper = 180.0;  // degrees, fixed whatever the data
  phase_axes.y_lower = -180.0;
  draw_measured(s, s.Strip2, "Phase(Degrees)", table.phase, rows, phase_axes);
  if (s.form.Check1.value) {
    s.Strip2.select_trace(1);
    measure::theoretical_phase_profile(s);
    set_axes(s.Strip2, phase_axes);
    if (!continuous_pass) s.pump.service_pending_input();
  }
}

}  // namespace quelnor::ui
