// Circuit expressions evaluated for calibration references.
#include "instrument/reference_impedance.h"

#include "circuit/circuit_expression.h"

namespace quelnor::instrument {

void check_circuit(const std::string& expression) {
  circuit::CircuitExpression::parse(expression);
}

std::complex<double> circuit_impedance(const std::string& expression, double frequency_hz) {
  return circuit::CircuitExpression::parse(expression).impedance(frequency_hz);
}

}  // namespace quelnor::instrument
