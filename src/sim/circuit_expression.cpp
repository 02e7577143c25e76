// Recursive-descent parser and complex-impedance evaluation of circuit expressions.
#include "sim/circuit_expression.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <utility>

namespace quelnor::sim {

struct CircuitExpression::Node {
  enum class Kind { resistor, capacitor, inductor, series, parallel };
  Kind kind;
  double value = 0.0;  // ohm, farad or henry for the elements
  std::shared_ptr<const Node> left;
  std::shared_ptr<const Node> right;
};

namespace {

using Node = CircuitExpression::Node;
using NodePtr = std::shared_ptr<const Node>;
using Complex = std::complex<double>;

const Complex open_circuit{std::numeric_limits<double>::infinity(), 0.0};

class Parser {
 public:
  explicit Parser(const std::string& text) : text_(text) {}

  NodePtr parse_all() {
    NodePtr root = parse_series();
    skip_blanks();
    if (pos_ < text_.size()) {
      fail(text_[pos_] == ')' ? "expected '+', '||' or the end, not ')'"
                              : "expected '+', '||' or the end");
    }
    return root;
  }

 private:
  NodePtr parse_series() {
    NodePtr left = parse_parallel();
    while (true) {
      skip_blanks();
      if (pos_ >= text_.size() || text_[pos_] != '+') return left;
      ++pos_;
      left = combine(Node::Kind::series, left, parse_parallel());
    }
  }

  NodePtr parse_parallel() {
    NodePtr left = parse_primary();
    while (true) {
      skip_blanks();
      if (pos_ >= text_.size() || text_[pos_] != '|') return left;
      if (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '|') {
        ++pos_;
        fail("expected '||' (a single '|' is not an operator)");
      }
      pos_ += 2;
      left = combine(Node::Kind::parallel, left, parse_primary());
    }
  }

  NodePtr parse_primary() {
    skip_blanks();
    if (pos_ >= text_.size()) fail("expected an element (R, C or L) or '('");
    const char c = text_[pos_];
    if (c == '(') {
      ++pos_;
      NodePtr inner = parse_series();
      skip_blanks();
      if (pos_ >= text_.size() || text_[pos_] != ')') fail("expected ')'");
      ++pos_;
      return inner;
    }
    Node::Kind kind;
    switch (c) {
      case 'R':
        kind = Node::Kind::resistor;
        break;
      case 'C':
        kind = Node::Kind::capacitor;
        break;
      case 'L':
        kind = Node::Kind::inductor;
        break;
      default:
        fail("expected an element (R, C or L) or '('");
    }
    ++pos_;
    auto node = std::make_shared<Node>();
    node->kind = kind;
    node->value = parse_value(c);
    return node;
  }

  // A decimal number with an optional SI suffix, e.g. 1.5M, 15p, 100.
  double parse_value(char element) {
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
    if (pos_ < text_.size()) {
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

  static NodePtr combine(Node::Kind kind, NodePtr left, NodePtr right) {
    auto node = std::make_shared<Node>();
    node->kind = kind;
    node->left = std::move(left);
    node->right = std::move(right);
    return node;
  }

  void skip_blanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }

  [[noreturn]] void fail(const std::string& expected) const {
    throw std::invalid_argument("at position " + std::to_string(pos_ + 1) + ": " + expected);
  }

  const std::string& text_;
  std::size_t pos_ = 0;
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

Complex evaluate(const Node& node, double omega) {
  switch (node.kind) {
    case Node::Kind::resistor:
      return {node.value, 0.0};
    case Node::Kind::capacitor: {
      const double susceptance = omega * node.value;
      if (susceptance == 0.0) return open_circuit;
      return {0.0, -1.0 / susceptance};
    }
    case Node::Kind::inductor:
      return {0.0, omega * node.value};
    case Node::Kind::series: {
      const Complex a = evaluate(*node.left, omega);
      const Complex b = evaluate(*node.right, omega);
      if (is_open(a) || is_open(b)) return open_circuit;
      return a + b;
    }
    case Node::Kind::parallel:
      return parallel(evaluate(*node.left, omega), evaluate(*node.right, omega));
  }
  return open_circuit;
}

}  // namespace

bool is_open(std::complex<double> impedance_ohm) {
  return !std::isfinite(impedance_ohm.real()) || !std::isfinite(impedance_ohm.imag());
}

CircuitExpression CircuitExpression::parse(const std::string& text) {
  Parser parser(text);
  NodePtr root = parser.parse_all();
  return CircuitExpression(text, std::move(root));
}

std::complex<double> CircuitExpression::impedance(double frequency_hz) const {
  return evaluate(*root_, 2.0 * std::numbers::pi * std::fabs(frequency_hz));
}

}  // namespace quelnor::sim
