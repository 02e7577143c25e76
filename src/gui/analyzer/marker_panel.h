// The markers' table and controls: add by typed frequency, search, delete; each row reads
// f, |Z|, phase, R, X, G, B, Cs, Cp, Ls, Lp, Q and D in engineering units.
#pragma once

#include <QWidget>
#include <complex>
#include <optional>
#include <vector>

#include "analysis/marker_search.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace quelnor::gui::analyzer {

struct MarkerRow {
  int marker = 0;  // 1-based label
  double frequency_hz = 0.0;
  std::optional<std::complex<double>> impedance_ohm;  // empty outside the trace
};

class MarkerPanel final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int max_markers = 8;
  enum Column { c_marker, c_frequency, c_magnitude, c_phase, c_r, c_x, c_g, c_b, c_cs, c_cp, c_ls, c_lp, c_q, c_d, c_count };

  explicit MarkerPanel(QWidget* parent = nullptr);

  void show_markers(const std::vector<MarkerRow>& rows, int active_marker, const QString& trace_name);
  QString cell(int row, Column column) const;

  QLineEdit* frequency_edit() const { return frequency_; }
  QPushButton* add_button() const { return add_; }
  QTableWidget* table() const { return table_; }
  QComboBox* search_box() const { return search_; }

 signals:
  void add_requested(double frequency_hz);
  void search_requested(quelnor::analysis::MarkerSearch search);
  void delete_requested();
  void clear_requested();
  void marker_selected(int marker);
  void message(const QString& text);

 private:
  QLineEdit* frequency_ = nullptr;
  QPushButton* add_ = nullptr;
  QComboBox* search_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* trace_ = nullptr;
  std::vector<int> row_markers_;
};

}  // namespace quelnor::gui::analyzer
