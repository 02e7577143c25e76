// The Fit panel: a circuit with named parameters and their start values, the weighting,
// and a fit of the analysed trace run on a worker thread; shows values ± errors, chi-square,
// warnings and the relative residuals, and hands the fitted curve to the window as a trace.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "analysis/circuit_fit.h"
#include "analysis/spectrum.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QThread;

namespace quelnor::gui::analyzer {

class PlotWidget;

class FitPanel final : public QWidget {
  Q_OBJECT
 public:
  // `data` gives, on the window's thread, the trace to fit when Fit is pressed.
  struct Outcome;  // what a fit on the worker thread hands back

  explicit FitPanel(std::function<analysis::Spectrum()> data, QWidget* parent = nullptr);
  ~FitPanel() override;  // waits for a fit still running

  // Sets the circuit text and lists its parameters' start values.
  void set_circuit(const QString& text);
  // Starts a fit; false, with the reason shown, when the circuit or data will not do or a
  // fit is already running.
  bool start_fit();
  bool busy() const { return worker_ != nullptr; }

  const std::optional<analysis::FitResult>& result() const { return result_; }
  QString message() const;  // the error or summary line now shown
  QLineEdit* circuit_edit() const { return circuit_; }
  QTableWidget* start_table() const { return starts_; }
  QTableWidget* result_table() const { return results_; }
  QComboBox* weighting() const { return weighting_; }
  PlotWidget* residual_plot() const { return residuals_; }

 signals:
  // The fitted circuit over the data's span, densely, for the window to draw over its views.
  void fitted_curve(const QString& name, const analysis::Spectrum& curve, const QString& model);
  // A fit has ended; ok is false when it failed (the reason is shown).
  void fit_finished(bool ok);

 private:
  void list_start_values();
  void finish(const Outcome& outcome);
  void show_message(const QString& text, bool error);

  std::function<analysis::Spectrum()> data_;
  QLineEdit* circuit_ = nullptr;
  QComboBox* weighting_ = nullptr;
  QPushButton* fit_ = nullptr;
  QTableWidget* starts_ = nullptr;
  QLabel* message_ = nullptr;
  QTableWidget* results_ = nullptr;
  QLabel* summary_ = nullptr;
  PlotWidget* residuals_ = nullptr;
  QThread* worker_ = nullptr;
  std::optional<analysis::FitResult> result_;
  std::optional<QString> listed_text_;  // the circuit text the start values were listed from
};

}  // namespace quelnor::gui::analyzer
