// The kinds of control a window holds, as plain data: what the operator sees and what the
// system's routines read and write. Views render these; they hold no state of their own.
#pragma once

#include <string>

namespace quelnor::model {

struct TextBox {
  std::string text;
  int max_length = 0;  // 0: no limit
  bool enabled = true;

  // The text as typing would leave it: cut to the maximum length.
  void type(const std::string& typed) {
    text = (max_length > 0 && typed.size() > static_cast<std::size_t>(max_length))
               ? typed.substr(0, static_cast<std::size_t>(max_length))
               : typed;
  }
};

struct Label {
  std::string caption;
};

struct CommandButton {
  std::string caption;
  bool enabled = true;
};

struct CheckBox {
  std::string caption;
  bool value = false;
  bool enabled = true;
};

// Option buttons with the same group number exclude each other.
struct OptionButton {
  std::string caption;
  int group = 0;
  bool value = false;
  bool enabled = true;
};

struct ProgressBar {
  int min = 0;
  int max = 100;
  int value = 0;
};

struct Frame {
  std::string caption;
};

}  // namespace quelnor::model
