// The QPainter plot of the analyzer's views.
#include "gui/analyzer/plot_widget.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/engineering_format.h"

namespace quelnor::gui::analyzer {
namespace {

constexpr double left_margin = 74;
constexpr double right_margin = 26;  // room for the last frequency label
constexpr double top_margin = 6;
constexpr double bottom_margin = 40;
constexpr double legend_height = 18;
constexpr double pane_gap = 8;
constexpr double click_slack_px = 4;
constexpr double marker_grab_px = 7;

double px_of(const QRectF& area, const AxisRange& x, double v) {
  return area.left() + axis_position(x, v) * area.width();
}
double py_of(const QRectF& area, const AxisRange& y, double v) {
  return area.bottom() - axis_position(y, v) * area.height();
}

// Keeps coordinates far off the area finite and small enough for the raster engine.
double clamp_px(double v, double low, double high) {
  const double pad = 1e4;
  return std::clamp(v, low - pad, high + pad);
}

// A value on the axis's own scale: its logarithm on a log axis (NaN where it has none).
double scaled_value(bool log, double v) {
  if (!log) return v;
  return v > 0.0 ? std::log10(v) : std::numeric_limits<double>::quiet_NaN();
}

// One axis's mapping from scaled values to pixels: a multiply and an add per point.
struct PixelMap {
  PixelMap(const AxisRange& a, double origin, double length)
      : low(scaled_value(a.log, a.low)), high(scaled_value(a.log, a.high)) {
    scale = length / (high - low);
    offset = origin - low * scale;
  }
  double operator()(double scaled) const { return offset + scaled * scale; }
  double low, high;
  double scale = 0.0;
  double offset = 0.0;
};

// `sx`, `sy`: the curve's values already on the axes' scales (see scaled_value), so a
// redraw takes no logarithms.
void draw_curve(QPainter& painter, const PlotCurve& curve, const std::vector<double>& sx,
                const std::vector<double>& sy, const QRectF& area, const AxisRange& x, const AxisRange& y) {
  const PixelMap map_x(x, area.left(), area.width());
  const PixelMap map_y(y, area.bottom(), -area.height());
  const std::size_t count = std::min(sx.size(), sy.size());
  std::size_t begin = 0;
  std::size_t end = count;
  if (end == 0) return;
  const bool rising = std::is_sorted(curve.x.begin(), curve.x.begin() + static_cast<long>(end));
  if (rising) {
    // Only the points in view, and one beyond each side so the line reaches the edges.
    const double low = std::min(map_x.low, map_x.high);
    const double high = std::max(map_x.low, map_x.high);
    const auto from = sx.begin();
    const auto to = sx.begin() + static_cast<long>(count);
    // NaN (x <= 0 on a log axis) sorts nowhere; such points are skipped below anyway.
    begin = static_cast<std::size_t>(std::lower_bound(from, to, low, [](double a, double b) { return a < b; }) - from);
    end = static_cast<std::size_t>(std::upper_bound(from, to, high, [](double a, double b) { return a < b; }) - from);
    if (begin > 0) --begin;
    if (end < count) ++end;
  }
  // More points than pixels: thin aliased lines, which the raster engine draws fastest
  // and which look the same at that density.
  const bool dense = end - begin > 2 * static_cast<std::size_t>(area.width());
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, !dense);
  QPen pen(curve.color, dense ? 1.0 : 1.6, curve.style);
  pen.setCosmetic(true);
  painter.setPen(pen);
  QPolygonF line;
  const auto flush = [&] {
    if (line.size() == 1) painter.drawPoint(line.front());
    if (line.size() > 1) painter.drawPolyline(line);
    line.clear();
  };
  // Rising x: each pixel column keeps its first, lowest, highest and last point.
  long column = std::numeric_limits<long>::min();
  QPointF first, low, high, last;
  const auto flush_column = [&] {
    if (column == std::numeric_limits<long>::min()) return;
    line << first;
    if (low != first && low != last) line << low;
    if (high != first && high != last && high != low) line << high;
    if (last != first) line << last;
    column = std::numeric_limits<long>::min();
  };
  for (std::size_t i = begin; i < end; ++i) {
    const double px = map_x(sx[i]);
    const double py = map_y(sy[i]);
    if (!std::isfinite(px) || !std::isfinite(py)) {
      flush_column();
      flush();
      continue;
    }
    const QPointF p(clamp_px(px, area.left(), area.right()), clamp_px(py, area.top(), area.bottom()));
    if (!rising) {
      if (line.isEmpty() || std::abs(line.back().x() - p.x()) >= 0.5 || std::abs(line.back().y() - p.y()) >= 0.5) {
        line << p;
      }
      continue;
    }
    const long c = static_cast<long>(std::floor(p.x()));
    if (c != column) {
      flush_column();
      column = c;
      first = low = high = last = p;
    } else {
      if (p.y() < low.y()) low = p;
      if (p.y() > high.y()) high = p;
      last = p;
    }
  }
  flush_column();
  flush();
  painter.restore();
}

// "Frequency (Hz)" and 8160 read "Frequency 8.16 kHz"; a label without a unit in
// parentheses gives the bare number.
QString readout(const QString& label, double value) {
  const int open = label.lastIndexOf(" (");
  const QString name = open < 0 ? label : label.left(open);
  const QString unit = open < 0 ? QString() : label.mid(open + 2).chopped(1);
  return name + " " + QString::fromStdString(analysis::engineering_text(value, unit.toStdString(), 4));
}

}  // namespace

PlotWidget::PlotWidget(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setMinimumSize(320, 240);
  setFocusPolicy(Qt::ClickFocus);
}

void PlotWidget::set_data(std::vector<PlotPane> panes, const QString& x_label, bool x_log, bool x_is_frequency,
                          bool equal_scale) {
  if (x_log != x_log_ || panes.size() != panes_.size() || equal_scale != equal_scale_) x_zoomed_ = false;
  y_zoomed_.resize(panes.size(), false);
  for (std::size_t i = 0; i < panes.size(); ++i) {
    if (i >= panes_.size() || panes_[i].y_log != panes[i].y_log) y_zoomed_[i] = false;
  }
  panes_ = std::move(panes);
  x_label_ = x_label;
  x_log_ = x_log;
  x_is_frequency_ = x_is_frequency;
  equal_scale_ = equal_scale;
  y_.resize(panes_.size());
  scaled_.assign(panes_.size(), {});
  for (std::size_t i = 0; i < panes_.size(); ++i) {
    for (const PlotCurve& c : panes_[i].curves) {
      ScaledCurve sc;
      sc.x.reserve(c.x.size());
      sc.y.reserve(c.y.size());
      for (double v : c.x) sc.x.push_back(scaled_value(x_log_, v));
      for (double v : c.y) sc.y.push_back(scaled_value(panes_[i].y_log, v));
      scaled_[i].push_back(std::move(sc));
    }
  }
  auto_scale();
  update();
}

void PlotWidget::set_markers(std::vector<PlotMarkerPoint> markers, int active_marker) {
  markers_ = std::move(markers);
  active_marker_ = active_marker;
  update();
}

void PlotWidget::set_x_extent(std::optional<std::pair<double, double>> extent) {
  if (extent == x_extent_) return;
  x_extent_ = extent;
  auto_scale();
  update();
}

void PlotWidget::auto_scale() {
  if (!x_zoomed_ && x_extent_ && x_extent_->first < x_extent_->second && (!x_log_ || x_extent_->first > 0)) {
    x_ = {x_extent_->first, x_extent_->second, x_log_};
  } else if (!x_zoomed_) {
    std::vector<const std::vector<double>*> xs;
    for (const PlotPane& pane : panes_) {
      for (const PlotCurve& c : pane.curves) xs.push_back(&c.x);
    }
    x_ = fitted_range(xs, x_log_, !x_is_frequency_);
  }
  for (std::size_t i = 0; i < panes_.size(); ++i) {
    if (y_zoomed_[i]) continue;
    std::vector<const std::vector<double>*> ys;
    for (const PlotCurve& c : panes_[i].curves) ys.push_back(&c.y);
    y_[i] = fitted_range(ys, panes_[i].y_log);
  }
}

void PlotWidget::reset_view() {
  x_zoomed_ = false;
  std::fill(y_zoomed_.begin(), y_zoomed_.end(), false);
  auto_scale();
  update();
}

void PlotWidget::zoom_x(double factor) {
  x_ = zoomed(layout_for(size()).x, 0.5, factor);
  x_zoomed_ = true;
  update();
}

AxisRange PlotWidget::x_range() const { return layout_for(size()).x; }
AxisRange PlotWidget::y_range(int pane) const { return layout_for(size()).y.at(pane); }

PlotWidget::Layout PlotWidget::layout_for(QSize size) const {
  Layout l;
  l.x = x_;
  l.y = y_;
  const std::size_t n = std::max<std::size_t>(1, panes_.size());
  const double width = std::max(10.0, size.width() - left_margin - right_margin);
  const double pane_height = (size.height() - top_margin - bottom_margin - pane_gap * (n - 1)) / n;
  for (std::size_t i = 0; i < n; ++i) {
    const double top = top_margin + i * (pane_height + pane_gap) + legend_height;
    l.areas.emplace_back(left_margin, top, width, std::max(10.0, pane_height - legend_height));
  }
  if (equal_scale_ && l.y.size() == 1 && !l.x.log && !l.y[0].log) {
    // The same ohms per pixel on both axes, widening whichever axis needs it.
    const QRectF& a = l.areas[0];
    const double per_px = std::max((l.x.high - l.x.low) / a.width(), (l.y[0].high - l.y[0].low) / a.height());
    const double cx = (l.x.low + l.x.high) / 2;
    const double cy = (l.y[0].low + l.y[0].high) / 2;
    l.x.low = cx - per_px * a.width() / 2;
    l.x.high = cx + per_px * a.width() / 2;
    l.y[0].low = cy - per_px * a.height() / 2;
    l.y[0].high = cy + per_px * a.height() / 2;
  }
  return l;
}

void PlotWidget::render_plot(QPainter& painter, QSize size) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), Qt::white);
  const Layout l = layout_for(size);
  const QFontMetricsF metrics(painter.font());
  for (std::size_t i = 0; i < l.areas.size(); ++i) {
    const QRectF& area = l.areas[i];
    const AxisRange& y = l.y.empty() ? AxisRange{} : l.y[i];
    painter.setPen(QPen(QColor(225, 225, 225), 0));
    const bool bottom_pane = i + 1 == l.areas.size();
    const std::vector<double> x_ticks = axis_ticks(l.x, std::max(2, int(area.width() / 80)));
    const std::vector<std::string> x_labels = tick_labels(x_ticks);
    for (std::size_t t = 0; t < x_ticks.size(); ++t) {
      const double px = px_of(area, l.x, x_ticks[t]);
      painter.setPen(QPen(QColor(225, 225, 225), 0));
      painter.drawLine(QPointF(px, area.top()), QPointF(px, area.bottom()));
      if (bottom_pane) {
        painter.setPen(Qt::black);
        const QString text = QString::fromStdString(x_labels[t]);
        painter.drawText(QPointF(px - metrics.horizontalAdvance(text) / 2, area.bottom() + metrics.height()), text);
      }
    }
    const std::vector<double> y_ticks = axis_ticks(y, std::max(2, int(area.height() / 28)));
    const std::vector<std::string> y_labels = tick_labels(y_ticks);
    for (std::size_t t = 0; t < y_ticks.size(); ++t) {
      const double py = py_of(area, y, y_ticks[t]);
      painter.setPen(QPen(QColor(225, 225, 225), 0));
      painter.drawLine(QPointF(area.left(), py), QPointF(area.right(), py));
      painter.setPen(Qt::black);
      const QString text = QString::fromStdString(y_labels[t]);
      painter.drawText(QPointF(area.left() - 6 - metrics.horizontalAdvance(text), py + metrics.ascent() / 2 - 1),
                       text);
    }
    painter.setPen(QPen(Qt::darkGray, 0));
    painter.drawRect(area);
    if (i < panes_.size()) {
      const PlotPane& pane = panes_[i];
      painter.save();
      painter.translate(12, area.center().y());
      painter.rotate(-90);
      painter.setPen(Qt::black);
      painter.drawText(QPointF(-metrics.horizontalAdvance(pane.y_label) / 2, 0), pane.y_label);
      painter.restore();
      painter.save();
      painter.setClipRect(area.adjusted(-1, -1, 1, 1));
      for (std::size_t c = 0; c < pane.curves.size(); ++c) {
        draw_curve(painter, pane.curves[c], scaled_[i][c].x, scaled_[i][c].y, area, l.x, y);
      }
      painter.restore();
      // Legend above the first pane; the others show the same traces.
      double lx = area.left();
      for (const PlotCurve& curve : pane.curves) {
        if (curve.name.isEmpty() || i > 0) continue;
        painter.setPen(QPen(curve.color, 2, curve.style));
        painter.drawLine(QPointF(lx, area.top() - 8), QPointF(lx + 18, area.top() - 8));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(lx + 22, area.top() - 4), curve.name);
        lx += 34 + metrics.horizontalAdvance(curve.name);
      }
    }
    // Markers on this pane.
    for (const PlotMarkerPoint& m : markers_) {
      if (m.pane != static_cast<int>(i)) continue;
      const double px = px_of(area, l.x, m.value.x());
      const double py = py_of(area, y, m.value.y());
      if (!std::isfinite(px) || px < area.left() - 1 || px > area.right() + 1) continue;
      const QColor color = m.marker == active_marker_ ? QColor(200, 0, 0) : QColor(40, 40, 40);
      if (x_is_frequency_) {
        painter.setPen(QPen(color, 0, Qt::DashLine));
        painter.drawLine(QPointF(px, area.top()), QPointF(px, area.bottom()));
      }
      if (std::isfinite(py) && py >= area.top() - 1 && py <= area.bottom() + 1) {
        QPainterPath triangle;
        triangle.moveTo(px, py);
        triangle.lineTo(px - 5, py - 9);
        triangle.lineTo(px + 5, py - 9);
        triangle.closeSubpath();
        painter.fillPath(triangle, color);
        painter.setPen(color);
        painter.drawText(QPointF(px + 6, py - 9), QString::number(m.marker));
      }
    }
  }
  painter.setPen(Qt::black);
  const QRectF& bottom = l.areas.back();
  painter.drawText(QPointF(bottom.center().x() - metrics.horizontalAdvance(x_label_) / 2,
                           bottom.bottom() + 2 * metrics.height() + 2),
                   x_label_);
  painter.restore();
}

void PlotWidget::paintEvent(QPaintEvent*) {
  QElapsedTimer timer;
  timer.start();
  QPainter painter(this);
  render_plot(painter, size());
  const Layout l = layout_for(size());
  if (drag_ == Drag::band) {
    painter.setPen(QPen(QColor(0, 90, 200), 0, Qt::DashLine));
    painter.fillRect(QRectF(press_pos_, last_pos_).normalized(), QColor(0, 90, 200, 30));
    painter.drawRect(QRectF(press_pos_, last_pos_).normalized());
  }
  if (hover_pos_ && !hover_text_.isEmpty()) {
    const int pane = pane_at(l, *hover_pos_);
    if (pane >= 0) {
      const QRectF& area = l.areas[pane];
      painter.setPen(QPen(QColor(120, 120, 120), 0, Qt::DotLine));
      painter.drawLine(QPointF(hover_pos_->x(), area.top()), QPointF(hover_pos_->x(), area.bottom()));
      painter.drawLine(QPointF(area.left(), hover_pos_->y()), QPointF(area.right(), hover_pos_->y()));
      const QFontMetricsF metrics(painter.font());
      const QRectF box(area.right() - metrics.horizontalAdvance(hover_text_) - 12, area.top() + 4,
                       metrics.horizontalAdvance(hover_text_) + 8, metrics.height() + 4);
      painter.fillRect(box, QColor(255, 255, 224, 230));
      painter.setPen(Qt::black);
      painter.drawText(box, Qt::AlignCenter, hover_text_);
    }
  }
  last_paint_ms_ = timer.nsecsElapsed() / 1e6;
}

int PlotWidget::pane_at(const Layout& l, QPointF pos) const {
  for (std::size_t i = 0; i < l.areas.size() && i < panes_.size(); ++i) {
    if (l.areas[i].adjusted(-2, -2, 2, 2).contains(pos)) return static_cast<int>(i);
  }
  return -1;
}

std::optional<double> PlotWidget::frequency_at(const Layout& l, int pane, QPointF pos) const {
  if (pane < 0) return std::nullopt;
  const QRectF& area = l.areas[pane];
  if (x_is_frequency_) {
    const double t = std::clamp((pos.x() - area.left()) / area.width(), 0.0, 1.0);
    return axis_value(l.x, t);
  }
  for (const PlotCurve& c : panes_[pane].curves) {
    if (c.frequency_hz.empty()) continue;
    double best = std::numeric_limits<double>::infinity();
    std::optional<double> f;
    for (std::size_t i = 0; i < c.x.size() && i < c.frequency_hz.size(); ++i) {
      const double dx = px_of(area, l.x, c.x[i]) - pos.x();
      const double dy = py_of(area, l.y[pane], c.y[i]) - pos.y();
      const double d = dx * dx + dy * dy;
      if (d < best) {
        best = d;
        f = c.frequency_hz[i];
      }
    }
    return f;
  }
  return std::nullopt;
}

std::optional<int> PlotWidget::marker_near(const Layout& l, QPointF pos) const {
  const int pane = pane_at(l, pos);
  if (pane < 0) return std::nullopt;
  for (const PlotMarkerPoint& m : markers_) {
    if (m.pane != pane) continue;
    const double px = px_of(l.areas[pane], l.x, m.value.x());
    const double py = py_of(l.areas[pane], l.y[pane], m.value.y());
    const bool near = x_is_frequency_ ? std::abs(px - pos.x()) <= marker_grab_px
                                      : std::hypot(px - pos.x(), py - pos.y()) <= 2 * marker_grab_px;
    if (near) return m.marker;
  }
  return std::nullopt;
}

void PlotWidget::mousePressEvent(QMouseEvent* event) {
  const Layout l = layout_for(size());
  press_pos_ = last_pos_ = event->position();
  drag_pane_ = pane_at(l, press_pos_);
  if (drag_pane_ < 0) return;
  if (event->button() == Qt::LeftButton) {
    if (const auto marker = marker_near(l, press_pos_)) {
      drag_ = Drag::marker;
      drag_marker_ = *marker;
    } else {
      drag_ = Drag::band;
    }
  } else if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
    drag_ = Drag::pan;
  }
}

void PlotWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPointF pos = event->position();
  const Layout l = layout_for(size());
  if (drag_ == Drag::marker) {
    if (const auto f = frequency_at(l, drag_pane_, pos)) emit marker_dragged(drag_marker_, *f);
  } else if (drag_ == Drag::pan) {
    const QRectF& area = l.areas[drag_pane_];
    x_ = panned(l.x, -(pos.x() - last_pos_.x()) / area.width());
    x_zoomed_ = true;
    y_[drag_pane_] = panned(l.y[drag_pane_], (pos.y() - last_pos_.y()) / area.height());
    y_zoomed_[drag_pane_] = true;
  }
  last_pos_ = pos;
  const int pane = pane_at(l, pos);
  hover_pos_.reset();
  hover_text_.clear();
  if (pane >= 0) {
    const QRectF& area = l.areas[pane];
    const double x = axis_value(l.x, (pos.x() - area.left()) / area.width());
    const double y = axis_value(l.y[pane], (area.bottom() - pos.y()) / area.height());
    hover_pos_ = pos;
    hover_text_ = readout(x_label_, x) + "   " + readout(panes_[pane].y_label, y);
  }
  emit hover_changed(hover_text_);
  update();
}

void PlotWidget::mouseReleaseEvent(QMouseEvent* event) {
  const QPointF pos = event->position();
  const Layout l = layout_for(size());
  if (drag_ == Drag::band) {
    const QPointF moved = pos - press_pos_;
    if (std::abs(moved.x()) <= click_slack_px && std::abs(moved.y()) <= click_slack_px) {
      if (const auto f = frequency_at(l, drag_pane_, pos)) emit frequency_picked(*f);
    } else {
      const QRectF& area = l.areas[drag_pane_];
      const QRectF band = QRectF(press_pos_, pos).normalized().intersected(area);
      if (band.width() > click_slack_px) {
        x_ = {axis_value(l.x, (band.left() - area.left()) / area.width()),
              axis_value(l.x, (band.right() - area.left()) / area.width()), l.x.log};
        x_zoomed_ = true;
      }
      if (band.height() > click_slack_px) {
        const AxisRange& y = l.y[drag_pane_];
        y_[drag_pane_] = {axis_value(y, (area.bottom() - band.bottom()) / area.height()),
                          axis_value(y, (area.bottom() - band.top()) / area.height()), y.log};
        y_zoomed_[drag_pane_] = true;
      }
    }
  }
  drag_ = Drag::none;
  update();
}

void PlotWidget::mouseDoubleClickEvent(QMouseEvent*) { reset_view(); }

void PlotWidget::wheelEvent(QWheelEvent* event) {
  const Layout l = layout_for(size());
  const QPointF pos = event->position();
  const int pane = pane_at(l, pos);
  if (pane < 0) return;
  const QRectF& area = l.areas[pane];
  const double factor = std::pow(0.85, event->angleDelta().y() / 120.0);
  const bool y_only = event->modifiers() & Qt::ShiftModifier;
  if (!y_only) {
    x_ = zoomed(l.x, (pos.x() - area.left()) / area.width(), factor);
    x_zoomed_ = true;
  }
  if (y_only || equal_scale_) {
    y_[pane] = zoomed(l.y[pane], (area.bottom() - pos.y()) / area.height(), factor);
    y_zoomed_[pane] = true;
  }
  event->accept();
  update();
}

void PlotWidget::leaveEvent(QEvent*) {
  hover_pos_.reset();
  hover_text_.clear();
  emit hover_changed(hover_text_);
  update();
}

}  // namespace quelnor::gui::analyzer
