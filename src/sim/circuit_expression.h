// The impedance under test as a circuit expression: R, C and L elements with SI suffixes,
// '+' for series, '||' for parallel (binding tighter than '+'), parentheses and blanks,
// e.g. "(R200k||C15p)+R200k". Parsed once, evaluated at any frequency.
#pragma once

#include <complex>
#include <memory>
#include <string>

namespace quelnor::sim {

class CircuitExpression {
 public:
  // Raises std::invalid_argument "at position P: expected ..." (P 1-based) when the text
  // is malformed.
  static CircuitExpression parse(const std::string& text);

  // Complex impedance in ohms at frequency_hz. An open circuit (a capacitor at 0 Hz, an
  // ideal parallel resonance) is infinite: see is_open().
  std::complex<double> impedance(double frequency_hz) const;

  const std::string& text() const { return text_; }

  struct Node;

 private:
  CircuitExpression(std::string text, std::shared_ptr<const Node> root)
      : text_(std::move(text)), root_(std::move(root)) {}

  std::string text_;
  std::shared_ptr<const Node> root_;
};

// True for an impedance that no current flows through.
bool is_open(std::complex<double> impedance_ohm);

}  // namespace quelnor::sim
