// Quoting of texts in script output.
#include "app/quoted_text.h"

namespace quelnor::app {

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace quelnor::app
