// Turning the plan options into a sweep plan.
#include "cli/plan_options.h"

#include "cli/si_value.h"
#include "instrument/plan_file.h"

namespace quelnor::cli {

void add_plan_options(CLI::App& command, PlanOptions& o) {
  auto* start = command.add_option("--start", o.start, "first frequency, e.g. 1k (default 1k)");
  auto* stop = command.add_option("--stop", o.stop, "last frequency, e.g. 100k (default 100k)");
  auto* points = command.add_option("--points", o.points, "number of points (default 50)");
  auto* spacing = command.add_option("--spacing", o.spacing, "lin or log (default log)")
                      ->check(CLI::IsMember({"lin", "log"}));
  command.add_option("--average", o.average, "measurements averaged per point (default 1)");
  command.add_option("--segments", o.segments, "a JSON file of plan segments")
      ->excludes(start)
      ->excludes(stop)
      ->excludes(points)
      ->excludes(spacing);
}

instrument::SweepPlan build_plan(const PlanOptions& o, int range, int pga,
                                 bool keep_segment_choice) {
  instrument::SweepPlan plan;
  if (!o.segments.empty()) {
    plan = instrument::load_plan(o.segments);
    for (instrument::SweepSegment& s : plan.segments) {
      if (!keep_segment_choice) {
        s.range = range;
        s.pga = pga;
      }
      if (o.average != 1) s.average = o.average;
    }
  } else {
    instrument::SweepSegment s;
    s.start_hz = si_number(o.start, "--start");
    s.stop_hz = si_number(o.stop, "--stop");
    s.points = o.points;
    s.spacing = o.spacing == "lin" ? instrument::Spacing::linear : instrument::Spacing::logarithmic;
    s.average = o.average;
    s.range = range;
    s.pga = pga;
    plan.segments.push_back(s);
  }
  instrument::validate_plan(plan);
  return plan;
}

}  // namespace quelnor::cli
