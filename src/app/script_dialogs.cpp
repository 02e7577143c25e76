// Printed, scripted message boxes and save dialogs.
#include "app/script_dialogs.h"

#include <algorithm>

#include "app/quoted_text.h"

namespace quelnor::app {
namespace {

const char* answer_word(util::Answer answer) {
  switch (answer) {
    case util::Answer::ok:
      return "OK";
    case util::Answer::retry:
      return "Retry";
    case util::Answer::cancel:
      return "Cancel";
  }
  return "?";
}

bool offers(const util::MessageBox& box, util::Answer answer) {
  if (box.buttons == util::Buttons::ok) return answer == util::Answer::ok;
  return answer == util::Answer::retry || answer == util::Answer::cancel;
}

}  // namespace

std::optional<util::Answer> ScriptDialogs::answer_named(const std::string& word) {
  for (const util::Answer a : {util::Answer::ok, util::Answer::retry, util::Answer::cancel}) {
    if (word == answer_word(a)) return a;
  }
  return std::nullopt;
}

util::Answer ScriptDialogs::show_message(const util::MessageBox& box) {
  util::Answer answer = box.buttons == util::Buttons::ok ? util::Answer::ok : util::Answer::cancel;
  const auto queued = std::find_if(answers_.begin(), answers_.end(),
                                   [&](util::Answer a) { return offers(box, a); });
  if (queued != answers_.end()) {
    answer = *queued;
    answers_.erase(queued);
  }
  out_ << "box " << quoted(box.text) << ' ' << quoted(box.title) << ' '
       << (box.buttons == util::Buttons::ok ? "OK" : "RetryCancel") << (box.warning_icon ? "!" : "")
       << " -> " << answer_word(answer) << '\n';
  return answer;
}

std::string ScriptDialogs::save_file(const util::SaveDialogRequest& request) {
  std::string path;
  if (!save_paths_.empty()) {
    path = save_paths_.front();
    save_paths_.pop_front();
  }
  out_ << "save-dialog " << quoted(request.folder) << ' ' << quoted(request.suggested_name) << ' '
       << quoted(request.filter) << " -> " << quoted(path) << '\n';
  return path;
}

}  // namespace quelnor::app
