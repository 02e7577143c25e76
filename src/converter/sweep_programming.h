// Programming the sweep parameters from the entry fields, and the field checks run when
// the operator leaves a frequency field.
#pragma once

#include <cstdint>

#include "model/session.h"

namespace quelnor::converter {

// floor(f / (|mclk| / 4) * 16777215 * 8), evaluated in that order; checked arithmetic.
// The result may exceed 24 bits or be negative; callers write bits 23..0.
std::int64_t frequency_code(double frequency_hz, double mclk_hz);

// |lenient_number(Text7)|.
double mclk(model::Session& s);

void program_start_frequency(model::Session& s);
void program_delta_frequency(model::Session& s);
void program_increments(model::Session& s);
void program_settling_cycles(model::Session& s);
// The four above in the order callers use: start, increments, delta, settling.
void program_sweep_registers(model::Session& s);

void Text1_LostFocus(model::Session& s);
void Text2_LostFocus(model::Session& s);
void Text7_LostFocus(model::Session& s);

}  // namespace quelnor::converter
