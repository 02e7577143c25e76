// Writing a spectrum as a measurement file.
#include "analysis/measurement_file_writer.h"

#include <charconv>
#include <cmath>
#include <numbers>
#include <sstream>

#include "util/version.h"

namespace quelnor::analysis {
namespace {

// Metadata stays one line per key: line breaks become blanks.
std::string one_line(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

}  // namespace

std::string exact_number(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

double phase_deg(std::complex<double> impedance_ohm) {
  double deg = std::arg(impedance_ohm) * (180.0 / std::numbers::pi);
  if (deg <= -180.0) deg += 360.0;
  if (deg > 180.0) deg -= 360.0;
  return deg;
}

std::string flag_names(std::uint32_t flags) {
  static constexpr std::pair<std::uint32_t, const char*> names[] = {
      {point_flag::clipped, "clipped"},
      {point_flag::low_signal, "low-signal"},
      {point_flag::uncalibrated, "uncalibrated"},
      {point_flag::extrapolated, "extrapolated"}};
  std::string text;
  for (const auto& [bit, name] : names) {
    if ((flags & bit) == 0) continue;
    if (!text.empty()) text += '|';
    text += name;
  }
  return text;
}

void write_measurement_file(std::ostream& out, const Spectrum& spectrum) {
  out << "# program: quelnor-eval " << util::program_version << '\n';
  for (const auto& [key, value] : spectrum.metadata) {
    // A note without a key is a plain comment: readers keep only "key: value" lines.
    if (key.empty()) {
      out << "# " << one_line(value) << '\n';
    } else {
      out << "# " << one_line(key) << ": " << one_line(value) << '\n';
    }
  }
  for (const std::string& warning : spectrum.warnings)
    out << "# warning: " << one_line(warning) << '\n';
  if (spectrum.partial) out << "# partial: yes\n";
  bool repeated = false;
  for (const SpectrumPoint& p : spectrum.points) repeated = repeated || p.pass > 0;
  if (repeated) out << "pass,time_s,temperature_c,";
  out << "frequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,range,pga,flags\n";
  for (const SpectrumPoint& p : spectrum.points) {
    if (repeated) {
      // A temperature not read is an empty field, as the reader takes it.
      out << p.pass << ',' << exact_number(p.time_s) << ','
          << (std::isnan(p.temperature_c) ? std::string() : exact_number(p.temperature_c)) << ',';
    }
    out << exact_number(p.frequency_hz) << ',' << exact_number(p.impedance_ohm.real()) << ','
        << exact_number(p.impedance_ohm.imag()) << ',' << exact_number(std::abs(p.impedance_ohm))
        << ',' << exact_number(phase_deg(p.impedance_ohm)) << ',' << p.range << ',' << p.pga << ','
        << flag_names(p.flags) << '\n';
  }
}

std::string measurement_file_text(const Spectrum& spectrum) {
  std::ostringstream out;
  write_measurement_file(out, spectrum);
  return out.str();
}

}  // namespace quelnor::analysis
