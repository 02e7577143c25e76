// Fuzz target for operator scripts on the virtual board: any script runs to its end or
// stops with a message naming the line, on a virtual clock, writing no file.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/script_runner.h"
#include "fuzz/fuzz_check.h"

namespace {

using quelnor::fuzz::require;

// Longer scripts only repeat what short ones reach, more slowly.
constexpr std::size_t longest_script = 2048;
// A continuous sweep runs until its box is unticked between passes. Scheduling an untick
// every few servicings, for as long as any pumped command of the script could still tick
// it again, ends every run.
constexpr std::int64_t untick_every = 8;
constexpr std::int64_t farthest_pump = 256;

std::vector<std::string> blank_split(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.emplace_back(line.substr(start, i - start));
  }
  return words;
}

// How many servicings ahead the line's nested "pump N" prefixes reach; -1 when that is
// farther than the guard covers. A count that is not a plain number ends the scan: the
// runner refuses that line.
std::int64_t pump_reach(const std::vector<std::string>& words) {
  std::int64_t reach = 0;
  for (std::size_t i = 0; i + 1 < words.size() && words[i] == "pump"; i += 2) {
    const std::string& count = words[i + 1];
    for (const char c : count) {
      if (c < '0' || c > '9') return reach;
    }
    if (count.size() > 4) return -1;
    reach += std::stoll(count);
    if (reach > farthest_pump) return -1;
  }
  return reach;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > longest_script) return -1;
  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  std::string guarded;
  for (std::string line; std::getline(input, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> words = blank_split(line);
    for (const std::string& word : words) {
      if (word == "save") return -1;  // the one command that makes the program write a file
    }
    if (pump_reach(words) < 0) return -1;
    const bool before_start_up =
        !words.empty() && (words[0] == "answer" || words[0] == "dut" || words[0] == "fault");
    if (!words.empty() && words[0][0] != '#' && !before_start_up) {
      for (std::int64_t n = untick_every; n <= farthest_pump + 2 * untick_every;
           n += untick_every) {
        guarded += "pump " + std::to_string(n) + " uncheck Continuous_sweep_text\n";
      }
    }
    guarded += line + '\n';
  }

  quelnor::app::ApplicationOptions options;
  options.board = quelnor::app::BoardKind::sim;
  options.executable_dir = QUELNOR_FIRMWARE_DIR;
  std::istringstream script(guarded);
  std::ostringstream out, err;
  const int code = quelnor::app::run_script(script, options, out, err);
  require(code == quelnor::app::script_ran_to_end ||
              code == quelnor::app::script_start_up_cancelled || code == quelnor::app::script_error,
          "a script run ends with one of its exit codes");
  if (code == quelnor::app::script_error) {
    require(err.str().rfind("quelnor-eval: ", 0) == 0, "a stopped script says why");
  }
  return 0;
}
