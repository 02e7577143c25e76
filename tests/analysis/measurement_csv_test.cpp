// The measurement CSV: exact writing, a lossless round trip, and what the reader refuses.
#include "analysis/measurement_csv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace quelnor::analysis {
namespace {

Spectrum sample() {
  Spectrum s;
  s.metadata = {{"instrument", "Quelnor virtual board"}, {"plan", "log 1 kHz..100 kHz, 3 points"}, {"", "free note"}};
  s.warnings = {"calibration is 8 days old"};
  s.partial = true;
  const double values[][3] = {{1000, 0.1, -1.0 / 3}, {10000.000000000002, 9999.999999999998, -5e-324},
                              {1e5, 1e300, std::nextafter(1.0, 2.0)}};
  int range = 1;
  for (const auto& v : values) {
    SpectrumPoint p;
    p.frequency_hz = v[0];
    p.impedance_ohm = {v[1], v[2]};
    p.range = range++;
    p.pga = 5;
    p.flags = 9;
    s.points.push_back(p);
  }
  return s;
}

TEST(MeasurementCsv, WritesMetadataHeaderAndRows) {
  Spectrum s;
  s.metadata = {{"dut", "R10k"}};
  SpectrumPoint p;
  p.frequency_hz = 1000;
  p.impedance_ohm = {0, -10};
  p.range = 2;
  p.pga = 1;
  p.flags = 4;
  s.points = {p};
  std::ostringstream out;
  write_measurement_csv(out, s);
  EXPECT_EQ(out.str(),
            "# dut: R10k\n"
            "frequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,range,pga,flags\n"
            "1000,0,-10,10,-90,2,1,4\n");
}

TEST(MeasurementCsv, RoundTripKeepsEveryDoubleAndTheMetadata) {
  const Spectrum s = sample();
  std::stringstream file;
  write_measurement_csv(file, s);
  const Spectrum back = read_measurement_csv(file);
  EXPECT_EQ(back.metadata, s.metadata);
  EXPECT_EQ(back.warnings, s.warnings);
  EXPECT_TRUE(back.partial);
  ASSERT_EQ(back.points.size(), s.points.size());
  for (std::size_t i = 0; i < s.points.size(); ++i) {
    EXPECT_EQ(back.points[i].frequency_hz, s.points[i].frequency_hz);
    EXPECT_EQ(back.points[i].impedance_ohm, s.points[i].impedance_ohm);
    EXPECT_EQ(back.points[i].range, s.points[i].range);
    EXPECT_EQ(back.points[i].pga, 5);
    EXPECT_EQ(back.points[i].flags, 9u);
  }
}

TEST(MeasurementCsv, ColumnsInAnyOrderOptionalOnesAbsentCrLfAndBlankLines) {
  std::istringstream file("# dut: C1n\r\n\r\nimag_ohm, frequency_hz ,real_ohm,extra\r\n-159.1,1e6,0.5,x\r\n\n");
  const Spectrum s = read_measurement_csv(file);
  ASSERT_EQ(s.points.size(), 1u);
  EXPECT_EQ(s.points[0].frequency_hz, 1e6);
  EXPECT_EQ(s.points[0].impedance_ohm, std::complex<double>(0.5, -159.1));
  EXPECT_EQ(s.points[0].range, 0);
  EXPECT_EQ(s.metadata.at(0), std::make_pair(std::string("dut"), std::string("C1n")));
  EXPECT_FALSE(s.partial);
}

TEST(MeasurementCsv, RefusesWhatIsNotAMeasurement) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"", "line 0: no header line: this is not a measurement file"},
      {"# only: metadata\n", "line 1: no header line"},
      {"frequency_hz,real_ohm\n1,2\n", "line 1: the header needs the columns frequency_hz, real_ohm and imag_ohm"},
      {"frequency_hz,real_ohm,imag_ohm\n1,2\n", "line 2: 2 fields where the header has 3"},
      {"frequency_hz,real_ohm,imag_ohm\n1,2,3\n1,2x,3\n", "line 3: \"2x\" in column real_ohm is not a number"},
      {"frequency_hz,real_ohm,imag_ohm,range\n1,2,3,\n", "line 2: \"\" in column range is not a whole number"},
      {"frequency_hz,real_ohm,imag_ohm,pga\n1,2,3,1.5\n", "line 2: \"1.5\" in column pga is not a whole number"},
  };
  for (const Case& c : cases) {
    std::istringstream file(c.text);
    try {
      read_measurement_csv(file);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const MeasurementFileError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

}  // namespace
}  // namespace quelnor::analysis
