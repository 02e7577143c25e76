// Parsing and running operator scripts.
#include "app/script_runner.h"

#include <charconv>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/script_dialogs.h"
#include "app/script_pump.h"
#include "model/strip_chart.h"
#include "sim/virtual_board.h"
#include "util/clock.h"

namespace quelnor::app {
namespace {

// A script fault: the run stops with the message, which names the line.
struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Command {
  int line = 0;
  std::string verb;
  std::string name;                    // control, answer word, fault name
  std::string text;                    // set: the text; save: the path; dut: the expression
  std::vector<std::string> args;       // fault arguments
  std::int64_t servicings = 0;         // pump: N
  std::shared_ptr<Command> scheduled;  // pump: the command it runs
};

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trim_left(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view trim(std::string_view s) {
  s = trim_left(s);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

// The first word, and what follows the single blank after it, as is.
std::pair<std::string_view, std::string_view> first_word(std::string_view s) {
  std::size_t end = 0;
  while (end < s.size() && !is_blank(s[end])) ++end;
  const std::string_view word = s.substr(0, end);
  return {word, end < s.size() ? s.substr(end + 1) : std::string_view{}};
}

std::vector<std::string> words(std::string_view s) {
  std::vector<std::string> out;
  for (s = trim_left(s); !s.empty(); s = trim_left(s)) {
    const auto [word, rest] = first_word(s);
    out.emplace_back(word);
    s = rest;
  }
  return out;
}

bool skipped(std::string_view line) {
  const std::string_view t = trim_left(line);
  return t.empty() || t.front() == '#';
}

class Runner {
 public:
  Runner(Application& app, ScriptDialogs& dialogs, ScriptPump& pump, std::ostream& out)
      : app_(app), dialogs_(dialogs), pump_(pump), out_(out) {}

  Command parse(std::string_view text, int line) const;
  void execute(const Command& c);
  // A command run at a servicing point cannot stop the run where it stands; its fault is
  // kept and stops the run when the current line has finished.
  std::optional<std::string> deferred_error;

  // Called at every servicing point. Once the last line runs and nothing is scheduled, a
  // continuous sweep has no one left to untick its box: the runner unticks it, as the
  // operator would, and the script ends with an error.
  void stop_an_unattended_continuous_run();
  int line_running = 0;
  bool last_line = false;

 private:
  [[noreturn]] static void fail(int line, const std::string& message) {
    throw ScriptError("line " + std::to_string(line) + ": " + message);
  }
  void require_control(const Command& c) const;
  void report(const Command& c, ActResult result);
  sim::VirtualBoard& board(const Command& c);

  Application& app_;
  ScriptDialogs& dialogs_;
  ScriptPump& pump_;
  std::ostream& out_;
};

Command Runner::parse(std::string_view text, int line) const {
  Command c;
  c.line = line;
  const auto [verb, rest] = first_word(trim_left(text));
  c.verb = verb;
  if (c.verb == "set") {
    const auto [name, typed] = first_word(rest);
    c.name = name;
    c.text = typed;
    require_control(c);
  } else if (c.verb == "leave" || c.verb == "click" || c.verb == "check" || c.verb == "uncheck" ||
             c.verb == "show") {
    const std::vector<std::string> w = words(rest);
    if (w.size() != 1) fail(line, c.verb + " takes one control name");
    c.name = w[0];
    require_control(c);
  } else if (c.verb == "answer") {
    const std::vector<std::string> w = words(rest);
    if (w.size() != 1 || !ScriptDialogs::answer_named(w[0])) {
      fail(line, "answer takes one of OK, Retry, Cancel");
    }
    c.name = w[0];
  } else if (c.verb == "save") {
    c.text = rest;
    if (trim(c.text).empty()) fail(line, "save takes a file path (save-cancel cancels)");
  } else if (c.verb == "save-cancel") {
    if (!trim(rest).empty()) fail(line, "save-cancel takes nothing after it");
  } else if (c.verb == "pump") {
    const auto [count, scheduled] = first_word(trim_left(rest));
    const auto [end, error] =
        std::from_chars(count.data(), count.data() + count.size(), c.servicings);
    if (count.empty() || error != std::errc() || end != count.data() + count.size() ||
        c.servicings < 1) {
      fail(line, "pump takes a number of servicings (1 or more) and a command");
    }
    if (trim(scheduled).empty()) fail(line, "pump needs a command to run");
    c.scheduled = std::make_shared<Command>(parse(scheduled, line));
  } else if (c.verb == "dut") {
    c.text = trim(rest);
    if (c.text.empty()) fail(line, "dut takes a circuit expression, e.g. R200k||C15p");
  } else if (c.verb == "fault") {
    c.args = words(rest);
    if (c.args.empty()) fail(line, "fault takes a fault name:\n" + sim::VirtualBoard::fault_help());
    c.name = c.args.front();
    c.args.erase(c.args.begin());
  } else {
    fail(line, "unknown command \"" + c.verb + "\"");
  }
  return c;
}

void Runner::stop_an_unattended_continuous_run() {
  if (!last_line || pump_.pending() > 0 || deferred_error) return;
  model::Form1Controls& form = app_.form1().controls();
  if (!app_.form1().busy() || !form.Continuous_sweep_text.value) return;
  app_.actions().set_check("Continuous_sweep_text", false);
  deferred_error = "line " + std::to_string(line_running) +
                   ": the script has no line left and the continuous sweep was still running; "
                   "unticked Continuous_sweep_text to stop it";
}

void Runner::require_control(const Command& c) const {
  if (c.name.empty()) fail(c.line, c.verb + " takes a control name");
  if (app_.actions().describe(c.name).empty()) {
    fail(c.line, "unknown control name \"" + c.name + "\"");
  }
}

sim::VirtualBoard& Runner::board(const Command& c) {
  sim::VirtualBoard* virtual_board = app_.virtual_board();
  if (virtual_board == nullptr) {
    fail(c.line, c.verb + " acts on the virtual board only; this run uses the real board");
  }
  return *virtual_board;
}

void Runner::report(const Command& c, ActResult result) {
  if (result == ActResult::disabled) out_ << "disabled " << c.name << '\n';
  if (result == ActResult::unknown) {
    fail(c.line, c.verb + " does not apply to the control \"" + c.name + "\"");
  }
}

void Runner::execute(const Command& c) {
  OperatorActions& actions = app_.actions();
  if (c.verb == "set") {
    report(c, actions.type_text(c.name, c.text));
  } else if (c.verb == "leave") {
    report(c, actions.leave(c.name));
  } else if (c.verb == "click") {
    report(c, actions.click(c.name));
  } else if (c.verb == "check" || c.verb == "uncheck") {
    report(c, actions.set_check(c.name, c.verb == "check"));
  } else if (c.verb == "show") {
    out_ << actions.describe(c.name) << '\n';
  } else if (c.verb == "answer") {
    dialogs_.queue_answer(*ScriptDialogs::answer_named(c.name));
  } else if (c.verb == "save") {
    dialogs_.queue_save(c.text);
  } else if (c.verb == "save-cancel") {
    dialogs_.queue_save("");
  } else if (c.verb == "pump") {
    pump_.schedule(c.servicings, [this, scheduled = c.scheduled] {
      if (deferred_error) return;
      try {
        execute(*scheduled);
      } catch (const ScriptError& e) {
        deferred_error = e.what();
      }
    });
  } else if (c.verb == "dut") {
    try {
      board(c).set_dut(c.text);
    } catch (const std::invalid_argument& e) {
      fail(c.line, e.what());
    }
  } else if (c.verb == "fault") {
    try {
      board(c).fault(c.name, c.args);
    } catch (const std::invalid_argument& e) {
      fail(c.line, e.what());
    }
  }
}

struct ScriptLine {
  int number;
  std::string text;
};

std::vector<ScriptLine> read_lines(std::istream& script) {
  std::vector<ScriptLine> lines;
  std::string text;
  for (int number = 1; std::getline(script, text); ++number) {
    if (!text.empty() && text.back() == '\r') text.pop_back();  // CR LF files
    if (!skipped(text)) lines.push_back({number, text});
  }
  return lines;
}

bool before_start_up(const ScriptLine& line) {
  const std::string_view verb = first_word(trim_left(line.text)).first;
  return verb == "answer" || verb == "dut" || verb == "fault";
}

}  // namespace

int run_script(std::istream& script, const ApplicationOptions& options, std::ostream& out,
               std::ostream& err) {
  const std::vector<ScriptLine> lines = read_lines(script);

  // The virtual board shares a virtual clock with the program, so waits cost no real time.
  std::unique_ptr<util::Clock> clock;
  if (options.board == BoardKind::sim) {
    clock = std::make_unique<util::VirtualClock>();
  } else {
    clock = std::make_unique<util::SystemClock>();
  }
  ScriptDialogs dialogs(out);
  ScriptPump pump;
  model::RecordingStripChart strip1, strip2;
  ApplicationOptions script_options = options;
  script_options.virtual_board_real_time = false;

  std::unique_ptr<Application> app;
  try {
    app =
        std::make_unique<Application>(script_options, Seams{*clock, dialogs, pump, strip1, strip2});
  } catch (const std::exception& e) {
    err << "quelnor-eval: " << e.what() << '\n';
    return script_error;
  }
  Runner runner(*app, dialogs, pump, out);
  pump.set_after_servicing([&runner] { runner.stop_an_unattended_continuous_run(); });

  std::size_t next = 0;
  try {
    for (; next < lines.size() && before_start_up(lines[next]); ++next) {
      runner.execute(runner.parse(lines[next].text, lines[next].number));
    }
    if (!app->start_up()) {
      out.flush();
      err << "quelnor-eval: start-up cancelled: the board did not take its firmware\n";
      return script_start_up_cancelled;
    }
    app->load();
    for (; next < lines.size(); ++next) {
      runner.line_running = lines[next].number;
      runner.last_line = next + 1 == lines.size();
      runner.execute(runner.parse(lines[next].text, lines[next].number));
      if (runner.deferred_error) throw ScriptError(*runner.deferred_error);
    }
  } catch (const ScriptError& e) {
    out.flush();
    err << "quelnor-eval: script " << e.what() << '\n';
    return script_error;
  } catch (const std::exception& e) {
    out.flush();
    err << "quelnor-eval: " << e.what() << '\n';
    return script_error;
  }
  out.flush();
  if (pump.pending() > 0) {
    err << "quelnor-eval: " << pump.pending()
        << " pumped command(s) never ran: the script ended before their servicing point\n";
  }
  return script_ran_to_end;
}

}  // namespace quelnor::app
