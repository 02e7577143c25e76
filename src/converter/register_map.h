// The converter chip's registers, command codes and bit fields. No dependencies.
//
//   0x80  control, high byte  bits 7..4 command, bit 3 zero, bits 2..1 range, bit 0 PGA
//   0x81  control, low byte   bit 3: 1 = external system clock, 0 = internal oscillator
//   0x82..0x84  start-frequency code, 24 bits, most significant byte first
//   0x85..0x87  frequency-increment code, 24 bits
//   0x88..0x89  number of increments, 9 bits (0x88 bit 0 = bit 8)
//   0x8A  settling cycles high: bit 0 = count bit 8, bits 2..1 multiplier (00 x1, 01 x2, 11 x4)
//   0x8B  settling cycles low
//   0x8F  status: 0x01 temperature valid, 0x02 real/imaginary valid, 0x04 sweep complete
//   0x92..0x93  temperature word; 0x94..0x95 real data; 0x96..0x97 imaginary data
#pragma once

#include <cstdint>

namespace quelnor::converter {

namespace reg {
constexpr std::int32_t control_high = 0x80;
constexpr std::int32_t control_low = 0x81;
constexpr std::int32_t start_frequency_high = 0x82;
constexpr std::int32_t start_frequency_mid = 0x83;
constexpr std::int32_t start_frequency_low = 0x84;
constexpr std::int32_t increment_high = 0x85;
constexpr std::int32_t increment_mid = 0x86;
constexpr std::int32_t increment_low = 0x87;
constexpr std::int32_t increments_high = 0x88;
constexpr std::int32_t increments_low = 0x89;
constexpr std::int32_t settling_high = 0x8A;
constexpr std::int32_t settling_low = 0x8B;
constexpr std::int32_t status = 0x8F;
constexpr std::int32_t temperature_high = 0x92;
constexpr std::int32_t temperature_low = 0x93;
constexpr std::int32_t real_high = 0x94;
constexpr std::int32_t real_low = 0x95;
constexpr std::int32_t imaginary_high = 0x96;
constexpr std::int32_t imaginary_low = 0x97;
}  // namespace reg

namespace command {
constexpr std::int32_t none = 0x00;
constexpr std::int32_t initialise = 0x10;
constexpr std::int32_t start_sweep = 0x20;
constexpr std::int32_t increment = 0x30;
constexpr std::int32_t repeat = 0x40;
constexpr std::int32_t measure_temperature = 0x90;
constexpr std::int32_t power_down = 0xA0;
constexpr std::int32_t standby = 0xB0;
}  // namespace command

namespace status_bit {
constexpr std::int32_t temperature_valid = 0x01;
constexpr std::int32_t data_valid = 0x02;
constexpr std::int32_t sweep_complete = 0x04;
}  // namespace status_bit

constexpr std::int32_t external_clock_bit = 0x08;   // in control_low
constexpr std::int32_t settling_count_bit8 = 0x01;  // in settling_high
constexpr std::int32_t settling_times_two = 0x02;   // in settling_high
constexpr std::int32_t settling_times_four = 0x06;  // in settling_high

// PGA and excitation-range bits of control_high for each option.
constexpr std::int32_t pga_gain_x1 = 1;
constexpr std::int32_t pga_gain_x5 = 0;
constexpr std::int32_t range_2v = 0;   // Range1: 2 V p-p
constexpr std::int32_t range_1v = 6;   // Range2: 1 V p-p
constexpr std::int32_t range_0v4 = 4;  // Range3: 0.4 V p-p
constexpr std::int32_t range_0v2 = 2;  // Range4: 0.2 V p-p

}  // namespace quelnor::converter
