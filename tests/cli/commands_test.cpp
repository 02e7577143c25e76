// calibrate and measure end to end on the virtual board: calibrations taken and extended,
// measurement files read back, the options as parsed by CLI11, and one-line refusals.
#include <gtest/gtest.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/measurement_file_writer.h"
#include "cli/calibrate_command.h"
#include "cli/measure_command.h"
#include "instrument/calibration_file.h"
#include "instrument/reference_impedance.h"
#include "support/csv_fields.h"

namespace quelnor::cli {
namespace {

namespace fs = std::filesystem;

struct Csv {
  std::vector<std::string> metadata;  // '#' lines without the "# "
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
};

Csv parse_csv(const std::string& text) {
  Csv csv;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("# ", 0) == 0) {
      csv.metadata.push_back(line.substr(2));
    } else if (csv.header.empty()) {
      csv.header = test::csv_fields(line);
    } else {
      csv.rows.push_back(test::csv_fields(line));
    }
  }
  return csv;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("quelnor_cli_" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  PlanOptions plan(int points) const {
    PlanOptions p;
    p.points = points;
    return p;
  }

  int calibrate_with(const std::string& reference, const std::string& out, int points = 20) {
    CalibrateOptions o;
    o.reference = reference;
    o.out = out;
    o.append = true;
    o.plan = plan(points);
    o.plan.average = 4;
    return run_calibrate(o, out_text, err_text);
  }

  fs::path dir;
  std::ostringstream out_text, err_text;
};

TEST_F(Commands, CalibrateWithFourReferencesThenMeasureANetworkAccurately) {
  const std::string cal = (dir / "cal.json").string();
  for (const char* reference : {"R15k", "R100k", "R470k", "R2.2M"}) {
    ASSERT_EQ(calibrate_with(reference, cal), 0) << err_text.str();
  }
  EXPECT_NE(err_text.str().find("skipped range 1 pga x5: the signal reaches"), std::string::npos);
  EXPECT_EQ(instrument::load_calibration(cal).entries.size(), 8u);

  MeasureOptions m;
  m.calibration = cal;
  m.dut = "R47k+C1n";
  m.plan = plan(20);
  std::ostringstream csv_text, messages;
  ASSERT_EQ(run_measure(m, csv_text, messages), 0) << messages.str();
  const Csv csv = parse_csv(csv_text.str());
  EXPECT_EQ(
      csv.header,
      test::csv_fields("frequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,range,pga,flags"));
  EXPECT_NE(std::find(csv.metadata.begin(), csv.metadata.end(), "calibration: " + cal),
            csv.metadata.end());
  EXPECT_NE(std::find(csv.metadata.begin(), csv.metadata.end(), "board: virtual"),
            csv.metadata.end());
  ASSERT_EQ(csv.rows.size(), 20u);
  for (const std::vector<std::string>& row : csv.rows) {
    ASSERT_EQ(row.size(), 8u);
    const double hz = std::stod(row[0]);
    const std::complex<double> z{std::stod(row[1]), std::stod(row[2])};
    const std::complex<double> truth = instrument::circuit_impedance("R47k+C1n", hz);
    EXPECT_NEAR(std::abs(z) / std::abs(truth), 1.0, 0.005) << hz;
    EXPECT_NEAR(std::stod(row[4]), analysis::phase_deg(truth), 0.5) << hz;
    EXPECT_EQ(row[7], "") << hz;
  }
}

TEST_F(Commands, OptionsParsedByCli11ReachTheRunAndTheTraceCountsTheRequests) {
  const fs::path csv_path = dir / "m.csv";
  const fs::path trace_path = dir / "t.txt";
  CLI::App app;
  int exit_code = -1;
  add_measure_command(app, exit_code);
  std::vector<std::string> args{"measure",
                                "--board",
                                "sim",
                                "--dut",
                                "R10k",
                                "--start",
                                "10k",
                                "--stop",
                                "20k",
                                "--points",
                                "7",
                                "--spacing",
                                "lin",
                                "--range",
                                "4",
                                "--pga",
                                "1",
                                "--out",
                                csv_path.string(),
                                "--trace",
                                trace_path.string()};
  std::reverse(args.begin(), args.end());  // CLI11 takes them last first
  app.parse(args);
  ASSERT_EQ(exit_code, 0);
  const Csv csv = parse_csv(read_file(csv_path));
  ASSERT_EQ(csv.rows.size(), 7u);
  for (const std::vector<std::string>& row : csv.rows) {
    EXPECT_EQ(row[5], "4");
    EXPECT_EQ(row[6], "1");
    EXPECT_EQ(row[7], "uncalibrated");
  }
  EXPECT_NEAR(std::stod(csv.rows.back()[0]), 20e3, 1.0);
  const std::string trace = read_file(trace_path);
  EXPECT_NE(trace.find("W 80 23\n"), std::string::npos);  // start sweep, range 4, gain x1
  const auto lines_starting = [&](const std::string& prefix) {
    int n = 0;
    for (std::size_t at = 0; (at = trace.find("\n" + prefix, at)) != std::string::npos; ++at) ++n;
    return n;
  };
  EXPECT_EQ(lines_starting("W 80 33"), 6);  // the chip's increment between the 7 points
  EXPECT_EQ(lines_starting("R 8F"), 8);     // one status read per point, one for the temperature
}

TEST_F(Commands, RepeatedRunsAndSegmentFiles) {
  const fs::path segments = dir / "plan.json";
  std::ofstream(segments) << R"({"segments": [
      {"start_hz": 1000, "stop_hz": 5000, "points": 3, "spacing": "log"},
      {"start_hz": 10000, "stop_hz": 20000, "points": 4, "spacing": "lin", "average": 2}]})";
  MeasureOptions m;
  m.plan.segments = segments.string();
  m.repeat = 2;
  std::ostringstream csv_text, messages;
  ASSERT_EQ(run_measure(m, csv_text, messages), 0) << messages.str();
  const Csv csv = parse_csv(csv_text.str());
  EXPECT_EQ(csv.header.front(), "pass");
  ASSERT_EQ(csv.rows.size(), 14u);
  EXPECT_EQ(csv.rows[6][0], "1");
  EXPECT_EQ(csv.rows[7][0], "2");
  EXPECT_GT(std::stod(csv.rows[7][1]), std::stod(csv.rows[6][1]));
  EXPECT_NEAR(std::stod(csv.rows[7][2]), 27.5, 2.5);
}

TEST_F(Commands, MismatchedCalibrationIsWarnedOnceBeforeTheRunAndFlagsTheRows) {
  const std::string cal = (dir / "narrow.json").string();
  CalibrateOptions c;
  c.reference = "R47k";
  c.out = cal;
  c.range = "4";
  c.pga = "1";
  c.plan.start = "10k";
  c.plan.stop = "20k";
  c.plan.points = 5;
  ASSERT_EQ(run_calibrate(c, out_text, err_text), 0) << err_text.str();
  MeasureOptions m;
  m.calibration = cal;
  m.dut = "R20k";
  m.plan.points = 5;
  std::ostringstream csv_text, messages;
  ASSERT_EQ(run_measure(m, csv_text, messages), 0) << messages.str();
  const std::string text = messages.str();
  const std::string warning =
      "warning: the plan goes outside the calibrated frequencies of range 4 pga x1";
  EXPECT_EQ(text.find(warning), text.rfind(warning)) << text;
  EXPECT_NE(text.find(warning), std::string::npos) << text;
  const Csv csv = parse_csv(csv_text.str());
  ASSERT_EQ(csv.rows.size(), 5u);
  EXPECT_EQ(csv.rows.front()[7], "extrapolated");
  EXPECT_TRUE(std::any_of(csv.metadata.begin(), csv.metadata.end(),
                          [&](const std::string& line) { return line.rfind(warning, 0) == 0; }));
}

TEST_F(Commands, RefusalsAreOneLineNamingTheCause) {
  const fs::path damaged = dir / "damaged.json";
  std::ofstream(damaged) << "{\"format\": \"quelnor-eval calibration\", \"schema_version\": 1";
  const std::string damaged_before = read_file(damaged);
  const fs::path bad_plan = dir / "bad.json";
  std::ofstream(bad_plan)
      << R"({"segments": [{"start_hz": 1000, "stop_hz": 5000, "points": "3"}]})";
  struct Case {
    const char* what;
    std::function<int(std::ostream&, std::ostream&)> run;
    std::string expected;
  };
  const auto measure_with = [](std::function<void(MeasureOptions&)> edit) {
    return [edit](std::ostream& out, std::ostream& err) {
      MeasureOptions m;
      m.plan.points = 3;
      edit(m);
      return run_measure(m, out, err);
    };
  };
  const auto calibrate_with_options = [&](std::function<void(CalibrateOptions&)> edit) {
    return [edit, this](std::ostream& out, std::ostream& err) {
      CalibrateOptions c;
      c.reference = "R100k";
      c.out = (dir / "new.json").string();
      c.plan.points = 3;
      edit(c);
      return run_calibrate(c, out, err);
    };
  };
  const Case cases[] = {
      {"range", measure_with([](MeasureOptions& m) { m.range = "7"; }),
       "--range takes 1, 2, 3, 4 or auto, not \"7\""},
      {"pga", measure_with([](MeasureOptions& m) { m.pga = "2"; }), "--pga takes 1, 5 or auto"},
      {"points", measure_with([](MeasureOptions& m) { m.plan.points = 0; }), "segment 1: points 0"},
      {"damaged", measure_with([&](MeasureOptions& m) { m.calibration = damaged.string(); }),
       damaged.string() + ": not a JSON document"},
      {"plan file", measure_with([&](MeasureOptions& m) { m.plan.segments = bad_plan.string(); }),
       bad_plan.string() + ": segments[0].points: is not a whole number"},
      {"dut", measure_with([](MeasureOptions& m) { m.dut = "R10k||"; }),
       "--dut R10k||: at position"},
      {"out", measure_with([](MeasureOptions& m) { m.out = "/nonexistent/x.csv"; }),
       "cannot write /nonexistent/x.csv"},
      {"repeat", measure_with([](MeasureOptions& m) { m.repeat = -1; }), "--repeat must be 0"},
      {"board path", measure_with([&](MeasureOptions& m) {
         m.board = "usb:1-x";
         m.out = damaged.string();
       }),
       "--board usb:1-x: "},
      {"calibrate board", calibrate_with_options([](CalibrateOptions& c) { c.board = "pci"; }),
       "--board pci: takes sim, usb or usb:PATH"},
      {"reference", calibrate_with_options([](CalibrateOptions& c) { c.reference = "R1x"; }),
       "--reference R1x: at position"},
      {"rfb", calibrate_with_options([](CalibrateOptions& c) { c.rfb = "0"; }),
       "--rfb must be above 0"},
      {"calibrate range", calibrate_with_options([](CalibrateOptions& c) { c.range = "auto"; }),
       "--range takes 1, 2, 3, 4 or all"},
      {"append damaged", calibrate_with_options([&](CalibrateOptions& c) {
         c.out = damaged.string();
         c.append = true;
       }),
       damaged.string() + ": not a JSON document"},
      {"nothing usable", calibrate_with_options([](CalibrateOptions& c) {
         c.reference = "R100M";
         c.range = "4";
         c.pga = "1";
       }),
       "no range/PGA combination had a usable signal with R100M; nothing written"},
  };
  for (const Case& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(c.run(out, err), 1) << c.what;
    const std::string text = err.str();
    EXPECT_NE(text.find(c.expected), std::string::npos) << c.what << ": " << text;
    EXPECT_EQ(text.back(), '\n') << c.what;
    // The reason is the last line (a calibration lists what it skipped before it).
    const std::size_t last_line = text.rfind('\n', text.size() - 2);
    EXPECT_EQ(text.compare(last_line == std::string::npos ? 0 : last_line + 1, 13, "quelnor-eval "),
              0)
        << c.what << ": " << text;
  }
  EXPECT_EQ(read_file(damaged), damaged_before);
  EXPECT_FALSE(fs::exists(dir / "new.json"));
}

}  // namespace
}  // namespace quelnor::cli
