// One client's SCPI session: runs program messages against the command table, keeps the
// IEEE 488.2 status registers and the error queue, and runs calibrations and sweeps as
// overlapped operations on a worker thread so that other commands are answered meanwhile.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/spectrum.h"
#include "remote/error_queue.h"
#include "remote/instrument_port.h"
#include "remote/scpi_parser.h"

namespace quelnor::remote {

struct CommandSpec;

// Event status register bits.
namespace esr_bit {
constexpr int operation_complete = 1 << 0;
constexpr int query_error = 1 << 2;
constexpr int device_error = 1 << 3;
constexpr int execution_error = 1 << 4;
constexpr int command_error = 1 << 5;
constexpr int power_on = 1 << 7;
}  // namespace esr_bit

enum class DataFormat { ascii, real64 };
enum class ByteOrder { normal, swapped };  // NORMal: big-endian, as IEEE 488.2 sends

class Session {
 public:
  // output receives each complete response message, line feed included. wake is called
  // from the worker thread when an operation has ended; the owner must then call
  // operation_finished() on its own thread.
  Session(Instrument& instrument, std::filesystem::path data_dir,
          std::function<void(const std::string&)> output, std::function<void()> wake);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // One program message (without its line feed). Runs at once unless an earlier one waits
  // for an operation (*WAI, *OPC?, FETCh?); then it waits in line, except that an ABORt in
  // it ends the running operation at once.
  void receive(std::string message);
  // A message the framer refused: its error goes in the queue, in line with the rest.
  void receive_error(int code, const std::string& detail);
  void operation_finished();
  // Stops any run, waits for the worker and puts the board in standby.
  void shutdown();

  bool operation_running() const { return worker_.joinable(); }
  std::size_t waiting_messages() const { return pending_.size(); }

  // For the command handlers.
  Instrument& instrument() { return instrument_; }
  const InstrumentLimits& limits() const { return limits_; }
  SweepPlan& plan() { return plan_; }
  std::string& calibration_reference() { return reference_; }
  const std::filesystem::path& data_dir() const { return data_dir_; }
  ErrorQueue& errors() { return errors_; }
  void push_error(int code, const std::string& detail = {});
  int read_and_clear_esr();
  int status_byte() const;
  int& event_status_enable() { return ese_; }
  int& service_request_enable() { return sre_; }
  void clear_status();
  void reset();
  void arm_operation_complete();
  void start_measurement();
  void start_calibration();
  void abort();
  bool continuous() const { return continuous_; }
  void set_continuous(bool on);
  // Bits of the SCPI operation condition register: 1 calibrating, 16 measuring.
  int operation_condition() const;
  // The last finished run; ScpiError -230 when there is none.
  const analysis::Spectrum& last_spectrum() const;
  DataFormat& data_format() { return format_; }
  ByteOrder& byte_order() { return border_; }

 private:
  enum class Operation { none, calibration, measurement };
  struct Pending {
    std::string message;
    std::optional<ParsedMessage> parsed;
    std::size_t next_unit = 0;
    std::vector<std::string> answers;
    std::vector<std::string> path;
    int error_code = 0;
    std::string error_detail;
  };

  void process_pending();
  // False when the unit must wait for the running operation.
  bool run_unit(Pending& p, const ProgramUnit& unit);
  void start(Operation op);
  void join_worker();

  Instrument& instrument_;
  InstrumentLimits limits_;
  std::filesystem::path data_dir_;
  std::function<void(const std::string&)> output_;
  std::function<void()> wake_;

  SweepPlan plan_;
  std::string reference_;
  DataFormat format_ = DataFormat::ascii;
  ByteOrder border_ = ByteOrder::normal;
  bool continuous_ = false;

  ErrorQueue errors_;
  int esr_ = esr_bit::power_on;
  int ese_ = 0;
  int sre_ = 0;
  bool opc_armed_ = false;

  std::deque<Pending> pending_;
  bool processing_ = false;

  Operation operation_ = Operation::none;
  std::thread worker_;
  CancelFlag cancel_{false};
  std::mutex result_mutex_;
  std::optional<analysis::Spectrum> result_spectrum_;
  std::string result_error_;
  bool result_finished_ = false;
  std::optional<analysis::Spectrum> last_spectrum_;
};

}  // namespace quelnor::remote
