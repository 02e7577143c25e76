// The measurement file: metadata lines, the header of single and repeated runs, numbers
// that read back as the same doubles, phase range and flag names.
#include "analysis/measurement_file_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/impedance_file.h"
#include "support/csv_fields.h"
#include "util/version.h"

namespace quelnor::analysis {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

Spectrum sample() {
  Spectrum s;
  s.metadata = {{"board", "virtual"}, {"plan", "1000-2000 Hz\nlin"}};
  s.warnings = {"no calibration"};
  s.points.push_back({999.99237060546875,
                      {1.0 / 3.0, -2e-300},
                      4,
                      1,
                      point_flag::clipped | point_flag::extrapolated});
  s.points.push_back({1e5, {-123456.789, -1e-9}, 1, 5, 0});
  s.points.push_back({2e5, {-5.0, 0.0}, 2, 1, point_flag::low_signal | point_flag::uncalibrated});
  return s;
}

TEST(MeasurementFile, MetadataHeaderAndRowsOfASingleRun) {
  Spectrum s = sample();
  s.partial = true;
  const std::string text = measurement_file_text(s);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  const std::vector<std::string> lines = lines_of(text);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], std::string("# program: quelnor-eval ") + util::program_version);
  EXPECT_EQ(lines[1], "# board: virtual");
  EXPECT_EQ(lines[2], "# plan: 1000-2000 Hz lin");  // one line per key
  EXPECT_EQ(lines[3], "# warning: no calibration");
  EXPECT_EQ(lines[4], "# partial: yes");
  EXPECT_EQ(lines[5], "frequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,range,pga,flags");
  EXPECT_EQ(test::csv_fields(lines[6])[7], "clipped|extrapolated");
  EXPECT_EQ(test::csv_fields(lines[7])[7], "");
  EXPECT_EQ(test::csv_fields(lines[8])[7], "low-signal|uncalibrated");
  EXPECT_EQ(test::csv_fields(lines[8])[5], "2");
  EXPECT_EQ(test::csv_fields(lines[8])[6], "1");
}

TEST(MeasurementFile, NumbersReadBackToTheSameDoubleAndPhaseLiesInTheHalfOpenRange) {
  const Spectrum s = sample();
  const std::vector<std::string> lines = lines_of(measurement_file_text(s));
  for (std::size_t i = 0; i < s.points.size(); ++i) {
    const std::vector<std::string> f = test::csv_fields(lines[lines.size() - s.points.size() + i]);
    ASSERT_EQ(f.size(), 8u);
    const SpectrumPoint& p = s.points[i];
    EXPECT_EQ(std::strtod(f[0].c_str(), nullptr), p.frequency_hz);
    EXPECT_EQ(std::strtod(f[1].c_str(), nullptr), p.impedance_ohm.real());
    EXPECT_EQ(std::strtod(f[2].c_str(), nullptr), p.impedance_ohm.imag());
    EXPECT_EQ(std::strtod(f[3].c_str(), nullptr), std::abs(p.impedance_ohm));
    const double phase = std::strtod(f[4].c_str(), nullptr);
    EXPECT_GT(phase, -180.0);
    EXPECT_LE(phase, 180.0);
  }
  // -5 - 0j lies on the negative real axis: +180, never -180.
  EXPECT_EQ(phase_deg({-5.0, -0.0}), 180.0);
  EXPECT_EQ(phase_deg({0.0, -1.0}), -90.0);
  for (const double v : {0.1, 1e-320, -std::numeric_limits<double>::max(), 123456789.123456789}) {
    EXPECT_EQ(std::strtod(exact_number(v).c_str(), nullptr), v);
  }
  EXPECT_EQ(exact_number(std::numeric_limits<double>::infinity()), "inf");
}

TEST(MeasurementFile, RepeatedRunsPutPassTimeAndTemperatureFirst) {
  Spectrum s = sample();
  for (SpectrumPoint& p : s.points) {
    p.pass = 2;
    p.time_s = 12.5;
    p.temperature_c = 27.25;
  }
  const std::vector<std::string> lines = lines_of(measurement_file_text(s));
  EXPECT_EQ(lines[4],
            "pass,time_s,temperature_c,frequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,"
            "range,pga,flags");
  const std::vector<std::string> f = test::csv_fields(lines[5]);
  ASSERT_EQ(f.size(), 11u);
  EXPECT_EQ(f[0], "2");
  EXPECT_EQ(f[1], "12.5");
  EXPECT_EQ(f[2], "27.25");
}

// What the writer writes, the reader reads: also a pass without its temperature and an
// impedance whose size lies beyond the double range.
TEST(MeasurementFile, EdgeRowsReadBackBitForBit) {
  constexpr double largest = std::numeric_limits<double>::max();
  Spectrum s;
  s.points.push_back({1e3, {-largest, -largest}, 1, 1, 0});
  s.points.push_back({2e3, {largest, 0.5}, 2, 5, point_flag::clipped});
  s.points[0].pass = 1;
  s.points[0].time_s = 0.25;  // temperature left NaN: not read
  s.points[1].pass = 2;
  s.points[1].time_s = 1.25;
  s.points[1].temperature_c = -0.0;
  const Spectrum read = read_impedance_text(measurement_file_text(s));
  ASSERT_EQ(read.points.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(read.points[k].impedance_ohm, s.points[k].impedance_ohm);
    EXPECT_EQ(read.points[k].flags, s.points[k].flags);
    EXPECT_EQ(read.points[k].pass, s.points[k].pass);
  }
  EXPECT_TRUE(std::isnan(read.points[0].temperature_c));
  EXPECT_TRUE(std::signbit(read.points[1].temperature_c));
}

}  // namespace
}  // namespace quelnor::analysis
