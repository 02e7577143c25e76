// The one sweep engine behind the single sweep and the continuous-sweep pass. The two
// differ only in their failure box and in how a successful sweep ends.
#pragma once

#include "model/session.h"

namespace quelnor::measure {

struct SweepVariant {
  const char* failure_text;
  // True: the continuous-sweep pass (no completion box, a temperature reading instead, and
  // no extra input servicing after the theoretical phase profile).
  bool continuous_pass;
};

inline constexpr SweepVariant single_sweep{"Error completing sweep check values", false};
inline constexpr SweepVariant continuous_pass{"Error completing Sweep:Check Values", true};

// Runs one sweep; any failure shows the variant's box. Returns false when it did.
bool run_sweep(model::Session& s, const SweepVariant& variant);

}  // namespace quelnor::measure
