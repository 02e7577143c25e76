// The measurement file: CSV with LF line ends, '#' lines of "key: value" metadata, a header
// and one row per point, every number written so that it reads back as the same double.
#pragma once

#include <ostream>
#include <string>

#include "analysis/spectrum.h"

namespace quelnor::analysis {

// Metadata lines: "# program: quelnor-eval VERSION", the spectrum's metadata in order, each
// warning as "# warning: ...", and "# partial: yes" for a run cut short. Header
// frequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,range,pga,flags, with
// pass,time_s,temperature_c first when any row belongs to a repeated run (pass > 0); a
// temperature not read (NaN) is left empty.
// Phase in degrees in (-180, 180]; flags joined by '|' (empty when none).
void write_measurement_file(std::ostream& out, const Spectrum& spectrum);
std::string measurement_file_text(const Spectrum& spectrum);

// The shortest text that reads back as exactly this double ("inf", "-inf", "nan" too).
std::string exact_number(double value);

// Phase of an impedance in degrees in (-180, 180].
double phase_deg(std::complex<double> impedance_ohm);

// "clipped|low-signal|uncalibrated|extrapolated" for the set flags, in that order.
std::string flag_names(std::uint32_t flags);

}  // namespace quelnor::analysis
