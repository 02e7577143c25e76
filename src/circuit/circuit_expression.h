// Circuit expressions: R, C, L, constant-phase Q and Warburg W elements with SI suffixes,
// '+' for series, '||' for parallel (binding tighter than '+'), parentheses and blanks,
// each element a fixed value ("R200k", "Q(10u,0.9)") or a named parameter to fit with its
// starting value ("R1=10k", "Q1=(10u,0.9)"). Parsed once, evaluated at any frequency.
#pragma once

#include <complex>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quelnor::circuit {

// Limits on what parse() accepts, so that no text can exhaust memory or the stack.
constexpr std::size_t max_text_length = 10000;
constexpr int max_nesting_depth = 50;  // parentheses inside parentheses

// One number the fit may change. A named CPE gives two: its Q ("Q1") and its exponent
// ("Q1_n", in (0, 1]); every other parameter is positive.
struct Parameter {
  std::string name;
  std::string unit;  // "Ohm", "F", "H", "S s^n", "Ohm s^-1/2" or "" for an exponent
  double start = 0.0;
  bool is_exponent = false;
};

class CircuitExpression {
 public:
  // Raises std::invalid_argument "at position P: expected ..." (P 1-based) when the text
  // is malformed, too long, nested too deeply, names a parameter twice or gives a
  // parameter a start value it cannot have.
  static CircuitExpression parse(const std::string& text);

  // Complex impedance in ohms at frequency_hz with every parameter at its start value. An
  // open circuit (a capacitor at 0 Hz, an ideal parallel resonance) is infinite: see
  // is_open().
  std::complex<double> impedance(double frequency_hz) const;
  // The same with the parameters given in the order of parameters().
  std::complex<double> impedance(double frequency_hz, std::span<const double> values) const;

  // The impedance with the given parameter values, and into gradient (one entry per
  // parameter) its derivative with respect to each value; an entry is 0 where the
  // impedance is open or does not depend on it.
  std::complex<double> impedance_and_gradient(double frequency_hz, std::span<const double> values,
                                              std::span<std::complex<double>> gradient) const;

  const std::vector<Parameter>& parameters() const { return parameters_; }
  const std::string& text() const { return text_; }

  struct Node;

 private:
  CircuitExpression(std::string text, std::shared_ptr<const Node> root,
                    std::vector<Parameter> parameters);

  std::string text_;
  std::shared_ptr<const Node> root_;
  std::vector<Parameter> parameters_;
  std::vector<double> start_values_;
};

// True for an impedance that no current flows through.
bool is_open(std::complex<double> impedance_ohm);

}  // namespace quelnor::circuit
