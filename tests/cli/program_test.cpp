// The whole command line: the classic options as documented, which window is left for
// main, and the subcommands reached through the one parser.
#include "cli/program.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/analyzer_command.h"
#include "util/version.h"

namespace quelnor::cli {
namespace {

struct ProgramRun {
  ProgramRequest request;
  std::string out, err;
};

ProgramRun run(const std::vector<std::string>& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  ProgramRun r;
  r.request = run_command_line(args, app::BoardKind::usb, in, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

TEST(Program, ClassicOptionsLeaveTheWindowOrRefuseWithUsage) {
  struct Case {
    std::vector<std::string> args;
    Window window;
    app::BoardKind board;
    const char* trace;
    int exit_code;
    const char* err_has;
  };
  const Case cases[] = {
      {{}, Window::classic, app::BoardKind::usb, "", 0, ""},
      {{"--board", "sim"}, Window::classic, app::BoardKind::sim, "", 0, ""},
      {{"--trace", "t.txt", "--board", "usb"},
       Window::classic,
       app::BoardKind::usb,
       "t.txt",
       0,
       ""},
      {{"--board", "pci"},
       Window::none,
       app::BoardKind::usb,
       "",
       2,
       "--board pci: takes sim, usb or usb:PATH"},
      {{"--board"}, Window::none, app::BoardKind::usb, "", 2, "--board"},
      {{"--board", "usb:1-4.2"}, Window::classic, app::BoardKind::usb, "", 0, ""},
      {{"--board", "usb:1-x"}, Window::none, app::BoardKind::usb, "", 2, "--board usb:1-x: "},
      {{"--trace", ""}, Window::none, app::BoardKind::usb, "", 2, "--trace needs a file name"},
      {{"frob"}, Window::none, app::BoardKind::usb, "", 2, "frob"},
      {{"--script", "/nonexistent/x.script"},
       Window::none,
       app::BoardKind::usb,
       "",
       2,
       "cannot read the script"},
  };
  for (const Case& c : cases) {
    const ProgramRun r = run(c.args);
    const std::string what = c.args.empty() ? "(none)" : c.args.front();
    EXPECT_EQ(r.request.window, c.window) << what;
    EXPECT_EQ(r.request.exit_code, c.exit_code) << what;
    EXPECT_NE(r.err.find(c.err_has), std::string::npos) << what << ": " << r.err;
    if (c.window == Window::classic) {
      EXPECT_EQ(r.request.options.board, c.board) << what;
      EXPECT_EQ(r.request.options.trace_path, c.trace) << what;
      const bool at_port = c.args.size() > 1 && c.args[1] == "usb:1-4.2";
      EXPECT_EQ(r.request.options.usb_port_path, at_port ? "1-4.2" : "") << what;
      EXPECT_FALSE(r.request.options.executable_dir.empty());
    }
    if (c.exit_code == 2 && c.args.front() != "--script") {
      EXPECT_NE(r.err.find("usage: quelnor-eval"), std::string::npos) << what;
    }
  }
}

TEST(Program, HelpVersionAndAScriptFromStandardInput) {
  const ProgramRun version = run({"--version"});
  EXPECT_EQ(version.out, std::string("quelnor-eval ") + util::program_version + "\n");
  EXPECT_EQ(version.request.window, Window::none);
  const ProgramRun help = run({"--help"});
  EXPECT_EQ(help.out.rfind("usage: quelnor-eval [--board sim|usb[:PATH]] [--script FILE|-]", 0), 0u);
  EXPECT_NE(help.out.find("  measure "), std::string::npos);
  EXPECT_EQ(help.request.exit_code, 0);
  const ProgramRun script = run({"--board", "sim", "--script", "-"}, "show Text1\n");
  EXPECT_EQ(script.request.window, Window::none);
  EXPECT_EQ(script.request.exit_code, 0) << script.err;
  EXPECT_NE(script.out.find("Text1"), std::string::npos) << script.out;
}

TEST(Program, SubcommandsRunThroughTheOneParser) {
  const std::string csv = (std::filesystem::temp_directory_path() /
                           ("quelnor_program_" + std::to_string(::getpid()) + ".csv"))
                              .string();
  const ProgramRun measure = run({"measure", "--points", "3", "--dut", "R10k", "--out", csv});
  EXPECT_EQ(measure.request.window, Window::none);
  EXPECT_EQ(measure.request.exit_code, 0);
  EXPECT_TRUE(std::filesystem::exists(csv));
  std::filesystem::remove(csv);
  const ProgramRun bogus = run({"measure", "--bogus"});
  EXPECT_EQ(bogus.request.exit_code, 2);
  EXPECT_NE(bogus.err.find("--bogus"), std::string::npos) << bogus.err;
  const ProgramRun missing = run({"calibrate", "--out", "x.json"});
  EXPECT_EQ(missing.request.exit_code, 2);
  EXPECT_NE(missing.err.find("--reference"), std::string::npos) << missing.err;
  const ProgramRun help = run({"measure", "--help"});
  EXPECT_EQ(help.request.exit_code, 0);
  EXPECT_NE(help.out.find("--calibration"), std::string::npos);
}

TEST(Program, AnalyzerAsksForItsWindowOnTheChosenBoard) {
  struct Case {
    std::vector<std::string> args;
    Window window;
    const char* board;
    const char* trace;
    int exit_code;
    const char* err_has;
  };
  const Case cases[] = {
      {{"analyzer"}, Window::analyzer, "usb", "", 0, ""},  // the program's default board
      {{"analyzer", "--board", "sim"}, Window::analyzer, "sim", "", 0, ""},
      {{"analyzer", "--board", "usb", "--trace", "t.txt"}, Window::analyzer, "usb", "t.txt", 0, ""},
      {{"analyzer", "--board", "pci"}, Window::none, "", "", 2, "pci"},
      {{"analyzer", "--bogus"}, Window::none, "", "", 2, "--bogus"},
  };
  for (const Case& c : cases) {
    const ProgramRun r = run(c.args);
    EXPECT_EQ(r.request.window, c.window) << r.err;
    EXPECT_EQ(r.request.exit_code, c.exit_code);
    if (c.window == Window::analyzer) {
      EXPECT_EQ(r.request.analyzer.board, c.board);
      EXPECT_EQ(r.request.analyzer.trace, c.trace);
    }
    EXPECT_NE(r.err.find(c.err_has), std::string::npos) << r.err;
  }
  EXPECT_NE(run({"--help"}).out.find("analyzer"), std::string::npos);
}

// The window's board: the virtual one paced like the chip, a USB one at the port named.
TEST(Program, TheAnalyzerOpensItsBoardInRealTimeAtThePortNamed) {
  AnalyzerOptions sim;
  sim.board = "sim";
  const BoardRequest virtual_board = analyzer_board_request(sim, "/bin");
  EXPECT_EQ(virtual_board.kind, "sim");
  EXPECT_TRUE(virtual_board.real_time);
  AnalyzerOptions usb;
  usb.board = "usb:2-1.3";
  usb.trace = "t.txt";
  const BoardRequest usb_board = analyzer_board_request(usb, "/bin");
  EXPECT_EQ(usb_board.kind, "usb");
  EXPECT_EQ(usb_board.usb_port_path, "2-1.3");
  EXPECT_EQ(usb_board.trace_path, "t.txt");
  EXPECT_EQ(usb_board.executable_dir, "/bin");
}

}  // namespace
}  // namespace quelnor::cli
