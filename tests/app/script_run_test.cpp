// Operator scripts run end to end by the built quelnor-eval on the virtual board: its
// standard output must equal scripts/NAME.expected exactly, its exit code and standard
// error must be as listed, and where scripts/NAME.trace exists the register trace must
// equal it byte for byte.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "util/version.h"

namespace quelnor::test {
namespace {

namespace fs = std::filesystem;

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

struct ProgramRun {
  std::string out;
  std::string err;
  int exit_code = -1;
};

// Runs quelnor-eval in a fresh working folder with the given arguments; environment is a
// prefix such as "env -u DISPLAY".
ProgramRun run_program(const std::string& arguments, const fs::path& work,
                       const std::string& environment = "") {
  const fs::path program = fs::path(env("QUELNOR_BIN_DIR")) / "quelnor-eval";
  const std::string command = "cd '" + work.string() + "' && " + environment + " '" +
                              program.string() + "' " + arguments + " 2> stderr.txt < /dev/null";
  ProgramRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    run.out.append(buffer, n);
  }
  const int status = pclose(pipe);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = read_file(work / "stderr.txt");
  return run;
}

struct ScriptCase {
  const char* name;
  int exit_code;
  const char* stderr_has;  // "" : anything
  const char* file_made;   // a file the script saves in its working folder, or ""
};

class OperatorScript : public testing::TestWithParam<ScriptCase> {};

TEST_P(OperatorScript, PrintsExactlyTheExpectedEvents) {
  const ScriptCase& c = GetParam();
  const fs::path scripts = fs::path(env("QUELNOR_SOURCE_DIR")) / "tests/app/scripts";
  const fs::path work = fs::path(testing::TempDir()) /
                        ("quelnor-script-" + std::string(c.name) + "-" + std::to_string(getpid()));
  fs::remove_all(work);
  fs::create_directories(work);
  const fs::path script = scripts / (std::string(c.name) + ".script");
  const fs::path expected_trace = scripts / (std::string(c.name) + ".trace");
  std::string arguments = "--board sim --script '" + script.string() + "'";
  if (fs::exists(expected_trace)) arguments += " --trace trace.txt";

  const ProgramRun run = run_program(arguments, work);

  const std::string bin_dir = fs::canonical(env("QUELNOR_BIN_DIR")).string();
  const std::string expected =
      replaced(read_file(scripts / (std::string(c.name) + ".expected")), "@BIN_DIR@", bin_dir);
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(run.exit_code, c.exit_code) << run.err;
  EXPECT_NE(run.err.find(c.stderr_has), std::string::npos) << run.err;
  if (fs::exists(expected_trace)) {
    EXPECT_EQ(read_file(work / "trace.txt"), read_file(expected_trace));
  }
  if (*c.file_made != '\0') {
    const std::string made = read_file(work / c.file_made);
    EXPECT_EQ(made.rfind("Frequency,Impedance,Phase,Real,Imaginary,Magnitude,\r\n", 0), 0u)
        << made.substr(0, 200);
  }
  fs::remove_all(work);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, OperatorScript,
    testing::Values(ScriptCase{"load_and_show", 0, "", ""}, ScriptCase{"program_trace", 0, "", ""},
                    ScriptCase{"program_refused", 0, "", ""},
        ScriptCase{"options_and_measure", 0, "", ""},
                    ScriptCase{"start_up_retry_then_cancel", 1, "start-up cancelled", ""},
                    ScriptCase{"start_up_cancel", 1, "start-up cancelled", ""},
                    ScriptCase{"unknown_command", 2, "line 6: unknown command \"press\"", ""},
                    ScriptCase{"unknown_control", 2, "line 3: unknown control name \"Command9\"",
                               ""},
                    ScriptCase{"help_navigation", 0, "", ""},
                    ScriptCase{"sweep_and_export", 0, "", "impedance.csv"},
                    ScriptCase{"continuous_stop", 0, "", ""},
                    ScriptCase{"continuous_unattended", 2,
                               "line 7: the script has no line left and the continuous sweep", ""},
                    ScriptCase{"load_write_fails", 0, "", ""}),
    [](const testing::TestParamInfo<ScriptCase>& info) { return std::string(info.param.name); });

TEST(QuelnorEval, HelpPrintsUsageAndABadArgumentIsRefused) {
  const fs::path work = fs::path(testing::TempDir());
  const ProgramRun help = run_program("--help", work);
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_EQ(help.out.rfind("usage: quelnor-eval [--board sim|usb[:PATH]] [--script FILE|-]", 0), 0u);
  const ProgramRun version = run_program("--version", work);
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, std::string("quelnor-eval ") + util::program_version + "\n");
  EXPECT_NE(std::string(util::program_version).find('.'), std::string::npos);
  const ProgramRun bad = run_program("--board pci", work);
  EXPECT_EQ(bad.exit_code, 2);
  EXPECT_NE(bad.err.find("--board pci: takes sim, usb or usb:PATH"), std::string::npos) << bad.err;
  const ProgramRun missing = run_program("--board sim --script /nonexistent/x.script", work);
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_NE(missing.err.find("cannot read the script"), std::string::npos) << missing.err;
  const ProgramRun no_trace = run_program("--board sim --script - --trace /nonexistent/t", work);
  EXPECT_EQ(no_trace.exit_code, 2);
  EXPECT_NE(no_trace.err.find("/nonexistent/t"), std::string::npos) << no_trace.err;
}

TEST(QuelnorEval, TheVirtualBoardCommandsAreRefusedOnTheRealBoardNamingTheLine) {
  const fs::path work = fs::path(testing::TempDir()) / ("quelnor-usb-" + std::to_string(getpid()));
  fs::create_directories(work);
  std::ofstream(work / "usb.script") << "# on the real board\nanswer Cancel\nfault no-board\n";
  const ProgramRun run = run_program("--board usb --script usb.script", work);
  fs::remove_all(work);
  if (run.err.find("no real-board backend") != std::string::npos) {
    GTEST_SKIP() << "built without the real-board backend";
  }
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("line 3: fault acts on the virtual board only"), std::string::npos)
      << run.err;
}

TEST(QuelnorEval, WithoutADisplayTheDemonstrationRunsHeadlessAndSavesItsCsv) {
  const fs::path work = fs::path(testing::TempDir());
  const ProgramRun run =
      run_program("--board sim", work, "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("box \" sweep complete:   Press ok  \""), std::string::npos) << run.out;
  const std::string saved = "The impedance data were saved to ";
  const std::size_t at = run.out.find(saved);
  ASSERT_NE(at, std::string::npos) << run.out;
  const std::size_t end = run.out.find('\n', at);
  const fs::path csv = run.out.substr(at + saved.size(), end - at - saved.size());
  const std::string made = read_file(csv);
  EXPECT_EQ(made.rfind("Frequency,Impedance,Phase,Real,Imaginary,Magnitude,\r\n", 0), 0u);
  // Header and the 101 rows of the default sweep.
  EXPECT_EQ(std::count(made.begin(), made.end(), '\n'), 102);
  fs::remove_all(csv.parent_path());
}

}  // namespace
}  // namespace quelnor::test
