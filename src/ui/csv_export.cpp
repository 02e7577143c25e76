// Formatting the sweep table as the exported comma-separated block.
#include "ui/csv_export.h"

#include <cmath>

#include "util/numbers.h"
#include "util/run_time_error.h"

namespace quelnor::ui {

std::string csv_number_field(double v) {
  std::string field(1, v < 0.0 ? '-' : ' ');
  field += util::number_text(std::fabs(v));
  field += ' ';
  return field;
}

std::string csv_block(const model::SweepTable& table, std::int32_t row_count) {
  if (row_count < 0 || static_cast<std::size_t>(row_count) > model::table_rows) {
    throw util::RunTimeError(util::ErrorKind::out_of_bounds, "Row count outside the table");
  }
  std::string block = csv_header;
  // About 6 fields of up to 23 characters per row: one allocation for the whole block.
  block.reserve(block.size() + static_cast<std::size_t>(row_count) * 6 * 24);
  const model::Column* columns[] = {&table.frequency, &table.impedance,      &table.phase,
                                    &table.real_part, &table.imaginary_part, &table.magnitude};
  for (std::int32_t i = 0; i < row_count; ++i) {
    const auto row = static_cast<std::size_t>(i);
    for (std::size_t c = 0; c < 6; ++c) {
      if (c > 0) block += ',';
      block += csv_number_field((*columns[c])[row]);
    }
    block += "\r\n";
  }
  return block;
}

}  // namespace quelnor::ui
