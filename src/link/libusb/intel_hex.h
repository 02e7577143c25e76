// Reads a firmware image in Intel HEX: record syntax, byte counts and checksums verified,
// extended address records applied. Any fault refuses the whole image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelnor::link::libusb {

struct HexDataRecord {
  std::uint32_t address = 0;  // absolute, after extended segment / linear address records
  std::vector<std::uint8_t> bytes;
  std::size_t line = 0;  // 1-based, for messages
};

struct HexImage {
  std::vector<HexDataRecord> records;  // the data records in file order; empty on a problem
  std::string problem;                 // empty when the image is well-formed
};

// Accepted record types: 00 data, 01 end of file (exactly one, nothing but blank lines
// after it), 02 extended segment address, 04 extended linear address. Blank lines and
// CR LF line ends are allowed; upper- and lower-case hex digits both.
HexImage parse_intel_hex(std::string_view text);

}  // namespace quelnor::link::libusb
