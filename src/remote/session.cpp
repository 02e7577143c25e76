// The SCPI session: sequencing of program messages, status registers and overlapped runs.
#include "remote/session.h"

#include <exception>
#include <stdexcept>
#include <utility>

#include "remote/command_table.h"
#include "remote/scpi_error.h"

namespace quelnor::remote {

namespace {

constexpr std::size_t max_waiting_messages = 256;
constexpr const char* default_reference = "R200k";

std::string header_text(const ProgramUnit& unit, const std::vector<std::string>& nodes) {
  std::string text;
  for (const std::string& n : nodes) text += (text.empty() || unit.common ? "" : ":") + n;
  return text + (unit.query ? "?" : "");
}

int esr_bit_for(int code) {
  if (code <= -100 && code > -200) return esr_bit::command_error;
  if (code <= -200 && code > -300) return esr_bit::execution_error;
  if (code <= -400 && code > -500) return esr_bit::query_error;
  return esr_bit::device_error;
}

}  // namespace

Session::Session(Instrument& instrument, std::filesystem::path data_dir,
                 std::function<void(const std::string&)> output, std::function<void()> wake)
    : instrument_(instrument),
      limits_(instrument.limits()),
      data_dir_(std::move(data_dir)),
      output_(std::move(output)),
      wake_(std::move(wake)),
      plan_(limits_.defaults),
      reference_(default_reference) {}

Session::~Session() {
  continuous_ = false;
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
}

void Session::receive(std::string message) {
  if (pending_.size() >= max_waiting_messages) {
    push_error(scpi_code::input_buffer_overrun,
               "too many messages sent while waiting for an operation");
    return;
  }
  Pending p;
  p.message = std::move(message);
  // A client waiting on *OPC? or *WAI can only be freed by ending the run: an ABORt that
  // arrives behind a waiting message stops the run at once (and runs again, harmlessly, in
  // its turn), as a device clear would.
  if (!pending_.empty() && operation_running()) {
    p.parsed = parse_program_message(p.message);
    const CommandSpec* abort_command = find_command({"ABOR"}, false);
    for (std::size_t i = 0; i < p.parsed->units.size(); ++i) {
      const ProgramUnit& unit = p.parsed->units[i];
      // Only where the header starts from the root: elsewhere it names another command.
      const bool from_root = i == 0 || unit.absolute;
      if (from_root && !unit.common && !unit.query &&
          find_command(unit.nodes, false) == abort_command) {
        abort();
      }
    }
  }
  pending_.push_back(std::move(p));
  process_pending();
}

void Session::receive_error(int code, const std::string& detail) {
  Pending p;
  p.error_code = code;
  p.error_detail = detail;
  pending_.push_back(std::move(p));
  process_pending();
}

void Session::process_pending() {
  if (processing_) return;
  processing_ = true;
  while (!pending_.empty()) {
    Pending& p = pending_.front();
    if (p.error_code != 0) {
      push_error(p.error_code, p.error_detail);
      pending_.pop_front();
      continue;
    }
    if (!p.parsed) p.parsed = parse_program_message(p.message);
    bool blocked = false;
    while (p.next_unit < p.parsed->units.size()) {
      if (!run_unit(p, p.parsed->units[p.next_unit])) {
        blocked = true;
        break;
      }
      ++p.next_unit;
    }
    if (blocked) break;
    if (p.parsed->error) push_error(p.parsed->error->code, p.parsed->error->detail);
    if (!p.answers.empty()) {
      std::string response;
      for (const std::string& a : p.answers) response += (response.empty() ? "" : ";") + a;
      pending_.pop_front();
      output_(response + "\n");
    } else {
      pending_.pop_front();
    }
  }
  processing_ = false;
}

bool Session::run_unit(Pending& p, const ProgramUnit& unit) {
  std::vector<std::string> nodes;
  if (!unit.common && !unit.absolute) nodes = p.path;
  nodes.insert(nodes.end(), unit.nodes.begin(), unit.nodes.end());
  const CommandSpec* spec = find_command(nodes, unit.query);
  if (spec == nullptr) {
    push_error(scpi_code::undefined_header, header_text(unit, nodes));
    return true;
  }
  if (operation_running() && spec->sequencing != Sequencing::immediate) {
    if (!continuous_) return false;
    if (spec->sequencing == Sequencing::after_run) {
      push_error(scpi_code::settings_conflict,
                 "runs repeat (INITiate:CONTinuous ON): send ABORt or INIT:CONT OFF first");
      if (!unit.common) p.path.assign(nodes.begin(), nodes.end() - 1);
      return true;
    }
  }
  const int count = static_cast<int>(unit.parameters.size());
  try {
    if (count < spec->min_parameters) {
      throw ScpiError(scpi_code::missing_parameter,
                      std::string(spec->header) + " " + std::string(spec->parameters));
    }
    if (count > spec->max_parameters) {
      throw ScpiError(scpi_code::parameter_not_allowed,
                      spec->max_parameters == 0
                          ? std::string(spec->header) + " takes no parameter"
                          : std::string(spec->header) + " " + std::string(spec->parameters));
    }
    std::string answer = spec->handler(*this, unit);
    if (unit.query) p.answers.push_back(std::move(answer));
  } catch (const ScpiError& e) {
    push_error(e.code(), e.detail());
  } catch (const std::invalid_argument& e) {
    push_error(scpi_code::illegal_parameter_value, e.what());
  } catch (const std::exception& e) {
    push_error(scpi_code::execution_error, e.what());
  }
  if (!unit.common) p.path.assign(nodes.begin(), nodes.end() - 1);
  return true;
}

void Session::push_error(int code, const std::string& detail) {
  errors_.push(code, detail);
  esr_ |= esr_bit_for(code);
}

int Session::read_and_clear_esr() {
  const int value = esr_;
  esr_ = 0;
  return value;
}

int Session::status_byte() const {
  int stb = 0;
  if (errors_.count() != 0) stb |= 1 << 2;  // error/event queue not empty
  if ((esr_ & ese_) != 0) stb |= 1 << 5;    // event status summary
  if ((stb & sre_ & ~(1 << 6)) != 0) stb |= 1 << 6;
  return stb;
}

void Session::clear_status() {
  errors_.clear();
  esr_ = 0;
  opc_armed_ = false;
}

void Session::reset() {
  abort();
  join_worker();
  operation_ = Operation::none;
  plan_ = limits_.defaults;
  reference_ = default_reference;
  format_ = DataFormat::ascii;
  border_ = ByteOrder::normal;
  continuous_ = false;
  opc_armed_ = false;
  last_spectrum_.reset();
}

void Session::arm_operation_complete() {
  if (operation_running())
    opc_armed_ = true;
  else
    esr_ |= esr_bit::operation_complete;
}

void Session::start_measurement() {
  if (operation_running()) throw ScpiError(scpi_code::init_ignored, "a run is in progress");
  if (plan_.segments.empty() && plan_.start_hz > plan_.stop_hz) {
    throw ScpiError(scpi_code::settings_conflict,
                    "the start frequency is above the stop frequency");
  }
  start(Operation::measurement);
}

void Session::start_calibration() {
  if (operation_running()) throw ScpiError(scpi_code::settings_conflict, "a run is in progress");
  if (reference_.empty()) {
    throw ScpiError(scpi_code::settings_conflict, "no reference: send CALibration:REFerence first");
  }
  if (plan_.segments.empty() && plan_.start_hz > plan_.stop_hz) {
    throw ScpiError(scpi_code::settings_conflict,
                    "the start frequency is above the stop frequency");
  }
  start(Operation::calibration);
}

void Session::abort() {
  continuous_ = false;
  if (operation_running()) cancel_ = true;
}

void Session::set_continuous(bool on) {
  if (on && !operation_running()) start_measurement();
  continuous_ = on;
}

int Session::operation_condition() const {
  if (!operation_running()) return 0;
  return operation_ == Operation::calibration ? 1 : 16;
}

const analysis::Spectrum& Session::last_spectrum() const {
  if (!last_spectrum_) {
    throw ScpiError(scpi_code::data_corrupt_or_stale, "no measurement yet: send INITiate");
  }
  return *last_spectrum_;
}

void Session::start(Operation op) {
  join_worker();
  cancel_ = false;
  operation_ = op;
  {
    std::lock_guard lock(result_mutex_);
    result_spectrum_.reset();
    result_error_.clear();
    result_finished_ = false;
  }
  worker_ = std::thread([this, op, plan = plan_, reference = reference_] {
    std::optional<analysis::Spectrum> spectrum;
    std::string error;
    try {
      if (op == Operation::calibration)
        instrument_.calibrate(plan, reference, cancel_);
      else
        spectrum = instrument_.measure(plan, cancel_);
    } catch (const std::exception& e) {
      error = *e.what() != '\0' ? e.what() : "the board failed";
    } catch (...) {
      error = "the board failed";
    }
    {
      std::lock_guard lock(result_mutex_);
      result_spectrum_ = std::move(spectrum);
      result_error_ = std::move(error);
      result_finished_ = true;
    }
    wake_();
  });
}

void Session::join_worker() {
  if (worker_.joinable()) worker_.join();
}

void Session::operation_finished() {
  {
    std::lock_guard lock(result_mutex_);
    if (!worker_.joinable() || !result_finished_) return;
  }
  join_worker();
  const Operation finished = operation_;
  operation_ = Operation::none;
  std::optional<analysis::Spectrum> spectrum;
  std::string error;
  {
    std::lock_guard lock(result_mutex_);
    spectrum = std::move(result_spectrum_);
    error = std::move(result_error_);
    result_finished_ = false;
  }
  if (!error.empty()) {
    push_error(scpi_code::execution_error, error);
    continuous_ = false;
    try {
      instrument_.standby();
    } catch (const std::exception& e) {
      push_error(scpi_code::device_specific_error, e.what());
    }
  }
  if (finished == Operation::measurement && spectrum &&
      (!spectrum->partial || !spectrum->points.empty())) {
    last_spectrum_ = std::move(spectrum);
  }
  if (finished == Operation::measurement && continuous_ && !cancel_) {
    start(Operation::measurement);
  } else if (opc_armed_) {
    opc_armed_ = false;
    esr_ |= esr_bit::operation_complete;
  }
  process_pending();
}

void Session::shutdown() {
  continuous_ = false;
  cancel_ = true;
  join_worker();
  operation_ = Operation::none;
  pending_.clear();
  try {
    instrument_.standby();
  } catch (const std::exception&) {
    // The client is gone; nobody is left to tell.
  }
}

}  // namespace quelnor::remote
