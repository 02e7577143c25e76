// FX2 RAM load chunks from Intel HEX data records.
#include "link/libusb/fx2_ram_image.h"

#include <cstdio>
#include <map>

namespace quelnor::link::libusb {

namespace {

bool inside_ram(std::uint64_t first, std::uint64_t last) {
  for (const RamRegion& region : fx2_ram_regions) {
    if (first >= region.first && last <= region.last) return true;
  }
  return false;
}

std::string hex4(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%04llX", static_cast<unsigned long long>(value));
  return text;
}

RamLoad refused(const std::string& why) {
  RamLoad load;
  load.problem = why;
  return load;
}

}  // namespace

RamLoad fx2_ram_load(const std::vector<HexDataRecord>& records, std::size_t chunk_bytes) {
  if (chunk_bytes == 0) return refused("chunk size of zero");
  std::map<std::uint32_t, std::uint8_t> memory;
  for (const HexDataRecord& record : records) {
    if (record.bytes.empty()) continue;
    const std::uint64_t first = record.address;
    const std::uint64_t last = first + record.bytes.size() - 1;
    const std::string where = "line " + std::to_string(record.line) + ": ";
    if (!inside_ram(first, last)) {
      return refused(where + "addresses " + hex4(first) + ".." + hex4(last) +
                     " lie outside the controller's RAM (0x0000..0x3FFF, 0xE000..0xE1FF)");
    }
    for (std::size_t i = 0; i < record.bytes.size(); ++i) {
      const bool fresh = memory.emplace(record.address + i, record.bytes[i]).second;
      if (!fresh) return refused(where + "address " + hex4(first + i) + " is given twice");
    }
  }
  if (memory.empty()) return refused("the image holds no data");

  RamLoad load;
  std::uint32_t next = 0;
  for (const auto& [address, byte] : memory) {
    const bool continues =
        !load.chunks.empty() && address == next && load.chunks.back().bytes.size() < chunk_bytes;
    if (!continues) load.chunks.push_back(RamChunk{static_cast<std::uint16_t>(address), {}});
    load.chunks.back().bytes.push_back(byte);
    next = address + 1;
  }
  return load;
}

}  // namespace quelnor::link::libusb
