// Fuzz target for the impedance-file reader: any text gives a spectrum of sane rows or is
// refused with std::invalid_argument naming its line; a spectrum read is written as a
// measurement file and reads back with the same numbers bit for bit.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "analysis/impedance_file.h"
#include "analysis/measurement_file_writer.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/spectrum_check.h"

using quelnor::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  quelnor::analysis::Spectrum spectrum;
  try {
    spectrum = quelnor::analysis::read_impedance_text(text);
  } catch (const std::invalid_argument& e) {
    require(std::string_view(e.what()).rfind("line ", 0) == 0, "a refusal names its line");
    return 0;
  }
  require(!spectrum.points.empty(), "a spectrum read has rows");
  for (const auto& p : spectrum.points) {
    require(std::isfinite(p.frequency_hz) && p.frequency_hz > 0.0, "frequencies are above 0");
    // A measurement file may hold inf or nan for a point without signal; the round trip
    // below checks those bit for bit like any other number.
    require(p.range >= 0 && p.range <= 4 && p.pga >= 0 && p.pga <= 5, "range and gain in bounds");
    require(p.flags < 16, "only known flags");
    require(p.pass >= 0 && std::isfinite(p.time_s), "pass and time are sane");
  }
  const std::string written = quelnor::analysis::measurement_file_text(spectrum);
  quelnor::analysis::Spectrum again;
  try {
    again = quelnor::analysis::read_impedance_text(written);
  } catch (const std::invalid_argument& e) {
    require(false, "a spectrum read and written reads again");
  }
  quelnor::fuzz::require_same_rows(again, spectrum);
  return 0;
}
