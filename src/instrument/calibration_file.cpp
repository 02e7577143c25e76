// JSON form of a calibration set (nlohmann-json), with every field checked on load.
#include "instrument/calibration_file.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

namespace quelnor::instrument {
namespace {

using nlohmann::json;

json temperature_json(double c) {
  return std::isfinite(c) ? json(c) : json(nullptr);
}

json entry_json(const CalibrationEntry& e) {
  json references = json::array();
  for (const ReferenceSweep& r : e.references) {
    json real = json::array(), imaginary = json::array();
    for (const std::complex<double> d : r.dft) {
      real.push_back(d.real());
      imaginary.push_back(d.imag());
    }
    references.push_back({{"reference", r.reference},
                          {"taken_at", r.taken_at},
                          {"temperature_c", temperature_json(r.temperature_c)},
                          {"average", r.average},
                          {"dft_real", real},
                          {"dft_imag", imaginary}});
  }
  json points = json::array();
  for (const CalibrationPoint& p : e.points) {
    points.push_back({{"frequency_hz", p.frequency_hz},
                      {"gain_factor", p.gain_factor},
                      {"system_phase_deg", p.system_phase_deg},
                      {"series_real_ohm", p.series_real_ohm},
                      {"series_imag_ohm", p.series_imag_ohm}});
  }
  return {{"range", e.range},
          {"pga", e.pga},
          {"frequency_hz", e.frequency_hz},
          {"references", references},
          {"points", points}};
}

// Field access that names the file and the field's path in every refusal.
class Reader {
 public:
  explicit Reader(std::string source) : source_(std::move(source)) {}

  [[noreturn]] void fail(const std::string& path, const std::string& what) const {
    throw CalibrationFileError(source_ + ": " + path + ": " + what);
  }

  const json& field(const json& object, const std::string& path, const char* key) const {
    if (!object.is_object()) fail(path, "is not an object");
    const auto it = object.find(key);
    if (it == object.end()) fail(path + "." + key, "is missing");
    return *it;
  }

  double number(const json& value, const std::string& path) const {
    if (!value.is_number()) fail(path, "is not a number");
    const double v = value.get<double>();
    if (!std::isfinite(v)) fail(path, "is not a finite number");
    return v;
  }
  double number(const json& object, const std::string& path, const char* key) const {
    return number(field(object, path, key), path + "." + key);
  }

  double temperature(const json& object, const std::string& path) const {
    const json& value = field(object, path, "temperature_c");
    if (value.is_null()) return std::numeric_limits<double>::quiet_NaN();
    return number(value, path + ".temperature_c");
  }

  int integer(const json& object, const std::string& path, const char* key) const {
    const json& value = field(object, path, key);
    if (!value.is_number_integer()) fail(path + "." + key, "is not a whole number");
    // Above 2^63 a whole number would wrap to a negative one.
    if (value.is_number_unsigned() && value.get<std::uint64_t>() > 1000000u) {
      fail(path + "." + key, "is out of range");
    }
    const auto v = value.get<std::int64_t>();
    if (v < -1000000 || v > 1000000) fail(path + "." + key, "is out of range");
    return static_cast<int>(v);
  }

  std::string text(const json& object, const std::string& path, const char* key) const {
    const json& value = field(object, path, key);
    if (!value.is_string()) fail(path + "." + key, "is not a text");
    return value.get<std::string>();
  }

  const json& array(const json& object, const std::string& path, const char* key) const {
    const json& value = field(object, path, key);
    if (!value.is_array()) fail(path + "." + key, "is not a list");
    return value;
  }

  std::vector<double> numbers(const json& object, const std::string& path, const char* key) const {
    std::vector<double> values;
    const json& list = array(object, path, key);
    for (std::size_t i = 0; i < list.size(); ++i) {
      values.push_back(number(list[i], path + "." + key + "[" + std::to_string(i) + "]"));
    }
    return values;
  }

 private:
  std::string source_;
};

CalibrationEntry read_entry(const Reader& r, const json& j, const std::string& path) {
  CalibrationEntry e;
  e.range = r.integer(j, path, "range");
  if (e.range < 1 || e.range > 4) r.fail(path + ".range", "must be 1 to 4");
  e.pga = r.integer(j, path, "pga");
  if (e.pga != 1 && e.pga != 5) r.fail(path + ".pga", "must be 1 or 5");
  e.frequency_hz = r.numbers(j, path, "frequency_hz");
  if (e.frequency_hz.empty()) r.fail(path + ".frequency_hz", "is empty");
  for (std::size_t k = 0; k < e.frequency_hz.size(); ++k) {
    if (e.frequency_hz[k] <= 0.0 || (k > 0 && e.frequency_hz[k] <= e.frequency_hz[k - 1])) {
      r.fail(path + ".frequency_hz[" + std::to_string(k) + "]", "is not above the one before");
    }
  }
  const json& references = r.array(j, path, "references");
  if (references.empty()) r.fail(path + ".references", "is empty");
  for (std::size_t i = 0; i < references.size(); ++i) {
    const std::string rp = path + ".references[" + std::to_string(i) + "]";
    ReferenceSweep s;
    s.reference = r.text(references[i], rp, "reference");
    s.taken_at = r.text(references[i], rp, "taken_at");
    s.temperature_c = r.temperature(references[i], rp);
    s.average = r.integer(references[i], rp, "average");
    const std::vector<double> real = r.numbers(references[i], rp, "dft_real");
    const std::vector<double> imaginary = r.numbers(references[i], rp, "dft_imag");
    if (real.size() != e.frequency_hz.size() || imaginary.size() != e.frequency_hz.size()) {
      r.fail(rp, "has not one result per frequency");
    }
    for (std::size_t k = 0; k < real.size(); ++k) s.dft.emplace_back(real[k], imaginary[k]);
    e.references.push_back(s);
  }
  const json& points = r.array(j, path, "points");
  if (points.size() != e.frequency_hz.size())
    r.fail(path + ".points", "has not one point per frequency");
  for (std::size_t k = 0; k < points.size(); ++k) {
    const std::string pp = path + ".points[" + std::to_string(k) + "]";
    CalibrationPoint p;
    p.frequency_hz = r.number(points[k], pp, "frequency_hz");
    if (p.frequency_hz != e.frequency_hz[k])
      r.fail(pp + ".frequency_hz", "differs from the entry's frequency");
    p.gain_factor = r.number(points[k], pp, "gain_factor");
    if (!(p.gain_factor > 0.0)) r.fail(pp + ".gain_factor", "must be above 0");
    p.system_phase_deg = r.number(points[k], pp, "system_phase_deg");
    p.series_real_ohm = r.number(points[k], pp, "series_real_ohm");
    p.series_imag_ohm = r.number(points[k], pp, "series_imag_ohm");
    e.points.push_back(p);
  }
  return e;
}

}  // namespace

std::string calibration_to_json(const CalibrationSet& set) {
  json entries = json::array();
  for (const CalibrationEntry& e : set.entries) entries.push_back(entry_json(e));
  const json document = {{"format", calibration_format_name},
                         {"schema_version", calibration_schema_version},
                         {"feedback_resistance_ohm", set.feedback_resistance_ohm},
                         {"clock", clock_name(set.clock)},
                         {"mclk_hz", set.mclk_hz},
                         {"settling_cycles", set.settling_cycles},
                         {"settling_multiplier", set.settling_multiplier},
                         {"board", set.board},
                         {"taken_at", set.taken_at},
                         {"temperature_c", temperature_json(set.temperature_c)},
                         {"entries", entries}};
  return document.dump(1) + "\n";
}

CalibrationSet calibration_from_json(const std::string& text, const std::string& source) {
  const Reader r(source);
  json j;
  try {
    j = json::parse(text);
  } catch (const json::exception& e) {  // a syntax error or a number beyond the double range
    throw CalibrationFileError(source + ": not a JSON document (" + e.what() + ")");
  }
  if (!j.is_object() || !j.contains("format") || j["format"] != calibration_format_name) {
    throw CalibrationFileError(source + ": not a quelnor-eval calibration file");
  }
  const int version = r.integer(j, "document", "schema_version");
  if (version != calibration_schema_version) {
    throw CalibrationFileError(source + ": schema version " + std::to_string(version) +
                               " is not one this program reads (it reads " +
                               std::to_string(calibration_schema_version) + ")");
  }
  CalibrationSet set;
  set.feedback_resistance_ohm = r.number(j, "document", "feedback_resistance_ohm");
  if (!(set.feedback_resistance_ohm > 0.0)) r.fail("feedback_resistance_ohm", "must be above 0");
  const std::string clock = r.text(j, "document", "clock");
  if (clock != "external" && clock != "internal") r.fail("clock", "must be external or internal");
  set.clock = clock == "external" ? ClockSource::external : ClockSource::internal;
  set.mclk_hz = r.number(j, "document", "mclk_hz");
  if (!(set.mclk_hz > 0.0)) r.fail("mclk_hz", "must be above 0");
  set.settling_cycles = r.integer(j, "document", "settling_cycles");
  set.settling_multiplier = r.integer(j, "document", "settling_multiplier");
  set.board = r.text(j, "document", "board");
  set.taken_at = r.text(j, "document", "taken_at");
  set.temperature_c = r.temperature(j, "document");
  const json& entries = r.array(j, "document", "entries");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    CalibrationEntry e = read_entry(r, entries[i], "entries[" + std::to_string(i) + "]");
    if (set.find(e.range, e.pga) != nullptr) {
      r.fail("entries[" + std::to_string(i) + "]",
             "repeats range " + std::to_string(e.range) + " pga " + std::to_string(e.pga));
    }
    set.entries.push_back(std::move(e));
  }
  return set;
}

void save_calibration(const CalibrationSet& set, const std::string& path) {
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) throw CalibrationFileError(path + ": cannot be written");
    out << calibration_to_json(set);
    out.flush();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      throw CalibrationFileError(path + ": writing failed");
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    throw CalibrationFileError(path + ": cannot be replaced (" + error.message() + ")");
  }
}

CalibrationSet load_calibration(const std::string& path) {
  constexpr std::uintmax_t largest_bytes = 64u << 20;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    throw CalibrationFileError(path + ": no such file");
  }
  if (std::filesystem::file_size(path, error) > largest_bytes) {
    throw CalibrationFileError(path + ": too large for a calibration file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CalibrationFileError(path + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  return calibration_from_json(text.str(), path);
}

}  // namespace quelnor::instrument
