// Reading the three impedance text formats, and a table of damaged files each refused
// with its line.
#include "analysis/impedance_file.h"

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
