// The demo measurement source.
#include "gui/analyzer/demo_source.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>
#include <stdexcept>

namespace quelnor::gui::analyzer {

DemoSource::DemoSource(const std::string& circuit, std::chrono::microseconds pause_per_point)
    : pause_us_(pause_per_point.count()) {
  set_circuit(circuit);
}

DemoSource::~DemoSource() {
  stop();
  wait();
}

void DemoSource::set_circuit(const std::string& circuit) {
  ImpedanceFunction dut = circuit_impedance(circuit);
  const std::lock_guard lock(mutex_);
  circuit_ = circuit;
  dut_ = std::move(dut);
}

void DemoSource::fail_after(int points) {
  const std::lock_guard lock(mutex_);
  fail_countdown_ = points;
}

std::string DemoSource::description() const {
  const std::lock_guard lock(mutex_);
  return "demo source, " + circuit_;
}

void DemoSource::start(const SweepPlan& plan, MeasurementSink& sink) {
  wait();
  ImpedanceFunction dut;
  {
    const std::lock_guard lock(mutex_);
    dut = dut_;
  }
  cancel_ = false;
  running_ = true;
  worker_ = std::thread([this, plan, dut, &sink] { run(plan, dut, sink, false, 0.0); });
}

void DemoSource::take_calibration(const SweepPlan& plan, double reference_ohm, MeasurementSink& sink) {
  wait();
  cancel_ = false;
  running_ = true;
  const ImpedanceFunction reference = [reference_ohm](double) { return std::complex<double>(reference_ohm, 0.0); };
  worker_ = std::thread([this, plan, reference, reference_ohm, &sink] { run(plan, reference, sink, true, reference_ohm); });
}

void DemoSource::run(const SweepPlan& plan, ImpedanceFunction dut, MeasurementSink& sink, bool calibrating,
                     double reference_ohm) {
  analysis::Spectrum spectrum;
  spectrum.metadata = {{"source", description()},
                       {"plan", std::string(plan.logarithmic ? "log " : "linear ") + std::to_string(plan.points) +
                                    " points"},
                       {"settings", plan_settings_text(plan)}};
  const std::vector<double> frequencies = plan_frequencies(plan);
  const int total = static_cast<int>(frequencies.size());
  for (int i = 0; i < total; ++i) {
    if (cancel_) break;
    bool unplugged = false;
    {
      const std::lock_guard lock(mutex_);
      if (fail_countdown_ == 0) unplugged_ = true;
      if (fail_countdown_ > 0) --fail_countdown_;
      unplugged = unplugged_;
    }
    if (unplugged) {
      running_ = false;
      sink.failed("The board does not answer: it may have been unplugged. Check the cable and press Reconnect.");
      return;
    }
    if (pause_us_ > 0) std::this_thread::sleep_for(std::chrono::microseconds(pause_us_.load()));
    analysis::SpectrumPoint p;
    p.frequency_hz = frequencies[i];
    p.impedance_ohm = dut(p.frequency_hz);
    // The demo has no signal chain; it reports the settings it was asked for, auto as 1.
    p.range = plan.range ? plan.range : 1;
    p.pga = plan.pga ? plan.pga : 1;
    spectrum.points.push_back(p);
    sink.point(p, i, total);
  }
  spectrum.partial = static_cast<int>(spectrum.points.size()) < total;
  if (calibrating && !spectrum.partial) {
    CalibrationInfo info;
    info.present = true;
    info.start_hz = plan.start_hz;
    info.stop_hz = plan.stop_hz;
    info.points = plan.points;
    info.logarithmic = plan.logarithmic;
    info.settings = plan_settings_text(plan);
    info.reference_ohm = reference_ohm;
    info.taken_unix_s = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    info.temperature_c = 25.0;
    const std::lock_guard lock(mutex_);
    calibration_ = info;
  }
  running_ = false;
  sink.finished(spectrum);
}

void DemoSource::stop() { cancel_ = true; }

void DemoSource::wait() {
  if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

CalibrationInfo DemoSource::calibration() const {
  const std::lock_guard lock(mutex_);
  return calibration_;
}

void DemoSource::load_calibration(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("Cannot open " + path + ".");
  CalibrationInfo info;
  try {
    const nlohmann::json j = nlohmann::json::parse(in);
    info.start_hz = j.at("start_hz").get<double>();
    info.stop_hz = j.at("stop_hz").get<double>();
    info.points = j.at("points").get<int>();
    info.logarithmic = j.at("logarithmic").get<bool>();
    info.settings = j.at("settings").get<std::string>();
    info.reference_ohm = j.at("reference_ohm").get<double>();
    info.taken_unix_s = j.at("taken_unix_s").get<long long>();
    info.temperature_c = j.at("temperature_c").get<double>();
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error(path + " is not a calibration file (" + e.what() + ").");
  }
  info.present = true;
  info.file = path;
  const std::lock_guard lock(mutex_);
  calibration_ = info;
}

void DemoSource::save_calibration(const std::string& path) {
  CalibrationInfo info = calibration();
  if (!info.present) throw std::runtime_error("There is no calibration to save yet.");
  const nlohmann::json j = {{"start_hz", info.start_hz},     {"stop_hz", info.stop_hz},
                            {"points", info.points},         {"logarithmic", info.logarithmic},
                            {"settings", info.settings},     {"reference_ohm", info.reference_ohm},
                            {"taken_unix_s", info.taken_unix_s}, {"temperature_c", info.temperature_c}};
  std::ofstream out(path);
  out << j.dump(2) << '\n';
  if (!out) throw std::runtime_error("Cannot write " + path + ".");
  const std::lock_guard lock(mutex_);
  calibration_.file = path;
}

void DemoSource::reconnect() {
  const std::lock_guard lock(mutex_);
  unplugged_ = false;
  fail_countdown_ = -1;
}

}  // namespace quelnor::gui::analyzer
