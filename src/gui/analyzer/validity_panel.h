// The Validity panel: the linear Kramers-Kronig test of the analysed trace, run on a worker
// thread; shows the verdict in words, M, mu, the largest residuals, the noise estimate and
// the residuals against frequency with the limit marked and the failing points in red.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "analysis/lin_kk.h"
#include "analysis/spectrum.h"

class QComboBox;
class QLabel;
class QPushButton;
class QThread;

namespace quelnor::gui::analyzer {

class PlotWidget;

class ValidityPanel final : public QWidget {
  Q_OBJECT
 public:
  // `data` gives, on the window's thread, the trace to test when Run is pressed.
  explicit ValidityPanel(std::function<analysis::Spectrum()> data, QWidget* parent = nullptr);
  ~ValidityPanel() override;  // waits for a test still running

  // Starts the test; false, with the reason shown, when there are no data or one is running.
  bool start_test();
  bool busy() const { return worker_ != nullptr; }

  const std::optional<analysis::KkResult>& result() const { return result_; }
  QString verdict_text() const;
  QLabel* details() const { return details_; }
  QComboBox* mode() const { return mode_; }
  PlotWidget* residual_plot() const { return residuals_; }

 signals:
  void test_finished(bool ok);

 private:
  struct Outcome {
    std::optional<analysis::KkResult> result;
    QString error;
  };
  void finish(const Outcome& outcome);

  std::function<analysis::Spectrum()> data_;
  QComboBox* mode_ = nullptr;
  QPushButton* run_ = nullptr;
  QLabel* verdict_ = nullptr;
  QLabel* details_ = nullptr;
  PlotWidget* residuals_ = nullptr;
  QThread* worker_ = nullptr;
  std::optional<analysis::KkResult> result_;
};

}  // namespace quelnor::gui::analyzer
