// The operator-dialog seam: modal message boxes and the save-file dialog. The Qt window,
// the operator-script runner and the tests each give their own.
#pragma once

#include <string>

namespace quelnor::util {

enum class Buttons { ok, retry_cancel };
enum class Answer { ok, retry, cancel };

struct MessageBox {
  std::string text;
  std::string title;
  Buttons buttons = Buttons::ok;
  bool warning_icon = false;
};

struct SaveDialogRequest {
  std::string folder;
  std::string suggested_name;
  std::string filter;  // "Description|pattern"
};

class OperatorDialogs {
 public:
  virtual ~OperatorDialogs() = default;
  // Shows the box modally; closing the box without a button answers cancel (or ok where
  // the box offers only OK).
  virtual Answer show_message(const MessageBox& box) = 0;
  // Returns the chosen path, or an empty string when the operator cancelled.
  virtual std::string save_file(const SaveDialogRequest& request) = 0;
};

}  // namespace quelnor::util
