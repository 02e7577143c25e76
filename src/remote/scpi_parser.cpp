// The SCPI program-message parser (IEEE 488.2 syntax: headers, separators, decimal and
// non-decimal numbers with suffixes, character data, strings, definite-length blocks).
#include "remote/scpi_parser.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "remote/scpi_error.h"

namespace quelnor::remote {

namespace {

bool is_alpha(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

struct Failure {
  ParseFailure failure;
};

[[noreturn]] void fail(int code, std::string detail) {
  throw Failure{{code, std::move(detail)}};
}

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  bool at_end() const { return pos_ >= text_.size(); }
  char peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }
  char take() { return text_[pos_++]; }
  void skip_space() {
    while (!at_end() && is_space(peek())) ++pos_;
  }
  std::size_t position() const { return pos_; }
  std::string_view slice(std::size_t from, std::size_t to) const {
    return text_.substr(from, to - from);
  }
  std::size_t remaining() const { return text_.size() - pos_; }
  void advance(std::size_t n) { pos_ += n; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

std::string read_mnemonic(Reader& in) {
  const std::size_t from = in.position();
  if (!is_alpha(in.peek())) {
    if (in.at_end()) fail(scpi_code::syntax_error, "a header ends with ':'");
    fail(scpi_code::invalid_character, std::string("unexpected '") + in.peek() + "' in a header");
  }
  while (!in.at_end() && (is_alpha(in.peek()) || is_digit(in.peek()) || in.peek() == '_')) {
    in.take();
  }
  const std::string_view word = in.slice(from, in.position());
  if (word.size() > max_mnemonic_length) {
    fail(scpi_code::program_mnemonic_too_long, std::string(word.substr(0, 20)));
  }
  return upper(word);
}

void read_header(Reader& in, ProgramUnit& unit) {
  if (in.peek() == '*') {
    in.take();
    unit.common = true;
    unit.nodes.push_back("*" + read_mnemonic(in));
  } else {
    if (in.peek() == ':') {
      in.take();
      unit.absolute = true;
    }
    unit.nodes.push_back(read_mnemonic(in));
    while (in.peek() == ':') {
      in.take();
      unit.nodes.push_back(read_mnemonic(in));
    }
  }
  if (in.peek() == '?') {
    in.take();
    unit.query = true;
  }
}

// The digits of a number's mantissa and exponent; the value through strtod, which reads
// exactly this syntax.
Parameter read_decimal(Reader& in) {
  const std::size_t from = in.position();
  if (in.peek() == '+' || in.peek() == '-') in.take();
  std::size_t digits = 0;
  while (is_digit(in.peek())) {
    in.take();
    ++digits;
  }
  if (in.peek() == '.') {
    in.take();
    while (is_digit(in.peek())) {
      in.take();
      ++digits;
    }
  }
  if (digits == 0) fail(scpi_code::invalid_character_in_number, "a number without digits");
  if (digits > 255) fail(scpi_code::too_many_digits, {});
  std::string number(in.slice(from, in.position()));
  // An exponent: E, an optional sign and digits. "E" followed by anything else starts a
  // suffix (EX is exa).
  const char e = in.peek();
  if (e == 'E' || e == 'e') {
    std::size_t ahead = 1;
    if (in.peek(ahead) == '+' || in.peek(ahead) == '-') ++ahead;
    if (is_digit(in.peek(ahead))) {
      const std::size_t exp_from = in.position();
      in.advance(ahead);
      std::size_t exp_digits = 0;
      while (is_digit(in.peek())) {
        in.take();
        ++exp_digits;
      }
      if (exp_digits > 5) fail(scpi_code::exponent_too_large, {});
      number += in.slice(exp_from, in.position());
    }
  }
  Parameter p;
  p.kind = ParameterKind::numeric;
  p.text = number;
  errno = 0;
  p.number = std::strtod(number.c_str(), nullptr);
  if (std::isinf(p.number)) fail(scpi_code::exponent_too_large, number);
  in.skip_space();
  if (is_alpha(in.peek())) {
    const std::size_t suffix_from = in.position();
    while (!in.at_end() && (is_alpha(in.peek()) || in.peek() == '/' || is_digit(in.peek()))) {
      in.take();
    }
    p.suffix = upper(in.slice(suffix_from, in.position()));
    if (p.suffix.size() > max_mnemonic_length) fail(scpi_code::invalid_suffix, p.suffix);
  }
  return p;
}

Parameter read_non_decimal(Reader& in, char radix_letter) {
  in.advance(2);  // '#' and the radix letter
  const int radix = radix_letter == 'H' ? 16 : radix_letter == 'Q' ? 8 : 2;
  const std::size_t from = in.position();
  double value = 0.0;
  while (!in.at_end()) {
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(in.peek())));
    int digit = -1;
    if (is_digit(c))
      digit = c - '0';
    else if (c >= 'A' && c <= 'F')
      digit = 10 + (c - 'A');
    if (digit < 0 && (is_alpha(c) || is_digit(c))) {
      fail(scpi_code::invalid_character_in_number,
           std::string("'") + c + "' in a #" + radix_letter + " number");
    }
    if (digit < 0) break;
    if (digit >= radix) {
      fail(scpi_code::invalid_character_in_number,
           std::string("'") + c + "' in a #" + radix_letter + " number");
    }
    value = value * radix + digit;
    in.take();
  }
  if (in.position() == from) fail(scpi_code::invalid_character_in_number, "no digits");
  Parameter p;
  p.kind = ParameterKind::numeric;
  p.text = "#" + std::string(1, radix_letter) + std::string(in.slice(from, in.position()));
  p.number = value;
  return p;
}

Parameter read_block(Reader& in) {
  in.take();  // '#'
  const int length_digits = in.take() - '0';
  Parameter p;
  p.kind = ParameterKind::block;
  if (length_digits == 0) {
    // Indefinite length: everything up to the end of the message.
    p.text = std::string(in.slice(in.position(), in.position() + in.remaining()));
    in.advance(in.remaining());
    return p;
  }
  if (in.remaining() < static_cast<std::size_t>(length_digits)) {
    fail(scpi_code::invalid_block_data, "the block's length field is cut short");
  }
  std::size_t length = 0;
  for (int i = 0; i < length_digits; ++i) {
    const char c = in.take();
    if (!is_digit(c)) fail(scpi_code::invalid_block_data, "a non-digit in the block's length");
    length = length * 10 + static_cast<std::size_t>(c - '0');
  }
  if (length > in.remaining()) {
    fail(scpi_code::invalid_block_data, "the block announces " + std::to_string(length) +
                                            " bytes but the message holds " +
                                            std::to_string(in.remaining()));
  }
  p.text = std::string(in.slice(in.position(), in.position() + length));
  in.advance(length);
  return p;
}

Parameter read_string(Reader& in) {
  const char quote = in.take();
  Parameter p;
  p.kind = ParameterKind::string;
  while (true) {
    if (in.at_end()) fail(scpi_code::invalid_string_data, "a string without its closing quote");
    const char c = in.take();
    if (c == quote) {
      if (in.peek() == quote) {
        in.take();
        p.text += quote;
        continue;
      }
      return p;
    }
    p.text += c;
  }
}

Parameter read_parameter(Reader& in) {
  const char c = in.peek();
  if (is_digit(c) || c == '+' || c == '-' || c == '.') return read_decimal(in);
  if (c == '#') {
    const char next = static_cast<char>(std::toupper(static_cast<unsigned char>(in.peek(1))));
    if (next == 'H' || next == 'Q' || next == 'B') return read_non_decimal(in, next);
    if (is_digit(next)) return read_block(in);
    fail(scpi_code::invalid_block_data, "'#' must be followed by a digit, H, Q or B");
  }
  if (c == '"' || c == '\'') return read_string(in);
  if (is_alpha(c)) {
    Parameter p;
    p.kind = ParameterKind::character;
    const std::size_t from = in.position();
    while (!in.at_end() && (is_alpha(in.peek()) || is_digit(in.peek()) || in.peek() == '_')) {
      in.take();
    }
    const std::string_view word = in.slice(from, in.position());
    if (word.size() > max_mnemonic_length)
      fail(scpi_code::invalid_character_data, std::string(word.substr(0, 20)));
    p.text = upper(word);
    return p;
  }
  if (c == ',' || c == ';' || in.at_end()) fail(scpi_code::syntax_error, "an empty parameter");
  fail(scpi_code::invalid_character, std::string("unexpected '") + c + "' in a parameter");
}

ProgramUnit read_unit(Reader& in) {
  ProgramUnit unit;
  read_header(in, unit);
  if (in.at_end() || in.peek() == ';') return unit;
  if (!is_space(in.peek())) {
    fail(scpi_code::invalid_separator,
         std::string("'") + in.peek() + "' after the header; a blank goes before parameters");
  }
  in.skip_space();
  if (in.at_end() || in.peek() == ';') return unit;
  while (true) {
    unit.parameters.push_back(read_parameter(in));
    in.skip_space();
    if (in.at_end() || in.peek() == ';') return unit;
    if (in.peek() != ',') {
      fail(scpi_code::invalid_separator,
           std::string("'") + in.peek() + "' where ',' or ';' was expected");
    }
    in.take();
    in.skip_space();
  }
}

}  // namespace

ParsedMessage parse_program_message(std::string_view message) {
  ParsedMessage parsed;
  Reader in(message);
  try {
    in.skip_space();
    while (!in.at_end()) {
      parsed.units.push_back(read_unit(in));
      in.skip_space();
      if (in.at_end()) break;
      in.take();  // ';'
      in.skip_space();
    }
  } catch (const Failure& f) {
    parsed.error = f.failure;
  }
  return parsed;
}

bool mnemonic_matches(std::string_view typed, std::string_view mnemonic) {
  std::string short_form;
  for (char c : mnemonic) {
    if (std::isupper(static_cast<unsigned char>(c)) || is_digit(c) || c == '*' || c == '_')
      short_form += c;
  }
  return typed == short_form || typed == upper(mnemonic);
}

}  // namespace quelnor::remote
