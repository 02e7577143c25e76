// The result chart on Qt Charts.
#include "gui/qt_strip_chart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <QPen>
#include <cmath>
#include <utility>

#include "gui/axis_ticks.h"

namespace quelnor::gui {
namespace {

// A drawable range: a zero-height or reversed range (all impedances equal, one point) is
// opened up around its value so the axis still shows where the data lies.
std::pair<double, double> drawable_range(double lower, double upper) {
  if (upper < lower) std::swap(lower, upper);
  if (upper == lower) {
    const double pad = lower == 0.0 ? 1.0 : std::fabs(lower) * 0.05;
    return {lower - pad, upper + pad};
  }
  return {lower, upper};
}

void set_axis(QCategoryAxis* axis, double lower, double upper) {
  if (!std::isfinite(lower) || !std::isfinite(upper)) return;
  const auto [low, high] = drawable_range(lower, upper);
  for (const QString& label : axis->categoriesLabels()) axis->remove(label);
  const std::vector<AxisTick> ticks = axis_ticks(low, high);
  // A category ends at its tick; the first one needs a start just below it.
  const double below = (high - low) * 1e-6;
  axis->setStartValue(ticks.empty() ? low : std::min(low, ticks.front().value - below));
  for (const AxisTick& tick : ticks) {
    const QString label = QString::fromStdString(tick.label);
    if (!axis->categoriesLabels().contains(label)) axis->append(label, tick.value);
  }
  axis->setRange(low, high);
}

}  // namespace

QtStripChart::QtStripChart(QWidget* parent) : QChartView(parent) {
  auto* chart = new QChart;
  chart->setBackgroundRoundness(0);
  chart->setMargins(QMargins(4, 4, 8, 4));
  QFont tick_font = font();
  tick_font.setBold(false);
  QFont title_font = font();
  title_font.setBold(true);

  const char* names[2] = {"measured", "theoretical"};
  const QColor colours[2] = {Qt::black, Qt::blue};
  for (int k = 0; k < 2; ++k) {
    series_[k] = new QLineSeries(chart);
    series_[k]->setName(names[k]);
    series_[k]->setPen(QPen(colours[k], 2));
    chart->addSeries(series_[k]);
  }
  axis_x_ = new QCategoryAxis(chart);
  axis_y_ = new QCategoryAxis(chart);
  for (QCategoryAxis* axis : {axis_x_, axis_y_}) {
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setLabelsFont(tick_font);
    axis->setTitleFont(title_font);
  }
  chart->addAxis(axis_x_, Qt::AlignBottom);
  chart->addAxis(axis_y_, Qt::AlignLeft);
  for (QLineSeries* s : series_) {
    s->attachAxis(axis_x_);
    s->attachAxis(axis_y_);
  }
  chart->legend()->setAlignment(Qt::AlignTop);
  chart->legend()->setFont(tick_font);
  // The view gives up its default chart without deleting it.
  QChart* default_chart = this->chart();
  setChart(chart);
  delete default_chart;
  setRenderHint(QPainter::Antialiasing);
}

void QtStripChart::apply_appearance(const std::string& y_caption, const std::string& x_caption) {
  record_.apply_appearance(y_caption, x_caption);
  axis_y_->setTitleText(QString::fromStdString(y_caption));
  axis_x_->setTitleText(QString::fromStdString(x_caption));
  // The same trace settings for both traces; trace 1 stays current, as the record says.
  for (QLineSeries* s : series_) s->setPointsVisible(false);
}

void QtStripChart::clear() {
  record_.clear();
  for (QLineSeries* s : series_) s->clear();
}

void QtStripChart::set_x_axis(double lower, double upper, double span) {
  record_.set_x_axis(lower, upper, span);
  set_axis(axis_x_, lower, upper);
}

void QtStripChart::set_y_axis(double lower, double upper) {
  record_.set_y_axis(lower, upper);
  set_axis(axis_y_, lower, upper);
}

void QtStripChart::set_points_per_trace(int points) {
  record_.set_points_per_trace(points);
}

void QtStripChart::select_trace(int trace) {
  record_.select_trace(trace);
}

void QtStripChart::plot(int trace, const model::PointArray& points) {
  record_.plot(trace, points);
  QList<QPointF> drawn;
  drawn.reserve(static_cast<qsizetype>(points.size()));
  for (const auto& [x, y] : points) {
    if (std::isfinite(x) && std::isfinite(y)) drawn.append(QPointF(x, y));
  }
  series_[trace & 1]->replace(drawn);
}

}  // namespace quelnor::gui
