// Fuzz target for circuit expressions: any text either parses and evaluates at a few
// frequencies, or is refused with std::invalid_argument; nothing else may happen.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "circuit/circuit_expression.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const auto circuit = quelnor::circuit::CircuitExpression::parse(text);
    std::vector<double> values;
    for (const auto& parameter : circuit.parameters()) values.push_back(parameter.start * 1.5);
    for (const double frequency_hz : {0.0, 1.0, 1e3, 1e6}) {
      (void)circuit.impedance(frequency_hz);
      (void)circuit.impedance(frequency_hz, values);
    }
  } catch (const std::invalid_argument&) {
    // A refused text is the expected answer to most inputs.
  }
  return 0;
}
