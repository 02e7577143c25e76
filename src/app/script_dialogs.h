// The operator dialogs of a script run: every box and save dialog is printed as one line
// and answered from what the script queued with "answer" and "save".
#pragma once

#include <deque>
#include <optional>
#include <ostream>
#include <string>

#include "util/operator_dialogs.h"

namespace quelnor::app {

class ScriptDialogs final : public util::OperatorDialogs {
 public:
  explicit ScriptDialogs(std::ostream& out) : out_(out) {}

  // The next box that offers this answer gets it; boxes that do not offer it pass it by.
  void queue_answer(util::Answer answer) { answers_.push_back(answer); }
  // The next save dialog returns this path; an empty path is a cancel.
  void queue_save(std::string path) { save_paths_.push_back(std::move(path)); }

  // Prints `box "TEXT" "TITLE" BUTTONS -> ANSWER`. Without a queued answer it offers, a
  // box is answered OK, or Cancel where OK is not offered.
  util::Answer show_message(const util::MessageBox& box) override;
  // Prints `save-dialog "FOLDER" "NAME" "FILTER" -> "PATH"`; cancelled unless queued.
  std::string save_file(const util::SaveDialogRequest& request) override;

  // "OK", "Retry", "Cancel"; nothing for another word.
  static std::optional<util::Answer> answer_named(const std::string& word);

 private:
  std::ostream& out_;
  std::deque<util::Answer> answers_;
  std::deque<std::string> save_paths_;
};

}  // namespace quelnor::app
