// Reading the three impedance text formats, and a table of damaged files each refused
// with its line.
#include "analysis/impedance_file.h"

#include <limits>
#include <vector>

#include "analysis/measurement_file_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "model/measurement_data.h"
#include "ui/csv_export.h"

namespace quelnor::analysis {
namespace {

constexpr double pi = 3.14159265358979323846;

TEST(ImpedanceFile, ReadsTheMeasurementCsvWithMetadataAndFlags) {
  const Spectrum s = read_impedance_text(
      "# quelnor-eval measurement\n"
      "# board: virtual 1\n"
      "# calibration:  cal-2026.json \n"
      "frequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,range,pga,flags\n"
      "1000,199.5,-12.25,199.876,-3.51,1,1,\n"
      "2000.5,1e3,5e-1,1000,0.03,4,5,clipped|extrapolated\r\n"
      "\n"
      "3000,-1,0,1,180,0,0,low-signal|uncalibrated\n");
  ASSERT_EQ(s.points.size(), 3u);
  EXPECT_EQ(s.points[0].frequency_hz, 1000);
  EXPECT_EQ(s.points[0].impedance_ohm, std::complex<double>(199.5, -12.25));
  EXPECT_EQ(s.points[0].range, 1);
  EXPECT_EQ(s.points[0].flags, 0u);
  EXPECT_EQ(s.points[1].frequency_hz, 2000.5);
  EXPECT_EQ(s.points[1].impedance_ohm, std::complex<double>(1000, 0.5));
  EXPECT_EQ(s.points[1].pga, 5);
  EXPECT_EQ(s.points[1].flags, point_flag::clipped | point_flag::extrapolated);
  EXPECT_EQ(s.points[2].flags, point_flag::low_signal | point_flag::uncalibrated);
  ASSERT_EQ(s.metadata.size(), 2u);
  EXPECT_EQ(s.metadata[0], (std::pair<std::string, std::string>("board", "virtual 1")));
  EXPECT_EQ(s.metadata[1].second, "cal-2026.json");
}

TEST(ImpedanceFile, ReadsRepeatedRunsWithPassTimeAndTemperature) {
  const Spectrum s = read_impedance_text(
      "pass,time_s,temperature_c,frequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,range,"
      "pga,flags\n"
      "1,0.5,27.25,1000,100,-1,100.005,-0.57,1,1,\n"
      "2,1.5,,1000,101,-1,101.005,-0.57,1,1,\n");
  ASSERT_EQ(s.points.size(), 2u);
  EXPECT_EQ(s.points[1].pass, 2);
  EXPECT_EQ(s.points[1].time_s, 1.5);
  EXPECT_EQ(s.points[0].temperature_c, 27.25);
  EXPECT_TRUE(std::isnan(s.points[1].temperature_c));
}

// The classic window's export, exactly as its writer makes it: |Z| and phase give Z.
// What the measurement file writer writes reads back exactly: every double (denormals,
// the largest exponents, a point without signal), metadata in order, warnings, the partial
// flag, flags and the repeated-run columns.
TEST(ImpedanceFile, ReadsBackExactlyWhatTheMeasurementWriterWrites) {
  for (const bool repeated : {false, true}) {
    Spectrum s;
    s.metadata = {{"instrument", "Quelnor virtual board"}, {"plan", "log 1 kHz..100 kHz, 3 points"}};
    s.warnings = {"calibration is 8 days old", "no calibration entry for range 4"};
    s.partial = true;
    const double values[][3] = {{1000, 0.1, -1.0 / 3},
                                {10000.000000000002, 9999.999999999998, -5e-324},
                                {1e5, 1e300, std::nextafter(1.0, 2.0)},
                                {2e5, std::numeric_limits<double>::infinity(), 0.0}};
    int range = 1;
    for (const auto& v : values) {
      SpectrumPoint p;
      p.frequency_hz = v[0];
      p.impedance_ohm = {v[1], v[2]};
      p.range = range++;
      p.pga = 5;
      p.flags = point_flag::clipped | point_flag::extrapolated;
      if (repeated) {
        p.pass = range / 2;
        p.time_s = 0.1 * range;
        p.temperature_c = range == 3 ? std::nan("") : 25.0 + 1.0 / range;
      }
      s.points.push_back(p);
    }
    const Spectrum back = read_impedance_text(measurement_file_text(s));
    ASSERT_GE(back.metadata.size(), 1u);
    EXPECT_EQ(back.metadata.front().first, "program");
    EXPECT_EQ(std::vector(back.metadata.begin() + 1, back.metadata.end()), s.metadata);
    EXPECT_EQ(back.warnings, s.warnings);
    EXPECT_TRUE(back.partial);
    ASSERT_EQ(back.points.size(), s.points.size());
    for (std::size_t i = 0; i < s.points.size(); ++i) {
      const SpectrumPoint& a = s.points[i];
      const SpectrumPoint& b = back.points[i];
      EXPECT_EQ(b.frequency_hz, a.frequency_hz);
      EXPECT_EQ(b.impedance_ohm, a.impedance_ohm) << i;
      EXPECT_EQ(b.range, a.range);
      EXPECT_EQ(b.pga, 5);
      EXPECT_EQ(b.flags, a.flags);
      EXPECT_EQ(b.pass, a.pass);
      EXPECT_EQ(b.time_s, a.time_s);
      EXPECT_EQ(std::isnan(b.temperature_c), std::isnan(a.temperature_c));
      if (!std::isnan(a.temperature_c)) EXPECT_EQ(b.temperature_c, a.temperature_c);
    }
  }
}

TEST(ImpedanceFile, MeasurementColumnsInAnyOrderOptionalOnesAbsentCrLfAndBlankLines) {
  const Spectrum s = read_impedance_text(
      "# dut: C1n\r\n# a plain comment\r\n\r\nimag_ohm, frequency_hz ,real_ohm,extra\r\n-159.1,1e6,0.5,x\r\n\n");
  ASSERT_EQ(s.points.size(), 1u);
  EXPECT_EQ(s.points[0].frequency_hz, 1e6);
  EXPECT_EQ(s.points[0].impedance_ohm, std::complex<double>(0.5, -159.1));
  EXPECT_EQ(s.points[0].range, 0);
  ASSERT_EQ(s.metadata.size(), 1u);
  EXPECT_EQ(s.metadata.at(0), std::make_pair(std::string("dut"), std::string("C1n")));
  EXPECT_FALSE(s.partial);
}

TEST(ImpedanceFile, ReadsTheClassicExport) {
  model::SweepTable table;
  table.frequency[0] = 30000;
  table.impedance[0] = 200e3;
  table.phase[0] = -30;
  table.frequency[1] = 30100;
  table.impedance[1] = 150e3;
  table.phase[1] = 300;  // the same angle as -60
  table.real_part[1] = -123;
  const Spectrum s = read_impedance_text(ui::csv_block(table, 2));
  ASSERT_EQ(s.points.size(), 2u);
  EXPECT_EQ(s.points[0].frequency_hz, 30000);
  EXPECT_NEAR(s.points[0].impedance_ohm.real(), 200e3 * std::cos(pi / 6), 1e-6);
  EXPECT_NEAR(s.points[0].impedance_ohm.imag(), -100e3, 1e-6);
  EXPECT_NEAR(s.points[1].impedance_ohm.imag(), -150e3 * std::sin(pi / 3), 1e-6);
}

TEST(ImpedanceFile, ReadsPlainThreeColumnsWithAnySeparator) {
  const char* texts[] = {
      "1000,100,-50\n2000,90,-40\n",
      "# exported by hand\nfreq,Z',Z''\n1000, 100, -50\n2000 ,90,-40,\n",
      "f;re;im\r\n1e3;1E2;-5e1\r\n2e3;+90;-40\r\n",
      "1000\t100\t-50\n  2000   90  -40\n",
  };
  for (const char* text : texts) {
    const Spectrum s = read_impedance_text(text);
    ASSERT_EQ(s.points.size(), 2u) << text;
    EXPECT_EQ(s.points[0].impedance_ohm, std::complex<double>(100, -50)) << text;
    EXPECT_EQ(s.points[1].frequency_hz, 2000) << text;
    EXPECT_EQ(s.points[1].impedance_ohm, std::complex<double>(90, -40)) << text;
    EXPECT_TRUE(s.metadata.empty()) << text;
  }
}

TEST(ImpedanceFile, DamagedFilesAreRefusedNamingTheLine) {
  const std::string header =
      "frequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,range,pga,flags\n";
  struct Case {
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {"", "line 1: expected impedance data, found the end of the file"},
      {"# only a comment\n\n", "line 3: expected impedance data, found the end of the file"},
      {"f,re,im\n", "line 2: expected impedance data, found the end of the file"},
      {header, "line 2: expected impedance data, found the end of the file"},
      {"1000,100\n", "line 1: expected 3 fields, found 2"},
      {"1000,100,-5,7\n", "line 1: expected 3 fields, found 4"},
      {"1000,100,-5\n2000,abc,-4\n", "line 2: expected a number for the real part, not 'abc'"},
      {"1000,100,-5\nf,re,im\n", "line 2: expected a number for the frequency, not 'f'"},
      {"0,100,-5\n", "line 1: expected a frequency above 0 Hz, not '0'"},
      {"-10,100,-5\n", "line 1: expected a frequency above 0 Hz, not '-10'"},
      {"1000,nan,-5\n", "line 1: expected a number for the real part, not 'nan'"},
      {"1000,100,inf\n", "line 1: expected a number for the imaginary part, not 'inf'"},
      {"1000,1e999,1\n", "line 1: expected a number for the real part, not '1e999'"},
      {"1000,100,-5 ohm\n", "line 1: expected a number for the imaginary part, not '-5 ohm'"},
      {header + "1000,1,2,3,4,1,1\n", "line 2: expected 8 fields, found 7"},
      {header + "1000,1,2,3,4,9,1,\n", "line 2: expected a range from 0 to 4, not '9'"},
      {header + "1000,1,2,3,4,1,x,\n", "line 2: expected a PGA gain from 0 to 5, not 'x'"},
      {header + "1000,1,2,3,4,1,1,clipped|hot\n",
       "line 2: unknown flag 'hot' (expected clipped, low-signal, uncalibrated or extrapolated)"},
      {header + "1000,1,2,,4,1,1,\n", "line 2: expected a number for the magnitude, not ''"},
      {"pass,time_s,temperature_c," + header + "x,0,25,1000,1,2,3,4,1,1,\n",
       "line 2: expected a pass from 0 to 1000000000, not 'x'"},
      {"Frequency,Impedance,Phase,Real,Imaginary,Magnitude,\r\n 1000 , 5 , 3 , 1 , 2 \r\n",
       "line 2: expected 6 fields, found 5"},
      {"Frequency,Impedance,Phase,Real,Imaginary,Magnitude,\r\n 1000 , 5 ,deg, 1 , 2 , 3 \r\n",
       "line 2: expected a number for the phase, not 'deg'"},
      {"frequency_hz,real_ohm,imag_ohm\n1,2\n", "line 2: expected 3 fields, found 2"},
      {"frequency_hz,real_ohm,imag_ohm,range\n1,2,3,\n", "line 2: expected a range from 0 to 4, not ''"},
      {"frequency_hz,real_ohm,imag_ohm,pga\n1,2,3,1.5\n", "line 2: expected a PGA gain from 0 to 5, not '1.5'"},
      {"frequency_hz,real_ohm,imag_ohm\n1,2,3\n1,2x,3\n",
       "line 3: expected a number for the real part, not '2x'"},
      {"frequency_hz,real_ohm,imag_ohm\ninf,2,3\n", "line 2: expected a number for the frequency, not 'inf'"},
      {std::string("1000,100,-5\n\x01\xff,2,3\n"),
       "line 2: expected a number for the frequency, not '\x01\xff'"},
  };
  for (const Case& c : cases) {
    try {
      read_impedance_text(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(std::string(error.what()), c.message) << c.text;
    }
  }
}

TEST(ImpedanceFile, FileErrorsNameTheFile) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("quelnor_impedance_file_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto good = folder / "good.csv";
  const auto bad = folder / "bad.csv";
  std::ofstream(good) << "1000,100,-50\n";
  std::ofstream(bad) << "1000,100,-50\n1000,x,1\n";
  EXPECT_EQ(read_impedance_file(good).points.size(), 1u);
  try {
    read_impedance_file(bad);
    ADD_FAILURE() << "accepted a damaged file";
  } catch (const std::invalid_argument& error) {
    EXPECT_EQ(std::string(error.what()),
              bad.string() + ": line 2: expected a number for the real part, not 'x'");
  }
  EXPECT_THROW(read_impedance_file(folder / "missing.csv"), std::invalid_argument);
  EXPECT_THROW(read_impedance_file(folder), std::invalid_argument);  // a folder
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quelnor::analysis
