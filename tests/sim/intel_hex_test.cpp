// Validation of Intel HEX firmware images.
#include "sim/intel_hex.h"

#include <gtest/gtest.h>

#include <string>

namespace quelnor::sim {
namespace {

TEST(IntelHex, WellFormedImagesPass) {
  const char* images[] = {
      ":0200000080FE80\n:00000001FF\n",
      ":0200000080FE80\r\n:00000001FF\r\n",
      ":0200000080fe80\n:00000001ff",                     // no final line end
      ":020000040000FA\n:0200000080FE80\n:00000001FF\n",  // extended linear address
      ":020000021000EC\n:0200000080FE80\n:00000001FF\n",  // extended segment address
      "\n:0200000080FE80\n\n:00000001FF\n\n",             // blank lines
      ":00000001FF\n",
  };
  for (const char* image : images) {
    EXPECT_EQ(intel_hex_problem(image), "") << image;
  }
}

TEST(IntelHex, MalformedImagesNameTheLineAndTheProblem) {
  struct Case {
    const char* image;
    const char* problem;
  };
  const Case cases[] = {
      {"", "empty image"},
      {"\n\n", "empty image"},
      {":0200000080FE80\n", "no end record"},
      {"0200000080FE80\n:00000001FF\n", "line 1: a record must start with ':'"},
      {":0200000080FE81\n:00000001FF\n", "line 1: checksum mismatch"},
      {":0200000080FE80\n:00000001FE\n", "line 2: checksum mismatch"},
      {":0200000080FE8\n:00000001FF\n", "line 1: odd number of hex digits"},
      {":0200000080FG80\n:00000001FF\n", "line 1: character that is not a hex digit"},
      {":03000000\n:00000001FF\n", "line 1: record too short"},
      {":0300000080FE7F\n:00000001FF\n", "line 1: byte count does not match the record length"},
      {":0400000300000000F9\n:00000001FF\n", "line 1: unknown record type"},
      {":0200000080FE80\n:01000001AA54\n", "line 2: end record with data"},
      {":0400000400000000F8\n:00000001FF\n", "line 1: address record must carry two bytes"},
      {":00000001FF\n:0200000080FE80\n", "line 2: data after the end record"},
      {":00000001FF\n:00000001FF\n", "line 2: data after the end record"},
      {": 0200000080FE80\n:00000001FF\n", "line 1: odd number of hex digits"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(intel_hex_problem(c.image), c.problem) << c.image;
  }
}

}  // namespace
}  // namespace quelnor::sim
