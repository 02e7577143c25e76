// Fuzz target for the sweep-plan reader: any text gives a plan that runs or is refused with
// PlanError naming the source; a plan accepted gives its points in ascending frequency, as
// many as its segments ask for, so that a calibration taken with it can be loaded again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "instrument/plan_file.h"

using quelnor::fuzz::require;
using namespace quelnor::instrument;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  SweepPlan plan;
  try {
    plan = plan_from_json(text, "fuzz.json");
  } catch (const PlanError& e) {
    require(std::string(e.what()).rfind("fuzz.json: ", 0) == 0, "a refusal names the file");
    return 0;
  }
  const std::vector<PlannedPoint> points = planned_points(plan);
  std::size_t asked = 0;
  for (const SweepSegment& s : plan.segments) asked += static_cast<std::size_t>(s.points);
  require(points.size() == asked, "every point asked for is planned");
  for (std::size_t k = 0; k < points.size(); ++k) {
    require(points[k].code >= 1 && points[k].code <= max_frequency_code, "codes fit the chip");
    if (k > 0) {
      require(points[k].frequency_hz > points[k - 1].frequency_hz, "planned frequencies ascend");
    }
  }
  (void)describe_plan(plan);
  return 0;
}
