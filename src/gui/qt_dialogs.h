// Operator dialogs on Qt: modal message boxes and the save-file dialog. The save dialog's
// path can come from a provider instead (tests, tools), so nothing modal ever blocks them.
#pragma once

#include <QString>
#include <functional>

#include "util/operator_dialogs.h"

namespace quelnor::gui {

// "Log Files (*.csv)|*.csv" (description|pattern pairs) as a Qt name filter
// "Log Files (*.csv)"; several pairs are joined with ";;".
QString qt_name_filter(const std::string& filter);

class QtDialogs final : public util::OperatorDialogs {
 public:
  using SavePathProvider = std::function<std::string(const util::SaveDialogRequest&)>;

  // Without a provider the save dialog is QFileDialog's.
  explicit QtDialogs(SavePathProvider save_path_provider = {});

  // Runs before every box or dialog: the views show what is in force while it waits
  // (a sweep's completion box comes after the progress bar was set back to 0).
  void set_before_showing(std::function<void()> hook) { before_showing_ = std::move(hook); }

  util::Answer show_message(const util::MessageBox& box) override;
  std::string save_file(const util::SaveDialogRequest& request) override;

 private:
  SavePathProvider save_path_provider_;
  std::function<void()> before_showing_;
};

}  // namespace quelnor::gui
