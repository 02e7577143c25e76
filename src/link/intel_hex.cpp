// Intel HEX reader.
#include "link/intel_hex.h"

#include <cstdio>

namespace quelnor::link {

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The line without its trailing spaces, tabs and CR; a record must still start in the
// first column, so leading blanks are left for the start-code check to refuse.
std::string_view without_trailing_blanks(std::string_view line) {
  const std::size_t last = line.find_last_not_of(" \t\r");
  return last == std::string_view::npos ? std::string_view{} : line.substr(0, last + 1);
}

std::string hex2(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
  return text;
}

HexImage refused(std::size_t line, const std::string& why) {
  HexImage image;
  image.problem = line == 0 ? why : "line " + std::to_string(line) + ": " + why;
  return image;
}

}  // namespace

HexImage parse_intel_hex(std::string_view text) {
  HexImage image;
  std::uint32_t base = 0;  // from the last 02 or 04 record
  bool ended = false;
  std::size_t line_number = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = without_trailing_blanks(text.substr(start, end - start));
    start = end + 1;
    ++line_number;
    if (line.empty()) continue;
    if (ended) return refused(line_number, "text after the end-of-file record");
    if (line[0] != ':') return refused(line_number, "a record must start with ':'");

    const std::string_view digits = line.substr(1);
    if (digits.size() % 2 != 0) return refused(line_number, "odd number of hex digits");
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
      const int high = hex_digit(digits[i]);
      const int low = hex_digit(digits[i + 1]);
      if (high < 0 || low < 0) return refused(line_number, "a character that is not a hex digit");
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    // Byte count, address (2), type, data, checksum.
    if (bytes.size() < 5) return refused(line_number, "record too short");
    const std::size_t count = bytes[0];
    if (bytes.size() != count + 5) {
      return refused(line_number, "byte count " + std::to_string(count) + " does not match the " +
                                      std::to_string(bytes.size() - 5) + " data bytes present");
    }
    unsigned sum = 0;
    for (const std::uint8_t b : bytes) sum += b;
    if ((sum & 0xFFu) != 0) return refused(line_number, "checksum mismatch");

    const std::uint32_t offset = (static_cast<std::uint32_t>(bytes[1]) << 8) | bytes[2];
    const std::uint8_t type = bytes[3];
    switch (type) {
      case 0x00: {
        const std::uint64_t first = static_cast<std::uint64_t>(base) + offset;
        if (first + count > 0x100000000ull) {
          return refused(line_number, "data beyond the 32-bit address space");
        }
        if (count == 0) break;
        HexDataRecord record;
        record.address = static_cast<std::uint32_t>(first);
        record.bytes.assign(bytes.begin() + 4, bytes.end() - 1);
        record.line = line_number;
        image.records.push_back(std::move(record));
        break;
      }
      case 0x01:
        if (count != 0) return refused(line_number, "end-of-file record carries data");
        ended = true;
        break;
      case 0x02:
      case 0x04: {
        if (count != 2) return refused(line_number, "address record must carry two bytes");
        const std::uint32_t value = (static_cast<std::uint32_t>(bytes[4]) << 8) | bytes[5];
        base = type == 0x02 ? value << 4 : value << 16;
        break;
      }
      case 0x03:
      case 0x05:
        return refused(line_number, "start-address record (type " + hex2(type) +
                                        ") is not used by this controller");
      default:
        return refused(line_number, "unknown record type " + hex2(type));
    }
  }
  if (!ended) return refused(0, "the end-of-file record is missing");
  return image;
}

}  // namespace quelnor::link
