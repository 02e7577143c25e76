// The subcommands against hostile input: bad option values and damaged, foreign or missing
// files each end with one clear line on standard error and a non-zero exit, never a crash,
// nothing on standard output and no file written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/captured_cout.h"
#include "cli/program.h"

namespace quelnor::cli {
namespace {

namespace fs = std::filesystem;

class HostileInput : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("quelnor_hostile_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    write("empty", "");
    write("binary", std::string("\x7f\x45LF\x02\x01\x01\0\0\xff\xfe", 11));
    write("words.csv", "frequency,real,imaginary\nlow,high,wide\n");
    write("short_row.csv", "1000,100,-5\n2000,100\n");
    write("one_point.csv", "1000,100,-5\n");
    write("not_json", "{\"segments\": [");
    write("overflow.json", R"({"segments": [{"start_hz": 1e999, "stop_hz": 2e3, "points": 3}]})");
    write("wrapping.json",
          R"({"segments": [{"start_hz": 1e3, "stop_hz": 2e3, "points": 18446744073709551615}]})");
    write("no_segments.json", R"({"segments": []})");
    write("plan.json", R"({"segments": [{"start_hz": 1e3, "stop_hz": 2e3, "points": 3}]})");
    write("foreign_cal.json", R"({"format": "someone else's calibration", "entries": []})");
    write("newer_cal.json", R"({"format": "quelnor-eval calibration", "schema_version": 9})");
    write("overflow_cal.json", R"({"format": "quelnor-eval calibration", "mclk_hz": -8e999})");
    fs::create_directories(dir / "folder");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }

  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
  }
  std::string path(const std::string& name) const { return (dir / name).string(); }

  fs::path dir;
};

TEST_F(HostileInput, EachRefusalIsOneLineAndANonZeroExit) {
  const std::string out = path("out.csv");
  const std::vector<std::vector<std::string>> cases = {
      // Bad option values.
      {"measure", "--points", "abc", "--out", out},
      {"measure", "--points", "-1", "--out", out},
      {"measure", "--points", "99999999999", "--out", out},
      {"measure", "--start", "0", "--out", out},
      {"measure", "--start", "-1k", "--out", out},
      {"measure", "--stop", "1e999", "--out", out},
      {"measure", "--stop", "nan", "--out", out},
      {"measure", "--start", "2k", "--stop", "1k", "--spacing", "lin", "--out", out},
      {"measure", "--spacing", "exp", "--out", out},
      {"measure", "--average", "0", "--out", out},
      {"measure", "--range", "9", "--out", out},
      {"measure", "--pga", "3", "--out", out},
      {"measure", "--repeat", "-1", "--out", out},
      {"measure", "--repeat", "x", "--out", out},
      {"measure", "--board", "pci", "--out", out},
      {"measure", "--dut", "R1k+", "--out", out},
      {"measure", "--dut", std::string(100000, '('), "--out", out},
      {"calibrate", "--reference", "R(", "--out", out},
      {"calibrate", "--reference", "R100k", "--rfb", "0", "--out", out},
      {"calibrate", "--reference", "R100k", "--rfb", "abc", "--out", out},
      {"fit", "--circuit", "R1=+", path("one_point.csv")},
      {"fit", "--circuit", "R0=100", "--weight", "heavy", path("one_point.csv")},
      {"kk", "--c", "2", path("one_point.csv")},
      {"kk", "--fit", "sideways", path("one_point.csv")},
      {"kk", "--limit", "-1", path("one_point.csv")},
      // Bad files for fit and kk.
      {"fit", "--circuit", "R0=100", path("missing.csv")},
      {"fit", "--circuit", "R0=100", path("empty")},
      {"fit", "--circuit", "R0=100", path("binary")},
      {"fit", "--circuit", "R0=100", path("folder")},
      {"fit", "--circuit", "R0=100", path("short_row.csv")},
      {"kk", path("missing.csv")},
      {"kk", path("words.csv")},
      {"kk", path("binary")},
      {"kk", path("folder")},
      {"kk", path("one_point.csv")},
      // Bad plan and calibration files for measure.
      {"measure", "--segments", path("missing.json"), "--out", out},
      {"measure", "--segments", path("not_json"), "--out", out},
      {"measure", "--segments", path("overflow.json"), "--out", out},
      {"measure", "--segments", path("wrapping.json"), "--out", out},
      {"measure", "--segments", path("no_segments.json"), "--out", out},
      {"measure", "--segments", path("binary"), "--out", out},
      {"measure", "--segments", path("folder"), "--out", out},
      {"measure", "--segments", path("plan.json"), "--start", "1k", "--out", out},
      {"measure", "--calibration", path("missing.json"), "--out", out},
      {"measure", "--calibration", path("empty"), "--out", out},
      {"measure", "--calibration", path("plan.json"), "--out", out},
      {"measure", "--calibration", path("foreign_cal.json"), "--out", out},
      {"measure", "--calibration", path("newer_cal.json"), "--out", out},
      {"measure", "--calibration", path("overflow_cal.json"), "--out", out},
      {"measure", "--calibration", path("folder"), "--out", out},
  };
  for (const std::vector<std::string>& args : cases) {
    std::string what;
    for (const std::string& a : args) what += " " + (a.size() > 40 ? a.substr(0, 40) + "..." : a);
    std::istringstream in;
    std::ostringstream out_stream, err_stream;
    ProgramRequest request;
    std::string printed, complained;
    {
      testing::CapturedCout cout_text;
      testing::CapturedCout cerr_text(std::cerr);
      request = run_command_line(args, app::BoardKind::sim, in, out_stream, err_stream);
      printed = cout_text.text() + out_stream.str();
      complained = cerr_text.text() + err_stream.str();
    }
    EXPECT_NE(request.exit_code, 0) << what;
    EXPECT_EQ(request.window, Window::none) << what;
    EXPECT_TRUE(printed.empty()) << what << ": printed " << printed;
    // One line that says what is wrong; a usage hint may follow on its own line.
    ASSERT_FALSE(complained.empty()) << what;
    const std::string first = complained.substr(0, complained.find('\n'));
    EXPECT_GT(first.size(), 10u) << what << ": " << complained;
    EXPECT_LT(first.size(), 400u) << what << ": " << complained;
    EXPECT_LE(std::count(complained.begin(), complained.end(), '\n'), 2)
        << what << ": " << complained;
    EXPECT_FALSE(fs::exists(out)) << what;
  }
}

}  // namespace
}  // namespace quelnor::cli
