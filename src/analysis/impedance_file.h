// Reading impedance spectra from text files: the analyzer's measurement CSV, the classic
// window's CSV export, and the plain three-column CSV (frequency, real, imaginary) in which
// impedance data are usually shared.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "analysis/spectrum.h"

namespace quelnor::analysis {

// The format is told by the first line that is not a '#' comment or blank:
//   a header naming frequency_hz, real_ohm and imag_ohm: the measurement file that
//     write_measurement_file writes (columns in any order, unknown ones skipped; range,
//     pga, flags, magnitude_ohm, phase_deg, pass, time_s, temperature_c optional); its
//     "# key: value" lines become the metadata, "# warning: ..." the warnings and
//     "# partial: yes" the partial flag; flags are names joined by '|'; impedances may be
//     inf or nan (a point without signal) and read back as written;
//   "Frequency,Impedance,Phase,Real,Imaginary,Magnitude,": the classic export, whose
//     impedance (ohm) and phase (degrees) columns give Z;
//   anything else: three numbers a line, separated by commas, semicolons, tabs or blanks,
//     after at most one header line of words.
// Raises std::invalid_argument "line N: ..." for a damaged line, or when no data row is
// found.
Spectrum read_impedance_text(std::string_view text);

// The same from a file; also raises std::invalid_argument when it cannot be read.
Spectrum read_impedance_file(const std::filesystem::path& path);

}  // namespace quelnor::analysis
