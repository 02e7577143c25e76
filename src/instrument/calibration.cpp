// Solving a calibration entry from its references, and applying it at any frequency.
#include "instrument/calibration.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "instrument/control_byte.h"
#include "instrument/reference_impedance.h"
#include "instrument/signal_window.h"

namespace quelnor::instrument {
namespace {

constexpr double degrees_per_radian = 180.0 / std::numbers::pi;

std::string combination_name(const CalibrationEntry& entry) {
  return "range " + std::to_string(entry.range) + " pga x" + std::to_string(entry.pga);
}

// Least squares of Z_i = M w_i - Zs with rows weighted by 1 / |Z_i|: relative errors count
// alike for a 10 kOhm and a 1 MOhm reference.
CalibrationPoint solve_point(double frequency_hz, const std::vector<std::complex<double>>& w,
                             const std::vector<std::complex<double>>& z,
                             const std::string& entry_name) {
  std::complex<double> m;
  std::complex<double> series;
  if (w.size() == 1) {
    m = z[0] / w[0];
  } else {
    double a11 = 0.0, a22 = 0.0;
    std::complex<double> a12, r1, r2;
    for (std::size_t i = 0; i < w.size(); ++i) {
      const double s = 1.0 / std::abs(z[i]);
      const std::complex<double> c1 = w[i] * s;
      const std::complex<double> c2 = -s;
      const std::complex<double> b = z[i] * s;
      a11 += std::norm(c1);
      a22 += std::norm(c2);
      a12 += std::conj(c1) * c2;
      r1 += std::conj(c1) * b;
      r2 += std::conj(c2) * b;
    }
    const double det = a11 * a22 - std::norm(a12);
    if (!(det > 1e-9 * a11 * a22)) {
      throw std::invalid_argument(entry_name +
                                  ": the references are too alike to separate the gain from "
                                  "the series resistance; use two clearly different values");
    }
    m = (a22 * r1 - a12 * r2) / det;
    series = (a11 * r2 - std::conj(a12) * r1) / det;
  }
  CalibrationPoint point;
  point.frequency_hz = frequency_hz;
  point.gain_factor = 1.0 / std::abs(m);
  point.system_phase_deg = -std::arg(m) * degrees_per_radian;
  point.series_real_ohm = series.real();
  point.series_imag_ohm = series.imag();
  return point;
}

double wrapped_deg(double deg) {
  while (deg > 180.0) deg -= 360.0;
  while (deg <= -180.0) deg += 360.0;
  return deg;
}

}  // namespace

const CalibrationEntry* CalibrationSet::find(int range, int pga) const {
  for (const CalibrationEntry& e : entries) {
    if (e.range == range && e.pga == pga) return &e;
  }
  return nullptr;
}

CalibrationEntry* CalibrationSet::find(int range, int pga) {
  for (CalibrationEntry& e : entries) {
    if (e.range == range && e.pga == pga) return &e;
  }
  return nullptr;
}

void solve_entry(CalibrationEntry& entry) {
  const std::string name = combination_name(entry);
  if (entry.references.empty()) throw std::invalid_argument(name + ": no reference measured");
  std::vector<std::vector<std::complex<double>>> z(entry.references.size());
  for (std::size_t r = 0; r < entry.references.size(); ++r) {
    const ReferenceSweep& ref = entry.references[r];
    if (ref.dft.size() != entry.frequency_hz.size()) {
      throw std::invalid_argument(name + ": reference " + ref.reference + " has " +
                                  std::to_string(ref.dft.size()) + " results for " +
                                  std::to_string(entry.frequency_hz.size()) + " frequencies");
    }
    for (const double hz : entry.frequency_hz) z[r].push_back(circuit_impedance(ref.reference, hz));
  }
  std::vector<CalibrationPoint> points;
  for (std::size_t k = 0; k < entry.frequency_hz.size(); ++k) {
    std::vector<std::complex<double>> w, zk;
    for (std::size_t r = 0; r < entry.references.size(); ++r) {
      const std::complex<double> d = entry.references[r].dft[k];
      if (d == 0.0 || !std::isfinite(std::abs(z[r][k])) || std::abs(z[r][k]) == 0.0) {
        throw std::invalid_argument(name + ": reference " + entry.references[r].reference +
                                    " gives no usable signal at " +
                                    std::to_string(entry.frequency_hz[k]) + " Hz");
      }
      w.push_back(1.0 / std::conj(d));
      zk.push_back(z[r][k]);
    }
    points.push_back(solve_point(entry.frequency_hz[k], w, zk, name));
  }
  entry.points = std::move(points);
}

Correction correction_of(const CalibrationPoint& p) {
  Correction c;
  c.scale = std::polar(1.0 / p.gain_factor, -p.system_phase_deg / degrees_per_radian);
  c.series_ohm = {p.series_real_ohm, p.series_imag_ohm};
  return c;
}

Correction correction_at(const CalibrationEntry& entry, double frequency_hz) {
  const std::vector<CalibrationPoint>& p = entry.points;
  if (p.empty()) throw std::invalid_argument("calibration entry without points");
  if (frequency_hz <= p.front().frequency_hz || p.size() == 1) {
    Correction c = correction_of(p.front());
    c.extrapolated = frequency_hz != p.front().frequency_hz;
    return c;
  }
  if (frequency_hz >= p.back().frequency_hz) {
    Correction c = correction_of(p.back());
    c.extrapolated = frequency_hz != p.back().frequency_hz;
    return c;
  }
  const auto above =
      std::lower_bound(p.begin(), p.end(), frequency_hz,
                       [](const CalibrationPoint& q, double hz) { return q.frequency_hz < hz; });
  if (above->frequency_hz == frequency_hz) return correction_of(*above);
  const CalibrationPoint& lo = *(above - 1);
  const CalibrationPoint& hi = *above;
  // Linear in log frequency: the chain's roll-off and phase change smoothly per decade.
  const double t =
      std::log(frequency_hz / lo.frequency_hz) / std::log(hi.frequency_hz / lo.frequency_hz);
  CalibrationPoint mid;
  mid.frequency_hz = frequency_hz;
  mid.gain_factor = lo.gain_factor + t * (hi.gain_factor - lo.gain_factor);
  mid.system_phase_deg =
      lo.system_phase_deg + t * wrapped_deg(hi.system_phase_deg - lo.system_phase_deg);
  mid.series_real_ohm = lo.series_real_ohm + t * (hi.series_real_ohm - lo.series_real_ohm);
  mid.series_imag_ohm = lo.series_imag_ohm + t * (hi.series_imag_ohm - lo.series_imag_ohm);
  return correction_of(mid);
}

std::complex<double> corrected_impedance(std::complex<double> dft, const Correction& c) {
  if (dft == 0.0) {
    const double inf = std::numeric_limits<double>::infinity();
    return {inf, 0.0};
  }
  return c.scale / std::conj(dft) - c.series_ohm;
}

Correction nominal_correction(int range, int pga, double feedback_resistance_ohm) {
  // |D| = peak excitation x Rfb x PGA / |Z| as a fraction of the ADC's 1.5 V peak, times the
  // full-scale magnitude.
  constexpr double adc_peak_v = 1.5;
  Correction c;
  c.scale = range_peak_v(range) * pga * feedback_resistance_ohm / adc_peak_v * full_scale_magnitude;
  return c;
}

}  // namespace quelnor::instrument
