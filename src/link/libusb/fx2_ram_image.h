// Turns the data records of a firmware image into the write chunks of an FX2 RAM load,
// refusing any byte outside the controller's loadable RAM.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/intel_hex.h"

namespace quelnor::link::libusb {

// Loadable RAM: code/data RAM 0x0000..0x3FFF (16 KiB; the older part has 8 KiB up to
// 0x1FFF) and the data RAM block 0xE000..0xE1FF. The control/status register at 0xE600 and
// everything else are out of reach of an image.
struct RamRegion {
  std::uint32_t first;
  std::uint32_t last;
};
inline constexpr RamRegion fx2_ram_regions[] = {{0x0000, 0x3FFF}, {0xE000, 0xE1FF}};

// Bytes per firmware-load request: well inside every host's control-transfer limit.
inline constexpr std::size_t fx2_chunk_bytes = 1024;

struct RamChunk {
  std::uint16_t address = 0;
  std::vector<std::uint8_t> bytes;
  friend bool operator==(const RamChunk&, const RamChunk&) = default;
};

struct RamLoad {
  std::vector<RamChunk> chunks;  // ascending addresses; empty on a problem
  std::string problem;           // empty when every byte can be loaded
};

// Merges adjacent records into runs and cuts the runs into chunks of at most chunk_bytes.
// A byte given twice, a byte outside RAM or an image without data is a problem.
RamLoad fx2_ram_load(const std::vector<HexDataRecord>& records,
                     std::size_t chunk_bytes = fx2_chunk_bytes);

}  // namespace quelnor::link::libusb
