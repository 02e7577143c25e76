// Circuit fitting on Eigen's Levenberg-Marquardt solver (MINPACK's algorithm) with the
// circuit's analytic Jacobian; the covariance comes from an SVD of the Jacobian at the
// optimum, so a parameter the data do not determine is found rather than inverted.
#include "analysis/circuit_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <unsupported/Eigen/LevenbergMarquardt>

#include "analysis/engineering_format.h"

namespace quelnor::analysis {
namespace {

using Complex = std::complex<double>;

// The solver works on x: log(p) for a positive parameter, logit(n) for a CPE exponent.
// Both keep the value inside its domain whatever step the solver takes, and make a
// relative change of any parameter the same size of step.
struct Scaling {
  std::vector<bool> is_exponent;

  double value(std::size_t i, double x) const {
    // Past +-700 exp() leaves the doubles; the solver then sees a flat cost there.
    const double clamped = std::clamp(x, -700.0, 700.0);
    return is_exponent[i] ? 1.0 / (1.0 + std::exp(-clamped)) : std::exp(clamped);
  }
  double x_of(std::size_t i, double value) const {
    if (!is_exponent[i]) return std::log(value);
    const double n = std::clamp(value, 1e-6, 0.999);
    return std::log(n / (1.0 - n));
  }
  // d value / d x at x.
  double slope(std::size_t i, double x) const {
    const double v = value(i, x);
    return is_exponent[i] ? v * (1.0 - v) : v;
  }
};

struct Weights {
  std::vector<double> real;
  std::vector<double> imaginary;
};

Weights weights_for(const Spectrum& spectrum, Weighting weighting) {
  Weights w;
  for (const SpectrumPoint& point : spectrum.points) {
    const Complex z = point.impedance_ohm;
    double wr = 1.0;
    double wi = 1.0;
    if (weighting == Weighting::modulus) {
      wr = wi = 1.0 / std::abs(z);
    } else if (weighting == Weighting::proportional) {
      wr = 1.0 / std::fabs(z.real());
      wi = 1.0 / std::fabs(z.imag());
    }
    if (!std::isfinite(wr) || !std::isfinite(wi)) {
      std::ostringstream message;
      message << "the point at " << point.frequency_hz << " Hz cannot be weighted by "
              << weighting_name(weighting) << " (its "
              << (weighting == Weighting::modulus ? "impedance" : "real or imaginary part")
              << " is zero); choose another weighting";
      throw std::invalid_argument(message.str());
    }
    w.real.push_back(wr);
    w.imaginary.push_back(wi);
  }
  return w;
}

// Residuals in the layout Eigen's solver expects: real and imaginary part of each point.
struct Residuals : Eigen::DenseFunctor<double> {
  Residuals(const circuit::CircuitExpression& c, const Spectrum& s, const Weights& w,
            const Scaling& sc)
      : Eigen::DenseFunctor<double>(static_cast<int>(c.parameters().size()),
                                    static_cast<int>(2 * s.points.size())),
        circuit(&c),
        spectrum(&s),
        weights(&w),
        scaling(&sc),
        trial(c.parameters().size()),
        gradient(c.parameters().size()) {}

  int operator()(const InputType& x, ValueType& residuals) const {
    for (std::size_t i = 0; i < trial.size(); ++i) trial[i] = scaling->value(i, x[i]);
    for (std::size_t k = 0; k < spectrum->points.size(); ++k) {
      const SpectrumPoint& point = spectrum->points[k];
      const Complex difference =
          circuit->impedance(point.frequency_hz, trial) - point.impedance_ohm;
      residuals[2 * k] = finite_or_large(difference.real() * weights->real[k]);
      residuals[2 * k + 1] = finite_or_large(difference.imag() * weights->imaginary[k]);
    }
    return 0;
  }

  // Analytic derivatives of the residuals with respect to the solver's variables.
  int df(const InputType& x, JacobianType& jacobian) const {
    for (std::size_t i = 0; i < trial.size(); ++i) trial[i] = scaling->value(i, x[i]);
    for (std::size_t k = 0; k < spectrum->points.size(); ++k) {
      circuit->impedance_and_gradient(spectrum->points[k].frequency_hz, trial, gradient);
      for (std::size_t i = 0; i < trial.size(); ++i) {
        const Complex d = gradient[i] * scaling->slope(i, x[i]);
        jacobian(2 * k, i) = finite_or_zero(d.real() * weights->real[k]);
        jacobian(2 * k + 1, i) = finite_or_zero(d.imag() * weights->imaginary[k]);
      }
    }
    return 0;
  }

  static double finite_or_zero(double d) { return std::isfinite(d) ? d : 0.0; }

  // An open circuit at a trial point: a residual so large the solver refuses the step,
  // yet small enough that its square still fits a double.
  static double finite_or_large(double r) { return std::isfinite(r) ? r : 1e100; }

  const circuit::CircuitExpression* circuit;
  const Spectrum* spectrum;
  const Weights* weights;
  const Scaling* scaling;
  mutable std::vector<double> trial;  // parameter values being tried
  mutable std::vector<Complex> gradient;
};

using Solver = Eigen::LevenbergMarquardt<Residuals>;

bool is_converged(Eigen::LevenbergMarquardtSpace::Status status) {
  using namespace Eigen::LevenbergMarquardtSpace;
  switch (status) {
    case RelativeReductionTooSmall:
    case RelativeErrorTooSmall:
    case RelativeErrorAndReductionTooSmall:
    case CosinusTooSmall:
    // The tolerances asked for more than double precision allows: no step improves.
    case FtolTooSmall:
    case XtolTooSmall:
    case GtolTooSmall:
      return true;
    default:
      return false;
  }
}

// Covariance, standard errors and the warnings about undetermined parameters, from the
// Jacobian in the solver's variables at the optimum.
void add_uncertainties(const Eigen::MatrixXd& jacobian_x, const Eigen::VectorXd& x,
                       const Scaling& scaling, int degrees_of_freedom, FitResult& result) {
  const auto count = static_cast<Eigen::Index>(result.parameters.size());
  const Eigen::JacobiSVD<Eigen::MatrixXd> svd(jacobian_x, Eigen::ComputeThinV);
  const Eigen::VectorXd& sigma = svd.singularValues();
  const Eigen::MatrixXd& v = svd.matrixV();
  // Relative to the largest, a singular value this small leaves its direction free.
  const double cutoff = sigma.size() > 0 ? sigma[0] * 1e-8 : 0.0;
  std::vector<bool> undetermined(result.parameters.size(), false);
  Eigen::VectorXd inverse_square = Eigen::VectorXd::Zero(sigma.size());
  for (Eigen::Index i = 0; i < sigma.size(); ++i) {
    if (sigma[i] > cutoff && sigma[i] > 0.0) {
      inverse_square[i] = 1.0 / (sigma[i] * sigma[i]);
      continue;
    }
    for (Eigen::Index j = 0; j < count; ++j) {
      if (std::fabs(v(j, i)) > 0.1) undetermined[static_cast<std::size_t>(j)] = true;
    }
  }
  const double residual_variance = degrees_of_freedom > 0
                                       ? result.chi_square / degrees_of_freedom
                                       : std::numeric_limits<double>::quiet_NaN();
  if (degrees_of_freedom <= 0) {
    result.warnings.push_back(
        "as many parameters as data: no residual left to estimate the errors from");
  }
  const Eigen::MatrixXd covariance_x =
      v * inverse_square.asDiagonal() * v.transpose() * residual_variance;
  Eigen::VectorXd slope(count);
  for (Eigen::Index j = 0; j < count; ++j) slope[j] = scaling.slope(j, x[j]);
  result.covariance = slope.asDiagonal() * covariance_x * slope.asDiagonal();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (Eigen::Index j = 0; j < count; ++j) {
    if (!undetermined[static_cast<std::size_t>(j)]) continue;
    result.covariance.row(j).setConstant(nan);
    result.covariance.col(j).setConstant(nan);
  }
  result.correlation.resize(count, count);
  for (Eigen::Index a = 0; a < count; ++a) {
    for (Eigen::Index b = 0; b < count; ++b) {
      result.correlation(a, b) =
          result.covariance(a, b) / std::sqrt(result.covariance(a, a) * result.covariance(b, b));
    }
  }
  for (Eigen::Index j = 0; j < count; ++j) {
    FittedParameter& p = result.parameters[static_cast<std::size_t>(j)];
    if (undetermined[static_cast<std::size_t>(j)]) {
      p.standard_error = std::numeric_limits<double>::infinity();
      result.warnings.push_back(p.name +
                                " is not determined by the data (the fit can trade it against "
                                "other parameters freely)");
      continue;
    }
    p.standard_error = std::sqrt(result.covariance(j, j));
    if (p.standard_error > std::fabs(p.value)) {
      result.warnings.push_back(p.name + " is poorly determined: its standard error is " +
                                percent_text(p.standard_error / std::fabs(p.value)) +
                                " of its value");
    }
  }
}

}  // namespace

const char* weighting_name(Weighting weighting) {
  switch (weighting) {
    case Weighting::unit:
      return "unit";
    case Weighting::proportional:
      return "proportional";
    default:
      return "modulus";
  }
}

Weighting weighting_from_name(const std::string& name) {
  if (name == "modulus") return Weighting::modulus;
  if (name == "unit") return Weighting::unit;
  if (name == "proportional") return Weighting::proportional;
  throw std::invalid_argument("unknown weighting '" + name +
                              "': expected modulus, unit or proportional");
}

FitResult fit_circuit(const circuit::CircuitExpression& circuit, const Spectrum& spectrum,
                      const FitOptions& options) {
  const std::vector<circuit::Parameter>& parameters = circuit.parameters();
  if (parameters.empty()) {
    throw std::invalid_argument("the circuit '" + circuit.text() +
                                "' has no parameter to fit: name one with a start value, "
                                "e.g. R1=1k");
  }
  const std::size_t numbers = 2 * spectrum.points.size();
  if (numbers < parameters.size()) {
    throw std::invalid_argument("the spectrum has " + std::to_string(spectrum.points.size()) +
                                " points, too few for " + std::to_string(parameters.size()) +
                                " parameters");
  }
  const Weights weights = weights_for(spectrum, options.weighting);
  Scaling scaling;
  for (const circuit::Parameter& p : parameters) scaling.is_exponent.push_back(p.is_exponent);

  Eigen::VectorXd x(static_cast<Eigen::Index>(parameters.size()));
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    x[static_cast<Eigen::Index>(i)] = scaling.x_of(i, parameters[i].start);
  }
  Residuals functor(circuit, spectrum, weights, scaling);
  Solver solver(functor);
  solver.setXtol(options.tolerance);
  solver.setFtol(options.tolerance);
  solver.setMaxfev(options.max_evaluations);
  const Eigen::LevenbergMarquardtSpace::Status status = solver.minimize(x);
  if (status == Eigen::LevenbergMarquardtSpace::ImproperInputParameters) {
    throw std::invalid_argument("the fit could not start: improper input to the solver");
  }

  FitResult result;
  result.converged = is_converged(status);
  result.evaluations = static_cast<int>(solver.nfev());
  std::vector<double> values;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    values.push_back(scaling.value(i, x[static_cast<Eigen::Index>(i)]));
    result.parameters.push_back({parameters[i].name, parameters[i].unit, values.back(), 0.0});
  }
  Eigen::VectorXd residuals(static_cast<Eigen::Index>(numbers));
  functor(x, residuals);
  result.chi_square = residuals.squaredNorm();
  double relative_sum = 0.0;
  for (const SpectrumPoint& point : spectrum.points) {
    const Complex z_fit = circuit.impedance(point.frequency_hz, values);
    result.fitted_impedance_ohm.push_back(z_fit);
    relative_sum += std::norm(z_fit - point.impedance_ohm) / std::norm(point.impedance_ohm);
  }
  result.rms_relative_residual = std::sqrt(relative_sum / static_cast<double>(numbers));
  if (!result.converged) {
    result.warnings.push_back(
        status == Eigen::LevenbergMarquardtSpace::TooManyFunctionEvaluation
            ? "the fit did not converge within " + std::to_string(options.max_evaluations) +
                  " evaluations: the values are its last estimate; try other start values"
            : "the fit did not converge: the values are its last estimate; try other start "
              "values");
  }
  if (!std::isfinite(result.chi_square) || result.chi_square >= 1e100) {
    result.warnings.push_back("the fitted circuit is open at some frequencies of the data");
  }

  Eigen::MatrixXd jacobian(static_cast<Eigen::Index>(numbers), x.size());
  functor.df(x, jacobian);
  add_uncertainties(jacobian, x, scaling,
                    static_cast<int>(numbers) - static_cast<int>(parameters.size()), result);
  return result;
}

}  // namespace quelnor::analysis
