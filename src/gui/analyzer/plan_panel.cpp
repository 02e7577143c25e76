// The plan and calibration panel.
#include "gui/analyzer/plan_panel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "analysis/engineering_format.h"
#include "gui/analyzer/calibration_check.h"

namespace quelnor::gui::analyzer {
namespace {

QString value_text(double value, const char* unit) {
  return QString::fromStdString(analysis::engineering_text(value, unit, 6));
}

}  // namespace

PlanPanel::PlanPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  auto* plan_box = new QGroupBox("Sweep plan");
  auto* form = new QFormLayout(plan_box);
  start_ = new QLineEdit;
  stop_ = new QLineEdit;
  points_ = new QSpinBox;
  points_->setRange(1, 100000);
  scale_ = new QComboBox;
  scale_->addItems({"Logarithmic", "Linear"});
  range_ = new QComboBox;
  range_->addItems({"Auto", "1", "2", "3", "4"});
  pga_ = new QComboBox;
  pga_->addItems({"Auto", "1", "5"});
  settling_ = new QSpinBox;
  settling_->setRange(0, 2044);
  settling_->setSuffix(" cycles");
  feedback_ = new QLineEdit;
  plan_note_ = new QLabel;
  plan_note_->setWordWrap(true);
  plan_note_->setStyleSheet("color: #b00000");
  form->addRow("Start", start_);
  form->addRow("Stop", stop_);
  form->addRow("Points", points_);
  form->addRow("Spacing", scale_);
  form->addRow("Range", range_);
  form->addRow("PGA", pga_);
  form->addRow("Settling", settling_);
  form->addRow("Feedback R", feedback_);
  form->addRow(plan_note_);
  layout->addWidget(plan_box);

  auto* cal_box = new QGroupBox("Calibration");
  auto* cal_layout = new QVBoxLayout(cal_box);
  calibration_ = new QLabel("No calibration");
  calibration_->setWordWrap(true);
  warnings_ = new QLabel;
  warnings_->setWordWrap(true);
  warnings_->setStyleSheet("color: #a05000");
  auto* buttons = new QHBoxLayout;
  take_ = new QPushButton("Take\u2026");
  load_ = new QPushButton("Load\u2026");
  save_ = new QPushButton("Save\u2026");
  buttons->addWidget(take_);
  buttons->addWidget(load_);
  buttons->addWidget(save_);
  // The buttons first: the summary and warnings below grow and shrink with the calibration,
  // and the buttons stay where the hand expects them.
  cal_layout->addLayout(buttons);
  cal_layout->addWidget(calibration_);
  cal_layout->addWidget(warnings_);
  layout->addWidget(cal_box);
  layout->addStretch(1);

  set_plan(SweepPlan{});
  const auto changed = [this] {
    plan_note_->setText(plan_error());
    emit plan_changed();
  };
  for (QLineEdit* edit : {start_, stop_, feedback_}) connect(edit, &QLineEdit::textChanged, this, changed);
  for (QSpinBox* box : {points_, settling_}) connect(box, &QSpinBox::valueChanged, this, changed);
  for (QComboBox* box : {scale_, range_, pga_}) connect(box, &QComboBox::currentIndexChanged, this, changed);
  connect(take_, &QPushButton::clicked, this, &PlanPanel::take_calibration_requested);
  connect(load_, &QPushButton::clicked, this, &PlanPanel::load_calibration_requested);
  connect(save_, &QPushButton::clicked, this, &PlanPanel::save_calibration_requested);
}

QString PlanPanel::plan_error() const {
  const auto start = analysis::engineering_value(start_->text().toStdString());
  const auto stop = analysis::engineering_value(stop_->text().toStdString());
  const auto feedback = analysis::engineering_value(feedback_->text().toStdString());
  if (!start) return "The start frequency is not a number (e.g. 1k or 1000).";
  if (!stop) return "The stop frequency is not a number (e.g. 100k).";
  if (!feedback) return "The feedback resistor is not a number (e.g. 100k).";
  SweepPlan p;
  p.start_hz = *start;
  p.stop_hz = *stop;
  p.feedback_ohm = *feedback;
  p.points = points_->value();
  return QString::fromStdString(plan_problem(p));
}

std::optional<SweepPlan> PlanPanel::plan() const {
  if (!plan_error().isEmpty()) return std::nullopt;
  SweepPlan p;
  p.start_hz = *analysis::engineering_value(start_->text().toStdString());
  p.stop_hz = *analysis::engineering_value(stop_->text().toStdString());
  p.feedback_ohm = *analysis::engineering_value(feedback_->text().toStdString());
  p.points = points_->value();
  p.logarithmic = scale_->currentIndex() == 0;
  p.range = range_->currentIndex();
  p.pga = pga_->currentIndex() == 0 ? 0 : pga_->currentIndex() == 1 ? 1 : 5;
  p.settling_cycles = settling_->value();
  return p;
}

void PlanPanel::set_plan(const SweepPlan& p) {
  start_->setText(value_text(p.start_hz, "Hz"));
  stop_->setText(value_text(p.stop_hz, "Hz"));
  points_->setValue(p.points);
  scale_->setCurrentIndex(p.logarithmic ? 0 : 1);
  range_->setCurrentIndex(p.range >= 0 && p.range <= 4 ? p.range : 0);
  pga_->setCurrentIndex(p.pga == 1 ? 1 : p.pga == 5 ? 2 : 0);
  settling_->setValue(p.settling_cycles);
  feedback_->setText(value_text(p.feedback_ohm, "Ohm"));
}

void PlanPanel::show_calibration(const CalibrationInfo& c, const std::vector<std::string>& warnings,
                                 long long now_unix_s) {
  QString text = QString::fromStdString(calibration_summary(c, now_unix_s));
  if (!c.file.empty()) text += "\nFile: " + QString::fromStdString(c.file);
  calibration_->setText(text);
  QStringList lines;
  for (const std::string& w : warnings) lines << QString::fromStdString(w);
  warnings_->setText(lines.join("\n"));
  save_->setEnabled(c.present);
}

}  // namespace quelnor::gui::analyzer
