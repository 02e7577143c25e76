// The die-temperature measurement and the millisecond busy wait.
#pragma once

#include <cstdint>

#include "model/session.h"
#include "util/clock.h"

namespace quelnor::converter {

// One measurement, display included (Label8, and Label10 while waiting for a late result).
// A result still missing after about a second is reported in a box; Label8 then stays.
void measure_temperature(model::Session& s);

// The temperature in degrees Celsius of a 16-bit word read as a 14-bit two's-complement
// count of 1/32 degree (upper bits not masked).
double temperature_of_word(std::int32_t word);

// Busy wait of at least n milliseconds on the time of day; never yields. Ends across
// midnight too, and in any case once the monotonic clock has passed n ms plus a margin.
void msDelay(util::Clock& clock, std::int32_t n);

}  // namespace quelnor::converter
