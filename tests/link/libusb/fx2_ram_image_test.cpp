// FX2 RAM load chunks: runs merged and cut to size, RAM limits inclusive, anything outside
// RAM, overlapping or empty refused.
#include "link/libusb/fx2_ram_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quelnor::link::libusb {
namespace {

using Bytes = std::vector<std::uint8_t>;

HexDataRecord record(std::uint32_t address, Bytes bytes, std::size_t line = 1) {
  return HexDataRecord{address, std::move(bytes), line};
}

TEST(Fx2RamImageTest, MergesAdjacentRecordsInAddressOrder) {
  const RamLoad load = fx2_ram_load({
      record(0xE000, {0xC0, 0xDE}), record(0x0003, {0x80, 0xFE}),
      record(0x0000, {0x02, 0x00, 0x06}), record(0x0010, {0x11}),
      record(0x3FFF, {0xEE}),  // last byte of code RAM
      record(0xE1FF, {0x09}),  // last byte of the data block
  });
  ASSERT_EQ(load.problem, "");
  EXPECT_EQ(load.chunks, (std::vector<RamChunk>{
                             {0x0000, {0x02, 0x00, 0x06, 0x80, 0xFE}},
                             {0x0010, {0x11}},
                             {0x3FFF, {0xEE}},
                             {0xE000, {0xC0, 0xDE}},
                             {0xE1FF, {0x09}},
                         }));
}

TEST(Fx2RamImageTest, CutsLongRunsIntoChunksOfAtMostTheLimit) {
  Bytes run(2500);
  for (std::size_t i = 0; i < run.size(); ++i) run[i] = static_cast<std::uint8_t>(i * 7);
  const RamLoad load = fx2_ram_load({record(0x0100, run)}, 1024);
  ASSERT_EQ(load.problem, "");
  ASSERT_EQ(load.chunks.size(), 3u);
  EXPECT_EQ(load.chunks[0].address, 0x0100);
  EXPECT_EQ(load.chunks[1].address, 0x0500);
  EXPECT_EQ(load.chunks[2].address, 0x0900);
  Bytes joined;
  for (const RamChunk& chunk : load.chunks) {
    EXPECT_LE(chunk.bytes.size(), 1024u);
    joined.insert(joined.end(), chunk.bytes.begin(), chunk.bytes.end());
  }
  EXPECT_EQ(joined, run);
}

TEST(Fx2RamImageTest, RefusesImagesThatCannotBeLoadedWhole) {
  struct Case {
    const char* name;
    std::vector<HexDataRecord> records;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"above code RAM", {record(0x4000, {1}, 3)}, "line 3: addresses 0x4000..0x4000 lie outside"},
      {"across the end of code RAM", {record(0x3FFE, {1, 2, 3}, 2)}, "0x3FFE..0x4000 lie outside"},
      {"below the data block", {record(0xDFFF, {1})}, "outside"},
      {"across the end of the data block", {record(0xE1FF, {1, 2})}, "outside"},
      {"control/status register", {record(0xE600, {1})}, "0xE600..0xE600 lie outside"},
      {"beyond 64 KiB", {record(0x10000, {1})}, "0x10000..0x10000 lie outside"},
      {"byte given twice",
       {record(0x0000, {1, 2, 3}, 1), record(0x0002, {3}, 4)},
       "line 4: address 0x0002 is given twice"},
      {"no data", {}, "the image holds no data"},
      {"only empty records", {record(0x0000, {})}, "the image holds no data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RamLoad load = fx2_ram_load(c.records);
    EXPECT_NE(load.problem.find(c.expected), std::string::npos) << load.problem;
    EXPECT_TRUE(load.chunks.empty());
  }
}

}  // namespace
}  // namespace quelnor::link::libusb
