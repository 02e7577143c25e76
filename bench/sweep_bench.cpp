// Speed of a full 511-increment sweep on the virtual board with no request latency:
// sweep engine, register transport, plots and chip model together, and the chip model
// alone answering the same register requests.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "converter/operator_settings.h"
#include "converter/sweep_programming.h"
#include "link/forwarding_driver.h"
#include "link/register_transport.h"
#include "link/usb_stuff.h"
#include "measure/frequency_sweep.h"
#include "measure/mid_point_calibration.h"
#include "model/session.h"
#include "model/strip_chart.h"
#include "sim/virtual_board.h"
#include "ui/plot_sweep_results.h"
#include "util/clock.h"

namespace {

using namespace quelnor;

constexpr int points_per_sweep = 512;

struct Request {
  std::int32_t handle, value, index, length;
  std::uint8_t request, direction;
};

// Passes every request on and keeps it, so the chip model can be timed on its own later.
class RecordingDriver final : public link::ForwardingDriver {
 public:
  explicit RecordingDriver(link::DriverLibrary& inner) : ForwardingDriver(inner) {}
  std::vector<Request>* log = nullptr;

  std::int16_t Vendor_Request(std::int32_t h, std::uint8_t request, std::int32_t value,
                              std::int32_t index, std::uint8_t direction, std::int32_t length,
                              std::uint8_t* data) override {
    if (log != nullptr) log->push_back({h, value, index, length, request, direction});
    return ForwardingDriver::Vendor_Request(h, request, value, index, direction, length, data);
  }
};

class OkDialogs final : public util::OperatorDialogs {
 public:
  std::string last_text;
  util::Answer show_message(const util::MessageBox& box) override {
    last_text = box.text;
    return util::Answer::ok;
  }
  std::string save_file(const util::SaveDialogRequest&) override { return {}; }
};

class NoInput final : public util::EventPump {
 public:
  void service_pending_input() override {}
};

sim::VirtualBoardOptions no_latency() {
  sim::VirtualBoardOptions options;
  options.request_latency_s = 0.0;
  return options;
}

// A started, loaded and mid-point-calibrated session set up for 511 increments. Each
// clock reading moves virtual time on by 10 us, so waiting for the chip's measurement
// takes a realistic number of status polls.
struct BenchSession {
  util::VirtualClock clock{8 * 3600.0, 1e-5};
  sim::VirtualBoard board{clock, no_latency()};
  RecordingDriver driver{board};
  OkDialogs dialogs;
  NoInput pump;
  link::USB_STUFF usb{driver, dialogs, QUELNOR_BIN_DIR};
  link::RegisterTransport transport{usb, dialogs, model::application_title};
  model::RecordingStripChart strip1, strip2;
  model::Session s{clock, dialogs, pump, transport, strip1, strip2};
  bool ready = false;

  BenchSession() {
    ready = usb.start_up();
    model::Form1Controls& f = s.form;
    f.select(f.Option1);
    converter::Option1_Click(s);
    f.select(f.ExternalClock);
    converter::ExternalClock_Click(s);
    s.plot_sweep_results = [this](bool continuous) { ui::plot_sweep_results(s, continuous); };
    f.Text3.text = "511";
    converter::program_sweep_registers(s);
    measure::mid_point_gain_factor(s);
  }
};

// Runs one sweep, keeping its requests; false when it did not complete.
bool record_sweep(BenchSession& b, std::vector<Request>& requests) {
  requests.clear();
  b.driver.log = &requests;
  measure::frequency_sweep(b.s);
  b.driver.log = nullptr;
  return b.dialogs.last_text == " sweep complete:   Press ok  ";
}

void BM_sweep_511_increments(benchmark::State& state) {
  BenchSession b;
  std::vector<Request> requests;
  if (!b.ready || !record_sweep(b, requests)) {
    state.SkipWithError("the virtual board did not sweep");
    return;
  }
  for (auto _ : state) {
    measure::frequency_sweep(b.s);
  }
  state.SetItemsProcessed(state.iterations() * points_per_sweep);
  state.counters["requests_per_point"] = static_cast<double>(requests.size()) / points_per_sweep;
}
BENCHMARK(BM_sweep_511_increments)->Unit(benchmark::kMillisecond);

// The same register requests as one sweep, straight into the virtual board.
void BM_chip_model_alone(benchmark::State& state) {
  BenchSession b;
  std::vector<Request> requests;
  if (!b.ready || !record_sweep(b, requests)) {
    state.SkipWithError("the virtual board did not sweep");
    return;
  }
  std::uint8_t byte[1] = {0};
  for (auto _ : state) {
    for (const Request& r : requests) {
      benchmark::DoNotOptimize(b.board.Vendor_Request(r.handle, r.request, r.value, r.index,
                                                      r.direction, r.length, byte));
    }
  }
  state.SetItemsProcessed(state.iterations() * points_per_sweep);
  state.counters["requests_per_point"] = static_cast<double>(requests.size()) / points_per_sweep;
}
BENCHMARK(BM_chip_model_alone)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
