// Sweep-parameter programming and the frequency-field checks. Every routine reads and
// checks all its fields before it writes anything, so a refused entry leaves the chip,
// the fields and the kept sweep settings as they were.
#include "converter/sweep_programming.h"

#include <cmath>
#include <string>

#include "converter/register_map.h"
#include "util/checked_math.h"
#include "util/numbers.h"
#include "util/run_time_error.h"

namespace quelnor::converter {

namespace {

constexpr std::int32_t count_limit = 511;  // nine bits

std::string shown(const std::string& text) {
  constexpr std::size_t longest = 40;
  return text.size() <= longest ? text : text.substr(0, longest) + "...";
}

[[noreturn]] void refuse(util::ErrorKind kind, const std::string& label, const std::string& text,
                         const std::string& reason) {
  throw util::RunTimeError(kind, label + ": the value " + shown(text) + " " + reason);
}

// lenient_number of a field, with a refusal that names the field.
double field_number(const model::TextBox& field, const model::Label& label) {
  try {
    return util::lenient_number(field.text);
  } catch (const util::RunTimeError& e) {
    refuse(e.kind(), label.caption, field.text, "is too large.");
  }
}

const char* beyond_32_bits(double value) {
  return value < 0 ? "is too small." : "is too large.";
}

// A count field rounded to the nearest integer (ties to even); refused when it does not
// fit 32 bits.
std::int32_t field_count(const model::TextBox& field, const model::Label& label) {
  const double value = field_number(field, label);
  try {
    return util::round_to_i32(value);
  } catch (const util::RunTimeError& e) {
    refuse(e.kind(), label.caption, field.text, beyond_32_bits(value));
  }
}

// What one frequency routine will write, worked out before anything is written.
struct FrequencyPlan {
  double frequency_hz = 0.0;  // as read, before any correction
  std::int64_t code = 0;
};

FrequencyPlan plan_frequency(model::Session& s, const model::TextBox& field,
                             const model::Label& label) {
  const double clock_hz = mclk(s);
  FrequencyPlan plan;
  plan.frequency_hz = field_number(field, label);
  try {
    plan.code = frequency_code(plan.frequency_hz, clock_hz);
  } catch (const util::RunTimeError& e) {
    if (clock_hz / 4 == 0.0) {
      refuse(e.kind(), s.form.label_mclk.caption, s.form.Text7.text,
             "is not a usable clock frequency.");
    }
    refuse(e.kind(), label.caption, field.text,
           "cannot be scaled to the clock frequency " + shown(s.form.Text7.text) + ".");
  }
  return plan;
}

// A negative frequency is shown as "0" and programmed as code 0. The registers take the
// code's bits 7..0, 15..8 and 23..16 in that order; higher bits are beyond the chip.
void apply_frequency(model::Session& s, const FrequencyPlan& plan, model::TextBox& field,
                     double& kept_hz, std::int32_t reg_low, std::int32_t reg_mid,
                     std::int32_t reg_high) {
  kept_hz = plan.frequency_hz;
  std::int64_t code = plan.code;
  if (plan.frequency_hz < 0) {
    field.text = "0";
    code = 0;
  }
  s.transport.write_register_verified(reg_low, static_cast<std::int32_t>(code & 0xFF));
  s.transport.write_register_verified(reg_mid, static_cast<std::int32_t>((code >> 8) & 0xFF));
  s.transport.write_register_verified(reg_high, static_cast<std::int32_t>((code >> 16) & 0xFF));
}

FrequencyPlan plan_start(model::Session& s) {
  return plan_frequency(s, s.form.Text1, s.form.label_start);
}
FrequencyPlan plan_delta(model::Session& s) {
  return plan_frequency(s, s.form.Text2, s.form.label_delta);
}

void apply_start(model::Session& s, const FrequencyPlan& plan) {
  apply_frequency(s, plan, s.form.Text1, s.sweep.start_frequency, reg::start_frequency_low,
                  reg::start_frequency_mid, reg::start_frequency_high);
}
void apply_delta(model::Session& s, const FrequencyPlan& plan) {
  apply_frequency(s, plan, s.form.Text2, s.sweep.delta_frequency, reg::increment_low,
                  reg::increment_mid, reg::increment_high);
}

// Increments are clamped to 1..511, and the field shows a clamped value.
void apply_increments(model::Session& s, std::int32_t n) {
  if (n >= count_limit) {
    n = count_limit;
    s.form.Text3.text = "511";
  } else if (n <= 0) {
    n = 1;
    s.form.Text3.text = "1";
  }
  s.sweep.increment_count = n;
  s.transport.write_register_verified(reg::increments_low, n & 0xFF);
  s.transport.write_register_verified(reg::increments_high, (n >> 8) & 0x01);
}

// Settling cycles are clamped to 0..511. Register 0x8A gets the count's bit 8 alone, so
// the multiplier in its bits 2..1 goes back to x1.
void apply_settling(model::Session& s, std::int32_t cycles) {
  if (cycles >= count_limit) {
    cycles = count_limit;
    s.form.Text4.text = "511";
  } else if (cycles < 0) {
    cycles = 0;
    s.form.Text4.text = "0";
  }
  s.transport.write_register_verified(reg::settling_low, cycles & 0xFF);
  s.transport.write_register_verified(reg::settling_high, (cycles >> 8) & settling_count_bit8);
}

std::int32_t plan_increments(model::Session& s) {
  return field_count(s.form.Text3, s.form.label_increments);
}
std::int32_t plan_settling(model::Session& s) {
  return field_count(s.form.Text4, s.form.label_settling);
}

// The check run when a frequency field is left: above MCLK / 32 the code no longer fits
// 24 bits, so the field becomes the integer just below that limit. Runs outside any
// failure handler, so a refusal is shown here and leaves the field as it was.
void limit_frequency_field(model::Session& s, model::TextBox& field, const model::Label& label) {
  try {
    const double clock_hz = field_number(s.form.Text7, s.form.label_mclk);
    const double f = field_number(field, label);
    const double limit_hz = util::checked_div(clock_hz, 32);
    if (f > limit_hz) {
      std::int32_t corrected = 0;
      try {
        corrected = util::round_to_i32(util::checked_sub(limit_hz, 1));
      } catch (const util::RunTimeError& e) {
        refuse(e.kind(), s.form.label_mclk.caption, s.form.Text7.text, beyond_32_bits(clock_hz));
      }
      field.text = std::to_string(corrected);
    }
  } catch (const util::RunTimeError& e) {
    s.message(e.what());
  }
}

}  // namespace

// The scale is 16777215 x 8 (not 2^27), applied in that order: f = MCLK / 32 gives
// 0xFFFFFF, the largest code the chip holds.
std::int64_t frequency_code(double frequency_hz, double mclk_hz) {
  const double quarter_clock_hz = util::checked_div(std::fabs(mclk_hz), 4);
  const double scaled = util::checked_mul(
      util::checked_mul(util::checked_div(frequency_hz, quarter_clock_hz), 16777215.0), 8.0);
  const double code = std::floor(scaled);
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  if (!(code >= -9223372036854775808.0 && code < 9223372036854775808.0)) {
    throw util::RunTimeError(util::ErrorKind::overflow, "Overflow");
  }
  return static_cast<std::int64_t>(code);
}

double mclk(model::Session& s) {
  return std::fabs(field_number(s.form.Text7, s.form.label_mclk));
}

void program_start_frequency(model::Session& s) {
  apply_start(s, plan_start(s));
}
void program_delta_frequency(model::Session& s) {
  apply_delta(s, plan_delta(s));
}
void program_increments(model::Session& s) {
  apply_increments(s, plan_increments(s));
}
void program_settling_cycles(model::Session& s) {
  apply_settling(s, plan_settling(s));
}

void program_sweep_registers(model::Session& s) {
  // Every field is checked before the first write, so one refused entry programs nothing.
  const FrequencyPlan start = plan_start(s);
  const std::int32_t increments = plan_increments(s);
  const FrequencyPlan delta = plan_delta(s);
  const std::int32_t settling = plan_settling(s);
  apply_start(s, start);
  apply_increments(s, increments);
  apply_delta(s, delta);
  apply_settling(s, settling);
}

void Text1_LostFocus(model::Session& s) {
  limit_frequency_field(s, s.form.Text1, s.form.label_start);
}

void Text2_LostFocus(model::Session& s) {
  limit_frequency_field(s, s.form.Text2, s.form.label_delta);
}

void Text7_LostFocus(model::Session& s) {
  try {
    if (field_number(s.form.Text7, s.form.label_mclk) <= 0) s.form.Text7.text = "1";
  } catch (const util::RunTimeError& e) {
    // The same refusal would follow for both frequency fields; one box is enough.
    s.message(e.what());
    return;
  }
  Text1_LostFocus(s);
  Text2_LostFocus(s);
}

}  // namespace quelnor::converter
