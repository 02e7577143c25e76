// Fuzz target for the SCPI session: the input's lines are program messages to one session
// over the test instrument. Every message is answered or refused with an error, answers
// and error entries keep their syntax, and the session always shuts down. Work per input
// is bounded: the instrument takes a few points per message only, and inputs that would
// save a file are left out (the data folder is a fresh empty one, so loads find nothing).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "remote/fake_instrument.h"
#include "remote/session.h"

namespace {

using quelnor::fuzz::require;
using namespace quelnor::remote;

constexpr std::size_t longest_input = 4096;
constexpr int points_per_message = 16;

const std::filesystem::path& empty_data_dir() {
  static const std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "scpi_fuzz_XXXXXX").string();
    require(mkdtemp(pattern.data()) != nullptr, "a temporary data folder can be made");
    return std::filesystem::path(pattern);
  }();
  return dir;
}

bool mentions_save(std::string_view input) {
  for (std::size_t i = 0; i + 3 <= input.size(); ++i) {
    if ((input[i] | 0x20) == 's' && (input[i + 1] | 0x20) == 'a' && (input[i + 2] | 0x20) == 'v')
      return true;
  }
  return false;
}

// An error queue entry: a code, a comma, and a string in double quotes with quotes inside
// doubled; on one line.
bool error_entry(const std::string& text, int& code) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos || comma == 0) return false;
  char* end = nullptr;
  code = static_cast<int>(std::strtol(text.c_str(), &end, 10));
  if (end != text.c_str() + comma) return false;
  const std::string_view quoted = std::string_view(text).substr(comma + 1);
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return false;
  for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
    if (quoted[i] == '\n') return false;
    if (quoted[i] == '"') {
      if (quoted[i + 1] != '"' || i + 2 == quoted.size()) return false;
      ++i;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (size > longest_input || mentions_save(input)) return -1;

  testing::FakeInstrument fake;
  fake.hold_points(true);
  std::atomic<bool> woken{false};
  std::vector<std::string> answers;
  {
    Session session(
        fake, empty_data_dir(), [&](const std::string& a) { answers.push_back(a); },
        [&] { woken = true; });
    std::size_t from = 0;
    while (from <= input.size()) {
      std::size_t end = input.find('\n', from);
      if (end == std::string_view::npos) end = input.size();
      session.receive(std::string(input.substr(from, end - from)));
      from = end + 1;
      fake.release(points_per_message);
      if (woken.exchange(false)) session.operation_finished();
    }
    for (const std::string& a : answers) {
      require(!a.empty() && a.back() == '\n', "every answer ends with one line feed");
    }

    session.shutdown();
    require(!session.operation_running(), "a shut-down session runs nothing");
    require(session.waiting_messages() == 0, "a shut-down session keeps no message");

    // The queue empties in at most its capacity plus one reads, each a well-formed entry.
    for (int reads = 0;; ++reads) {
      require(reads <= 64, "the error queue empties");
      answers.clear();
      session.receive("SYST:ERR?");
      require(answers.size() == 1, "SYST:ERR? is answered at once");
      std::string entry = answers[0];
      entry.pop_back();
      int code = 1;
      require(error_entry(entry, code), "an error entry is a code and a quoted string");
      require(code <= 0 && code > -500, "an error code is a SCPI error code");
      if (code == 0) break;
    }
  }
  require(fake.standby_calls() >= 1, "shutting the session down leaves the board in standby");
  return 0;
}
