// Reads a firmware image in Intel HEX, for both boards' firmware download: record syntax,
// byte counts and checksums verified, extended address records applied. Any fault refuses
// the whole image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelnor::link {

struct HexDataRecord {
  std::uint32_t address = 0;  // absolute, after extended segment / linear address records
  std::vector<std::uint8_t> bytes;
  std::size_t line = 0;  // 1-based, for messages
};

struct HexImage {
  std::vector<HexDataRecord> records;  // the data records in file order; empty on a problem
  std::string problem;                 // empty when the image is well-formed; else names the line
};

// Accepted record types: 00 data, 01 end of file (exactly one, nothing but blank lines
// after it), 02 extended segment address, 04 extended linear address. A record starts with
// ':' at the start of its line; blank lines, trailing spaces or tabs and CR LF line ends
// are allowed; upper- and lower-case hex digits both. No data may reach past 4 GiB.
HexImage parse_intel_hex(std::string_view text);

}  // namespace quelnor::link
