// The analyzer engine's speed: software cost per point on the zero-latency virtual board,
// register requests per point for linear, logarithmic and auto-ranged plans, and on the
// real-time virtual board (1 ms per request) the wall time of a 100-point logarithmic plan
// against its floor.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>

#include "instrument/chip_driver.h"
#include "instrument/engine.h"
#include "link/forwarding_driver.h"
#include "link/register_transport.h"
#include "link/usb_stuff.h"
#include "sim/virtual_board.h"
#include "util/clock.h"

namespace {

using namespace quelnor;

// Counts the register requests, and the status reads among them.
class CountingDriver final : public link::ForwardingDriver {
 public:
  explicit CountingDriver(link::DriverLibrary& inner) : ForwardingDriver(inner) {}
  std::int64_t requests = 0;
  std::int64_t status_reads = 0;

  std::int16_t Vendor_Request(std::int32_t h, std::uint8_t request, std::int32_t value,
                              std::int32_t index, std::uint8_t direction, std::int32_t length,
                              std::uint8_t* data) override {
    ++requests;
    if (direction == 1 && index == 0x8F) ++status_reads;
    return ForwardingDriver::Vendor_Request(h, request, value, index, direction, length, data);
  }
};

class OkDialogs final : public util::OperatorDialogs {
 public:
  util::Answer show_message(const util::MessageBox&) override { return util::Answer::ok; }
  std::string save_file(const util::SaveDialogRequest&) override { return {}; }
};

sim::VirtualBoardOptions board_options(double latency_s, bool real_time) {
  sim::VirtualBoardOptions options;
  options.request_latency_s = latency_s;
  options.real_time = real_time;
  options.adc_noise_lsb_rms = 3.0;
  return options;
}

struct Bench {
  explicit Bench(double latency_s = 0.0, bool real_time = false)
      : board(clock, board_options(latency_s, real_time)) {
    ready = usb.start_up();
    board.set_dut("R47k+C1n");
  }
  util::VirtualClock clock;
  sim::VirtualBoard board;
  CountingDriver counter{board};
  OkDialogs dialogs;
  link::USB_STUFF usb{counter, dialogs, QUELNOR_BIN_DIR};
  link::RegisterTransport transport{usb, dialogs, "quelnor-eval"};
  bool real_time_sleep = false;
  instrument::BoardAccess access{transport, clock, [this](double s) {
                                   clock.advance(s);
                                   if (real_time_sleep) {
                                     std::this_thread::sleep_for(std::chrono::duration<double>(s));
                                   }
                                 }};
  bool ready = false;
};

instrument::SweepPlan plan(instrument::Spacing spacing, int points, int range) {
  instrument::SweepSegment s;
  s.start_hz = spacing == instrument::Spacing::linear ? 10e3 : 1e3;
  s.stop_hz = spacing == instrument::Spacing::linear ? 20e3 : 100e3;
  s.points = points;
  s.spacing = spacing;
  s.range = range;
  s.pga = range == instrument::auto_select ? instrument::auto_select : 1;
  return {{s}};
}

// Cost and requests of one plan on the zero-latency board; range 0 = auto.
void run_plan(benchmark::State& state, instrument::Spacing spacing, int range) {
  constexpr int points = 100;
  Bench b;
  if (!b.ready) {
    state.SkipWithError("the virtual board did not start");
    return;
  }
  const instrument::SweepPlan p = plan(spacing, points, range);
  std::int64_t requests = 0;
  for (auto _ : state) {
    const std::int64_t before = b.counter.requests;
    const instrument::Measurement m = instrument::measure(b.access, p, nullptr);
    benchmark::DoNotOptimize(m.spectrum.points.data());
    requests = b.counter.requests - before;
  }
  state.counters["s_per_point"] =
      benchmark::Counter(static_cast<double>(state.iterations() * points),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["requests_per_point"] = static_cast<double>(requests) / points;
  state.SetItemsProcessed(state.iterations() * points);
}

void BM_linear_fixed_range(benchmark::State& state) {
  run_plan(state, instrument::Spacing::linear, 1);
}
BENCHMARK(BM_linear_fixed_range)->Unit(benchmark::kMicrosecond);

void BM_log_fixed_range(benchmark::State& state) {
  run_plan(state, instrument::Spacing::logarithmic, 1);
}
BENCHMARK(BM_log_fixed_range)->Unit(benchmark::kMicrosecond);

void BM_log_auto_range(benchmark::State& state) {
  run_plan(state, instrument::Spacing::logarithmic, instrument::auto_select);
}
BENCHMARK(BM_log_auto_range)->Unit(benchmark::kMicrosecond);

// 100-point logarithmic plan, range 1, on the board that really sleeps 1 ms per request.
// The floor: every request but the extra status polls (one per measurement cannot be
// avoided) times the latency, plus the part of each measurement longer than a request.
void BM_log_real_time_over_floor(benchmark::State& state) {
  constexpr double latency_s = 1e-3;
  constexpr int points = 100;
  Bench b(latency_s, true);
  if (!b.ready) {
    state.SkipWithError("the virtual board did not start");
    return;
  }
  b.real_time_sleep = true;
  const instrument::SweepPlan p = plan(instrument::Spacing::logarithmic, points, 1);
  const instrument::SweepSegment& s = p.segments.front();
  double chip_excess_s = 0.0;
  for (const instrument::PlannedPoint& point : instrument::planned_points(p)) {
    chip_excess_s +=
        std::max(0.0, instrument::measurement_time_s(point.frequency_hz, s.settling_cycles,
                                                     s.settling_multiplier, s.mclk_hz) -
                          latency_s);
  }
  chip_excess_s += std::max(0.0, 0.8e-3 - latency_s);  // the die temperature
  double ratio = 0.0, requests_per_point = 0.0, extra_polls = 0.0;
  for (auto _ : state) {
    const std::int64_t requests_before = b.counter.requests;
    const std::int64_t polls_before = b.counter.status_reads;
    const auto start = std::chrono::steady_clock::now();
    const instrument::Measurement m = instrument::measure(b.access, p, nullptr);
    const double wall_s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto requests = static_cast<double>(b.counter.requests - requests_before);
    const auto polls = static_cast<double>(b.counter.status_reads - polls_before);
    const double measurements = static_cast<double>(m.spectrum.points.size()) + 1.0;
    const double floor_s = (requests - (polls - measurements)) * latency_s + chip_excess_s;
    ratio = wall_s / floor_s;
    requests_per_point = requests / points;
    extra_polls = polls - measurements;
  }
  state.counters["wall_over_floor"] = ratio;
  state.counters["requests_per_point"] = requests_per_point;
  state.counters["extra_status_polls"] = extra_polls;
}
BENCHMARK(BM_log_real_time_over_floor)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
