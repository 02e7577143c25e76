// Register requests, timed waits and data words of the converter chip.
#include "instrument/chip_driver.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "converter/register_map.h"
#include "converter/temperature.h"
#include "instrument/control_byte.h"
#include "util/run_time_error.h"

namespace quelnor::instrument {
namespace {

using converter::reg::status;

constexpr double temperature_conversion_s = 0.8e-3;
// However slow the chip, a result this long overdue means it will not come.
constexpr double overdue_margin_s = 0.5;

std::int32_t signed_word(std::int32_t high, std::int32_t low) {
  const std::int32_t word = high * 256 + low;
  return word > 32767 ? word - 65536 : word;
}

}  // namespace

double measurement_time_s(double frequency_hz, int settling_cycles, int settling_multiplier,
                          double mclk_hz) {
  return settling_cycles * settling_multiplier / frequency_hz + 1024.0 * 16.0 / mclk_hz;
}

void ChipDriver::note_request_time(double started_s) {
  ++requests_;
  const double took_s = now_s() - started_s;
  latency_s_ = requests_ == 1 ? took_s : 0.8 * latency_s_ + 0.2 * took_s;
}

void ChipDriver::write(std::int32_t reg, std::int32_t value) {
  if (!cache_valid_) {
    written_.fill(-1);
    cache_valid_ = true;
  }
  const double started_s = now_s();
  // A failed request raises; the register's content is then unknown.
  written_[reg & 0xFF] = -1;
  board_.transport.write_register(link::chip_bus_address, reg, value);
  written_[reg & 0xFF] = static_cast<std::int16_t>(value);
  note_request_time(started_s);
}

void ChipDriver::write_if_changed(std::int32_t reg, std::int32_t value) {
  if (cache_valid_ && written_[reg & 0xFF] == value) return;
  write(reg, value);
}

std::int32_t ChipDriver::read(std::int32_t reg) {
  const double started_s = now_s();
  const std::int32_t value = board_.transport.read_register(link::chip_bus_address, reg);
  note_request_time(started_s);
  return value;
}

void ChipDriver::command(std::int32_t command, Combination c) {
  write(converter::reg::control_high, control_byte(command, c.range, c.pga));
}

void ChipDriver::start_measurement(std::int32_t command_code, Combination c, double measurement_s) {
  command(command_code, c);
  measurement_s_ = measurement_s;
  ready_s_ = now_s() + measurement_s;
}

void ChipDriver::wait_for_status(std::int32_t bit, double ready_s, double measurement_s,
                                 const char* what) {
  // Sleep until the status read, which takes about one request, lands as the result is due.
  const double wake_s = ready_s - latency_s_;
  const double now = now_s();
  if (wake_s > now) board_.sleep(wake_s - now);
  const double deadline_s = ready_s + 10.0 * measurement_s + overdue_margin_s;
  const double retry_s = std::max(0.05 * measurement_s, 20e-6);
  std::int32_t bits = 0;
  while (((bits = read(status)) & bit) == 0) {
    if (now_s() > deadline_s) throw util::RunTimeError(util::ErrorKind::board_not_answering, what);
    board_.sleep(retry_s);
  }
  sweep_complete_seen_ = (bits & converter::status_bit::sweep_complete) != 0;
}

std::complex<double> ChipDriver::wait_and_read_dft(double frequency_hz) {
  char what[120];
  std::snprintf(what, sizeof what, "The chip gave no result at %.6g Hz. Check the board.",
                frequency_hz);
  wait_for_status(converter::status_bit::data_valid, ready_s_, measurement_s_, what);
  const std::int32_t real_high = read(converter::reg::real_high);
  const std::int32_t real_low = read(converter::reg::real_low);
  const std::int32_t imaginary_high = read(converter::reg::imaginary_high);
  const std::int32_t imaginary_low = read(converter::reg::imaginary_low);
  return {static_cast<double>(signed_word(real_high, real_low)),
          static_cast<double>(signed_word(imaginary_high, imaginary_low))};
}

double ChipDriver::read_temperature_c(Combination c) {
  command(converter::command::measure_temperature, c);
  wait_for_status(converter::status_bit::temperature_valid, now_s() + temperature_conversion_s,
                  temperature_conversion_s, "The chip gave no temperature. Check the board.");
  const std::int32_t high = read(converter::reg::temperature_high);
  const std::int32_t low = read(converter::reg::temperature_low);
  return converter::temperature_of_word(high * 256 + low);
}

}  // namespace quelnor::instrument
