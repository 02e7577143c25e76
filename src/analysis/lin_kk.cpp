// Linear Kramers-Kronig test: weighted linear least squares over a fixed RC chain, solved
// by Householder QR with column pivoting on a column-normalised matrix (never the normal
// equations, whose condition number is the square of the problem's).
#include "analysis/lin_kk.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <stdexcept>

#include "analysis/engineering_format.h"

namespace quelnor::analysis {
namespace {

using Complex = std::complex<double>;

// Most failing frequencies the verdict names before it says "and N more".
constexpr std::size_t named_in_verdict = 8;

// The model's columns: what each unknown contributes to Z at one angular frequency.
struct Model {
  std::vector<double> tau_s;
  bool inductance = false;
  bool capacitance = false;

  // Columns in this order: R0, R_1..R_M, L, 1/C (the last two when in the model).
  int columns() const { return 1 + static_cast<int>(tau_s.size()) + inductance + capacitance; }
  int inductance_column() const { return 1 + static_cast<int>(tau_s.size()); }
  int capacitance_column() const { return inductance_column() + (inductance ? 1 : 0); }

  Complex basis(int column, double omega) const {
    if (column == 0) return 1.0;
    const int k = column - 1;
    if (k < static_cast<int>(tau_s.size())) return 1.0 / Complex(1.0, omega * tau_s[k]);
    if (inductance && column == inductance_column()) return {0.0, omega};
    return {0.0, -1.0 / omega};  // 1 / (j w C) per unit of 1/C
  }

  Complex impedance(const Eigen::VectorXd& x, double omega) const {
    Complex z = 0.0;
    for (int j = 0; j < columns(); ++j) z += x[j] * basis(j, omega);
    return z;
  }
};

std::vector<double> time_constants(int m, double omega_min, double omega_max) {
  const double tau_min = 1.0 / omega_max;
  const double tau_max = 1.0 / omega_min;
  if (m == 1) return {tau_max};
  std::vector<double> tau(static_cast<std::size_t>(m));
  for (int k = 0; k < m; ++k) {
    tau[k] =
        std::pow(10.0, std::log10(tau_min) + k / double(m - 1) * std::log10(tau_max / tau_min));
  }
  tau.front() = tau_min;
  tau.back() = tau_max;
  return tau;
}

// Least-squares solution of A x = b with both weighted by row already; columns normalised
// so that QR's pivoting compares like with like, then scaled back.
Eigen::VectorXd solve(Eigen::MatrixXd a, const Eigen::VectorXd& b) {
  Eigen::VectorXd norms = a.colwise().norm().transpose();
  for (Eigen::Index j = 0; j < norms.size(); ++j) {
    if (norms[j] == 0.0) norms[j] = 1.0;
    a.col(j) /= norms[j];
  }
  Eigen::VectorXd x = a.colPivHouseholderQr().solve(b);
  return x.cwiseQuotient(norms);
}

struct Data {
  std::vector<double> omega;
  std::vector<Complex> z;
  std::vector<double> weight;  // 1 / |Z|
};

// Fits the columns listed in `columns` to the real part (part 0), the imaginary part
// (part 1) or both (part 2) of target, and writes their values into x.
void fit_columns(const Model& model, const Data& data, const std::vector<Complex>& target,
                 const std::vector<int>& columns, int part, Eigen::VectorXd& x) {
  const auto n = static_cast<Eigen::Index>(data.omega.size());
  const Eigen::Index rows = part == 2 ? 2 * n : n;
  const auto cols = static_cast<Eigen::Index>(columns.size());
  Eigen::MatrixXd a(rows, cols);
  Eigen::VectorXd b(rows);
  for (Eigen::Index i = 0; i < n; ++i) {
    const double w = data.weight[i];
    const Eigen::Index re_row = part == 1 ? -1 : (part == 2 ? 2 * i : i);
    const Eigen::Index im_row = part == 0 ? -1 : (part == 2 ? 2 * i + 1 : i);
    for (Eigen::Index j = 0; j < cols; ++j) {
      const Complex basis = model.basis(columns[j], data.omega[i]);
      if (re_row >= 0) a(re_row, j) = w * basis.real();
      if (im_row >= 0) a(im_row, j) = w * basis.imag();
    }
    if (re_row >= 0) b[re_row] = w * target[i].real();
    if (im_row >= 0) b[im_row] = w * target[i].imag();
  }
  const Eigen::VectorXd solution = solve(a, b);
  for (Eigen::Index j = 0; j < cols; ++j) x[columns[j]] = solution[j];
}

// What is left of the data once the listed columns' fitted contribution is taken away.
std::vector<Complex> remainder(const Model& model, const Data& data, const Eigen::VectorXd& x,
                               const std::vector<int>& columns) {
  std::vector<Complex> left = data.z;
  for (std::size_t i = 0; i < left.size(); ++i) {
    for (const int j : columns) left[i] -= x[j] * model.basis(j, data.omega[i]);
  }
  return left;
}

Eigen::VectorXd fit_model(const Model& model, const Data& data, KkFitMode mode) {
  Eigen::VectorXd x = Eigen::VectorXd::Zero(model.columns());
  std::vector<int> chain;  // the R_k
  for (int k = 0; k < static_cast<int>(model.tau_s.size()); ++k) chain.push_back(1 + k);
  std::vector<int> series;  // L and 1/C
  if (model.inductance) series.push_back(model.inductance_column());
  if (model.capacitance) series.push_back(model.capacitance_column());

  if (mode == KkFitMode::complex) {
    std::vector<int> all(static_cast<std::size_t>(model.columns()));
    for (int j = 0; j < model.columns(); ++j) all[j] = j;
    fit_columns(model, data, data.z, all, 2, x);
  } else if (mode == KkFitMode::real) {
    std::vector<int> real_columns = chain;
    real_columns.insert(real_columns.begin(), 0);
    fit_columns(model, data, data.z, real_columns, 0, x);
    if (!series.empty()) {
      fit_columns(model, data, remainder(model, data, x, real_columns), series, 1, x);
    }
  } else {
    std::vector<int> imaginary_columns = chain;
    imaginary_columns.insert(imaginary_columns.end(), series.begin(), series.end());
    fit_columns(model, data, data.z, imaginary_columns, 1, x);
    fit_columns(model, data, remainder(model, data, x, imaginary_columns), {0}, 0, x);
  }
  return x;
}

// Sum of the squared relative residuals of the part the chain was fitted to: the part the
// chain can always follow more closely with more elements.
double pseudo_chi_square(const Model& model, const Eigen::VectorXd& x, const Data& data,
                         KkFitMode mode) {
  double sum = 0.0;
  for (std::size_t i = 0; i < data.omega.size(); ++i) {
    const Complex r = (data.z[i] - model.impedance(x, data.omega[i])) * data.weight[i];
    if (mode != KkFitMode::imaginary) sum += r.real() * r.real();
    if (mode != KkFitMode::real) sum += r.imag() * r.imag();
  }
  return sum;
}

double mu_of(const Eigen::VectorXd& x, int m) {
  double negative = 0.0;
  double positive = 0.0;
  for (int k = 1; k <= m; ++k) (x[k] < 0.0 ? negative : positive) += std::fabs(x[k]);
  if (positive == 0.0) return negative > 0.0 ? -1.0 : 1.0;
  return 1.0 - negative / positive;
}

void add_verdict(const KkOptions& options, KkResult& r) {
  const std::string limit = percent_text(options.residual_limit);
  if (r.failing_frequencies_hz.empty()) {
    r.valid = true;
    r.verdict = "valid: every residual is within " + limit + " of |Z| (largest " +
                percent_text(std::max(r.max_residual_real, r.max_residual_imag)) +
                "; noise about " + percent_text(r.noise_estimate) + ")";
    return;
  }
  r.valid = false;
  std::string list;
  for (std::size_t i = 0; i < r.failing_frequencies_hz.size() && i < named_in_verdict; ++i) {
    if (i > 0) list += ", ";
    list += engineering_text(r.failing_frequencies_hz[i], "Hz", 4, TrailingZeros::kept);
  }
  if (r.failing_frequencies_hz.size() > named_in_verdict) {
    list += " and " + std::to_string(r.failing_frequencies_hz.size() - named_in_verdict) + " more";
  }
  r.verdict = "invalid: " + std::to_string(r.failing_frequencies_hz.size()) + " of " +
              std::to_string(r.frequency_hz.size()) + " points have residuals above " + limit +
              " of |Z| (largest " +
              percent_text(std::max(r.max_residual_real, r.max_residual_imag)) + "), at " + list +
              ": no linear, stable, time-invariant system gives these data there (did it drift "
              "during the sweep, or were those points disturbed?)";
}

}  // namespace

const char* kk_fit_mode_name(KkFitMode mode) {
  switch (mode) {
    case KkFitMode::real:
      return "real";
    case KkFitMode::imaginary:
      return "imag";
    default:
      return "complex";
  }
}

KkFitMode kk_fit_mode_from_name(const std::string& name) {
  if (name == "complex") return KkFitMode::complex;
  if (name == "real") return KkFitMode::real;
  if (name == "imag") return KkFitMode::imaginary;
  throw std::invalid_argument("unknown fit '" + name + "': expected complex, real or imag");
}

KkResult lin_kk(const Spectrum& spectrum, const KkOptions& options) {
  if (!(options.cutoff > 0.0 && options.cutoff <= 1.0)) {
    throw std::invalid_argument("the cutoff c must be above 0 and at most 1");
  }
  if (options.max_elements < 1 || options.max_elements > 1000) {
    throw std::invalid_argument("the number of RC elements must be from 1 to 1000");
  }
  if (!(options.residual_limit > 0.0)) {
    throw std::invalid_argument("the residual limit must be above 0");
  }
  Data data;
  for (const SpectrumPoint& p : spectrum.points) {
    if (!(p.frequency_hz > 0.0) || !std::isfinite(p.frequency_hz)) {
      throw std::invalid_argument("the test needs frequencies above 0 Hz");
    }
    const double size = std::abs(p.impedance_ohm);
    if (!(size > 0.0) || !std::isfinite(size)) {
      throw std::invalid_argument("the point at " + engineering_text(p.frequency_hz, "Hz", 6, TrailingZeros::kept) +
                                  " has no finite, non-zero impedance to test");
    }
    data.omega.push_back(2.0 * std::numbers::pi * p.frequency_hz);
    data.z.push_back(p.impedance_ohm);
    data.weight.push_back(1.0 / size);
  }
  const auto [low, high] = std::minmax_element(data.omega.begin(), data.omega.end());
  if (data.omega.empty() || *low == *high) {
    throw std::invalid_argument("the test needs at least two different frequencies");
  }
  // Plain copies: Clang before 16 cannot capture structured bindings in a lambda.
  const double lowest_omega = *low;
  const double highest_omega = *high;

  // No more unknowns than equations: past that the chain only follows the noise.
  const int equations =
      static_cast<int>(data.omega.size()) * (options.mode == KkFitMode::complex ? 2 : 1);
  const int largest_m =
      std::max(1, std::min(options.max_elements,
                           equations - 1 - int(options.inductance) - int(options.capacitance)));
  Model model;
  model.inductance = options.inductance;
  model.capacitance = options.capacitance;
  struct Trial {
    int m = 0;
    double mu = 1.0;
    Eigen::VectorXd x;
    double pseudo_chi_square = 0.0;
  };
  // The most elements first: no chain of these time constants follows the data much more
  // closely, so its misfit tells how close "close to the data" can be.
  const auto fit_trial = [&](int m) {
    model.tau_s = time_constants(m, lowest_omega, highest_omega);
    Trial t;
    t.m = m;
    t.x = fit_model(model, data, options.mode);
    t.mu = mu_of(t.x, m);
    t.pseudo_chi_square = pseudo_chi_square(model, t.x, data, options.mode);
    return t;
  };
  const Trial most = fit_trial(largest_m);
  double smallest = most.pseudo_chi_square;
  // Close to the data: within twice the smallest misfit any chain reached.
  const auto close = [&](const Trial& t) { return t.pseudo_chi_square <= 2.0 * smallest; };
  std::optional<Trial> chosen;
  std::optional<int> first_dip_m;
  Trial closest = most;
  for (int m = 1; m <= largest_m; ++m) {
    Trial t = m == largest_m ? most : fit_trial(m);
    smallest = std::min(smallest, t.pseudo_chi_square);
    if (t.pseudo_chi_square < closest.pseudo_chi_square) closest = t;
    if (t.mu > options.cutoff) continue;
    if (!first_dip_m) first_dip_m = m;
    if (options.strict_mu || close(t)) {
      chosen = std::move(t);
      break;
    }
  }
  KkResult r;
  if (chosen) {
    r.cutoff_reached = true;
    if (*first_dip_m != chosen->m) {
      r.notes.push_back("mu also reached the cutoff at M = " + std::to_string(*first_dip_m) +
                        ", where too few elements still missed the data");
    }
  } else {
    chosen = closest;
    char cutoff[32];
    std::snprintf(cutoff, sizeof cutoff, "%.3g", options.cutoff);
    r.warnings.push_back(std::string("mu stayed above the cutoff ") + cutoff +
                         " up to " + std::to_string(largest_m) +
                         " RC elements wherever they followed the data: the result uses M = " +
                         std::to_string(chosen->m) + ", the closest");
  }
  const Trial& trial = *chosen;
  r.m = trial.m;
  r.mu = trial.mu;
  model.tau_s = time_constants(r.m, *low, *high);
  const Eigen::VectorXd& x = trial.x;

  r.r0_ohm = x[0];
  r.tau_s = model.tau_s;
  for (int k = 1; k <= r.m; ++k) r.r_ohm.push_back(x[k]);
  if (model.inductance) r.inductance_h = x[model.inductance_column()];
  if (model.capacitance) r.inverse_capacitance_per_f = x[model.capacitance_column()];
  double sum_squares = 0.0;
  for (std::size_t i = 0; i < data.omega.size(); ++i) {
    const Complex z_fit = model.impedance(x, data.omega[i]);
    const Complex residual = (data.z[i] - z_fit) * data.weight[i];
    r.frequency_hz.push_back(spectrum.points[i].frequency_hz);
    r.fitted_impedance_ohm.push_back(z_fit);
    r.residual_real.push_back(residual.real());
    r.residual_imag.push_back(residual.imag());
    r.max_residual_real = std::max(r.max_residual_real, std::fabs(residual.real()));
    r.max_residual_imag = std::max(r.max_residual_imag, std::fabs(residual.imag()));
    sum_squares += std::norm(residual);
    if (std::fabs(residual.real()) > options.residual_limit ||
        std::fabs(residual.imag()) > options.residual_limit) {
      r.failing_frequencies_hz.push_back(r.frequency_hz.back());
    }
  }
  r.noise_estimate = std::sqrt(sum_squares / (2.0 * static_cast<double>(data.omega.size())));
  add_verdict(options, r);
  return r;
}

}  // namespace quelnor::analysis
