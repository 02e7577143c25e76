// The register sequence of one pass over a plan's points.
#include "instrument/chip_pass.h"

#include "converter/register_map.h"

namespace quelnor::instrument {
namespace {

namespace reg = converter::reg;
namespace command = converter::command;

// The output stage's power-up after standby; later initialise commands find it running.
constexpr double power_up_wait_s = 2e-3;
constexpr int most_increments = 511;  // nine-bit increment count

void program_segment(ChipDriver& chip, const SweepSegment& s) {
  chip.write_if_changed(reg::control_low,
                        s.clock == ClockSource::external ? converter::external_clock_bit : 0);
  std::int32_t multiplier_bits = 0;
  if (s.settling_multiplier == 2) multiplier_bits = converter::settling_times_two;
  if (s.settling_multiplier == 4) multiplier_bits = converter::settling_times_four;
  chip.write_if_changed(reg::settling_low, s.settling_cycles & 0xFF);
  chip.write_if_changed(
      reg::settling_high,
      ((s.settling_cycles >> 8) & converter::settling_count_bit8) | multiplier_bits);
}

void write_code(ChipDriver& chip, std::int32_t high_reg, std::uint32_t code) {
  chip.write_if_changed(high_reg, static_cast<std::int32_t>((code >> 16) & 0xFF));
  chip.write_if_changed(high_reg + 1, static_cast<std::int32_t>((code >> 8) & 0xFF));
  chip.write_if_changed(high_reg + 2, static_cast<std::int32_t>(code & 0xFF));
}

}  // namespace

bool run_pass(ChipDriver& chip, const SweepPlan& plan, const std::vector<PlannedPoint>& points,
              RangeChooser& chooser, const std::atomic<bool>* cancel, double run_start_s,
              const std::function<void(const RawPoint&)>& deliver) {
  bool from_standby = true;
  bool sweeping = false;
  int increments_done = 0;
  int increments_left = 0;  // of the chip sweep running
  std::size_t segment = points.empty() ? 0 : points.front().segment + 1;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (cancel != nullptr && cancel->load()) return false;
    const PlannedPoint& p = points[i];
    const SweepSegment& s = plan.segments[p.segment];
    if (p.segment != segment) {
      program_segment(chip, s);
      segment = p.segment;
    }
    const double measurement_s =
        measurement_time_s(p.frequency_hz, s.settling_cycles, s.settling_multiplier, s.mclk_hz);
    const Combination start = chooser.first(p);
    if (p.by_increment && sweeping && increments_done < most_increments) {
      chip.start_measurement(command::increment, start, measurement_s);
      ++increments_done;
      --increments_left;
    } else {
      int following = 0;
      while (i + 1 + following < points.size() && points[i + 1 + following].by_increment &&
             following < most_increments) {
        ++following;
      }
      write_code(chip, reg::start_frequency_high, p.code);
      if (following > 0) {
        write_code(chip, reg::increment_high, points[i + 1].code - p.code);
        chip.write_if_changed(reg::increments_high, (following >> 8) & 0x01);
        chip.write_if_changed(reg::increments_low, following & 0xFF);
      }
      chip.command(command::initialise, start);
      if (from_standby) {
        chip.sleep(power_up_wait_s);
        from_standby = false;
      }
      chip.start_measurement(command::start_sweep, start, measurement_s);
      sweeping = true;
      increments_done = 0;
      increments_left = following;
    }
    std::vector<Reading> tried{{start, chip.wait_and_read_dft(p.frequency_hz)}};
    // Each combination is tried at most once, so this ends.
    while (const std::optional<Combination> again = chooser.next(p, tried)) {
      chip.start_measurement(command::repeat, *again, measurement_s);
      tried.push_back({*again, chip.wait_and_read_dft(p.frequency_hz)});
    }
    const Reading best = best_reading(tried);
    chooser.chosen(best.combination);
    std::complex<double> sum = best.dft;
    for (int k = 1; k < s.average; ++k) {
      chip.start_measurement(command::repeat, best.combination, measurement_s);
      sum += chip.wait_and_read_dft(p.frequency_hz);
    }
    RawPoint raw;
    raw.planned = &p;
    raw.combination = best.combination;
    raw.dft = sum / static_cast<double>(s.average);
    raw.time_s = chip.now_s() - run_start_s;
    // A chip that ends its sweep early holds its last result: an increment would only
    // read this point again under the next point's frequency.
    if (sweeping && increments_left > 0 && chip.sweep_complete_seen()) {
      sweeping = false;
      raw.sweep_ended_early = true;
    }
    deliver(raw);
  }
  return true;
}

}  // namespace quelnor::instrument
