// A whole program on the virtual board for the application tests: virtual clock, scripted
// dialogs, the script pump (to act at servicing points), recording charts, and the
// register trace read back from its file.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/application.h"
#include "app/form1.h"
#include "app/script_pump.h"
#include "model/strip_chart.h"
#include "sim/virtual_board.h"
#include "support/bin_dir.h"
#include "support/scripted_dialogs.h"
#include "util/clock.h"

namespace quelnor::test {

inline std::string fresh_path(const std::string& name) {
  static int counter = 0;
  return (std::filesystem::path(testing::TempDir()) /
          (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter)))
      .string();
}

inline app::ApplicationOptions sim_options(const std::string& trace_path) {
  app::ApplicationOptions options;
  options.board = app::BoardKind::sim;
  options.executable_dir = bin_dir();
  options.trace_path = trace_path;
  return options;
}

struct AppUnderTest {
  util::VirtualClock clock;
  ScriptedDialogs dialogs;
  app::ScriptPump pump;
  model::RecordingStripChart strip1, strip2;
  std::string trace_path = fresh_path("trace");
  app::Application app{sim_options(trace_path), {clock, dialogs, pump, strip1, strip2}};

  // Start-up and the load steps, as the program runs them.
  AppUnderTest() {
    EXPECT_TRUE(app.start_up());
    app.load();
  }
  ~AppUnderTest() { std::filesystem::remove(trace_path); }

  app::OperatorActions& act() { return app.actions(); }
  model::Form1Controls& form() { return app.session().form; }
  sim::VirtualBoard& board() { return *app.virtual_board(); }

  std::vector<std::string> trace() const {
    std::ifstream file(trace_path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }
  std::vector<std::string> box_texts() const { return dialogs.box_texts(); }
  // Every control of the main window and every window's visibility, as "show" prints it.
  std::string snapshot() {
    static const char* const names[] = {"Form1",
                                        "Form2",
                                        "Form3",
                                        "Form4",
                                        "Form5",
                                        "Form6",
                                        "Form7",
                                        "help",
                                        "Text1",
                                        "Text2",
                                        "Text3",
                                        "Text4",
                                        "Text7",
                                        "ExternalClock",
                                        "InternalClock",
                                        "Option3",
                                        "Option4",
                                        "Option5",
                                        "Option6",
                                        "Option1",
                                        "Option2",
                                        "Frm_choose_impedence_type",
                                        "Opt_resistor",
                                        "Opt_capacitor",
                                        "Optresistorandcapseries",
                                        "Optresisandcapparallel",
                                        "Complex",
                                        "Label17",
                                        "Text10",
                                        "Label19",
                                        "Text11",
                                        "Label5",
                                        "Text6",
                                        "Command2",
                                        "Multiply_by_one",
                                        "Multiply_by_two",
                                        "Multiply_by_four",
                                        "Option7",
                                        "Option8",
                                        "Command6",
                                        "Label20",
                                        "Text5",
                                        "Command5",
                                        "Label10",
                                        "Label8",
                                        "Label9",
                                        "Continuous_sweep_text",
                                        "Check1",
                                        "Command1",
                                        "PBar",
                                        "Download_data",
                                        "SSTab1",
                                        "Strip1",
                                        "Strip2"};
    std::string out;
    for (const char* name : names) out += act().describe(name) + "\n";
    return out;
  }
};

}  // namespace quelnor::test
