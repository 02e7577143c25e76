// The plan options shared by calibrate and measure: --start --stop --points --spacing
// --average, or --segments FILE.json, with SI prefixes for the frequencies.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "instrument/sweep_plan.h"

namespace quelnor::cli {

struct PlanOptions {
  std::string start = "1k";
  std::string stop = "100k";
  int points = 50;
  std::string spacing = "log";
  int average = 1;
  std::string segments;  // a JSON plan file; replaces the five above
};

void add_plan_options(CLI::App& command, PlanOptions& options);

// The plan, with every segment's range and PGA set to the given values (auto_select for
// auto) unless keep_segment_choice and a segment file was given. Raises
// instrument::PlanError or std::invalid_argument naming the option.
instrument::SweepPlan build_plan(const PlanOptions& options, int range, int pga,
                                 bool keep_segment_choice);

}  // namespace quelnor::cli
