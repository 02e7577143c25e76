// The Validity panel: the linear Kramers-Kronig test on a worker thread, and its result.
#include "gui/analyzer/validity_panel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "analysis/engineering_format.h"
#include "gui/analyzer/plot_widget.h"

namespace quelnor::gui::analyzer {

ValidityPanel::ValidityPanel(std::function<analysis::Spectrum()> data, QWidget* parent)
    : QWidget(parent), data_(std::move(data)) {
  // Controls and verdict on the left, the residuals on the right.
  auto* columns = new QHBoxLayout(this);
  auto* layout = new QVBoxLayout;
  columns->addLayout(layout, 2);
  auto* intro = new QLabel("Kramers-Kronig test of the live trace (or the selected measured memory):");
  intro->setWordWrap(true);
  layout->addWidget(intro);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Fit to:"));
  mode_ = new QComboBox;
  mode_->addItem("complex", int(analysis::KkFitMode::complex));
  mode_->addItem("real part", int(analysis::KkFitMode::real));
  mode_->addItem("imaginary part", int(analysis::KkFitMode::imaginary));
  row->addWidget(mode_, 1);
  run_ = new QPushButton("Run test");
  row->addWidget(run_);
  layout->addLayout(row);
  verdict_ = new QLabel;
  verdict_->setWordWrap(true);
  layout->addWidget(verdict_);
  details_ = new QLabel;
  details_->setWordWrap(true);
  layout->addWidget(details_);
  layout->addStretch(1);
  residuals_ = new PlotWidget;
  residuals_->setMinimumHeight(180);
  columns->addWidget(residuals_, 3);
  connect(run_, &QPushButton::clicked, this, &ValidityPanel::start_test);
}

ValidityPanel::~ValidityPanel() {
  if (worker_) {
    worker_->wait();
    delete worker_;
  }
}

QString ValidityPanel::verdict_text() const { return verdict_->text(); }

bool ValidityPanel::start_test() {
  if (worker_) {
    verdict_->setText("A test is already running; wait for it to end.");
    return false;
  }
  const analysis::Spectrum data = data_ ? data_() : analysis::Spectrum{};
  if (data.points.empty()) {
    verdict_->setText("There is nothing to test: measure a spectrum or open a file first.");
    verdict_->setStyleSheet("color: #a00000; font-weight: bold;");
    return false;
  }
  analysis::KkOptions options;
  options.mode = static_cast<analysis::KkFitMode>(mode_->currentData().toInt());
  verdict_->setText(QString("Testing %1 points...").arg(data.points.size()));
  verdict_->setStyleSheet("");
  run_->setEnabled(false);
  worker_ = QThread::create([this, data, options] {
    Outcome outcome;
    try {
      outcome.result = analysis::lin_kk(data, options);
    } catch (const std::exception& e) {
      outcome.error = QString("The test cannot be made: ") + e.what();
    }
    QMetaObject::invokeMethod(this, [this, outcome = std::move(outcome)] { finish(outcome); }, Qt::QueuedConnection);
  });
  connect(worker_, &QThread::finished, worker_, &QObject::deleteLater);
  worker_->start();
  return true;
}

void ValidityPanel::finish(const Outcome& outcome) {
  if (worker_) worker_->wait();  // its last act was to post this
  worker_ = nullptr;
  run_->setEnabled(true);
  if (!outcome.result) {
    verdict_->setText(outcome.error);
    verdict_->setStyleSheet("color: #a00000; font-weight: bold;");
    emit test_finished(false);
    return;
  }
  result_ = outcome.result;
  const analysis::KkResult& r = *result_;
  verdict_->setText(QString::fromStdString(r.verdict));
  verdict_->setStyleSheet(r.valid ? "color: #006000; font-weight: bold;" : "color: #a00000; font-weight: bold;");
  QString details = QString("M = %1 RC elements, μ = %2\nlargest residual: real %3, imaginary %4 of |Z|\n"
                            "noise estimate: %5 of |Z|; limit ±%6")
                        .arg(r.m)
                        .arg(r.mu, 0, 'f', 3)
                        .arg(QString::fromStdString(analysis::percent_text(r.max_residual_real)))
                        .arg(QString::fromStdString(analysis::percent_text(r.max_residual_imag)))
                        .arg(QString::fromStdString(analysis::percent_text(r.noise_estimate)))
                        .arg(QString::fromStdString(analysis::percent_text(analysis::KkOptions{}.residual_limit)));
  for (const std::string& note : r.notes) details += "\n" + QString::fromStdString(note);
  for (const std::string& warning : r.warnings) details += "\nWarning: " + QString::fromStdString(warning);
  details_->setText(details);

  // Residuals in percent of |Z|, the limit dashed, the failing points joined in red.
  const double limit_percent = analysis::KkOptions{}.residual_limit * 100.0;
  PlotCurve real{"real", QColor(0, 90, 200), Qt::SolidLine, {}, {}, {}};
  PlotCurve imag{"imaginary", QColor(200, 60, 0), Qt::SolidLine, {}, {}, {}};
  PlotCurve failing{"failing", QColor(230, 0, 0), Qt::DotLine, {}, {}, {}};
  for (std::size_t i = 0; i < r.frequency_hz.size(); ++i) {
    const double f = r.frequency_hz[i];
    real.x.push_back(f);
    real.y.push_back(r.residual_real[i] * 100.0);
    imag.x.push_back(f);
    imag.y.push_back(r.residual_imag[i] * 100.0);
    if (std::find(r.failing_frequencies_hz.begin(), r.failing_frequencies_hz.end(), f) !=
        r.failing_frequencies_hz.end()) {
      const double worst = std::abs(r.residual_real[i]) > std::abs(r.residual_imag[i]) ? r.residual_real[i]
                                                                                      : r.residual_imag[i];
      failing.x.push_back(f);
      failing.y.push_back(worst * 100.0);
    }
  }
  real.frequency_hz = real.x;
  imag.frequency_hz = imag.x;
  failing.frequency_hz = failing.x;
  PlotPane pane{"residual (% of |Z|)", false, {real, imag}};
  if (!r.frequency_hz.empty()) {
    const double low = r.frequency_hz.front(), high = r.frequency_hz.back();
    pane.curves.push_back({"+limit", QColor(120, 120, 120), Qt::DashLine, {low, high}, {limit_percent, limit_percent}, {low, high}});
    pane.curves.push_back({"-limit", QColor(120, 120, 120), Qt::DashLine, {low, high}, {-limit_percent, -limit_percent}, {low, high}});
  }
  if (!failing.x.empty()) pane.curves.push_back(failing);
  residuals_->set_data({pane}, "frequency (Hz)", true, true, false);
  emit test_finished(true);
}

}  // namespace quelnor::gui::analyzer
