// A circuit expression ("R10k||C1n") as an impedance function: the demo source's device
// under test and the theoretical traces. The only place the window meets the grammar.
#pragma once

#include <complex>
#include <functional>
#include <string>

namespace quelnor::gui::analyzer {

using ImpedanceFunction = std::function<std::complex<double>(double frequency_hz)>;

// Raises std::invalid_argument with the parser's words when the text is malformed.
ImpedanceFunction circuit_impedance(const std::string& expression);

}  // namespace quelnor::gui::analyzer
