// Cuts the byte stream of a socket into program messages at line feeds, except line feeds
// inside quoted strings and inside definite-length blocks. Guards the parser: a message
// over the size limit or with invalid UTF-8 becomes an error instead of a message.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quelnor::remote {

struct FramedMessage {
  std::string text;    // the message without its line feed; empty on error
  int error_code = 0;  // 0, or the SCPI error that replaces the message
  std::string detail;
};

class MessageFramer {
 public:
  static constexpr std::size_t default_limit_bytes = 64 * 1024;

  explicit MessageFramer(std::size_t limit_bytes = default_limit_bytes) : limit_(limit_bytes) {}

  // The messages completed by these bytes, in order.
  std::vector<FramedMessage> feed(std::string_view bytes);

  // True when a block has swallowed a line feed and still waits for bytes: a client whose
  // block announced more than it sent. The owner gives it a moment, then abandons it.
  bool waiting_inside_block_past_line_feed() const {
    return state_ == State::block_payload && newline_in_block_;
  }
  // Ends the partial message as an invalid block and starts afresh.
  FramedMessage abandon_partial();
  bool empty() const { return current_.empty() && state_ == State::normal; }

 private:
  enum class State { normal, quoted, block_hash, block_digits, block_payload, discarding };

  void finish(std::vector<FramedMessage>& out);
  void reset();
  void check_utf8(unsigned char byte);

  std::size_t limit_;
  State state_ = State::normal;
  std::string current_;
  char quote_ = '"';
  int block_digits_left_ = 0;
  std::size_t block_bytes_left_ = 0;
  bool newline_in_block_ = false;
  int utf8_continuations_ = 0;
  // The range the next continuation byte must lie in: narrower after E0, ED, F0 and F4,
  // which would otherwise start overlong forms, surrogates or code points past U+10FFFF.
  unsigned char utf8_low_ = 0x80;
  unsigned char utf8_high_ = 0xBF;
  int error_code_ = 0;
  std::string error_detail_;
};

}  // namespace quelnor::remote
