// Operator dialogs for tests: records every box and answers from a script; the save dialog
// returns scripted paths. An unscripted box is answered as closing it would (cancel, or ok
// where the box offers only OK); an unscripted save dialog is cancelled.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "util/operator_dialogs.h"

namespace quelnor::test {

class ScriptedDialogs final : public util::OperatorDialogs {
 public:
  std::deque<util::Answer> answers;
  std::deque<std::string> save_paths;
  std::vector<util::MessageBox> boxes;
  std::vector<util::SaveDialogRequest> save_requests;

  util::Answer show_message(const util::MessageBox& box) override {
    boxes.push_back(box);
    if (answers.empty()) {
      return box.buttons == util::Buttons::ok ? util::Answer::ok : util::Answer::cancel;
    }
    const util::Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::string save_file(const util::SaveDialogRequest& request) override {
    save_requests.push_back(request);
    if (save_paths.empty()) return {};
    std::string path = save_paths.front();
    save_paths.pop_front();
    return path;
  }

  // The text of every box shown so far, in order.
  std::vector<std::string> box_texts() const {
    std::vector<std::string> texts;
    for (const util::MessageBox& box : boxes) texts.push_back(box.text);
    return texts;
  }
};

}  // namespace quelnor::test
