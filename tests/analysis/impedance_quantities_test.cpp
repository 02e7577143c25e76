// Derived quantities against values worked out by hand for a capacitor, an inductor with
// its winding resistance, and a series RLC (10 ohm, 1 mH, 1 uF) at and off resonance.
#include "analysis/impedance_quantities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace quelnor::analysis {
namespace {

constexpr double pi = std::numbers::pi;
const double nan = std::nan("");
const double inf = INFINITY;

// Z of R + L + C in series; C = 0 means no capacitor.
std::complex<double> series(double r, double l, double c, double f) {
  const double w = 2 * pi * f;
  return {r, w * l - (c > 0 ? 1 / (w * c) : 0.0)};
}

struct Case {
  const char* name;
  double frequency_hz;
  std::complex<double> z;
  double magnitude, phase_deg, g, b, cs, cp, ls, lp, q, d;
};

void expect_close(double expected, double actual, const char* what, const char* name) {
  if (std::isnan(expected)) {
    EXPECT_TRUE(std::isnan(actual)) << name << ' ' << what << " = " << actual;
  } else if (std::isinf(expected)) {
    EXPECT_EQ(expected, actual) << name << ' ' << what;
  } else {
    EXPECT_NEAR(expected, actual, 1e-6 * std::abs(expected) + 1e-15) << name << ' ' << what;
  }
}

TEST(ImpedanceQuantities, HandComputedComponents) {
  const Case cases[] = {
      // 1 nF at 10 kHz: X = -1/(2 pi 1e4 1e-9) = -15915.494 ohm, B = w C.
      {"capacitor", 1e4, {0, -15915.494309189533}, 15915.494309189533, -90.0, 0.0, 6.283185307179587e-05,
       1e-9, 1e-9, nan, nan, inf, 0.0},
      // 1 mH with 1 ohm winding at 1 kHz: X = 6.2832, |Z|^2 = 40.478, Lp = |Z|^2 / (w X).
      {"inductor", 1e3, {1, 6.283185307179586}, 6.362265131567328, 80.95693892096232, 0.024704523031857644,
       -0.15522309613464763, nan, nan, 1e-3, 0.0010253302959105845, 6.283185307179586, 0.15915494309189535},
      // Series RLC below resonance: X = 6.2832 - 159.155 = -152.872 ohm, capacitive.
      {"rlc 1 kHz", 1e3, series(10, 1e-3, 1e-6, 1e3), 153.1984801758451, -86.25736852640141,
       0.00042607993839929333, 0.006513558913990337, 1.0411010208702382e-06, 1.0366650982818398e-06, nan, nan,
       15.287175778471575, 1 / 15.287175778471575},
      // Above resonance: X = 125.664 - 7.958 = 117.706 ohm, inductive.
      {"rlc 20 kHz", 2e4, series(10, 1e-3, 1e-6, 2e4), 118.1299825680146, 85.14395663143165,
       0.0007166048121993243, -0.008434865663605153, nan, nan, 0.0009366742602235389, 0.0009434349605508169,
       11.770595898899696, 1 / 11.770595898899696},
      // At resonance the reactances cancel: only R is left, neither C nor L.
      {"rlc resonance", 5032.921210448703, {10, 0}, 10, 0, 0.1, 0, nan, nan, nan, nan, 0, inf},
  };
  for (const Case& c : cases) {
    const ImpedanceQuantities q = impedance_quantities(c.frequency_hz, c.z);
    EXPECT_EQ(q.resistance_ohm, c.z.real()) << c.name;
    EXPECT_EQ(q.reactance_ohm, c.z.imag()) << c.name;
    expect_close(c.magnitude, q.magnitude_ohm, "|Z|", c.name);
    expect_close(c.phase_deg, q.phase_deg, "phase", c.name);
    expect_close(c.g, q.conductance_s, "G", c.name);
    expect_close(c.b, q.susceptance_s, "B", c.name);
    expect_close(c.cs, q.series_capacitance_f, "Cs", c.name);
    expect_close(c.cp, q.parallel_capacitance_f, "Cp", c.name);
    expect_close(c.ls, q.series_inductance_h, "Ls", c.name);
    expect_close(c.lp, q.parallel_inductance_h, "Lp", c.name);
    expect_close(c.q, q.quality_factor, "Q", c.name);
    expect_close(c.d, q.dissipation_factor, "D", c.name);
  }
}

TEST(ImpedanceQuantities, RlcResonanceFromTheComponentsLeavesOnlyTheResistance) {
  const double f0 = 1 / (2 * pi * std::sqrt(1e-3 * 1e-6));
  const ImpedanceQuantities q = impedance_quantities(f0, series(10, 1e-3, 1e-6, f0));
  EXPECT_NEAR(q.magnitude_ohm, 10.0, 1e-9);
  EXPECT_NEAR(q.phase_deg, 0.0, 1e-9);
}

TEST(ImpedanceQuantities, ShortCircuitHasNoAdmittanceAndNoElement) {
  const ImpedanceQuantities q = impedance_quantities(1e3, {0, 0});
  EXPECT_TRUE(std::isnan(q.conductance_s));
  EXPECT_TRUE(std::isnan(q.series_capacitance_f));
  EXPECT_TRUE(std::isnan(q.series_inductance_h));
  EXPECT_EQ(reactive_element_text(q, false), "resistive");
}

TEST(ImpedanceQuantities, ReactanceIsNamedByItsSign) {
  EXPECT_EQ(reactive_element_text(impedance_quantities(1e4, {0, -15915.494309189533}), false), "C 1 nF");
  EXPECT_EQ(reactive_element_text(impedance_quantities(1e3, {1, 6.283185307179586}), false), "L 1 mH");
  EXPECT_EQ(reactive_element_text(impedance_quantities(1e3, {1, 6.283185307179586}), true), "L 1.03 mH");
  EXPECT_EQ(reactive_element_text(impedance_quantities(1e3, series(10, 1e-3, 1e-6, 1e3)), false), "C 1.04 uF");
}

}  // namespace
}  // namespace quelnor::analysis
