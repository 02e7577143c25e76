// The exported data file's text: a header line and one line of six number fields per
// sweep point, CR LF line ends. Pure formatting, no file access.
#pragma once

#include <cstdint>
#include <string>

#include "model/measurement_data.h"

namespace quelnor::ui {

inline constexpr const char* csv_header = "Frequency,Impedance,Phase,Real,Imaginary,Magnitude,\r\n";

// Sign position (" " or "-"), number_text of |v|, one space: " 30000 ", "-0.25 ".
std::string csv_number_field(double v);

// Header plus rows 0..row_count-1 of the table: frequency, impedance, phase, real,
// imaginary, magnitude. A row count outside 0..513 raises RunTimeError.
std::string csv_block(const model::SweepTable& table, std::int32_t row_count);

}  // namespace quelnor::ui
