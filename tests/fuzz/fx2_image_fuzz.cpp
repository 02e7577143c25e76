// Fuzz target for a firmware image on its way to the board's USB controller: Intel HEX
// read, then cut into RAM-load chunks. An image is loaded whole and only into the
// controller's RAM, or refused with nothing to load.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "link/intel_hex.h"
#include "link/libusb/fx2_ram_image.h"

namespace {

using quelnor::fuzz::require;
namespace usb = quelnor::link::libusb;

bool in_ram(std::uint32_t address) {
  for (const usb::RamRegion& region : usb::fx2_ram_regions) {
    if (address >= region.first && address <= region.last) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const quelnor::link::HexImage image =
      quelnor::link::parse_intel_hex(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!image.problem.empty()) return 0;
  // A small chunk size as well as the real one, so that cutting runs into chunks is tried.
  for (const std::size_t chunk_bytes : {usb::fx2_chunk_bytes, std::size_t{3}}) {
    const usb::RamLoad load = usb::fx2_ram_load(image.records, chunk_bytes);
    if (!load.problem.empty()) {
      require(load.chunks.empty(), "a refused image has nothing to load");
      continue;
    }
    std::map<std::uint32_t, std::uint8_t> image_bytes;
    for (const auto& record : image.records) {
      for (std::size_t i = 0; i < record.bytes.size(); ++i) {
        require(image_bytes.emplace(record.address + i, record.bytes[i]).second,
                "an image giving a byte twice is refused");
      }
    }
    std::map<std::uint32_t, std::uint8_t> loaded;
    std::uint32_t next_free = 0;
    for (const usb::RamChunk& chunk : load.chunks) {
      require(!chunk.bytes.empty() && chunk.bytes.size() <= chunk_bytes,
              "a chunk holds 1 to chunk_bytes bytes");
      require(chunk.address >= next_free, "chunks rise and never overlap");
      for (std::size_t i = 0; i < chunk.bytes.size(); ++i) {
        require(in_ram(chunk.address + i), "every loaded byte lies in the controller's RAM");
        loaded.emplace(chunk.address + i, chunk.bytes[i]);
      }
      next_free = chunk.address + static_cast<std::uint32_t>(chunk.bytes.size());
    }
    require(loaded == image_bytes, "the load carries exactly the image's bytes");
  }
  return 0;
}
