// Reading a segmented sweep plan from JSON.
#include "instrument/plan_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace quelnor::instrument {
namespace {

using nlohmann::json;

[[noreturn]] void refuse(const std::string& source, const std::string& where,
                         const std::string& why) {
  throw PlanError(source + ": " + where + ": " + why);
}

double number_field(const json& j, const char* key, const std::string& source,
                    const std::string& where) {
  const json& v = j.at(key);
  if (!v.is_number()) refuse(source, where + "." + key, "is not a number");
  return v.get<double>();
}

int whole_field(const json& j, const char* key, const std::string& source,
                const std::string& where) {
  const json& v = j.at(key);
  if (!v.is_number_integer()) refuse(source, where + "." + key, "is not a whole number");
  // Above 2^63 a whole number would wrap to a negative one.
  if (v.is_number_unsigned() && v.get<std::uint64_t>() > 1000000000u) {
    refuse(source, where + "." + key, "is out of range");
  }
  const auto value = v.get<std::int64_t>();
  if (value < -1000000000 || value > 1000000000)
    refuse(source, where + "." + key, "is out of range");
  return static_cast<int>(value);
}

// "auto" or a whole number.
int choice_field(const json& j, const char* key, const std::string& source,
                 const std::string& where) {
  if (j.at(key).is_string()) {
    if (j.at(key) != "auto") refuse(source, where + "." + key, "must be a number or \"auto\"");
    return auto_select;
  }
  return whole_field(j, key, source, where);
}

SweepSegment read_segment(const json& j, const std::string& source, const std::string& where) {
  if (!j.is_object()) refuse(source, where, "is not an object");
  static const char* const known[] = {
      "start_hz", "stop_hz", "points",          "spacing",
      "range",    "pga",     "settling_cycles", "settling_multiplier",
      "clock",    "mclk_hz", "average"};
  for (const auto& item : j.items()) {
    if (std::find(std::begin(known), std::end(known), item.key()) == std::end(known)) {
      refuse(source, where + "." + item.key(), "is not a segment field");
    }
  }
  for (const char* required : {"start_hz", "stop_hz", "points"}) {
    if (!j.contains(required)) refuse(source, where + "." + required, "is missing");
  }
  SweepSegment s;
  s.start_hz = number_field(j, "start_hz", source, where);
  s.stop_hz = number_field(j, "stop_hz", source, where);
  s.points = whole_field(j, "points", source, where);
  if (j.contains("spacing")) {
    const json& v = j["spacing"];
    if (v != "lin" && v != "log") refuse(source, where + ".spacing", "must be \"lin\" or \"log\"");
    s.spacing = v == "lin" ? Spacing::linear : Spacing::logarithmic;
  }
  if (j.contains("range")) s.range = choice_field(j, "range", source, where);
  if (j.contains("pga")) s.pga = choice_field(j, "pga", source, where);
  if (j.contains("settling_cycles"))
    s.settling_cycles = whole_field(j, "settling_cycles", source, where);
  if (j.contains("settling_multiplier")) {
    s.settling_multiplier = whole_field(j, "settling_multiplier", source, where);
  }
  if (j.contains("clock")) {
    const json& v = j["clock"];
    if (v != "external" && v != "internal")
      refuse(source, where + ".clock", "must be \"external\" or \"internal\"");
    s.clock = v == "external" ? ClockSource::external : ClockSource::internal;
    s.mclk_hz =
        s.clock == ClockSource::external ? external_clock_default_hz : internal_clock_default_hz;
  }
  if (j.contains("mclk_hz")) s.mclk_hz = number_field(j, "mclk_hz", source, where);
  if (j.contains("average")) s.average = whole_field(j, "average", source, where);
  return s;
}

}  // namespace

SweepPlan plan_from_json(const std::string& text, const std::string& source) {
  json j;
  try {
    j = json::parse(text);
  } catch (const json::exception& e) {  // a syntax error or a number beyond the double range
    throw PlanError(source + ": not a JSON document (" + e.what() + ")");
  }
  if (!j.is_object() || !j.contains("segments") || !j["segments"].is_array()) {
    throw PlanError(source + ": not a sweep plan (expected {\"segments\": [...]})");
  }
  SweepPlan plan;
  for (std::size_t i = 0; i < j["segments"].size(); ++i) {
    plan.segments.push_back(
        read_segment(j["segments"][i], source, "segments[" + std::to_string(i) + "]"));
  }
  try {
    validate_plan(plan);
  } catch (const PlanError& e) {
    throw PlanError(source + ": " + e.what());
  }
  return plan;
}

SweepPlan load_plan(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) throw PlanError(path + ": no such file");
  if (std::filesystem::file_size(path, error) > (1u << 20))
    throw PlanError(path + ": too large for a plan");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PlanError(path + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  return plan_from_json(text.str(), path);
}

}  // namespace quelnor::instrument
