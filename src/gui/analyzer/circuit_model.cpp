// Circuit expressions through the virtual board's parser.
#include "gui/analyzer/circuit_model.h"

#include "circuit/circuit_expression.h"

namespace quelnor::gui::analyzer {

ImpedanceFunction circuit_impedance(const std::string& expression) {
  const auto circuit = circuit::CircuitExpression::parse(expression);
  return [circuit](double frequency_hz) { return circuit.impedance(frequency_hz); };
}

}  // namespace quelnor::gui::analyzer
