// Per-point arithmetic: register pairs to signed values, magnitude, impedance and the
// quadrant rules of the phase.
#include "measure/point_arithmetic.h"

#include <gtest/gtest.h>

#include "measure/fake_sweep_chip.h"
#include "measure/significant_digits.h"
#include "util/run_time_error.h"

namespace quelnor::measure {
namespace {

using test::matches_digits;

TEST(SignedDataValue, ReadsTheRegisterPairAsTwosComplement) {
  struct Case {
    int high, low;
    double value;
  };
  for (const Case c : {Case{0x7F, 0xFF, 32767}, Case{0x80, 0x00, -32768}, Case{0xFF, 0xFF, -1},
                       Case{0x00, 0x00, 0}, Case{0x01, 0x02, 258}, Case{0xFE, 0x0C, -500}}) {
    EXPECT_EQ(signed_data_value(c.high, c.low), c.value) << c.high << "," << c.low;
  }
}

TEST(PointArithmetic, MagnitudeAndImpedance) {
  EXPECT_EQ(magnitude_of(3, 4), 5.0);
  EXPECT_EQ(magnitude_of(-32768, -32768), std::sqrt(2.0) * 32768);
  EXPECT_TRUE(matches_digits(impedance_of(5.13427021632825E-10, 10000), 194769.647, 9));
}

TEST(PointArithmetic, ImpedanceOfAZeroProductFails) {
  EXPECT_THROW(impedance_of(0.0, 10000), util::RunTimeError);
  EXPECT_THROW(impedance_of(5e-10, 0.0), util::RunTimeError);
}

TEST(PhaseSweep, QuadrantsUseTheTenDigitPi) {
  struct Case {
    double i, r, theta;
  };
  for (const Case c : {Case{1, 1, 44.999999994}, Case{1, -1, 135.000000006},
                       Case{-1, -1, 224.999999994}, Case{-1, 1, 315.000000006},
                       Case{3000, 4000, 36.869897641}, Case{-12000, -9000, 233.130102347}}) {
    EXPECT_TRUE(matches_digits(phase_sweep(c.i, c.r), c.theta, 11)) << c.i << "," << c.r;
  }
}

TEST(PhaseSweep, PointsOnAnAxisGiveZero) {
  struct Case {
    double i, r;
  };
  for (const Case c : {Case{0, 5}, Case{0, -5}, Case{5, 0}, Case{-5, 0}, Case{0, 0}}) {
    EXPECT_EQ(phase_sweep(c.i, c.r), 0.0) << c.i << "," << c.r;
  }
}

TEST(CorrectedPhase, IsNotWrapped) {
  EXPECT_EQ(corrected_phase(10, 350), -340.0);
  EXPECT_EQ(corrected_phase(350, -5), 355.0);
}

TEST(ReadRealImaginary, ReadsTheFourDataRegistersInOrder) {
  test::SweepSession t;
  t.chip.data = [](int) { return std::pair{-2, 300}; };
  const RealImaginary point = read_real_imaginary(t.s);
  EXPECT_EQ(point.real, -2.0);
  EXPECT_EQ(point.imaginary, 300.0);
  EXPECT_EQ(t.traffic, (std::vector<std::string>{"R 94 FF", "R 95 FE", "R 96 01", "R 97 2C"}));
}

}  // namespace
}  // namespace quelnor::measure
