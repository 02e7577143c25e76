// The 1-port Touchstone file of Z-parameters that RF and circuit tools read: comment lines,
// the option line "# Hz Z RI R 1" (real and imaginary parts, normalised to 1 ohm, so the
// values are ohms), then one "frequency real imag" line per point.
#pragma once

#include <ostream>

#include "analysis/spectrum.h"

namespace quelnor::analysis {

// Metadata and warnings become "!" comment lines. Points are written by rising frequency
// (the format requires it); a repeated frequency keeps its first point only. Numbers are
// written so that they read back to the same double.
void write_touchstone_z(std::ostream& out, const Spectrum& spectrum);

}  // namespace quelnor::analysis
