// Line framing of SCPI program messages with quote and block awareness.
#include "remote/message_framer.h"

#include "remote/scpi_error.h"

namespace quelnor::remote {

void MessageFramer::reset() {
  state_ = State::normal;
  current_.clear();
  block_digits_left_ = 0;
  block_bytes_left_ = 0;
  newline_in_block_ = false;
  utf8_continuations_ = 0;
  utf8_low_ = 0x80;
  utf8_high_ = 0xBF;
  error_code_ = 0;
  error_detail_.clear();
}

void MessageFramer::finish(std::vector<FramedMessage>& out) {
  FramedMessage m;
  if (error_code_ == 0 && utf8_continuations_ != 0) {
    error_code_ = scpi_code::invalid_character;
    error_detail_ = "invalid UTF-8";
  }
  if (error_code_ != 0) {
    m.error_code = error_code_;
    m.detail = error_detail_;
  } else {
    if (!current_.empty() && current_.back() == '\r') current_.pop_back();
    m.text = std::move(current_);
  }
  reset();
  out.push_back(std::move(m));
}

FramedMessage MessageFramer::abandon_partial() {
  FramedMessage m;
  m.error_code = scpi_code::invalid_block_data;
  m.detail = "the block announced more bytes than the client sent";
  reset();
  return m;
}

void MessageFramer::check_utf8(unsigned char byte) {
  if (error_code_ != 0) return;
  bool ok = true;
  if (utf8_continuations_ > 0) {
    ok = byte >= utf8_low_ && byte <= utf8_high_;
    utf8_low_ = 0x80;
    utf8_high_ = 0xBF;
    --utf8_continuations_;
  } else if (byte < 0x80) {
    ok = true;
  } else if (byte >= 0xC2 && byte <= 0xDF) {
    utf8_continuations_ = 1;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    utf8_continuations_ = 2;
    if (byte == 0xE0) utf8_low_ = 0xA0;   // below: an overlong form
    if (byte == 0xED) utf8_high_ = 0x9F;  // above: a UTF-16 surrogate
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    utf8_continuations_ = 3;
    if (byte == 0xF0) utf8_low_ = 0x90;   // below: an overlong form
    if (byte == 0xF4) utf8_high_ = 0x8F;  // above: past U+10FFFF
  } else {
    ok = false;
  }
  if (!ok) {
    error_code_ = scpi_code::invalid_character;
    error_detail_ = "invalid UTF-8";
    utf8_continuations_ = 0;
    utf8_low_ = 0x80;
    utf8_high_ = 0xBF;
  }
}

std::vector<FramedMessage> MessageFramer::feed(std::string_view bytes) {
  std::vector<FramedMessage> out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (state_ == State::discarding) {
      if (c == '\n') finish(out);
      continue;
    }
    // A message of exactly the limit passes: only a byte that would go past it is refused.
    const bool ends_message = c == '\n' && state_ != State::block_payload;
    if (current_.size() >= limit_ && !ends_message) {
      // Keep the error and drop the rest of this message up to its line feed.
      error_code_ = scpi_code::too_much_data;
      error_detail_ = "a message over " + std::to_string(limit_) + " bytes";
      current_.clear();
      state_ = State::discarding;
      continue;
    }
    switch (state_) {
      case State::normal:
        if (c == '\n') {
          finish(out);
          continue;
        }
        check_utf8(byte);
        if (c == '"' || c == '\'') {
          quote_ = c;
          state_ = State::quoted;
        } else if (c == '#') {
          state_ = State::block_hash;
        }
        break;
      case State::quoted:
        if (c == '\n') {  // an unterminated string: the parser reports it
          finish(out);
          continue;
        }
        check_utf8(byte);
        if (c == quote_) state_ = State::normal;
        break;
      case State::block_hash:
        if (c >= '1' && c <= '9') {
          block_digits_left_ = c - '0';
          block_bytes_left_ = 0;
          state_ = State::block_digits;
        } else if (c == '\n') {
          finish(out);
          continue;
        } else {
          // "#0" (indefinite length), "#H1F" or a stray '#': the line feed ends it.
          check_utf8(byte);
          state_ = State::normal;
        }
        break;
      case State::block_digits:
        if (c < '0' || c > '9') {
          state_ = State::normal;  // the parser reports the malformed length
          if (c == '\n') {
            finish(out);
            continue;
          }
          break;
        }
        block_bytes_left_ = block_bytes_left_ * 10 + static_cast<std::size_t>(c - '0');
        if (block_bytes_left_ > limit_) {
          error_code_ = scpi_code::invalid_block_data;
          error_detail_ = "a block over " + std::to_string(limit_) + " bytes";
          current_.clear();
          state_ = State::discarding;
          continue;
        }
        if (--block_digits_left_ == 0) {
          state_ = block_bytes_left_ == 0 ? State::normal : State::block_payload;
          newline_in_block_ = false;
        }
        break;
      case State::block_payload:
        if (c == '\n') newline_in_block_ = true;
        if (--block_bytes_left_ == 0) state_ = State::normal;
        break;
      case State::discarding:
        break;
    }
    current_ += c;
  }
  return out;
}

}  // namespace quelnor::remote
