// Fuzz target for the measurement file: a spectrum decoded from the fuzz bytes (any finite
// numbers, any metadata and warning texts) is written and read back with the same numbers
// bit for bit, the same range, gain, flags and passes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string>

#include "analysis/impedance_file.h"
#include "analysis/measurement_file_writer.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/spectrum_check.h"

namespace {

using quelnor::analysis::Spectrum;
using quelnor::analysis::SpectrumPoint;

// Any finite double, from its raw bits so that subnormals, -0 and the extremes come up.
double finite(FuzzedDataProvider& in) {
  const double value = in.ConsumeFloatingPoint<double>();
  return std::isfinite(value) ? value : 0.0;
}

Spectrum decode(FuzzedDataProvider& in) {
  Spectrum s;
  const int metadata = in.ConsumeIntegralInRange(0, 3);
  for (int k = 0; k < metadata; ++k) {
    std::string key = in.ConsumeRandomLengthString(40);
    std::string value = in.ConsumeRandomLengthString(80);
    s.metadata.emplace_back(std::move(key), std::move(value));
  }
  const int warnings = in.ConsumeIntegralInRange(0, 2);
  for (int k = 0; k < warnings; ++k) s.warnings.push_back(in.ConsumeRandomLengthString(80));
  s.partial = in.ConsumeBool();
  const bool repeated = in.ConsumeBool();
  const int rows = in.ConsumeIntegralInRange(1, 64);
  for (int k = 0; k < rows; ++k) {
    SpectrumPoint p;
    p.frequency_hz = std::fabs(finite(in));
    if (!(p.frequency_hz > 0.0)) p.frequency_hz = std::numeric_limits<double>::denorm_min();
    p.impedance_ohm = {finite(in), finite(in)};
    p.range = in.ConsumeIntegralInRange(0, 4);
    static constexpr int gains[] = {0, 1, 5};
    p.pga = gains[in.ConsumeIntegralInRange(0, 2)];
    p.flags = in.ConsumeIntegralInRange<std::uint32_t>(0, 15);
    if (repeated) {
      p.pass = in.ConsumeIntegralInRange(0, 1000000000);
      p.time_s = finite(in);
      p.temperature_c = in.ConsumeBool() ? finite(in) : std::numeric_limits<double>::quiet_NaN();
    }
    s.points.push_back(p);
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const Spectrum written = decode(in);
  const std::string text = quelnor::analysis::measurement_file_text(written);
  Spectrum read;
  try {
    read = quelnor::analysis::read_impedance_text(text);
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "%s\n", e.what());
    quelnor::fuzz::require(false, "a measurement file written reads back");
  }
  quelnor::fuzz::require_same_rows(read, written);
  return 0;
}
