// The impedance of a reference or test circuit written as a circuit expression.
#pragma once

#include <complex>
#include <string>

namespace quelnor::instrument {

// Raises std::invalid_argument naming the position when the expression is malformed.
void check_circuit(const std::string& expression);
std::complex<double> circuit_impedance(const std::string& expression, double frequency_hz);

}  // namespace quelnor::instrument
