// Standby and the gain, excitation-range, clock-source and settling-multiplier handlers.
#include "converter/operator_settings.h"

#include "converter/control_command.h"
#include "converter/register_map.h"

namespace quelnor::converter {

namespace {

// Standby first, so the chip never runs with a half-changed gain; then the new gain and
// range bits go into both halves of the control register. The low-byte write also clears
// the external-clock bit until the next calibration or sweep writes it again.
void apply_gain(model::Session& s, std::int32_t pga_bits) {
  s.control_bits.pga_bits = pga_bits;
  enter_standby_quiet(s);
  write_control_command(s, reg::control_high, command::none);
  write_control_command(s, reg::control_low, command::none);
}

// Keeps the settling count's bit 8 and puts the multiplier into bits 2..1.
void apply_multiplier(model::Session& s, std::int32_t multiplier_bits) {
  const std::int32_t held = s.transport.read_register(link::chip_bus_address, reg::settling_high);
  s.transport.write_register_verified(reg::settling_high,
                                      (held & settling_count_bit8) | multiplier_bits);
}

}  // namespace

void enter_standby_quiet(model::Session& s) {
  s.transport.write_register_verified(reg::control_high, command::standby);
}

void Option1_Click(model::Session& s) {
  apply_gain(s, pga_gain_x1);
}
void Option2_Click(model::Session& s) {
  apply_gain(s, pga_gain_x5);
}

// The range reaches the chip with the next command written through the command routine.
void Option3_Click(model::Session& s) {
  s.control_bits.range_bits = range_2v;
}
void Option4_Click(model::Session& s) {
  s.control_bits.range_bits = range_1v;
}
void Option5_Click(model::Session& s) {
  s.control_bits.range_bits = range_0v4;
}
void Option6_Click(model::Session& s) {
  s.control_bits.range_bits = range_0v2;
}

// The clock-source bit itself is written by each calibration and sweep; here only the
// frequency the codes are scaled against changes (Hz).
void InternalClock_Click(model::Session& s) {
  s.form.Text7.text = "16776000";
}
void ExternalClock_Click(model::Session& s) {
  s.form.Text7.text = "16000000";
}

void Multiply_by_one_Click(model::Session& s) {
  apply_multiplier(s, 0);
}
void Multiply_by_two_Click(model::Session& s) {
  apply_multiplier(s, settling_times_two);
}
void Multiply_by_four_Click(model::Session& s) {
  apply_multiplier(s, settling_times_four);
}

}  // namespace quelnor::converter
