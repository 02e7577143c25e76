// The linear Kramers-Kronig test of a spectrum: fit a chain of RC elements with fixed
// time constants (which satisfies the Kramers-Kronig relations by construction) by linear
// least squares, and read the residuals. Where the chain cannot follow the data, the data
// are not those of a linear, stable, time-invariant system: drift during the sweep,
// non-linearity, or disturbed points.
#pragma once

#include <complex>
#include <string>
#include <vector>

#include "analysis/spectrum.h"

namespace quelnor::analysis {

// Which part of the data the RC chain is fitted to; the other part then checks it.
//   complex    both parts;
//   real       R0 and the R_k from the real part, then the series inductance and
//              capacitance from what the chain leaves of the imaginary part;
//   imaginary  the R_k, inductance and capacitance from the imaginary part, then R0 from
//              the real part.
enum class KkFitMode { complex, real, imaginary };

const char* kk_fit_mode_name(KkFitMode mode);
// "complex", "real" or "imag"; raises std::invalid_argument for anything else.
KkFitMode kk_fit_mode_from_name(const std::string& name);

struct KkOptions {
  KkFitMode mode = KkFitMode::complex;
  // M is raised from 1 until mu = 1 - sum|R_k<0| / sum|R_k>=0| falls to the cutoff or below:
  // mu near 1 means too few elements to follow the data, a falling mu that they begin to
  // follow the noise with elements of opposite signs.
  double cutoff = 0.85;
  int max_elements = 50;
  // mu also dips at a few elements whose time constants fall between the data's: a chain
  // too coarse to follow the data then mimics over-fitting. So every M up to max_elements
  // is fitted, and the result is the fewest elements whose mu is at the cutoff and whose
  // pseudo chi-square (sum of squared relative residuals of the part fitted) is within twice the
  // smallest any M reached. strict_mu instead stops at the first mu at the cutoff, as the published
  // procedure does, for comparison with other implementations.
  bool strict_mu = false;
  bool inductance = true;    // a series inductance in the model
  bool capacitance = false;  // a series capacitance (for data with a blocking capacitor)
  // A point fails when its real or imaginary residual exceeds this fraction of |Z|. The
  // virtual board's noise is 0.05 %; 0.5 % leaves room for a real board's noise too.
  double residual_limit = 0.005;
};

struct KkResult {
  int m = 0;  // RC elements used
  double mu = 1.0;
  bool cutoff_reached = false;  // mu fell to the cutoff within max_elements
  double r0_ohm = 0.0;
  std::vector<double> tau_s;               // time constants of the RC elements
  std::vector<double> r_ohm;               // their resistances
  double inductance_h = 0.0;               // 0 when not in the model
  double inverse_capacitance_per_f = 0.0;  // 1/C; 0 when not in the model

  std::vector<double> frequency_hz;
  std::vector<std::complex<double>> fitted_impedance_ohm;
  // (Z - Z_fit) / |Z|, real and imaginary part, per point.
  std::vector<double> residual_real;
  std::vector<double> residual_imag;
  double max_residual_real = 0.0;  // largest absolute value
  double max_residual_imag = 0.0;
  // The rms of all residuals: for a valid spectrum, the relative noise of the data.
  double noise_estimate = 0.0;

  // Valid when every residual is within the limit; otherwise the failing frequencies, in
  // the order of the data, and a verdict in words saying which and why.
  bool valid = false;
  std::vector<double> failing_frequencies_hz;
  std::string verdict;
  std::vector<std::string> notes;     // how M was chosen, when not plainly
  std::vector<std::string> warnings;  // the result is less certain than it looks
};

// Raises std::invalid_argument for fewer than two distinct frequencies, a non-positive
// frequency, a point of zero impedance, or options out of range.
KkResult lin_kk(const Spectrum& spectrum, const KkOptions& options = {});

}  // namespace quelnor::analysis
