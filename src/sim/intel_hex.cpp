// Intel HEX validation for the virtual board's firmware download.
#include "sim/intel_hex.h"

#include <cstdint>
#include <vector>

namespace quelnor::sim {
namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool is_blank(std::string_view line) {
  for (char c : line) {
    if (c != ' ' && c != '\t' && c != '\r') return false;
  }
  return true;
}

// Problem text of one record line, empty when it is sound; sets is_end for an end record.
std::string record_problem(std::string_view line, bool& is_end) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  if (line.empty() || line.front() != ':') return "a record must start with ':'";
  line.remove_prefix(1);
  if (line.size() % 2 != 0) return "odd number of hex digits";
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < line.size(); i += 2) {
    const int high = hex_digit(line[i]);
    const int low = hex_digit(line[i + 1]);
    if (high < 0 || low < 0) return "character that is not a hex digit";
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  // Byte count, two address bytes, type, checksum.
  if (bytes.size() < 5) return "record too short";
  const std::size_t count = bytes[0];
  if (bytes.size() != count + 5) return "byte count does not match the record length";
  unsigned sum = 0;
  for (std::uint8_t b : bytes) sum += b;
  if ((sum & 0xFF) != 0) return "checksum mismatch";
  const std::uint8_t type = bytes[3];
  is_end = false;
  switch (type) {
    case 0x00:
      return {};
    case 0x01:
      if (count != 0) return "end record with data";
      is_end = true;
      return {};
    case 0x02:
    case 0x04:
      if (count != 2) return "address record must carry two bytes";
      return {};
    default:
      return "unknown record type";
  }
}

}  // namespace

std::string intel_hex_problem(std::string_view text) {
  bool seen_end = false;
  bool seen_record = false;
  std::size_t line_number = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    ++line_number;
    start = end + 1;
    if (is_blank(line)) continue;
    const std::string where = "line " + std::to_string(line_number) + ": ";
    if (seen_end) return where + "data after the end record";
    bool is_end = false;
    const std::string problem = record_problem(line, is_end);
    if (!problem.empty()) return where + problem;
    seen_record = true;
    seen_end = is_end;
  }
  if (!seen_record) return "empty image";
  if (!seen_end) return "no end record";
  return {};
}

}  // namespace quelnor::sim
