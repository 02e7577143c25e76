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

// Each reads its field(s), may rewrite its own field and writes its registers. An entry
// that cannot be programmed (a count beyond 32 bits, a number beyond a double, a clock
// that gives no code) raises util::RunTimeError with a text naming the field, before
// anything is written or changed.
void program_start_frequency(model::Session& s);
void program_delta_frequency(model::Session& s);
void program_increments(model::Session& s);
void program_settling_cycles(model::Session& s);
// The four above in the order callers use: start, increments, delta, settling. All four
// fields are checked first, so one refused entry leaves the whole chip as it was.
void program_sweep_registers(model::Session& s);

// Field checks on leaving a frequency field: a value above MCLK / 32 becomes the integer
// text of MCLK / 32 - 1; Text7 at or below 0 becomes "1" first. They write nothing to the
// chip; a value they cannot handle is shown in a box and the field stays as typed.
void Text1_LostFocus(model::Session& s);
void Text2_LostFocus(model::Session& s);
void Text7_LostFocus(model::Session& s);

}  // namespace quelnor::converter
