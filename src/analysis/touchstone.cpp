// Touchstone 1-port Z writer.
#include "analysis/touchstone.h"

#include <algorithm>

#include "analysis/file_text.h"

namespace quelnor::analysis {

void write_touchstone_z(std::ostream& out, const Spectrum& spectrum) {
  out << "! 1-port Z-parameters in ohms\n";
  for (const auto& [key, value] : spectrum.metadata) out << "! " << single_line(key) << ": " << single_line(value) << '\n';
  for (const std::string& warning : spectrum.warnings) out << "! warning: " << single_line(warning) << '\n';
  if (spectrum.partial) out << "! partial: the run ended before its last point\n";
  out << "# Hz Z RI R 1\n";
  std::vector<const SpectrumPoint*> rows;
  rows.reserve(spectrum.points.size());
  for (const SpectrumPoint& p : spectrum.points) rows.push_back(&p);
  std::stable_sort(rows.begin(), rows.end(),
                   [](const SpectrumPoint* a, const SpectrumPoint* b) { return a->frequency_hz < b->frequency_hz; });
  const SpectrumPoint* previous = nullptr;
  for (const SpectrumPoint* p : rows) {
    if (previous && previous->frequency_hz == p->frequency_hz) continue;
    out << round_trip_text(p->frequency_hz) << ' ' << round_trip_text(p->impedance_ohm.real()) << ' '
        << round_trip_text(p->impedance_ohm.imag()) << '\n';
    previous = p;
  }
}

}  // namespace quelnor::analysis
