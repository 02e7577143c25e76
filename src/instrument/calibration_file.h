// Calibration sets on disk: a JSON document with a format name and a schema version.
// Loading checks everything before it returns, so a damaged, truncated or foreign file
// gives one clear error and nothing half-loaded.
#pragma once

#include <stdexcept>
#include <string>

#include "instrument/calibration.h"

namespace quelnor::instrument {

constexpr int calibration_schema_version = 1;
constexpr const char* calibration_format_name = "quelnor-eval calibration";

// A calibration file that cannot be read or written; the text names the file and the fault.
class CalibrationFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string calibration_to_json(const CalibrationSet& set);
// `source` names the text in errors (a file name).
CalibrationSet calibration_from_json(const std::string& text, const std::string& source);

// Written to a temporary file beside `path` and renamed over it, so a failed write never
// leaves a damaged file where a good one was.
void save_calibration(const CalibrationSet& set, const std::string& path);
CalibrationSet load_calibration(const std::string& path);

}  // namespace quelnor::instrument
