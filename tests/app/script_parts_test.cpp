// The pieces of the script runner: printed and scripted dialogs, the servicing-point
// pump, and the command line.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/script_dialogs.h"
#include "app/script_pump.h"

namespace quelnor::test {
namespace {

using util::Answer;
using util::Buttons;

TEST(ScriptDialogs, AQueuedAnswerWaitsForABoxThatOffersIt) {
  std::ostringstream out;
  app::ScriptDialogs dialogs(out);
  dialogs.queue_answer(Answer::retry);
  EXPECT_EQ(dialogs.show_message({"a", "T", Buttons::ok, false}), Answer::ok);
  EXPECT_EQ(dialogs.show_message({"b \"q\" \\", "Error", Buttons::retry_cancel, true}),
            Answer::retry);
  EXPECT_EQ(dialogs.show_message({"c", "Error", Buttons::retry_cancel, false}), Answer::cancel);
  dialogs.queue_answer(Answer::cancel);
  dialogs.queue_answer(Answer::ok);
  EXPECT_EQ(dialogs.show_message({"d", "T", Buttons::ok, false}), Answer::ok);
  EXPECT_EQ(dialogs.show_message({"e", "T", Buttons::retry_cancel, false}), Answer::cancel);
  EXPECT_EQ(out.str(),
            "box \"a\" \"T\" OK -> OK\n"
            "box \"b \\\"q\\\" \\\\\" \"Error\" RetryCancel! -> Retry\n"
            "box \"c\" \"Error\" RetryCancel -> Cancel\n"
            "box \"d\" \"T\" OK -> OK\n"
            "box \"e\" \"T\" RetryCancel -> Cancel\n");
}

TEST(ScriptDialogs, SaveDialogsTakeQueuedPathsInOrderAndCancelOtherwise) {
  std::ostringstream out;
  app::ScriptDialogs dialogs(out);
  dialogs.queue_save("a b.csv");
  dialogs.queue_save("");
  const util::SaveDialogRequest request{"/x", "Impedance & Phase Data", "Log Files (*.csv)|*.csv"};
  EXPECT_EQ(dialogs.save_file(request), "a b.csv");
  EXPECT_EQ(dialogs.save_file(request), "");
  EXPECT_EQ(dialogs.save_file(request), "");
  const std::string line =
      "save-dialog \"/x\" \"Impedance & Phase Data\" \"Log Files (*.csv)|*.csv\" -> ";
  EXPECT_EQ(out.str(), line + "\"a b.csv\"\n" + line + "\"\"\n" + line + "\"\"\n");
}

TEST(ScriptPump, RunsEachActionAtItsServicingPointCountedFromWhenItWasScheduled) {
  app::ScriptPump pump;
  std::vector<std::string> ran;
  pump.schedule(2, [&] { ran.push_back("a@2"); });
  pump.schedule(1, [&] {
    ran.push_back("b@1");
    // Scheduled from inside a servicing: counted from this one.
    pump.schedule(1, [&] { ran.push_back("c@2"); });
  });
  pump.schedule(2, [&] {
    ran.push_back("d@2");
    pump.service_pending_input();  // an action that itself services input
  });
  pump.service_pending_input();
  EXPECT_EQ(ran, (std::vector<std::string>{"b@1"}));
  pump.service_pending_input();
  EXPECT_EQ(ran, (std::vector<std::string>{"b@1", "a@2", "d@2", "c@2"}));
  EXPECT_EQ(pump.servicings(), 3);
  EXPECT_EQ(pump.pending(), 0u);
}

struct CommandLineCase {
  std::vector<std::string> args;
  app::BoardKind board;
  const char* script;  // nullptr: none
  const char* trace;
  bool help;
  bool refused;
};

TEST(CommandLine, ReadsBoardScriptTraceAndHelpAndRefusesAnythingElse) {
  using app::BoardKind;
  const std::vector<CommandLineCase> cases = {
      {{}, BoardKind::usb, nullptr, "", false, false},
      {{"--board", "sim"}, BoardKind::sim, nullptr, "", false, false},
      {{"--script", "-", "--board", "usb"}, BoardKind::usb, "-", "", false, false},
      {{"--trace", "t.txt", "--script", "a b.script"},
       BoardKind::usb,
       "a b.script",
       "t.txt",
       false,
       false},
      {{"--help"}, BoardKind::usb, nullptr, "", true, false},
      {{"--board", "pci"}, BoardKind::usb, nullptr, "", false, true},
      {{"--board"}, BoardKind::usb, nullptr, "", false, true},
      {{"--trace", ""}, BoardKind::usb, nullptr, "", false, true},
      {{"--verbose"}, BoardKind::usb, nullptr, "", false, true},
  };
  for (const CommandLineCase& c : cases) {
    const app::CommandLine cl = app::parse_command_line(c.args, BoardKind::usb);
    const std::string shown = testing::PrintToString(c.args);
    EXPECT_EQ(!cl.error.empty(), c.refused) << shown;
    if (c.refused) continue;
    EXPECT_EQ(cl.options.board, c.board) << shown;
    EXPECT_EQ(cl.script_path.has_value(), c.script != nullptr) << shown;
    if (c.script) {
      EXPECT_EQ(*cl.script_path, c.script) << shown;
    }
    EXPECT_EQ(cl.options.trace_path, c.trace) << shown;
    EXPECT_EQ(cl.help, c.help) << shown;
  }
  EXPECT_EQ(app::parse_command_line({}, app::BoardKind::sim).options.board, app::BoardKind::sim);
}

}  // namespace
}  // namespace quelnor::test
