// The SCPI error vocabulary: standard error codes with their texts, and the exception a
// command raises to put one in the error queue.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quelnor::remote {

namespace scpi_code {
constexpr int no_error = 0;
constexpr int command_error = -100;
constexpr int invalid_character = -101;
constexpr int syntax_error = -102;
constexpr int invalid_separator = -103;
constexpr int data_type_error = -104;
constexpr int parameter_not_allowed = -108;
constexpr int missing_parameter = -109;
constexpr int program_mnemonic_too_long = -112;
constexpr int undefined_header = -113;
constexpr int numeric_data_error = -120;
constexpr int invalid_character_in_number = -121;
constexpr int exponent_too_large = -123;
constexpr int too_many_digits = -124;
constexpr int numeric_data_not_allowed = -128;
constexpr int invalid_suffix = -131;
constexpr int suffix_not_allowed = -138;
constexpr int invalid_character_data = -141;
constexpr int character_data_not_allowed = -148;
constexpr int invalid_string_data = -151;
constexpr int string_data_not_allowed = -158;
constexpr int invalid_block_data = -161;
constexpr int block_data_not_allowed = -168;
constexpr int execution_error = -200;
constexpr int init_ignored = -213;
constexpr int settings_conflict = -221;
constexpr int data_out_of_range = -222;
constexpr int too_much_data = -223;
constexpr int illegal_parameter_value = -224;
constexpr int data_corrupt_or_stale = -230;
constexpr int hardware_missing = -241;
constexpr int file_name_not_found = -256;
constexpr int file_name_error = -257;
constexpr int device_specific_error = -300;
constexpr int self_test_failed = -330;
constexpr int queue_overflow = -350;
constexpr int input_buffer_overrun = -363;
constexpr int query_error = -400;
}  // namespace scpi_code

// The standard text of a code ("Undefined header"); a generic class text for codes
// without one of their own.
std::string_view scpi_error_text(int code);

// A command's failure: the code and, optionally, why in plain words.
class ScpiError : public std::runtime_error {
 public:
  explicit ScpiError(int code, std::string detail = {})
      : std::runtime_error(detail), code_(code), detail_(std::move(detail)) {}
  int code() const { return code_; }
  const std::string& detail() const { return detail_; }

 private:
  int code_;
  std::string detail_;
};

}  // namespace quelnor::remote
