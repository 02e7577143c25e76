// Worker thread to window thread.
#include "gui/analyzer/sweep_runner.h"

#include <QMetaObject>

namespace quelnor::gui::analyzer {

SweepRunner::SweepRunner(MeasurementSource& source, QObject* parent) : QObject(parent), source_(source) {}

SweepRunner::~SweepRunner() {
  source_.stop();
  source_.wait();
}

// Each call posts a copy to this object's thread; Qt drops what is still queued when the
// object goes away.
void SweepRunner::point(const analysis::SpectrumPoint& p, int index, int total) {
  QMetaObject::invokeMethod(this, [this, p, index, total] { emit point_measured(p, index, total); },
                            Qt::QueuedConnection);
}

void SweepRunner::finished(const analysis::Spectrum& spectrum) {
  QMetaObject::invokeMethod(this, [this, spectrum] { emit run_finished(spectrum); }, Qt::QueuedConnection);
}

void SweepRunner::failed(const std::string& message) {
  QMetaObject::invokeMethod(this, [this, text = QString::fromStdString(message)] { emit run_failed(text); },
                            Qt::QueuedConnection);
}

}  // namespace quelnor::gui::analyzer
