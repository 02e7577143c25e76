// Calibration files: an exact round trip, and damaged, truncated or foreign files refused
// with the file and the fault named.
#include "instrument/calibration_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

namespace quelnor::instrument {
namespace {

CalibrationSet sample_set() {
  CalibrationSet set;
  set.feedback_resistance_ohm = 47e3;
  set.clock = ClockSource::internal;
  set.mclk_hz = 16.776e6;
  set.settling_cycles = 100;
  set.settling_multiplier = 4;
  set.board = "1-1.4";
  set.taken_at = "2026-12-10T14:00:00Z";
  set.temperature_c = 27.34375;
  CalibrationEntry e;
  e.range = 3;
  e.pga = 5;
  e.frequency_hz = {999.99237060546875, 1.0 / 3.0 * 1e5};
  e.references.push_back(
      {"R100k||C22p", "2026-12-10T13:59:00Z", NAN, 4, {{1.1, -2.2}, {0.1, 1e-300}}});
  e.points = {{e.frequency_hz[0], 5.1234567890123456e-10, 150.72999999999999, 600.1, -0.3},
              {e.frequency_hz[1], 5.2e-10, -179.99999999, 1e-17, 3.0}};
  set.entries.push_back(e);
  return set;
}

TEST(CalibrationFile, RoundTripKeepsEveryValueExactly) {
  const CalibrationSet a = sample_set();
  const CalibrationSet b = calibration_from_json(calibration_to_json(a), "mem");
  EXPECT_EQ(b.feedback_resistance_ohm, a.feedback_resistance_ohm);
  EXPECT_EQ(b.clock, a.clock);
  EXPECT_EQ(b.mclk_hz, a.mclk_hz);
  EXPECT_EQ(b.settling_cycles, 100);
  EXPECT_EQ(b.settling_multiplier, 4);
  EXPECT_EQ(b.board, a.board);
  EXPECT_EQ(b.taken_at, a.taken_at);
  EXPECT_EQ(b.temperature_c, a.temperature_c);
  ASSERT_EQ(b.entries.size(), 1u);
  const CalibrationEntry& e = b.entries[0];
  EXPECT_EQ(e.range, 3);
  EXPECT_EQ(e.pga, 5);
  EXPECT_EQ(e.frequency_hz, a.entries[0].frequency_hz);
  ASSERT_EQ(e.references.size(), 1u);
  EXPECT_EQ(e.references[0].reference, "R100k||C22p");
  EXPECT_TRUE(std::isnan(e.references[0].temperature_c));
  EXPECT_EQ(e.references[0].average, 4);
  EXPECT_EQ(e.references[0].dft, a.entries[0].references[0].dft);
  for (std::size_t k = 0; k < 2; ++k) {
    const CalibrationPoint& p = e.points[k];
    const CalibrationPoint& q = a.entries[0].points[k];
    EXPECT_EQ(p.frequency_hz, q.frequency_hz);
    EXPECT_EQ(p.gain_factor, q.gain_factor);
    EXPECT_EQ(p.system_phase_deg, q.system_phase_deg);
    EXPECT_EQ(p.series_real_ohm, q.series_real_ohm);
    EXPECT_EQ(p.series_imag_ohm, q.series_imag_ohm);
  }
}

TEST(CalibrationFile, DamagedOrForeignDocumentsAreRefusedNamingTheFault) {
  using nlohmann::json;
  const std::string good = calibration_to_json(sample_set());
  const auto edited = [&](const std::function<void(json&)>& edit) {
    json j = json::parse(good);
    edit(j);
    return j.dump();
  };
  struct Case {
    std::string text;
    const char* expected;
  };
  const Case cases[] = {
      {"", "not a JSON document"},
      {good.substr(0, good.size() / 2), "not a JSON document"},
      {R"({"format": "quelnor-eval calibration", "mclk_hz": -80201e308})", "not a JSON document"},
      {edited([](json& j) { j["entries"][0]["references"][0]["average"] = UINT64_MAX; }),
       "entries[0].references[0].average: is out of range"},
      {"{\"name\": \"something else\"}", "not a quelnor-eval calibration file"},
      {"[1, 2]", "not a quelnor-eval calibration file"},
      {edited([](json& j) { j["schema_version"] = 2; }),
       "schema version 2 is not one this program reads"},
      {edited([](json& j) { j.erase("mclk_hz"); }), "document.mclk_hz: is missing"},
      {edited([](json& j) { j["clock"] = "sundial"; }), "clock: must be external or internal"},
      {edited([](json& j) { j["entries"][0]["points"][1].erase("gain_factor"); }),
       "entries[0].points[1].gain_factor: is missing"},
      {edited([](json& j) { j["entries"][0]["points"][0]["gain_factor"] = -1; }),
       "entries[0].points[0].gain_factor: must be above 0"},
      {edited([](json& j) { j["entries"][0]["points"][0]["system_phase_deg"] = "150"; }),
       "system_phase_deg: is not a number"},
      {edited([](json& j) { j["entries"][0]["range"] = 7; }), "entries[0].range: must be 1 to 4"},
      {edited([](json& j) { j["entries"][0]["frequency_hz"][1] = 10.0; }),
       "frequency_hz[1]: is not above the one before"},
      {edited([](json& j) { j["entries"][0]["references"][0]["dft_real"].erase(0); }),
       "has not one result per frequency"},
      {edited([](json& j) { j["entries"][0]["points"].erase(0); }),
       "has not one point per frequency"},
      {edited([](json& j) { j["entries"].push_back(j["entries"][0]); }),
       "entries[1]: repeats range 3 pga 5"},
  };
  for (const Case& c : cases) {
    try {
      calibration_from_json(c.text, "cal.json");
      ADD_FAILURE() << "accepted: " << c.expected;
    } catch (const CalibrationFileError& e) {
      const std::string what = e.what();
      EXPECT_EQ(what.rfind("cal.json: ", 0), 0u) << what;
      EXPECT_NE(what.find(c.expected), std::string::npos) << what;
    }
  }
}

TEST(CalibrationFile, SavedFileLoadsAndMissingOrUnwritablePathsAreNamed) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("quelnor_calfile_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "cal.json").string();
  save_calibration(sample_set(), path);
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
  EXPECT_EQ(load_calibration(path).entries.size(), 1u);
  EXPECT_THROW(
      {
        try {
          load_calibration((dir / "none.json").string());
        } catch (const CalibrationFileError& e) {
          EXPECT_NE(std::string(e.what()).find("none.json: no such file"), std::string::npos);
          throw;
        }
      },
      CalibrationFileError);
  EXPECT_THROW(save_calibration(sample_set(), (dir / "no" / "such" / "dir.json").string()),
               CalibrationFileError);
  // A truncated file on disk keeps its name in the error.
  std::ofstream(path, std::ios::trunc) << "{\"format\": \"quelnor-eval calibration\", \"schema";
  try {
    load_calibration(path);
    ADD_FAILURE() << "truncated file accepted";
  } catch (const CalibrationFileError& e) {
    EXPECT_NE(std::string(e.what()).find(path + ": not a JSON document"), std::string::npos);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quelnor::instrument
