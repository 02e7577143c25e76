// Fuzz target for the calibration-file reader: any text gives a checked calibration set or
// is refused with CalibrationFileError; a set read is written and reads back the same, bit
// for bit, and its corrections can be taken at any frequency.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/spectrum_check.h"
#include "instrument/calibration_file.h"

namespace {

using quelnor::fuzz::require;
using quelnor::fuzz::same_bits;
using namespace quelnor::instrument;

bool same_entry(const CalibrationEntry& a, const CalibrationEntry& b) {
  if (a.range != b.range || a.pga != b.pga || a.frequency_hz.size() != b.frequency_hz.size() ||
      a.references.size() != b.references.size() || a.points.size() != b.points.size()) {
    return false;
  }
  for (std::size_t k = 0; k < a.frequency_hz.size(); ++k) {
    if (!same_bits(a.frequency_hz[k], b.frequency_hz[k])) return false;
  }
  for (std::size_t i = 0; i < a.references.size(); ++i) {
    const ReferenceSweep& r = a.references[i];
    const ReferenceSweep& s = b.references[i];
    if (r.reference != s.reference || r.taken_at != s.taken_at || r.average != s.average ||
        !same_bits(r.temperature_c, s.temperature_c) || r.dft.size() != s.dft.size()) {
      return false;
    }
    for (std::size_t k = 0; k < r.dft.size(); ++k) {
      if (!same_bits(r.dft[k].real(), s.dft[k].real()) ||
          !same_bits(r.dft[k].imag(), s.dft[k].imag())) {
        return false;
      }
    }
  }
  for (std::size_t k = 0; k < a.points.size(); ++k) {
    const CalibrationPoint& p = a.points[k];
    const CalibrationPoint& q = b.points[k];
    if (!same_bits(p.frequency_hz, q.frequency_hz) || !same_bits(p.gain_factor, q.gain_factor) ||
        !same_bits(p.system_phase_deg, q.system_phase_deg) ||
        !same_bits(p.series_real_ohm, q.series_real_ohm) ||
        !same_bits(p.series_imag_ohm, q.series_imag_ohm)) {
      return false;
    }
  }
  return true;
}

bool same_set(const CalibrationSet& a, const CalibrationSet& b) {
  if (!same_bits(a.feedback_resistance_ohm, b.feedback_resistance_ohm) || a.clock != b.clock ||
      !same_bits(a.mclk_hz, b.mclk_hz) || a.settling_cycles != b.settling_cycles ||
      a.settling_multiplier != b.settling_multiplier || a.board != b.board ||
      a.taken_at != b.taken_at || !same_bits(a.temperature_c, b.temperature_c) ||
      a.entries.size() != b.entries.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.entries.size(); ++i) {
    if (!same_entry(a.entries[i], b.entries[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CalibrationSet set;
  try {
    set = calibration_from_json(text, "fuzz.json");
  } catch (const CalibrationFileError& e) {
    require(std::string(e.what()).rfind("fuzz.json: ", 0) == 0, "a refusal names the file");
    return 0;
  }
  for (const CalibrationEntry& e : set.entries) {
    require(e.range >= 1 && e.range <= 4 && (e.pga == 1 || e.pga == 5), "combinations in bounds");
    require(!e.frequency_hz.empty() && e.points.size() == e.frequency_hz.size(),
            "one point per frequency");
    for (const double hz : {0.0, e.frequency_hz.front(), e.frequency_hz.back() * 2.0}) {
      const Correction c = correction_at(e, hz);
      (void)corrected_impedance({1000.0, -2000.0}, c);
    }
  }
  CalibrationSet again;
  try {
    again = calibration_from_json(calibration_to_json(set), "again.json");
  } catch (const CalibrationFileError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    require(false, "a calibration read and written reads again");
  }
  require(same_set(again, set), "a calibration reads back the same");
  return 0;
}
