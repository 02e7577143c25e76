// The measurement file: "# key: value" metadata lines, then the header
// frequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,range,pga,flags and one row per
// point, numbers written so that they read back to the same double.
#pragma once

#include <istream>
#include <ostream>
#include <stdexcept>

#include "analysis/spectrum.h"

namespace quelnor::analysis {

// A file that cannot be read as a measurement; what() names the line and what was wrong.
class MeasurementFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Warnings are written as "# warning: TEXT" lines and a cancelled run as "# partial: yes".
void write_measurement_csv(std::ostream& out, const Spectrum& spectrum);

// Reads what write_measurement_csv writes. The header's columns may come in any order and
// unknown columns are skipped; frequency_hz, real_ohm and imag_ohm are required, range,
// pga and flags read 0 when absent. Blank lines are skipped. A comment line without
// "key: value" is kept as metadata with an empty key.
Spectrum read_measurement_csv(std::istream& in);

}  // namespace quelnor::analysis
