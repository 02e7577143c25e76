// Fuzz target for the SCPI message framer: bytes cut into arbitrary chunks frame into the
// same messages as in one piece, no message passes the size limit, and what passes as
// text outside blocks is valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "remote/message_framer.h"

namespace {

using quelnor::fuzz::require;
using quelnor::remote::FramedMessage;
using quelnor::remote::MessageFramer;

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool valid_utf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    int more = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b < 0x80) {
      more = 0;
    } else if (b >= 0xC2 && b <= 0xDF) {
      more = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      more = 2;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      more = 3;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    ++i;
    for (int k = 0; k < more; ++k, ++i) {
      if (i >= text.size()) return false;
      const auto c = static_cast<unsigned char>(text[i]);
      if (c < (k == 0 ? low : 0x80) || c > (k == 0 ? high : 0xBF)) return false;
    }
  }
  return true;
}

bool same(const std::vector<FramedMessage>& a, const std::vector<FramedMessage>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].text != b[i].text || a[i].error_code != b[i].error_code) return false;
  }
  return true;
}

}  // namespace

// The first two bytes choose the size limit and the chunk sizes; the rest is the stream.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return -1;
  const std::size_t limit = 8 + data[0];
  const unsigned chunk_seed = data[1];
  const std::string_view stream(reinterpret_cast<const char*>(data + 2), size - 2);

  MessageFramer whole_framer(limit);
  const std::vector<FramedMessage> whole = whole_framer.feed(stream);

  MessageFramer chunked_framer(limit);
  std::vector<FramedMessage> chunked;
  std::size_t at = 0;
  unsigned next = chunk_seed;
  while (at < stream.size()) {
    next = next * 1103515245u + 12345u;
    const std::size_t length = 1 + (next >> 16) % 7;
    for (FramedMessage& m : chunked_framer.feed(stream.substr(at, length))) {
      chunked.push_back(std::move(m));
    }
    at += length;
  }
  require(same(whole, chunked), "chunks frame into the same messages as one piece");
  require(whole_framer.empty() == chunked_framer.empty(), "chunks leave the same partial message");

  std::size_t line_feeds = 0;
  for (const char c : stream) line_feeds += c == '\n' ? 1 : 0;
  require(whole.size() <= line_feeds, "every message ends at a line feed");
  for (const FramedMessage& m : whole) {
    if (m.error_code != 0) {
      require(m.text.empty(), "a refused message passes no text");
      require(!m.detail.empty(), "a refused message says why");
      continue;
    }
    require(m.text.size() <= limit, "no message is over the limit");
    // Blocks carry any bytes; text without one must be valid UTF-8.
    if (m.text.find('#') == std::string::npos) {
      require(valid_utf8(m.text), "a message without a block is valid UTF-8");
    }
  }

  // With no quote and no block, framing is cutting at line feeds: a line within the limit
  // passes unchanged (when it is valid UTF-8), a longer one is refused.
  if (stream.find_first_of("\"'#") == std::string_view::npos) {
    std::size_t from = 0, index = 0;
    for (std::size_t i = 0; i < stream.size(); ++i) {
      if (stream[i] != '\n') continue;
      std::string_view line = stream.substr(from, i - from);
      from = i + 1;
      require(index < whole.size(), "each line feed ends a message");
      const FramedMessage& m = whole[index++];
      if (line.size() > limit) {
        require(m.error_code != 0, "a line over the limit is refused");
        continue;
      }
      if (!valid_utf8(line)) {
        require(m.error_code != 0, "a line with invalid UTF-8 is refused");
        continue;
      }
      require(m.error_code == 0, "a valid line within the limit passes");
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      require(m.text == line, "a plain line passes unchanged");
    }
    require(index == whole.size(), "no message without its line feed");
  }
  return 0;
}
