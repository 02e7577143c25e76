// A result chart on Qt Charts behind the strip-chart seam: trace 0 (measured) in black,
// trace 1 (theoretical) in blue, axes set exactly as the plot steps set them, ticks in
// engineering form. It also keeps a record of what it was told, for tests and tools.
#pragma once

#include <QChartView>

#include "model/strip_chart.h"

class QCategoryAxis;
class QLineSeries;

namespace quelnor::gui {

class QtStripChart final : public QChartView, public model::StripChart {
 public:
  explicit QtStripChart(QWidget* parent = nullptr);

  void apply_appearance(const std::string& y_caption, const std::string& x_caption) override;
  void clear() override;
  void set_x_axis(double lower, double upper, double span) override;
  void set_y_axis(double lower, double upper) override;
  void set_points_per_trace(int points) override;
  void select_trace(int trace) override;
  void plot(int trace, const model::PointArray& points) override;

  // Everything the chart was given, in the state the drawing shows.
  const model::RecordingStripChart& record() const { return record_; }
  // The drawn traces and axes, for checking that the drawing follows the record.
  QLineSeries* series(int trace) const { return series_[trace & 1]; }
  QCategoryAxis* x_axis() const { return axis_x_; }
  QCategoryAxis* y_axis() const { return axis_y_; }

 private:
  model::RecordingStripChart record_;
  QLineSeries* series_[2] = {nullptr, nullptr};
  QCategoryAxis* axis_x_ = nullptr;
  QCategoryAxis* axis_y_ = nullptr;
};

}  // namespace quelnor::gui
