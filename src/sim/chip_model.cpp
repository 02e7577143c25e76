// Command state machine, timing and data registers of the modelled converter chip.
#include "sim/chip_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/signal_chain.h"

namespace quelnor::sim {
namespace {

// Register addresses and fields the chip decodes.
constexpr std::uint8_t control_high = 0x80;  // command 7..4, range 2..1, PGA 0 (1 = x1)
constexpr std::uint8_t control_low = 0x81;   // bit 3: external clock
constexpr std::uint8_t start_code_high = 0x82;
constexpr std::uint8_t delta_code_high = 0x85;
constexpr std::uint8_t increments_high = 0x88;  // bit 0 = count bit 8; 0x89 bits 7..0
constexpr std::uint8_t settling_high = 0x8A;    // bit 0 = count bit 8, bits 2..1 multiplier
constexpr std::uint8_t settling_low = 0x8B;
constexpr std::uint8_t status_register = 0x8F;
constexpr std::uint8_t temperature_high = 0x92;
constexpr std::uint8_t temperature_low = 0x93;
constexpr std::uint8_t real_high = 0x94;
constexpr std::uint8_t last_writable = 0x8B;

constexpr std::uint8_t status_temperature_valid = 0x01;
constexpr std::uint8_t status_data_valid = 0x02;
constexpr std::uint8_t status_sweep_complete = 0x04;

enum Command {
  no_command = 0x0,
  initialise = 0x1,
  start_sweep = 0x2,
  increment = 0x3,
  repeat = 0x4,
  measure_temperature = 0x9,
  power_down = 0xA,
  standby = 0xB,
};

// Noise floor of the receive path, in data-register counts rms at the default noise level.
constexpr double noise_floor_counts_per_fraction = 2000.0;

std::int16_t to_register_value(double counts) {
  if (!std::isfinite(counts)) return 0;
  return static_cast<std::int16_t>(std::clamp(std::round(counts), -32768.0, 32767.0));
}

}  // namespace

ChipModel::ChipModel(const circuit::CircuitExpression& dut, const FaultSet& faults, std::uint64_t noise_seed,
                     double noise_rms_fraction, double adc_noise_lsb_rms)
    : dut_(dut),
      faults_(faults),
      noise_rms_fraction_(noise_rms_fraction),
      adc_noise_lsb_rms_(adc_noise_lsb_rms),
      feedback_resistance_ohm_(default_feedback_resistance_ohm),
      noise_(noise_seed) {}

double ChipModel::master_clock_hz() const {
  return (registers_[control_low] & 0x08) != 0 ? external_clock_hz : internal_clock_hz;
}

std::uint32_t ChipModel::register_code(std::uint8_t high_reg) const {
  return (std::uint32_t{registers_[high_reg]} << 16) |
         (std::uint32_t{registers_[high_reg + 1]} << 8) | registers_[high_reg + 2];
}

int ChipModel::increments_programmed() const {
  return ((registers_[increments_high] & 0x01) << 8) | registers_[increments_high + 1];
}

int ChipModel::last_point_index() const {
  int last = increments_;
  if (const auto early = faults_.complete_after_points()) last = std::min(last, *early - 1);
  return last;
}

void ChipModel::write(std::uint8_t reg, std::uint8_t value, double now_s) {
  settle_pending(now_s);
  // Status, temperature and data registers are read-only; unused addresses ignore writes.
  if (reg < control_high || reg > last_writable) return;
  registers_[reg] = value;
  if (reg == control_high) run_command(value >> 4, now_s);
}

std::uint8_t ChipModel::read(std::uint8_t reg, double now_s) {
  settle_pending(now_s);
  if (reg == status_register) return status(now_s);
  return registers_[reg];
}

void ChipModel::run_command(int code, double now_s) {
  switch (code) {
    case initialise:
      // The synthesiser starts putting out the start frequency; the measurement itself
      // waits for the start command.
      mode_ = Mode::initialised;
      measuring_ = false;
      break;
    case start_sweep:
      mode_ = Mode::sweeping;
      start_code_ = register_code(start_code_high);
      delta_code_ = register_code(delta_code_high);
      increments_ = increments_programmed();
      point_index_ = 0;
      sweep_start_s_ = now_s;
      start_measurement(now_s);
      break;
    case increment:
      if (mode_ != Mode::sweeping) break;
      // Past the last point the chip holds its result and its complete flag.
      if (point_index_ >= last_point_index()) break;
      ++point_index_;
      start_measurement(now_s);
      break;
    case repeat:
      if (mode_ == Mode::sweeping) start_measurement(now_s);
      break;
    case measure_temperature:
      temperature_pending_ = true;
      temperature_valid_ = false;
      temperature_ready_s_ = now_s + temperature_conversion_s;
      break;
    case power_down:
    case standby:
      mode_ = Mode::standby;
      measuring_ = false;
      break;
    default:
      // No command (range and gain only) and the unused codes change nothing.
      break;
  }
}

void ChipModel::start_measurement(double now_s) {
  const double mclk_hz = master_clock_hz();
  const std::uint64_t code = std::uint64_t{start_code_} +
                             std::uint64_t{delta_code_} * static_cast<std::uint64_t>(point_index_);
  const double frequency_hz =
      static_cast<double>(code) * mclk_hz / synthesiser_clock_divider / frequency_code_scale;

  const std::uint8_t settling = registers_[settling_high];
  const int cycles = ((settling & 0x01) << 8) | registers_[settling_low];
  const int multiplier_field = (settling >> 1) & 0x3;
  const int multiplier = multiplier_field == 3 ? 4 : multiplier_field == 1 ? 2 : 1;
  // At 0 Hz there are no cycles to wait for.
  const double settling_s = frequency_hz > 0.0 ? cycles * multiplier / frequency_hz : 0.0;
  const double dft_s = dft_samples * 16.0 / mclk_hz;  // ADC samples at MCLK / 16
  measuring_ = true;
  data_ready_s_ = now_s + settling_s + dft_s;

  const std::uint8_t control = registers_[control_high];
  MeasurementConditions conditions;
  conditions.frequency_hz = frequency_hz;
  // A drifting impedance has changed in proportion to the time since the sweep started
  // (never below a short).
  const double drift =
      std::max(0.0, 1.0 + faults_.drift_fraction_per_s() * (now_s - sweep_start_s_));
  conditions.dut_ohm = dut_.impedance(frequency_hz) * drift;
  conditions.range_field = (control >> 1) & 0x3;
  conditions.pga_x1 = (control & 0x01) != 0;
  conditions.feedback_resistance_ohm = feedback_resistance_ohm_;
  std::complex<double> result = ideal_dft_result(conditions);
  if (noise_rms_fraction_ > 0.0 || adc_noise_lsb_rms_ > 0.0) {
    // Proportional noise of the whole chain plus a floor, split over both components.
    double sigma = noise_rms_fraction_ * (std::abs(result) + noise_floor_counts_per_fraction) /
                   std::numbers::sqrt2;
    // The ADC's own noise does not grow with the signal: small signals are noisier.
    if (adc_noise_lsb_rms_ > 0.0) {
      sigma = std::hypot(sigma, adc_noise_lsb_rms_ * dft_noise_counts_per_lsb());
    }
    std::normal_distribution<double> gauss(0.0, sigma);
    result += std::complex<double>(gauss(noise_), gauss(noise_));
  }
  if (faults_.zero_data_at(point_index_)) result = 0.0;
  pending_real_ = to_register_value(result.real());
  pending_imaginary_ = to_register_value(result.imag());
}

// Latches results whose conversion time has passed into the data and temperature registers.
void ChipModel::settle_pending(double now_s) {
  if (measuring_ && now_s >= data_ready_s_ && !faults_.data_never_valid()) {
    const auto real = static_cast<std::uint16_t>(pending_real_);
    const auto imaginary = static_cast<std::uint16_t>(pending_imaginary_);
    registers_[real_high] = static_cast<std::uint8_t>(real >> 8);
    registers_[real_high + 1] = static_cast<std::uint8_t>(real & 0xFF);
    registers_[real_high + 2] = static_cast<std::uint8_t>(imaginary >> 8);
    registers_[real_high + 3] = static_cast<std::uint8_t>(imaginary & 0xFF);
  }
  if (temperature_pending_ && now_s >= temperature_ready_s_) {
    temperature_pending_ = false;
    temperature_valid_ = true;
    // 14-bit two's complement count of 1/32 degree; the two top bits read 0.
    const long count = std::lround(die_temperature_c(temperature_ready_s_) * 32.0);
    const auto word = static_cast<std::uint16_t>(count & 0x3FFF);
    registers_[temperature_high] = static_cast<std::uint8_t>(word >> 8);
    registers_[temperature_low] = static_cast<std::uint8_t>(word & 0xFF);
  }
}

std::uint8_t ChipModel::status(double now_s) const {
  std::uint8_t bits = 0;
  if (temperature_valid_) bits |= status_temperature_valid;
  if (measuring_ && now_s >= data_ready_s_ && !faults_.data_never_valid()) {
    bits |= status_data_valid;
    if (point_index_ >= last_point_index()) bits |= status_sweep_complete;
  }
  return bits;
}

double ChipModel::die_temperature_c(double now_s) {
  // A slow warm-up-and-cool-down cycle of twenty minutes around 27.5 degrees.
  constexpr double period_s = 1200.0;
  return 27.5 + 2.5 * std::sin(2.0 * std::numbers::pi * now_s / period_s);
}

}  // namespace quelnor::sim
