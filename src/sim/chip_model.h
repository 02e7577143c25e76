// Register-level model of the converter chip: the register file, the command state machine
// of the control register, measurement and temperature timing against the clock, and the
// data registers filled from the signal chain.
#pragma once

#include <array>
#include <cstdint>
#include <random>

#include "circuit/circuit_expression.h"
#include "sim/faults.h"

namespace quelnor::sim {

constexpr double external_clock_hz = 16.000e6;  // oscillator fitted on the board
constexpr double internal_clock_hz = 16.776e6;
// The synthesiser runs at MCLK / 4 with a 27-bit phase step: f = code x (MCLK / 4) / 2^27,
// so the largest 24-bit code gives about MCLK / 32.
constexpr double synthesiser_clock_divider = 4.0;
constexpr double frequency_code_scale = 134217728.0;  // 2^27
constexpr double temperature_conversion_s = 0.8e-3;

class ChipModel {
 public:
  // dut and faults must outlive the chip; they are read at every measurement.
  // noise_rms_fraction: noise proportional to the signal (plus its small fixed part);
  // adc_noise_lsb_rms: white noise of every ADC sample, in LSB rms, which the DFT averages.
  ChipModel(const circuit::CircuitExpression& dut, const FaultSet& faults, std::uint64_t noise_seed,
            double noise_rms_fraction, double adc_noise_lsb_rms = 0.0);

  // The board's transimpedance resistor in ohms, used from the next measurement on.
  void set_feedback_resistance(double ohm) { feedback_resistance_ohm_ = ohm; }

  void write(std::uint8_t reg, std::uint8_t value, double now_s);
  std::uint8_t read(std::uint8_t reg, double now_s);

  // Die temperature, degrees C, at that time: drifts slowly between 25 and 30.
  static double die_temperature_c(double now_s);

 private:
  enum class Mode { standby, initialised, sweeping };

  double master_clock_hz() const;  // from the clock-source bit of 0x81
  void run_command(int code, double now_s);
  void start_measurement(double now_s);
  void settle_pending(double now_s);
  std::uint8_t status(double now_s) const;
  std::uint32_t register_code(std::uint8_t high_reg) const;
  int increments_programmed() const;
  int last_point_index() const;

  const circuit::CircuitExpression& dut_;
  const FaultSet& faults_;
  double noise_rms_fraction_;
  double adc_noise_lsb_rms_;
  double feedback_resistance_ohm_;
  std::mt19937_64 noise_;

  std::array<std::uint8_t, 256> registers_{};
  Mode mode_ = Mode::standby;
  // Frequency codes and count latched by the start command.
  std::uint32_t start_code_ = 0;
  std::uint32_t delta_code_ = 0;
  int increments_ = 0;
  int point_index_ = 0;         // 0 = start frequency
  double sweep_start_s_ = 0.0;  // when the start command came, for the drift fault

  bool measuring_ = false;
  double data_ready_s_ = 0.0;
  std::int16_t pending_real_ = 0;
  std::int16_t pending_imaginary_ = 0;

  bool temperature_pending_ = false;
  bool temperature_valid_ = false;
  double temperature_ready_s_ = 0.0;
};

}  // namespace quelnor::sim
