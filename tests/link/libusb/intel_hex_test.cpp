// Intel HEX reading: addresses after extended address records, and every malformed record
// refused with its line and nothing half-read.
#include "link/libusb/intel_hex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quelnor::link::libusb {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(IntelHexTest, ReadsDataAtAbsoluteAddressesAcrossAddressRecords) {
  const std::string text =
      ":03000000020006F5\r\n"
      ":0200030080FE7D\r\n"
      "\r\n"
      ":020000020E00EE\r\n"  // segment 0x0E00: base 0xE000
      ":02010000aabb98\r\n"  // lower-case digits
      ":020000040001F9\r\n"  // linear 0x0001: base 0x10000, replacing the segment base
      ":0100000055AA\r\n"
      "  :00000001FF  \r\n"
      "\n";
  const HexImage image = parse_intel_hex(text);
  ASSERT_EQ(image.problem, "");
  ASSERT_EQ(image.records.size(), 4u);
  EXPECT_EQ(image.records[0].address, 0x0000u);
  EXPECT_EQ(image.records[0].bytes, (Bytes{0x02, 0x00, 0x06}));
  EXPECT_EQ(image.records[0].line, 1u);
  EXPECT_EQ(image.records[1].address, 0x0003u);
  EXPECT_EQ(image.records[1].bytes, (Bytes{0x80, 0xFE}));
  EXPECT_EQ(image.records[2].address, 0xE100u);
  EXPECT_EQ(image.records[2].bytes, (Bytes{0xAA, 0xBB}));
  EXPECT_EQ(image.records[2].line, 5u);
  EXPECT_EQ(image.records[3].address, 0x10000u);
  EXPECT_EQ(image.records[3].bytes, (Bytes{0x55}));
}

TEST(IntelHexTest, RefusesEveryMalformedImageWholly) {
  struct Case {
    const char* name;
    std::string text;
    std::string expected;  // part of the problem text
  };
  const std::string good = ":03000000020006F5\n";
  const std::string end = ":00000001FF\n";
  const std::vector<Case> cases = {
      {"no start code", "03000000020006F5\n" + end, "line 1: a record must start with ':'"},
      {"other start code", ";03000000020006F5\n" + end, "line 1: a record must start with ':'"},
      {"odd hex digits", ":03000000020006F\n" + end, "line 1: odd number of hex digits"},
      {"not a hex digit", ":0300000002G006F5\n" + end, "line 1: a character that is not a hex"},
      {"record too short", ":00000001\n", "line 1: record too short"},
      {"count above bytes", ":04000000020006F4\n" + end, "byte count 4 does not match the 3"},
      {"count below bytes", ":02000000020006F5\n" + end, "byte count 2 does not match the 3"},
      {"bad checksum", good + ":0200030080FE7E\n" + end, "line 2: checksum mismatch"},
      {"unknown type", good + ":00000006FA\n" + end, "line 2: unknown record type 06"},
      {"start segment address", ":0400000300000000F9\n" + end, "line 1: start-address record"},
      {"start linear address", ":0400000500000000F7\n" + end, "(type 05)"},
      {"end record with data", good + ":0100000100FE\n", "line 2: end-of-file record carries"},
      {"short address record", ":0100000201FC\n" + end, "line 1: address record must carry two"},
      {"missing end record", good, "the end-of-file record is missing"},
      {"empty file", "", "the end-of-file record is missing"},
      {"only blank lines", "\r\n\n  \n", "the end-of-file record is missing"},
      {"data after end", end + "\n" + good, "line 3: text after the end-of-file record"},
      {"second end record", end + end, "line 2: text after the end-of-file record"},
      {"line number counts blank lines", good + "\n\n:0200030080FE7E\n" + end, "line 4:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HexImage image = parse_intel_hex(c.text);
    EXPECT_NE(image.problem.find(c.expected), std::string::npos) << image.problem;
    EXPECT_TRUE(image.records.empty());
  }
}

}  // namespace
}  // namespace quelnor::link::libusb
