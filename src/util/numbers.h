// How the system reads numbers from texts and writes numbers into texts.
#pragma once

#include <string>
#include <string_view>

namespace quelnor::util {

// The numeric value of a field text. Blanks, tabs and line feeds anywhere are ignored;
// then an optional sign, digits, an optional "." and digits, an optional exponent (E or D,
// optional sign, digits) are read up to the first character that does not fit. No leading
// number reads as 0. A number too large for a double raises RunTimeError(number_too_large).
double lenient_number(std::string_view text);

// The same syntax, but the whole text (blanks around it allowed) must be a number;
// anything else, the empty text and blanks inside the number included, raises
// RunTimeError(not_a_number). A number too large for a double raises number_too_large.
double strict_number(std::string_view text);

// The text form of a number: 15 significant digits to the nearest, trailing fraction
// zeros and a bare point dropped; plain decimal for decimal exponents -4..14, otherwise
// mantissa "E" sign and at least two exponent digits ("5.13427021632825E-10"). Zero of
// either sign is "0". Infinities and NaN, which checked arithmetic never lets through,
// read "Infinity", "-Infinity" and "NaN" rather than a made-up number.
std::string number_text(double value);

}  // namespace quelnor::util
