// Reading numbers from field texts and writing numbers into field texts, independent of the
// machine's locale: the decimal separator is always ".".
#include "util/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

#include "util/run_time_error.h"

namespace quelnor::util {
namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The longest leading number of `text` (already free of blanks), in a form std::from_chars
// reads: "+" dropped, the exponent letter made "e". An exponent letter is part of the
// number only when at least one digit follows it (with its optional sign).
struct Scanned {
  std::string cleaned;     // empty when the text has no leading number
  std::size_t length = 0;  // characters of the text that the number took
};

Scanned scan_number(std::string_view text) {
  Scanned out;
  std::size_t i = 0;
  std::string cleaned;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') cleaned += '-';
    ++i;
  }
  std::size_t mantissa_digits = 0;
  while (i < text.size() && is_digit(text[i])) {
    cleaned += text[i++];
    ++mantissa_digits;
  }
  if (i < text.size() && text[i] == '.') {
    cleaned += '.';
    ++i;
    while (i < text.size() && is_digit(text[i])) {
      cleaned += text[i++];
      ++mantissa_digits;
    }
  }
  if (mantissa_digits == 0) return out;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      if (text[j] == '-') exponent += '-';
      ++j;
    }
    const std::size_t first_digit = j;
    while (j < text.size() && is_digit(text[j])) exponent += text[j++];
    if (j > first_digit) {
      cleaned += exponent;
      i = j;
    }
  }
  out.cleaned = std::move(cleaned);
  out.length = i;
  return out;
}

// Whether a number that std::from_chars found out of range lies above the double range
// (true) or below it (false). Decides from the decimal exponent of the first significant
// digit; the exponent field is summed with saturation so that any length of text is safe.
bool is_above_range(const std::string& cleaned) {
  std::size_t i = cleaned[0] == '-' ? 1 : 0;
  long long leading_position = 0;  // decimal exponent of the first significant digit
  bool found = false;
  long long integer_digits = 0;
  long long fraction_zeros = 0;
  bool in_fraction = false;
  for (; i < cleaned.size() && cleaned[i] != 'e'; ++i) {
    const char c = cleaned[i];
    if (c == '.') {
      in_fraction = true;
      continue;
    }
    if (!found && c == '0') {
      if (in_fraction) ++fraction_zeros;
      continue;
    }
    if (!found) {
      found = true;
      if (in_fraction) leading_position = -(fraction_zeros + 1);
    }
    if (found && !in_fraction) ++integer_digits;
  }
  if (!found) return false;  // all zeros: zero is never too large
  if (integer_digits > 0) leading_position = integer_digits - 1;
  long long exponent = 0;
  if (i < cleaned.size()) {
    ++i;
    const bool negative = i < cleaned.size() && cleaned[i] == '-';
    if (negative) ++i;
    constexpr long long limit = 1'000'000'000'000LL;
    for (; i < cleaned.size(); ++i) {
      exponent = std::min(limit, exponent * 10 + (cleaned[i] - '0'));
    }
    if (negative) exponent = -exponent;
  }
  return leading_position + exponent > 0;
}

// A text cut short for an error message, so a pasted page does not become a page-long box.
std::string shown_text(std::string_view text) {
  constexpr std::size_t longest = 60;
  if (text.size() <= longest) return std::string(text);
  return std::string(text.substr(0, longest)) + "...";
}

// The value of a scanned number; zero for no number; raises number_too_large above the
// double range. A value below the smallest double reads as zero with its sign.
double value_of(const Scanned& scanned, std::string_view original_text) {
  if (scanned.cleaned.empty()) return 0.0;
  const std::string& cleaned = scanned.cleaned;
  double value = 0.0;
  const auto result = std::from_chars(cleaned.data(), cleaned.data() + cleaned.size(), value);
  const bool out_of_range = result.ec == std::errc::result_out_of_range;
  if ((out_of_range && is_above_range(cleaned)) || std::isinf(value)) {
    throw RunTimeError(ErrorKind::number_too_large,
                       "Number too large: " + shown_text(original_text));
  }
  if (out_of_range) return cleaned[0] == '-' ? -0.0 : 0.0;
  return value;
}

std::string without_blanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (!is_blank(c)) out += c;
  }
  return out;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

double lenient_number(std::string_view text) {
  const std::string compact = without_blanks(text);
  return value_of(scan_number(compact), trimmed(text));
}

double strict_number(std::string_view text) {
  const std::string_view core = trimmed(text);
  const Scanned scanned = scan_number(core);
  if (scanned.cleaned.empty() || scanned.length != core.size()) {
    throw RunTimeError(ErrorKind::not_a_number, "Not a number: \"" + shown_text(core) + "\"");
  }
  return value_of(scanned, core);
}

std::string number_text(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0.0) return "0";  // negative zero as well

  // Rounding to 15 significant digits is left to the correctly rounding formatter; the
  // exponent it reports is the one after rounding (9.9999999999999999 gives 1.0e+01).
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific, 14);
  const std::string_view formatted(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t e_at = formatted.find('e');
  std::string digits;  // the 15 significant digits, trailing zeros dropped
  digits += formatted[0];
  digits += formatted.substr(2, e_at - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int exponent = 0;
  const std::string_view exponent_text = formatted.substr(e_at + 1);
  std::from_chars(exponent_text.data() + (exponent_text[0] == '+' ? 1 : 0),
                  exponent_text.data() + exponent_text.size(), exponent);

  std::string out = value < 0 ? "-" : "";
  if (exponent >= -4 && exponent <= 14) {
    if (exponent < 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out += digits;
    } else {
      const std::size_t integer_count = static_cast<std::size_t>(exponent) + 1;
      if (digits.size() <= integer_count) {
        out += digits;
        out.append(integer_count - digits.size(), '0');
      } else {
        out += digits.substr(0, integer_count);
        out += '.';
        out += digits.substr(integer_count);
      }
    }
    return out;
  }
  out += digits[0];
  if (digits.size() > 1) {
    out += '.';
    out += digits.substr(1);
  }
  out += 'E';
  out += exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude < 10) out += '0';
  out += std::to_string(magnitude);
  return out;
}

}  // namespace quelnor::util
