// The side panel: the sweep plan (start, stop, points, lin/log, range, PGA, settling,
// feedback resistor) and the calibration in force with its warnings and buttons.
#pragma once

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "gui/analyzer/measurement_source.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace quelnor::gui::analyzer {

class PlanPanel final : public QWidget {
  Q_OBJECT
 public:
  explicit PlanPanel(QWidget* parent = nullptr);

  // The plan as typed, or empty with plan_error() saying what is wrong.
  std::optional<SweepPlan> plan() const;
  QString plan_error() const;
  void set_plan(const SweepPlan& plan);

  // Shows the calibration in force and what does not fit the plan.
  // The calibration in force and the source's warnings about it for the plan shown.
  void show_calibration(const CalibrationInfo& calibration, const std::vector<std::string>& warnings,
                        long long now_unix_s);

  QLineEdit* start_edit() const { return start_; }
  QLineEdit* stop_edit() const { return stop_; }
  QSpinBox* points_box() const { return points_; }
  QComboBox* scale_box() const { return scale_; }
  QComboBox* range_box() const { return range_; }
  QComboBox* pga_box() const { return pga_; }
  QLabel* calibration_label() const { return calibration_; }
  QLabel* warnings_label() const { return warnings_; }
  QPushButton* take_button() const { return take_; }
  QPushButton* load_button() const { return load_; }
  QPushButton* save_button() const { return save_; }

 signals:
  void plan_changed();
  void take_calibration_requested();
  void load_calibration_requested();
  void save_calibration_requested();

 private:
  QLineEdit* start_ = nullptr;
  QLineEdit* stop_ = nullptr;
  QSpinBox* points_ = nullptr;
  QComboBox* scale_ = nullptr;
  QComboBox* range_ = nullptr;
  QComboBox* pga_ = nullptr;
  QSpinBox* settling_ = nullptr;
  QLineEdit* feedback_ = nullptr;
  QLabel* plan_note_ = nullptr;
  QLabel* calibration_ = nullptr;
  QLabel* warnings_ = nullptr;
  QPushButton* take_ = nullptr;
  QPushButton* load_ = nullptr;
  QPushButton* save_ = nullptr;
};

}  // namespace quelnor::gui::analyzer
