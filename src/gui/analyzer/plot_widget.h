// The analyzer's plot: one or more panes stacked over a shared x axis (Bode: |Z| over
// phase), each with its own y axis and curves, markers drawn on the curves, and the
// usual handling: wheel zoom (Shift: y only), rubber-band zoom by dragging, pan with the
// right or middle button, double click or reset() for auto-scale, a hover readout, click
// to place a marker and drag to move one. Curves with rising x are drawn column by column
// (min and max per pixel), so 100,000 points redraw in milliseconds.
#pragma once

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <optional>
#include <utility>
#include <vector>

#include "gui/analyzer/plot_axis.h"

class QPainter;

namespace quelnor::gui::analyzer {

struct PlotCurve {
  QString name;
  QColor color;
  Qt::PenStyle style = Qt::SolidLine;
  std::vector<double> x, y;
  // The frequency of each point when x is not the frequency (Nyquist), so a click picks
  // the frequency of the nearest point.
  std::vector<double> frequency_hz;
};

struct PlotPane {
  QString y_label;  // with the unit: "|Z| (Ohm)"
  bool y_log = false;
  std::vector<PlotCurve> curves;
};

struct PlotMarkerPoint {
  int marker = 0;  // 1-based label
  int pane = 0;
  QPointF value;   // in data units
};

class PlotWidget final : public QWidget {
  Q_OBJECT
 public:
  explicit PlotWidget(QWidget* parent = nullptr);

  // New data. The zoom stays where the user put it; an axis not zoomed follows the data.
  // `x_is_frequency`: clicks read the frequency under the cursor; otherwise that of the
  // first curve's nearest point. `equal_scale`: one unit is as long on both axes.
  void set_data(std::vector<PlotPane> panes, const QString& x_label, bool x_log, bool x_is_frequency,
                bool equal_scale);
  void set_markers(std::vector<PlotMarkerPoint> markers, int active_marker);
  // While a sweep runs, the x axis (when not zoomed) spans the whole plan rather than the
  // points so far, so the curve grows across a still axis; empty: fit the data.
  void set_x_extent(std::optional<std::pair<double, double>> extent);
  const std::vector<PlotPane>& panes() const { return panes_; }

  // Back to auto-scale on every axis.
  void reset_view();
  void zoom_x(double factor);  // around the middle; < 1 zooms in
  AxisRange x_range() const;
  AxisRange y_range(int pane) const;
  // The hover readout now shown, empty when the cursor is outside the panes.
  QString hover_text() const { return hover_text_; }

  // Draws the whole plot into any painter (screen, image, SVG) at `size`.
  void render_plot(QPainter& painter, QSize size) const;
  // How long the last paint took, for the redraw measurement.
  double last_paint_ms() const { return last_paint_ms_; }

 signals:
  void frequency_picked(double frequency_hz);
  void marker_dragged(int marker, double frequency_hz);
  void hover_changed(const QString& text);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void leaveEvent(QEvent*) override;

 private:
  struct Layout {
    std::vector<QRectF> areas;  // one per pane
    AxisRange x;
    std::vector<AxisRange> y;
  };
  Layout layout_for(QSize size) const;
  int pane_at(const Layout& layout, QPointF pos) const;
  std::optional<double> frequency_at(const Layout& layout, int pane, QPointF pos) const;
  std::optional<int> marker_near(const Layout& layout, QPointF pos) const;
  void auto_scale();

  std::vector<PlotPane> panes_;
  // Each curve's values on its axes' scales (logarithms on log axes), taken once per
  // set_data so a redraw, a pan or a zoom takes none.
  struct ScaledCurve {
    std::vector<double> x, y;
  };
  std::vector<std::vector<ScaledCurve>> scaled_;
  QString x_label_;
  bool x_log_ = true;
  bool x_is_frequency_ = true;
  bool equal_scale_ = false;
  AxisRange x_;
  std::vector<AxisRange> y_;
  bool x_zoomed_ = false;
  std::optional<std::pair<double, double>> x_extent_;
  std::vector<bool> y_zoomed_;
  std::vector<PlotMarkerPoint> markers_;
  int active_marker_ = 0;

  enum class Drag { none, band, pan, marker };
  Drag drag_ = Drag::none;
  QPointF press_pos_;
  QPointF last_pos_;
  int drag_pane_ = 0;
  int drag_marker_ = 0;
  std::optional<QPointF> hover_pos_;
  QString hover_text_;
  double last_paint_ms_ = 0.0;
};

}  // namespace quelnor::gui::analyzer
