// Recursive-descent parser and complex-impedance evaluation of circuit expressions. Series
// and parallel chains are single nodes with many branches, so the tree is only as deep as
// the parentheses, which the parser bounds: neither parsing nor evaluation can exhaust the
// stack.
#include "circuit/circuit_expression.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <utility>

namespace quelnor::circuit {

struct CircuitExpression::Node {
  enum class Kind { resistor, capacitor, inductor, cpe, warburg, series, parallel };
  Kind kind = Kind::resistor;
  double value = 0.0;     // ohm, farad, henry, S s^n or Ohm s^-1/2 when fixed
  double exponent = 1.0;  // a fixed CPE's n
  int parameter = -1;     // index of the value in the parameter list (a CPE's n follows)
  // The parameters of this subtree: a stretch of the text, so a range of the list.
  int first_parameter = 0;
  int end_parameter = 0;
  std::vector<Node> branches;
};

namespace {

using Node = CircuitExpression::Node;
using Complex = std::complex<double>;

const Complex open_circuit{std::numeric_limits<double>::infinity(), 0.0};

bool is_name_char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

class Parser {
 public:
  explicit Parser(const std::string& text) : text_(text) {}

  Node parse_all() {
    if (text_.size() > max_text_length) {
      pos_ = max_text_length;
      fail("expected at most " + std::to_string(max_text_length) + " characters");
    }
    Node root = parse_series();
    skip_blanks();
    if (pos_ < text_.size()) {
      fail(text_[pos_] == ')' ? "expected '+', '||' or the end, not ')'"
                              : "expected '+', '||' or the end");
    }
    return root;
  }

  std::vector<Parameter> take_parameters() { return std::move(parameters_); }

 private:
  Node parse_series() {
    Node first = parse_parallel();
    skip_blanks();
    if (pos_ >= text_.size() || text_[pos_] != '+') return first;
    Node chain;
    chain.kind = Node::Kind::series;
    chain.branches.push_back(std::move(first));
    while (pos_ < text_.size() && text_[pos_] == '+') {
      ++pos_;
      chain.branches.push_back(parse_parallel());
      skip_blanks();
    }
    span_branches(chain);
    return chain;
  }

  Node parse_parallel() {
    Node first = parse_primary();
    if (!at_parallel_operator()) return first;
    Node chain;
    chain.kind = Node::Kind::parallel;
    chain.branches.push_back(std::move(first));
    while (at_parallel_operator()) {
      pos_ += 2;
      chain.branches.push_back(parse_primary());
    }
    span_branches(chain);
    return chain;
  }

  static void span_branches(Node& chain) {
    chain.first_parameter = chain.branches.front().first_parameter;
    chain.end_parameter = chain.branches.back().end_parameter;
  }

  bool at_parallel_operator() {
    skip_blanks();
    if (pos_ >= text_.size() || text_[pos_] != '|') return false;
    if (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '|') {
      ++pos_;
      fail("expected '||' (a single '|' is not an operator)");
    }
    return true;
  }

  Node parse_primary() {
    skip_blanks();
    if (pos_ >= text_.size()) fail(expected_element);
    const char c = text_[pos_];
    if (c == '(') {
      if (++depth_ > max_nesting_depth) {
        fail("expected at most " + std::to_string(max_nesting_depth) + " nested parentheses");
      }
      ++pos_;
      Node inner = parse_series();
      skip_blanks();
      if (pos_ >= text_.size() || text_[pos_] != ')') fail("expected ')'");
      ++pos_;
      --depth_;
      return inner;
    }
    Node node;
    switch (c) {
      case 'R':
        node.kind = Node::Kind::resistor;
        break;
      case 'C':
        node.kind = Node::Kind::capacitor;
        break;
      case 'L':
        node.kind = Node::Kind::inductor;
        break;
      case 'Q':
        node.kind = Node::Kind::cpe;
        break;
      case 'W':
        node.kind = Node::Kind::warburg;
        break;
      default:
        fail(expected_element);
    }
    const std::size_t letter = pos_++;
    node.first_parameter = static_cast<int>(parameters_.size());
    if (auto name = parameter_name(letter)) {
      add_parameter(node, *name, letter);
    } else {
      read_values(node, c, false);
    }
    node.end_parameter = static_cast<int>(parameters_.size());
    return node;
  }

  // "R1=" names a parameter: the letter, name characters, blanks, '='. Anything else is a
  // fixed value and leaves the position where it was.
  std::optional<std::string> parameter_name(std::size_t letter) {
    std::size_t end = pos_;
    while (end < text_.size() && is_name_char(text_[end])) ++end;
    std::size_t after = end;
    while (after < text_.size() && (text_[after] == ' ' || text_[after] == '\t')) ++after;
    if (after >= text_.size() || text_[after] != '=') return std::nullopt;
    std::string name = text_.substr(letter, end - letter);
    pos_ = after + 1;
    return name;
  }

  void add_parameter(Node& node, const std::string& name, std::size_t letter) {
    // A CPE's exponent is listed as NAME_n, which no other parameter may be called either.
    const bool cpe = node.kind == Node::Kind::cpe;
    for (const Parameter& known : parameters_) {
      if (known.name == name || (cpe && known.name == name + "_n")) {
        pos_ = letter;
        fail("expected a name not used before, not '" + known.name + "' again");
      }
    }
    read_values(node, text_[letter], true);
    node.parameter = static_cast<int>(parameters_.size());
    parameters_.push_back({name, unit_of(node.kind), node.value, false});
    if (node.kind == Node::Kind::cpe) {
      parameters_.push_back({name + "_n", "", node.exponent, true});
    }
  }

  static std::string unit_of(Node::Kind kind) {
    switch (kind) {
      case Node::Kind::capacitor:
        return "F";
      case Node::Kind::inductor:
        return "H";
      case Node::Kind::cpe:
        return "S s^n";
      case Node::Kind::warburg:
        return "Ohm s^-1/2";
      default:
        return "Ohm";
    }
  }

  // The element's value, or a CPE's "(Q, n)". A parameter to fit must start above 0.
  void read_values(Node& node, char element, bool to_fit) {
    if (node.kind != Node::Kind::cpe) {
      node.value = positive_if(to_fit, parse_value(element, true));
      return;
    }
    skip_blanks();
    if (pos_ >= text_.size() || text_[pos_] != '(') fail("expected '(' and the CPE's Q and n");
    ++pos_;
    node.value = positive_if(to_fit, parse_value(element, true));
    skip_blanks();
    if (pos_ >= text_.size() || text_[pos_] != ',') fail("expected ',' and the CPE's n");
    ++pos_;
    skip_blanks();
    const std::size_t n_start = pos_;
    node.exponent = parse_value(element, false);
    if (!(node.exponent > 0.0 && node.exponent <= 1.0)) {
      pos_ = n_start;
      fail("expected the CPE's n from above 0 to 1");
    }
    skip_blanks();
    if (pos_ >= text_.size() || text_[pos_] != ')') fail("expected ')' after the CPE's n");
    ++pos_;
  }

  double positive_if(bool to_fit, double value) {
    if (to_fit && !(value > 0.0)) {
      fail("expected a start value above 0 for a parameter to fit");
    }
    return value;
  }

  // A decimal number with an optional SI suffix, e.g. 1.5M, 15p, 100.
  double parse_value(char element, bool suffix_allowed) {
    skip_blanks();
    const std::size_t start = pos_;
    std::size_t digits = 0;
    while (pos_ < text_.size() && is_digit(text_[pos_])) {
      ++pos_;
      ++digits;
    }
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      std::size_t fraction_digits = 0;
      while (pos_ < text_.size() && is_digit(text_[pos_])) {
        ++pos_;
        ++fraction_digits;
      }
      if (fraction_digits == 0) fail("expected a digit after '.'");
      digits += fraction_digits;
    }
    if (digits == 0) {
      pos_ = start;
      fail(std::string("expected a value after '") + element + "'");
    }
    // from_chars: independent of the locale the window may have set.
    double value = 0.0;
    const auto [end, error] = std::from_chars(text_.data() + start, text_.data() + pos_, value);
    if (error != std::errc() || end != text_.data() + pos_) value = HUGE_VAL;
    if (suffix_allowed && pos_ < text_.size()) {
      const double scale = suffix_scale(text_[pos_]);
      if (scale != 0.0) {
        value *= scale;
        ++pos_;
      }
    }
    if (!std::isfinite(value)) {
      pos_ = start;
      fail("expected a value small enough to compute with");
    }
    return value;
  }

  static double suffix_scale(char c) {
    switch (c) {
      case 'p':
        return 1e-12;
      case 'n':
        return 1e-9;
      case 'u':
        return 1e-6;
      case 'm':
        return 1e-3;
      case 'k':
        return 1e3;
      case 'M':
        return 1e6;
      case 'G':
        return 1e9;
      default:
        return 0.0;
    }
  }

  static bool is_digit(char c) { return c >= '0' && c <= '9'; }

  void skip_blanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }

  [[noreturn]] void fail(const std::string& expected) const {
    throw std::invalid_argument("at position " + std::to_string(pos_ + 1) + ": " + expected);
  }

  static constexpr const char* expected_element = "expected an element (R, C, L, Q or W) or '('";

  const std::string& text_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  std::vector<Parameter> parameters_;
};

Complex parallel(Complex a, Complex b) {
  if (is_open(a)) return b;
  if (is_open(b)) return a;
  if (a == 0.0 || b == 0.0) return 0.0;
  const Complex sum = a + b;
  if (sum == 0.0) return open_circuit;  // ideal parallel resonance
  Complex z = a * b / sum;
  if (!std::isfinite(z.real()) || !std::isfinite(z.imag())) z = 1.0 / (1.0 / a + 1.0 / b);
  return z;
}

// Recursion only through parentheses, at most max_nesting_depth deep.
Complex evaluate(const Node& node, double omega, std::span<const double> values) {
  const double value = node.parameter >= 0 ? values[node.parameter] : node.value;
  switch (node.kind) {
    case Node::Kind::resistor:
      return {value, 0.0};
    case Node::Kind::capacitor: {
      const double susceptance = omega * value;
      if (susceptance == 0.0) return open_circuit;
      return {0.0, -1.0 / susceptance};
    }
    case Node::Kind::inductor:
      return {0.0, omega * value};
    case Node::Kind::cpe: {
      // 1 / (Q (j w)^n) = w^-n / Q at an angle of -n x 90 degrees.
      const double n = node.parameter >= 0 ? values[node.parameter + 1] : node.exponent;
      const double admittance_size = value * std::pow(omega, n);
      if (admittance_size == 0.0) return open_circuit;
      return std::polar(1.0 / admittance_size, -n * std::numbers::pi / 2.0);
    }
    case Node::Kind::warburg: {
      // A / sqrt(j w) = A / sqrt(w) at -45 degrees.
      if (omega == 0.0) return open_circuit;
      return value / std::sqrt(omega) * Complex(std::numbers::sqrt2 / 2, -std::numbers::sqrt2 / 2);
    }
    case Node::Kind::series: {
      Complex sum = 0.0;
      for (const Node& branch : node.branches) {
        const Complex z = evaluate(branch, omega, values);
        if (is_open(z)) return open_circuit;
        sum += z;
      }
      return sum;
    }
    case Node::Kind::parallel: {
      Complex z = evaluate(node.branches.front(), omega, values);
      for (std::size_t i = 1; i < node.branches.size(); ++i) {
        z = parallel(z, evaluate(node.branches[i], omega, values));
      }
      return z;
    }
  }
  return open_circuit;
}

// The impedance of node, with the derivative with respect to each of its parameters
// written into gradient[first_parameter, end_parameter). A parallel combination scales
// each branch's derivatives by d Z / d Z_branch = (Z / Z_branch)^2.
Complex evaluate_with_gradient(const Node& node, double omega, std::span<const double> values,
                               std::span<Complex> gradient) {
  const auto clear = [&] {
    for (int i = node.first_parameter; i < node.end_parameter; ++i) gradient[i] = 0.0;
  };
  switch (node.kind) {
    case Node::Kind::series: {
      Complex sum = 0.0;
      bool open = false;
      for (const Node& branch : node.branches) {
        const Complex z = evaluate_with_gradient(branch, omega, values, gradient);
        open = open || is_open(z);
        sum += z;
      }
      if (!open) return sum;
      clear();
      return open_circuit;
    }
    case Node::Kind::parallel: {
      Complex z = evaluate_with_gradient(node.branches.front(), omega, values, gradient);
      int covered_end = node.branches.front().end_parameter;
      for (std::size_t i = 1; i < node.branches.size(); ++i) {
        const Node& branch = node.branches[i];
        const Complex zb = evaluate_with_gradient(branch, omega, values, gradient);
        const Complex combined = parallel(z, zb);
        Complex factor_before = 0.0;
        Complex factor_branch = 0.0;
        if (is_open(combined)) {
          // Nothing flows: no finite derivative.
        } else if (is_open(z)) {
          factor_branch = 1.0;
        } else if (is_open(zb)) {
          factor_before = 1.0;
        } else if (z + zb != 0.0) {
          const Complex sum = z + zb;
          factor_before = zb * zb / (sum * sum);
          factor_branch = z * z / (sum * sum);
        }
        for (int k = node.first_parameter; k < covered_end; ++k) gradient[k] *= factor_before;
        for (int k = branch.first_parameter; k < branch.end_parameter; ++k) {
          gradient[k] *= factor_branch;
        }
        covered_end = branch.end_parameter;
        z = combined;
      }
      return z;
    }
    default:
      break;
  }
  const Complex z = evaluate(node, omega, values);
  if (node.parameter < 0) return z;
  const int p = node.parameter;
  if (is_open(z)) {
    clear();
    return z;
  }
  switch (node.kind) {
    case Node::Kind::resistor:
      gradient[p] = 1.0;
      break;
    case Node::Kind::inductor:
      gradient[p] = Complex(0.0, omega);
      break;
    case Node::Kind::capacitor:
    case Node::Kind::cpe:
      gradient[p] = -z / values[p];  // Z is inversely proportional to C and to Q
      if (node.kind == Node::Kind::cpe) {
        // d/dn of (j w)^-n = -ln(j w) (j w)^-n, ln(j w) = ln w + j pi/2.
        gradient[p + 1] = -z * Complex(std::log(omega), std::numbers::pi / 2.0);
      }
      break;
    case Node::Kind::warburg:
      gradient[p] = z / values[p];
      break;
    default:
      break;
  }
  return z;
}

}  // namespace

bool is_open(std::complex<double> impedance_ohm) {
  return !std::isfinite(impedance_ohm.real()) || !std::isfinite(impedance_ohm.imag());
}

CircuitExpression::CircuitExpression(std::string text, std::shared_ptr<const Node> root,
                                     std::vector<Parameter> parameters)
    : text_(std::move(text)), root_(std::move(root)), parameters_(std::move(parameters)) {
  for (const Parameter& p : parameters_) start_values_.push_back(p.start);
}

CircuitExpression CircuitExpression::parse(const std::string& text) {
  Parser parser(text);
  auto root = std::make_shared<const Node>(parser.parse_all());
  return CircuitExpression(text, std::move(root), parser.take_parameters());
}

std::complex<double> CircuitExpression::impedance(double frequency_hz) const {
  return impedance(frequency_hz, start_values_);
}

std::complex<double> CircuitExpression::impedance(double frequency_hz,
                                                  std::span<const double> values) const {
  if (values.size() != parameters_.size()) {
    throw std::invalid_argument("circuit '" + text_ + "' has " +
                                std::to_string(parameters_.size()) + " parameters, not " +
                                std::to_string(values.size()));
  }
  return evaluate(*root_, 2.0 * std::numbers::pi * std::fabs(frequency_hz), values);
}

std::complex<double> CircuitExpression::impedance_and_gradient(
    double frequency_hz, std::span<const double> values,
    std::span<std::complex<double>> gradient) const {
  if (values.size() != parameters_.size() || gradient.size() != parameters_.size()) {
    throw std::invalid_argument("circuit '" + text_ + "' has " +
                                std::to_string(parameters_.size()) + " parameters, not " +
                                std::to_string(values.size()));
  }
  return evaluate_with_gradient(*root_, 2.0 * std::numbers::pi * std::fabs(frequency_hz), values,
                                gradient);
}

}  // namespace quelnor::circuit
