// The strip-chart seam: exactly the chart operations the result plots use. The Qt chart
// widget draws; the recording chart keeps what it was given for scripts and tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quelnor::model {

using PointArray = std::vector<std::pair<double, double>>;  // (x, y) rows

class RecordingStripChart;

class StripChart {
 public:
  virtual ~StripChart() = default;
  // The fixed appearance block: axis captions and trace settings; leaves trace 1 current.
  virtual void apply_appearance(const std::string& y_caption, const std::string& x_caption) = 0;
  // Removes all plotted data from both traces.
  virtual void clear() = 0;
  virtual void set_x_axis(double lower, double upper, double span) = 0;
  virtual void set_y_axis(double lower, double upper) = 0;
  virtual void set_points_per_trace(int points) = 0;
  virtual void select_trace(int trace) = 0;
  virtual void plot(int trace, const PointArray& points) = 0;
  // The record of what the chart got, for a chart that keeps one; nullptr otherwise.
  virtual const RecordingStripChart* recording() const { return nullptr; }
};

// A chart that only remembers what it was told, in the state a drawing would show.
class RecordingStripChart : public StripChart {
 public:
  const RecordingStripChart* recording() const override { return this; }
  void apply_appearance(const std::string& y_caption, const std::string& x_caption) override {
    y_caption_ = y_caption;
    x_caption_ = x_caption;
    current_trace_ = 1;
  }
  void clear() override {
    traces_[0].clear();
    traces_[1].clear();
  }
  void set_x_axis(double lower, double upper, double span) override {
    x_lower_ = lower;
    x_upper_ = upper;
    x_span_ = span;
  }
  void set_y_axis(double lower, double upper) override {
    y_lower_ = lower;
    y_upper_ = upper;
  }
  void set_points_per_trace(int points) override { points_per_trace_ = points; }
  void select_trace(int trace) override { current_trace_ = trace; }
  void plot(int trace, const PointArray& points) override { traces_[trace & 1] = points; }

  const PointArray& trace(int k) const { return traces_[k & 1]; }
  const std::string& y_caption() const { return y_caption_; }
  const std::string& x_caption() const { return x_caption_; }
  double x_lower() const { return x_lower_; }
  double x_upper() const { return x_upper_; }
  double x_span() const { return x_span_; }
  double y_lower() const { return y_lower_; }
  double y_upper() const { return y_upper_; }
  int points_per_trace() const { return points_per_trace_; }
  int current_trace() const { return current_trace_; }

 private:
  PointArray traces_[2];
  std::string y_caption_, x_caption_;
  double x_lower_ = 0, x_upper_ = 0, x_span_ = 0, y_lower_ = 0, y_upper_ = 0;
  int points_per_trace_ = 0;
  int current_trace_ = 0;
};

}  // namespace quelnor::model
