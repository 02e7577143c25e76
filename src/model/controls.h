// The kinds of control a window holds, as plain data: what the operator sees and what the
// system's routines read and write. Views render these; they hold no state of their own.
#pragma once

#include <string>

namespace quelnor::model {

struct TextBox {
  std::string text;
  int max_length = 0;  // 0: no limit
  bool enabled = true;

  // The text as typing would leave it: cut to the maximum length. The length counts
  // characters, not bytes (the text is UTF-8), so a cut never splits a character.
  void type(const std::string& typed) {
    text = typed;
    if (max_length <= 0) return;
    int characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
      if (!continuation && ++characters > max_length) {
        text.resize(i);
        return;
      }
    }
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
