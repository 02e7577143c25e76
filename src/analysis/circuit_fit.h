// Equivalent-circuit fitting: complex non-linear least squares of a circuit expression's
// named parameters to a spectrum, with standard errors, covariance and plain warnings.
#pragma once

#include <Eigen/Dense>
#include <complex>
#include <string>
#include <vector>

#include "analysis/spectrum.h"
#include "circuit/circuit_expression.h"

namespace quelnor::analysis {

// How each point's real and imaginary residual is weighted:
//   modulus       1 / |Z|, every point counts alike whatever its size (the usual choice);
//   unit          1, large impedances dominate;
//   proportional  1 / |Re Z| for the real part, 1 / |Im Z| for the imaginary part.
enum class Weighting { modulus, unit, proportional };

const char* weighting_name(Weighting weighting);
// "modulus", "unit" or "proportional"; raises std::invalid_argument for anything else.
Weighting weighting_from_name(const std::string& name);

struct FitOptions {
  Weighting weighting = Weighting::modulus;
  int max_evaluations = 4000;  // of the model over all points
  double tolerance = 1e-12;    // relative change of the parameters and of chi-square
};

struct FittedParameter {
  std::string name;
  std::string unit;
  double value = 0.0;
  // One standard deviation; infinite when the data do not determine the parameter, NaN
  // when there are no degrees of freedom left to estimate the noise from.
  double standard_error = 0.0;
};

struct FitResult {
  std::vector<FittedParameter> parameters;  // in the circuit's parameter order
  Eigen::MatrixXd covariance;               // of the values, scaled by the residual variance
  Eigen::MatrixXd correlation;
  double chi_square = 0.0;             // sum of the squared weighted residuals
  double rms_relative_residual = 0.0;  // sqrt(mean over points of |Z_fit - Z|^2 / |Z|^2 / 2)
  bool converged = false;
  int evaluations = 0;
  std::vector<std::complex<double>> fitted_impedance_ohm;  // one per spectrum point
  std::vector<std::string> warnings;                       // plain words, for the operator
};

// Fits the named parameters of circuit to spectrum, starting from the circuit's start
// values. Parameters stay positive (fitted as logarithms, so values decades apart are
// equally well conditioned); a CPE's exponent stays in (0, 1). Raises
// std::invalid_argument when the circuit has nothing to fit, the spectrum has fewer
// numbers than parameters, or a point cannot be weighted.
FitResult fit_circuit(const circuit::CircuitExpression& circuit, const Spectrum& spectrum,
                      const FitOptions& options = {});

}  // namespace quelnor::analysis
