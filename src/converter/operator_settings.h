// Standby and the option handlers of the gain, excitation-range, clock-source and
// settling-multiplier groups.
#pragma once

#include "model/session.h"

namespace quelnor::converter {

// Standby command, verified, without range or gain bits; no message of its own.
void enter_standby_quiet(model::Session& s);

void Option1_Click(model::Session& s);  // Gain = X1
void Option2_Click(model::Session& s);  // Gain = X5
void Option3_Click(model::Session& s);  // Range1: 2 V p-p
void Option4_Click(model::Session& s);  // Range2: 1 V p-p
void Option5_Click(model::Session& s);  // Range3: 0.4 V p-p
void Option6_Click(model::Session& s);  // Range4: 0.2 V p-p
void InternalClock_Click(model::Session& s);
void ExternalClock_Click(model::Session& s);
void Multiply_by_one_Click(model::Session& s);
void Multiply_by_two_Click(model::Session& s);
void Multiply_by_four_Click(model::Session& s);

}  // namespace quelnor::converter
