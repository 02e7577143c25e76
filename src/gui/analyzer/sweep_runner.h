// Carries a measurement source's calls from its worker thread to the window's thread as
// queued signals, so the window never blocks on the board and never touches it from two
// threads.
#pragma once

#include <QObject>
#include <QString>

#include "analysis/spectrum.h"
#include "gui/analyzer/measurement_source.h"

namespace quelnor::gui::analyzer {

class SweepRunner final : public QObject, public MeasurementSink {
  Q_OBJECT
 public:
  explicit SweepRunner(MeasurementSource& source, QObject* parent = nullptr);
  // Stops a run still going and waits for the worker, so no call arrives after.
  ~SweepRunner() override;

  MeasurementSource& source() { return source_; }

  // MeasurementSink, called on the source's thread.
  void point(const analysis::SpectrumPoint& point, int index, int total) override;
  void finished(const analysis::Spectrum& spectrum) override;
  void failed(const std::string& message) override;

 signals:
  void point_measured(const quelnor::analysis::SpectrumPoint& point, int index, int total);
  void run_finished(const quelnor::analysis::Spectrum& spectrum);
  void run_failed(const QString& message);

 private:
  MeasurementSource& source_;
};

}  // namespace quelnor::gui::analyzer
