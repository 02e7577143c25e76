// The Fit panel: the circuit and start values, a fit on a worker thread, its results.
#include "gui/analyzer/fit_panel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <exception>

#include "analysis/engineering_format.h"
#include "gui/analyzer/circuit_start_values.h"
#include "gui/analyzer/plot_widget.h"
#include "gui/analyzer/sweep_plan.h"

namespace quelnor::gui::analyzer {

struct FitPanel::Outcome {
  std::optional<analysis::FitResult> result;
  QString error;
  analysis::Spectrum data;
  analysis::Spectrum curve;
  QString model;
};

namespace {

// The standard error in the parameter's unit, and relative to its value.
QString error_text(const analysis::FittedParameter& p) {
  if (std::isinf(p.standard_error)) return "not determined";
  if (std::isnan(p.standard_error)) return "unknown";
  return QString::fromStdString(analysis::engineering_text(p.standard_error, p.unit, 2));
}
QString relative_error_text(const analysis::FittedParameter& p) {
  if (!std::isfinite(p.standard_error)) return "-";
  return QString::fromStdString(analysis::percent_text(p.standard_error / std::fabs(p.value)));
}

// Runs on the worker thread: no widget is touched here.
FitPanel::Outcome run_fit(const circuit::CircuitExpression& circuit, const analysis::Spectrum& data,
                          analysis::Weighting weighting) {
  FitPanel::Outcome outcome;
  outcome.data = data;
  try {
    analysis::FitOptions options;
    options.weighting = weighting;
    analysis::FitResult fit = analysis::fit_circuit(circuit, data, options);
    std::vector<double> values;
    for (const auto& p : fit.parameters) values.push_back(p.value);
    SweepPlan span;
    const auto [lowest, highest] = std::minmax_element(
        data.points.begin(), data.points.end(),
        [](const auto& a, const auto& b) { return a.frequency_hz < b.frequency_hz; });
    span.start_hz = lowest->frequency_hz;
    span.stop_hz = highest->frequency_hz;
    span.points = 401;
    span.logarithmic = span.start_hz > 0 && span.stop_hz > 0;
    outcome.curve.metadata = {{"model", "fit of " + circuit.text()}};
    for (double f : plan_frequencies(span)) {
      analysis::SpectrumPoint point;
      point.frequency_hz = f;
      point.impedance_ohm = circuit.impedance(f, values);
      outcome.curve.points.push_back(point);
    }
    try {
      outcome.model = QString::fromStdString(with_start_values(circuit, values));
    } catch (const std::exception&) {
      outcome.model = QString::fromStdString(circuit.text());
    }
    outcome.result = std::move(fit);
  } catch (const std::exception& e) {
    outcome.error = QString("The fit failed: ") + e.what();
  }
  return outcome;
}

}  // namespace

FitPanel::FitPanel(std::function<analysis::Spectrum()> data, QWidget* parent)
    : QWidget(parent), data_(std::move(data)) {
  // Controls and results on the left, the residuals on the right.
  auto* columns = new QHBoxLayout(this);
  auto* layout = new QVBoxLayout;
  columns->addLayout(layout, 3);
  auto* circuit_label = new QLabel("Circuit (named parameters are fitted):");
  circuit_label->setWordWrap(true);
  layout->addWidget(circuit_label);
  circuit_ = new QLineEdit("R0=100+(R1=1k||Q1=(10u,0.9))");
  circuit_->setToolTip("R, C, L, Q (constant phase) and W (Warburg) elements; + series, || parallel.\n"
                       "Name a value to fit it: R1=1k, C1=1n, Q1=(10u,0.9), W1=500; R200k stays fixed.");
  layout->addWidget(circuit_);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Weighting:"));
  weighting_ = new QComboBox;
  weighting_->addItem("modulus (1/|Z|)", int(analysis::Weighting::modulus));
  weighting_->addItem("unit", int(analysis::Weighting::unit));
  weighting_->addItem("proportional", int(analysis::Weighting::proportional));
  row->addWidget(weighting_, 1);
  fit_ = new QPushButton("Fit");
  row->addWidget(fit_);
  layout->addLayout(row);

  starts_ = new QTableWidget(0, 3);
  starts_->setHorizontalHeaderLabels({"Parameter", "Start value", "Unit"});
  starts_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  starts_->verticalHeader()->hide();
  starts_->setMaximumHeight(170);
  layout->addWidget(starts_);

  message_ = new QLabel;
  message_->setWordWrap(true);
  layout->addWidget(message_);

  results_ = new QTableWidget(0, 4);
  results_->setHorizontalHeaderLabels({"Parameter", "Value", "± error", "relative"});
  results_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  results_->horizontalHeader()->setStretchLastSection(true);
  results_->verticalHeader()->hide();
  results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  results_->setMaximumHeight(150);
  layout->addWidget(results_);
  summary_ = new QLabel;
  summary_->setWordWrap(true);
  layout->addWidget(summary_);
  layout->addStretch(1);
  residuals_ = new PlotWidget;
  residuals_->setMinimumHeight(160);
  columns->addWidget(residuals_, 2);

  connect(circuit_, &QLineEdit::editingFinished, this, &FitPanel::list_start_values);
  connect(circuit_, &QLineEdit::returnPressed, this, &FitPanel::start_fit);
  connect(fit_, &QPushButton::clicked, this, &FitPanel::start_fit);
  list_start_values();
}

FitPanel::~FitPanel() {
  if (worker_) {
    worker_->wait();
    delete worker_;
  }
}

void FitPanel::set_circuit(const QString& text) {
  circuit_->setText(text);
  list_start_values();
}

QString FitPanel::message() const { return message_->text(); }

void FitPanel::show_message(const QString& text, bool error) {
  message_->setText(text);
  message_->setStyleSheet(error ? "color: #a00000; font-weight: bold;" : "");
}

void FitPanel::list_start_values() {
  // Leaving the field unchanged keeps the start values edited in the table.
  if (listed_text_ && *listed_text_ == circuit_->text()) return;
  listed_text_ = circuit_->text();
  starts_->setRowCount(0);
  try {
    const auto circuit = circuit::CircuitExpression::parse(circuit_->text().toStdString());
    const auto& parameters = circuit.parameters();
    starts_->setRowCount(int(parameters.size()));
    for (std::size_t i = 0; i < parameters.size(); ++i) {
      const QString name = QString::fromStdString(parameters[i].name);
      auto* label = new QTableWidgetItem(name);
      label->setFlags(label->flags() & ~Qt::ItemIsEditable);
      starts_->setItem(int(i), 0, label);
      // In the grammar's own form ("10u"), which reads back whatever the unit.
      const QString value =
          QString::fromStdString(circuit_value_text(parameters[i].start, !parameters[i].is_exponent));
      starts_->setItem(int(i), 1, new QTableWidgetItem(value));
      auto* unit = new QTableWidgetItem(QString::fromStdString(parameters[i].unit));
      unit->setFlags(unit->flags() & ~Qt::ItemIsEditable);
      starts_->setItem(int(i), 2, unit);
    }
    show_message(parameters.empty() ? "The circuit has no named parameter to fit: name one, e.g. R1=1k." : "",
                 parameters.empty());
  } catch (const std::exception& e) {
    show_message(QString("The circuit cannot be read: ") + e.what(), true);
  }
}

bool FitPanel::start_fit() {
  if (worker_) {
    show_message("A fit is already running; wait for it to end.", true);
    return false;
  }
  std::optional<circuit::CircuitExpression> circuit;
  try {
    circuit = circuit::CircuitExpression::parse(circuit_->text().toStdString());
  } catch (const std::exception& e) {
    show_message(QString("The circuit cannot be read: ") + e.what(), true);
    return false;
  }
  if (circuit->parameters().empty()) {
    show_message("The circuit has no named parameter to fit: name one, e.g. R1=1k.", true);
    return false;
  }
  list_start_values();  // when the text was changed without leaving the field
  std::vector<double> starts;
  for (int r = 0; r < starts_->rowCount(); ++r) {
    const QString text = starts_->item(r, 1)->text();
    const auto value = analysis::engineering_value(text.toStdString());
    if (!value || !(*value > 0)) {
      show_message("The start value \"" + text + "\" of " + starts_->item(r, 0)->text() +
                       " is not a positive number; type e.g. 4.7k or 10n.",
                   true);
      return false;
    }
    starts.push_back(*value);
  }
  try {
    circuit = circuit::CircuitExpression::parse(with_start_values(*circuit, starts));
  } catch (const std::exception& e) {
    show_message(QString("The start values cannot be used: ") + e.what(), true);
    return false;
  }
  const analysis::Spectrum data = data_ ? data_() : analysis::Spectrum{};
  if (data.points.empty()) {
    show_message("There is nothing to fit: measure a spectrum or open a file first.", true);
    return false;
  }
  const auto weighting = static_cast<analysis::Weighting>(weighting_->currentData().toInt());
  show_message(QString("Fitting %1 parameters to %2 points...").arg(starts.size()).arg(data.points.size()), false);
  fit_->setEnabled(false);
  worker_ = QThread::create([this, expression = *circuit, data, weighting] {
    Outcome outcome = run_fit(expression, data, weighting);
    QMetaObject::invokeMethod(this, [this, outcome = std::move(outcome)] { finish(outcome); }, Qt::QueuedConnection);
  });
  connect(worker_, &QThread::finished, worker_, &QObject::deleteLater);
  worker_->start();
  return true;
}

void FitPanel::finish(const Outcome& outcome) {
  if (worker_) worker_->wait();  // its last act was to post this
  worker_ = nullptr;
  fit_->setEnabled(true);
  if (!outcome.result) {
    show_message(outcome.error, true);
    emit fit_finished(false);
    return;
  }
  result_ = outcome.result;
  const analysis::FitResult& fit = *result_;
  results_->setRowCount(int(fit.parameters.size()));
  for (std::size_t i = 0; i < fit.parameters.size(); ++i) {
    const auto& p = fit.parameters[i];
    results_->setItem(int(i), 0, new QTableWidgetItem(QString::fromStdString(p.name)));
    results_->setItem(int(i), 1,
                      new QTableWidgetItem(QString::fromStdString(analysis::engineering_text(
                          p.value, p.unit, 5, analysis::TrailingZeros::kept))));
    results_->setItem(int(i), 2, new QTableWidgetItem(error_text(p)));
    results_->setItem(int(i), 3, new QTableWidgetItem(relative_error_text(p)));
  }
  QString summary = QString("χ² = %1, RMS relative residual %2%3")
                        .arg(fit.chi_square, 0, 'g', 4)
                        .arg(QString::fromStdString(analysis::percent_text(fit.rms_relative_residual)))
                        .arg(fit.converged ? "." : ", not converged.");
  for (const std::string& warning : fit.warnings) summary += "\nWarning: " + QString::fromStdString(warning);
  summary_->setText(summary);
  summary_->setStyleSheet(fit.warnings.empty() ? "" : "color: #8a5a00;");
  show_message(fit.warnings.empty() ? "Fitted." : "Fitted, with warnings below.", false);

  // Relative residuals (Z - Z_fit) / |Z| in percent against frequency.
  PlotPane pane{"residual (% of |Z|)", false, {}};
  PlotCurve real{"real", QColor(0, 90, 200), Qt::SolidLine, {}, {}, {}};
  PlotCurve imag{"imaginary", QColor(200, 60, 0), Qt::SolidLine, {}, {}, {}};
  for (std::size_t i = 0; i < outcome.data.points.size() && i < fit.fitted_impedance_ohm.size(); ++i) {
    const auto& point = outcome.data.points[i];
    const double modulus = std::abs(point.impedance_ohm);
    if (!(modulus > 0)) continue;
    const auto residual = (point.impedance_ohm - fit.fitted_impedance_ohm[i]) / modulus * 100.0;
    for (PlotCurve* c : {&real, &imag}) {
      c->x.push_back(point.frequency_hz);
      c->frequency_hz.push_back(point.frequency_hz);
    }
    real.y.push_back(residual.real());
    imag.y.push_back(residual.imag());
  }
  pane.curves = {real, imag};
  residuals_->set_data({pane}, "frequency (Hz)", true, true, false);
  results_->resizeRowsToContents();
  emit fitted_curve("Fit " + circuit_->text(), outcome.curve, outcome.model);
  emit fit_finished(true);
}

}  // namespace quelnor::gui::analyzer
