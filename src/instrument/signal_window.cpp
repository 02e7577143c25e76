// The receive chain's thresholds and nominal gains.
#include "instrument/signal_window.h"

#include "instrument/control_byte.h"

namespace quelnor::instrument {

double signal_fraction(std::complex<double> dft) {
  return std::abs(dft) / full_scale_magnitude;
}

double nominal_gain(int range, int pga) {
  return range_peak_v(range) * pga;
}

}  // namespace quelnor::instrument
