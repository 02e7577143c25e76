// The linear Kramers-Kronig test: spectra of real circuits pass with residuals at their
// noise, spectra that changed during the sweep or carry a disturbed point fail and are
// named, and the model's options and refusals.
#include "analysis/lin_kk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <string>

#include "analysis/synthetic_spectrum.h"

namespace quelnor::analysis {
namespace {

using testing::board_noise_fraction;
using testing::synthetic_spectrum;

// The Warburg tail does not close inside the span: the chain follows it a little less
// closely than the noise, so only its verdict is checked.
struct ValidCircuit {
  const char* text;
  bool residuals_at_noise;
};
const ValidCircuit valid_circuits[] = {
    {"R100+(R1k||Q(10u,0.85))", true},
    {"R10k||C100n", true},
    {"R20+(R200+W150)||C20u", false},
    {"R50+(R1k||C1u)+(R5k||C10n)+L10u", true},
};

TEST(LinKk, SpectraOfCircuitsPassWithResidualsAtTheirNoise) {
  std::mt19937_64 random(42);
  const double per_part = board_noise_fraction / std::sqrt(2.0);
  for (const auto& [text, residuals_at_noise] : valid_circuits) {
    const Spectrum data = synthetic_spectrum(text, 1, 1e5, 100, board_noise_fraction, &random);
    const KkResult r = lin_kk(data);
    EXPECT_TRUE(r.valid) << text << ": " << r.verdict;
    EXPECT_TRUE(r.failing_frequencies_hz.empty()) << text;
    EXPECT_TRUE(r.cutoff_reached) << text;
    EXPECT_LE(r.mu, 0.85) << text;
    EXPECT_EQ(static_cast<int>(r.tau_s.size()), r.m);
    // The residuals are the noise: about its size rms, none beyond 4 sigma.
    EXPECT_GT(r.noise_estimate, 0.6 * per_part) << text;
    if (residuals_at_noise) {
      EXPECT_LT(r.noise_estimate, 1.3 * per_part) << text;
      EXPECT_LT(std::max(r.max_residual_real, r.max_residual_imag), 4 * per_part) << text;
    }
    EXPECT_EQ(r.verdict.substr(0, 6), "valid:") << text;
    ASSERT_EQ(r.residual_real.size(), data.points.size());
    ASSERT_EQ(r.fitted_impedance_ohm.size(), data.points.size());
    for (std::size_t i = 0; i < data.points.size(); ++i) {
      const auto z = data.points[i].impedance_ohm;
      EXPECT_NEAR((z - r.fitted_impedance_ohm[i]).real() / std::abs(z), r.residual_real[i], 1e-12);
      EXPECT_NEAR((z - r.fitted_impedance_ohm[i]).imag() / std::abs(z), r.residual_imag[i], 1e-12);
    }
  }
}

// Fitted to the real part, the chain predicts the imaginary part from it; a spectrum whose
// arcs close inside the measured span passes that way too. (A Warburg tail does not close:
// its real part alone cannot tell the imaginary part beyond the lowest frequency.) Fitted
// to the imaginary part, R0 rests on one mean of the real part; its residuals are checked
// against the noise rather than the verdict's limit.
TEST(LinKk, RealOrImaginaryPartAloneAlsoPasses) {
  std::mt19937_64 random(43);
  for (const char* text :
       {"R100+(R1k||Q(10u,0.85))", "R10k||C100n", "R50+(R1k||C1u)+(R5k||C10n)+L10u"}) {
    for (const KkFitMode mode : {KkFitMode::real, KkFitMode::imaginary}) {
      const Spectrum data = synthetic_spectrum(text, 1, 1e5, 100, board_noise_fraction, &random);
      KkOptions options;
      options.mode = mode;
      const KkResult r = lin_kk(data, options);
      const std::string label = std::string(text) + " " + kk_fit_mode_name(mode);
      if (mode == KkFitMode::real) {
        EXPECT_TRUE(r.valid) << label << ": " << r.verdict;
      }
      EXPECT_LT(std::max(r.max_residual_real, r.max_residual_imag), 0.01) << label;
      EXPECT_LT(r.noise_estimate, 5 * board_noise_fraction) << label;
    }
  }
}

// The published procedure stops at the first M whose mu reaches the cutoff; with few
// elements mu can dip there while the chain still misses the data.
TEST(LinKk, StrictMuStopsAtTheFirstDipTheDefaultLooksFurther) {
  const Spectrum data = synthetic_spectrum("R10k||C100n", 1, 1e5, 100);
  KkOptions strict;
  strict.strict_mu = true;
  const KkResult first_dip = lin_kk(data, strict);
  EXPECT_LE(first_dip.mu, 0.85);
  EXPECT_LT(first_dip.m, 8);
  EXPECT_FALSE(first_dip.valid);
  EXPECT_TRUE(first_dip.notes.empty());
  const KkResult r = lin_kk(data);
  EXPECT_GT(r.m, first_dip.m);
  EXPECT_LE(r.mu, 0.85);
  EXPECT_TRUE(r.valid) << r.verdict;
  ASSERT_EQ(r.notes.size(), 1u);
  EXPECT_EQ(r.notes[0], "mu also reached the cutoff at M = " + std::to_string(first_dip.m) +
                            ", where too few elements still missed the data");
}

TEST(LinKk, TheChainReproducesNoiseFreeDataClosely) {
  const Spectrum data = synthetic_spectrum("R100+(R1k||C1u)", 1, 1e5, 60);
  const KkResult r = lin_kk(data);
  EXPECT_LT(std::max(r.max_residual_real, r.max_residual_imag), 1e-4) << r.verdict;
  EXPECT_NEAR(r.r0_ohm, 100, 1.0);
  double total_r = r.r0_ohm;
  for (double rk : r.r_ohm) total_r += rk;
  EXPECT_NEAR(total_r, 1100, 5.0);  // the DC resistance
  EXPECT_DOUBLE_EQ(r.tau_s.front(), 1.0 / (2 * M_PI * 1e5));
  EXPECT_DOUBLE_EQ(r.tau_s.back(), 1.0 / (2 * M_PI * 1));
}

// An impedance that grew steadily while the sweep ran from low to high frequencies.
TEST(LinKk, ASpectrumThatDriftedDuringTheSweepFails) {
  std::mt19937_64 random(5);
  Spectrum data =
      synthetic_spectrum("R100+(R1k||Q(10u,0.85))", 1, 1e5, 100, board_noise_fraction, &random);
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    data.points[i].impedance_ohm *= 1.0 + 0.10 * static_cast<double>(i) / data.points.size();
  }
  for (const KkFitMode mode : {KkFitMode::complex, KkFitMode::real, KkFitMode::imaginary}) {
    KkOptions options;
    options.mode = mode;
    const KkResult r = lin_kk(data, options);
    EXPECT_FALSE(r.valid) << kk_fit_mode_name(mode);
    EXPECT_FALSE(r.failing_frequencies_hz.empty());
    EXPECT_EQ(r.verdict.substr(0, 8), "invalid:") << r.verdict;
  }
}

TEST(LinKk, ADisturbedPointIsNamed) {
  std::mt19937_64 random(9);
  Spectrum data = synthetic_spectrum("R10k||C100n", 10, 1e5, 41, board_noise_fraction, &random);
  data.points[20].impedance_ohm *= std::complex<double>(1.03, 0.02);
  const KkResult r = lin_kk(data);
  EXPECT_FALSE(r.valid);
  ASSERT_FALSE(r.failing_frequencies_hz.empty());
  EXPECT_NE(std::find(r.failing_frequencies_hz.begin(), r.failing_frequencies_hz.end(),
                      data.points[20].frequency_hz),
            r.failing_frequencies_hz.end());
  EXPECT_LE(r.failing_frequencies_hz.size(), 3u);  // the point, and at most its neighbours
  EXPECT_NE(r.verdict.find(" 1.000 kHz"), std::string::npos) << r.verdict;
}

TEST(LinKk, SeriesCapacitanceAndInductanceAreOptions) {
  // A blocking capacitor: its impedance grows without bound toward low frequencies, which
  // no finite chain of RC elements follows.
  const Spectrum blocked = synthetic_spectrum("R100+(R1k||C1u)+C10u", 1, 1e5, 60);
  EXPECT_FALSE(lin_kk(blocked).valid);
  KkOptions with_c;
  with_c.capacitance = true;
  const KkResult r = lin_kk(blocked, with_c);
  EXPECT_TRUE(r.valid) << r.verdict;
  EXPECT_NEAR(1.0 / r.inverse_capacitance_per_f, 10e-6, 0.05e-6);

  const Spectrum coil = synthetic_spectrum("R100+(R1k||C1u)+L1m", 1, 1e5, 60);
  const KkResult with_l = lin_kk(coil);
  EXPECT_TRUE(with_l.valid) << with_l.verdict;
  EXPECT_NEAR(with_l.inductance_h, 1e-3, 1e-5);
  KkOptions no_l;
  no_l.inductance = false;
  EXPECT_FALSE(lin_kk(coil, no_l).valid);
  EXPECT_EQ(lin_kk(coil, no_l).inductance_h, 0.0);
}

TEST(LinKk, ReportsWhenMuNeverReachesTheCutoff) {
  const Spectrum data = synthetic_spectrum("R100+(R1k||C1u)", 1, 1e5, 30);
  KkOptions options;
  options.max_elements = 2;
  const KkResult r = lin_kk(data, options);
  EXPECT_FALSE(r.cutoff_reached);
  EXPECT_EQ(r.m, 2);
  ASSERT_EQ(r.warnings.size(), 1u);
  EXPECT_EQ(r.warnings[0],
            "mu stayed above the cutoff 0.85 up to 2 RC elements wherever they followed the "
            "data: the result uses M = 2, the closest");
}

TEST(LinKk, RefusesWhatCannotBeTested) {
  const Spectrum good = synthetic_spectrum("R1k", 1, 1e3, 5);
  Spectrum one_frequency = good;
  for (auto& p : one_frequency.points) p.frequency_hz = 50;
  Spectrum zero = good;
  zero.points[2].impedance_ohm = 0.0;
  Spectrum negative_f = good;
  negative_f.points[0].frequency_hz = -1;
  KkOptions bad_cutoff;
  bad_cutoff.cutoff = 0;
  KkOptions no_elements;
  no_elements.max_elements = 0;
  KkOptions no_limit;
  no_limit.residual_limit = 0;
  struct Case {
    Spectrum spectrum;
    KkOptions options;
    const char* message;
  };
  const Case cases[] = {
      {Spectrum{}, {}, "the test needs at least two different frequencies"},
      {one_frequency, {}, "the test needs at least two different frequencies"},
      {zero, {}, "the point at 31.6228 Hz has no finite, non-zero impedance to test"},
      {negative_f, {}, "the test needs frequencies above 0 Hz"},
      {good, bad_cutoff, "the cutoff c must be above 0 and at most 1"},
      {good, no_elements, "the number of RC elements must be from 1 to 1000"},
      {good, no_limit, "the residual limit must be above 0"},
  };
  for (const Case& c : cases) {
    try {
      lin_kk(c.spectrum, c.options);
      ADD_FAILURE() << "tested: " << c.message;
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
  EXPECT_EQ(kk_fit_mode_from_name("imag"), KkFitMode::imaginary);
  EXPECT_THROW(kk_fit_mode_from_name("imaginary"), std::invalid_argument);
}

}  // namespace
}  // namespace quelnor::analysis
