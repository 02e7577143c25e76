// "Download Impedance Data": the save dialog, then the last sweep's rows appended to the
// chosen file as one block.
#include "ui/download_data.h"

#include "ui/block_append.h"
#include "ui/csv_export.h"

namespace quelnor::ui {

void Download_data_Click(model::Session& s, const std::string& executable_dir) {
  const std::int16_t rows = s.data.plot_point_count;
  if (rows <= 0) {
    s.message("There is no measured data to save: the last sweep measured no point.");
    return;
  }
  const std::string path =
      s.dialogs.save_file({executable_dir, "Impedance & Phase Data", "Log Files (*.csv)|*.csv"});
  if (path.empty()) return;  // cancelled
  const std::string block = csv_block(s.data.sweep_table, rows);
  if (const auto reason = append_block(path, block)) {
    s.message("The impedance data could not be saved to \"" + path + "\": " + *reason + ".");
  }
}

}  // namespace quelnor::ui
