// Comparing spectra row by row for the file fuzz targets: numbers bit for bit (a NaN equal
// to a NaN), range, gain, flags, pass.
#pragma once

#include <cmath>
#include <cstring>

#include "analysis/spectrum.h"
#include "fuzz/fuzz_check.h"

namespace quelnor::fuzz {

inline bool same_bits(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

inline void require_same_rows(const analysis::Spectrum& read, const analysis::Spectrum& written) {
  require(read.points.size() == written.points.size(), "every row reads back");
  const bool repeated = [&] {
    for (const auto& p : written.points) {
      if (p.pass > 0) return true;
    }
    return false;
  }();
  for (std::size_t k = 0; k < read.points.size(); ++k) {
    const analysis::SpectrumPoint& r = read.points[k];
    const analysis::SpectrumPoint& w = written.points[k];
    require(same_bits(r.frequency_hz, w.frequency_hz), "the frequency reads back bit for bit");
    require(same_bits(r.impedance_ohm.real(), w.impedance_ohm.real()),
            "the real part reads back bit for bit");
    require(same_bits(r.impedance_ohm.imag(), w.impedance_ohm.imag()),
            "the imaginary part reads back bit for bit");
    require(r.range == w.range && r.pga == w.pga, "range and gain read back");
    require(r.flags == w.flags, "the flags read back");
    if (repeated) {
      require(r.pass == w.pass, "the pass reads back");
      require(same_bits(r.time_s, w.time_s), "the time reads back bit for bit");
      require(same_bits(r.temperature_c, w.temperature_c), "the temperature reads back");
    }
  }
}

}  // namespace quelnor::fuzz
