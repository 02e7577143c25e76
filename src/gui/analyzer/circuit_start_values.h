// Rewriting a circuit expression's start values: the Fit panel's edited start values, and
// the fitted values for the fitted curve's trace, in the grammar's own number format.
#pragma once

#include <span>
#include <string>

#include "circuit/circuit_expression.h"

namespace quelnor::gui::analyzer {

// A value as the grammar reads it: digits with an SI suffix ("4.7n", "12.5k", "0.9").
std::string circuit_value_text(double value, bool with_suffix = true);

// The text of `circuit` with its parameters' start values replaced by `values` (in the
// order of parameters()). Raises std::invalid_argument when the result does not parse.
std::string with_start_values(const circuit::CircuitExpression& circuit, std::span<const double> values);

}  // namespace quelnor::gui::analyzer
