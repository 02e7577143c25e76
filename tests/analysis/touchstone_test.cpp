// The Touchstone 1-port Z writer, byte for byte.
#include "analysis/touchstone.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quelnor::analysis {
namespace {

SpectrumPoint point(double f, double re, double im) {
  SpectrumPoint p;
  p.frequency_hz = f;
  p.impedance_ohm = {re, im};
  return p;
}

TEST(Touchstone, OptionLineCommentsAndRisingFrequencies) {
  Spectrum s;
  s.metadata = {{"dut", "R10k||C1n"}, {"note", "two\nlines"}};
  s.warnings = {"clipped at 100 kHz"};
  // A later segment repeating 2 kHz and out of order: the file needs rising frequencies.
  s.points = {point(1000, 9999.5, -0.1), point(2000, 0.1, -1e-300), point(1500, 1.0 / 3, 2), point(2000, 7, 7)};
  std::ostringstream out;
  write_touchstone_z(out, s);
  EXPECT_EQ(out.str(),
            "! 1-port Z-parameters in ohms\n"
            "! dut: R10k||C1n\n"
            "! note: two lines\n"
            "! warning: clipped at 100 kHz\n"
            "# Hz Z RI R 1\n"
            "1000 9999.5 -0.1\n"
            "1500 0.3333333333333333 2\n"
            "2000 0.1 -1e-300\n");
}

TEST(Touchstone, PartialRunIsSaid) {
  Spectrum s;
  s.partial = true;
  std::ostringstream out;
  write_touchstone_z(out, s);
  EXPECT_EQ(out.str(), "! 1-port Z-parameters in ohms\n! partial: the run ended before its last point\n# Hz Z RI R 1\n");
}

}  // namespace
}  // namespace quelnor::analysis
