// Fuzz target for the Intel HEX reader: any text is read without a fault, a refused image
// has no records and names its problem, and an accepted image written out again reads back
// to the same records.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "link/intel_hex.h"

namespace {

using quelnor::fuzz::require;
using quelnor::link::HexImage;

std::string record(std::uint8_t type, std::uint16_t offset, const std::uint8_t* bytes,
                   std::size_t count) {
  unsigned sum = static_cast<unsigned>(count) + (offset >> 8) + (offset & 0xFFu) + type;
  char field[16];
  std::snprintf(field, sizeof field, ":%02X%04X%02X", static_cast<unsigned>(count), offset, type);
  std::string out = field;
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(field, sizeof field, "%02X", bytes[i]);
    out += field;
    sum += bytes[i];
  }
  std::snprintf(field, sizeof field, "%02X\n", (0x100u - (sum & 0xFFu)) & 0xFFu);
  return out + field;
}

// Each data record at its absolute address, one byte per record after an extended linear
// address record, so no record crosses a 64 KiB boundary whatever the input did.
std::string written(const HexImage& image) {
  std::string text;
  for (const auto& r : image.records) {
    for (std::size_t i = 0; i < r.bytes.size(); ++i) {
      const std::uint32_t address = r.address + static_cast<std::uint32_t>(i);
      const std::uint8_t upper[2] = {static_cast<std::uint8_t>(address >> 24),
                                     static_cast<std::uint8_t>(address >> 16)};
      text += record(0x04, 0, upper, 2);
      text += record(0x00, static_cast<std::uint16_t>(address & 0xFFFFu), &r.bytes[i], 1);
    }
  }
  return text + ":00000001FF\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const HexImage image =
      quelnor::link::parse_intel_hex(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!image.problem.empty()) {
    require(image.records.empty(), "a refused image keeps no records");
    return 0;
  }
  std::size_t previous_line = 0;
  std::size_t total_bytes = 0;
  for (const auto& r : image.records) {
    require(!r.bytes.empty(), "an empty data record is not kept");
    require(r.bytes.size() <= 255, "a record carries at most 255 bytes");
    require(static_cast<std::uint64_t>(r.address) + r.bytes.size() <= 0x100000000ull,
            "no data reaches past 4 GiB");
    require(r.line > previous_line, "records keep their lines in file order");
    previous_line = r.line;
    total_bytes += r.bytes.size();
  }
  if (total_bytes > 4096) return 0;  // the byte-per-record copy would only slow the run

  const HexImage again = quelnor::link::parse_intel_hex(written(image));
  require(again.problem.empty(), "an accepted image written out is accepted");
  std::size_t k = 0;
  for (const auto& r : image.records) {
    for (std::size_t i = 0; i < r.bytes.size(); ++i, ++k) {
      require(k < again.records.size() && again.records[k].bytes.size() == 1 &&
                  again.records[k].address == r.address + i &&
                  again.records[k].bytes[0] == r.bytes[i],
              "an accepted image reads back to the same bytes at the same addresses");
    }
  }
  require(k == again.records.size(), "an image read back has no extra bytes");
  return 0;
}
