// The exported block, byte for byte: header, number fields with their sign position and
// trailing space, CR LF line ends.
#include "ui/csv_export.h"

#include <gtest/gtest.h>

#include "util/run_time_error.h"

namespace quelnor::ui {
namespace {

TEST(CsvNumberField, SignPositionNumberTextAndOneSpace) {
  struct Case {
    double value;
    const char* field;
  };
  for (const Case c :
       {Case{30000, " 30000 "}, Case{2000.5, " 2000.5 "}, Case{-0.25, "-0.25 "},
        Case{1234, " 1234 "}, Case{-56, "-56 "}, Case{1.5e15, " 1.5E+15 "},
        Case{0.00001, " 1E-05 "}, Case{0.5, " 0.5 "}, Case{0, " 0 "}, Case{-0.0, " 0 "},
        Case{-5.13427021632825E-10, "-5.13427021632825E-10 "}, Case{-32768, "-32768 "},
        Case{0.25, " 0.25 "}, Case{1234.5678, " 1234.5678 "}}) {
    EXPECT_EQ(csv_number_field(c.value), c.field) << c.value;
  }
}

TEST(CsvBlock, HeaderAndRowsByteForByte) {
  model::SweepTable table;
  const double row0[6] = {30000, 2000.5, -0.25, 1234, -56, 1235};
  const double row1[6] = {30002, 1.5e15, 0.5, -1, 0.00001, 1};
  model::Column* columns[6] = {&table.frequency, &table.impedance,      &table.phase,
                               &table.real_part, &table.imaginary_part, &table.magnitude};
  for (int c = 0; c < 6; ++c) {
    (*columns[c])[0] = row0[c];
    (*columns[c])[1] = row1[c];
    (*columns[c])[2] = 99;  // beyond the rows asked for
  }
  EXPECT_EQ(csv_block(table, 2),
            "Frequency,Impedance,Phase,Real,Imaginary,Magnitude,\r\n"
            " 30000 , 2000.5 ,-0.25 , 1234 ,-56 , 1235 \r\n"
            " 30002 , 1.5E+15 , 0.5 ,-1 , 1E-05 , 1 \r\n");
}

TEST(CsvBlock, LineCountFollowsTheRowCount) {
  const model::SweepTable table;
  struct Case {
    std::int32_t rows;
    std::size_t lines;
  };
  for (const Case c : {Case{0, 1}, Case{2, 3}, Case{101, 102}, Case{512, 513}, Case{513, 514}}) {
    const std::string block = csv_block(table, c.rows);
    std::size_t crlf = 0;
    for (std::size_t at = block.find("\r\n"); at != std::string::npos;
         at = block.find("\r\n", at + 2)) {
      ++crlf;
    }
    EXPECT_EQ(crlf, c.lines) << c.rows;
    EXPECT_EQ(block.find('\n'), block.find("\r\n") + 1);  // no bare LF
  }
}

TEST(CsvBlock, RowCountOutsideTheTableFails) {
  const model::SweepTable table;
  EXPECT_THROW(csv_block(table, 514), util::RunTimeError);
  EXPECT_THROW(csv_block(table, -1), util::RunTimeError);
}

}  // namespace
}  // namespace quelnor::ui
