// Intel HEX reading: addresses after extended address records, the line ends and blank lines
// allowed, and every malformed image refused with its line and nothing half-read.
#include "link/intel_hex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quelnor::link {
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
      ":02000004FFFFFC\r\n"  // linear 0xFFFF: base 0xFFFF0000
      ":01FFFF00778A\r\n"    // the last byte of the 32-bit address space
      ":00000001FF \t\r\n"   // trailing blanks
      "\n";
  const HexImage image = parse_intel_hex(text);
  ASSERT_EQ(image.problem, "");
  ASSERT_EQ(image.records.size(), 5u);
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
  EXPECT_EQ(image.records[4].address, 0xFFFFFFFFu);
  EXPECT_EQ(image.records[4].bytes, (Bytes{0x77}));
}

TEST(IntelHexTest, AcceptsEveryWellFormedLayout) {
  struct Case {
    const char* name;
    const char* text;
    std::size_t data_records;
  };
  const Case cases[] = {
      {"LF line ends", ":0200000080FE80\n:00000001FF\n", 1},
      {"CR LF line ends", ":0200000080FE80\r\n:00000001FF\r\n", 1},
      {"lower case, no final line end", ":0200000080fe80\n:00000001ff", 1},
      {"extended linear address", ":020000040000FA\n:0200000080FE80\n:00000001FF\n", 1},
      {"extended segment address", ":020000021000EC\n:0200000080FE80\n:00000001FF\n", 1},
      {"blank lines", "\n:0200000080FE80\n\n:00000001FF\n\n", 1},
      {"only the end record", ":00000001FF\n", 0},
      {"data record without data", ":0000000000\n:00000001FF\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HexImage image = parse_intel_hex(c.text);
    EXPECT_EQ(image.problem, "");
    EXPECT_EQ(image.records.size(), c.data_records);
  }
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
      {"blanks before the start code", good + "  " + end, "line 2: a record must start with ':'"},
      {"form feed is not a blank line", good + "\f\n" + end, "line 2: a record must start"},
      {"odd hex digits", ":03000000020006F\n" + end, "line 1: odd number of hex digits"},
      {"blank inside a record", ": 0200000080FE80\n" + end, "line 1: odd number of hex digits"},
      {"not a hex digit", ":0300000002G006F5\n" + end, "line 1: a character that is not a hex"},
      {"record too short", ":00000001\n", "line 1: record too short"},
      {"record too short, then end", ":03000000\n" + end, "line 1: record too short"},
      {"count above bytes", ":04000000020006F4\n" + end, "byte count 4 does not match the 3"},
      {"count below bytes", ":02000000020006F5\n" + end, "byte count 2 does not match the 3"},
      {"count above bytes, sum sound", ":0300000080FE7F\n" + end, "byte count 3 does not match"},
      {"bad checksum", good + ":0200030080FE7E\n" + end, "line 2: checksum mismatch"},
      {"bad checksum on line 1", ":0200000080FE81\n" + end, "line 1: checksum mismatch"},
      {"bad checksum on the end record", good + ":00000001FE\n", "line 2: checksum mismatch"},
      {"unknown type", good + ":00000006FA\n" + end, "line 2: unknown record type 06"},
      {"start segment address", ":0400000300000000F9\n" + end, "line 1: start-address record"},
      {"start linear address", ":0400000500000000F7\n" + end, "(type 05)"},
      {"end record with data", good + ":0100000100FE\n", "line 2: end-of-file record carries"},
      {"end record with data AA", good + ":01000001AA54\n", "line 2: end-of-file record carries"},
      {"short address record", ":0100000201FC\n" + end, "line 1: address record must carry two"},
      {"long address record", ":0400000400000000F8\n" + end, "line 1: address record must carry"},
      {"data past 4 GiB", ":02000004FFFFFC\n:02FFFF00778801\n" + end, "line 2: data beyond"},
      {"missing end record", good, "the end-of-file record is missing"},
      {"missing end record after data", ":0200000080FE80\n", "the end-of-file record is missing"},
      {"empty file", "", "the end-of-file record is missing"},
      {"only line ends", "\n\n", "the end-of-file record is missing"},
      {"only blank lines", "\r\n\n  \n", "the end-of-file record is missing"},
      {"data after end", end + "\n" + good, "line 3: text after the end-of-file record"},
      {"data right after end", end + ":0200000080FE80\n", "line 2: text after the end-of-file"},
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
}  // namespace quelnor::link
