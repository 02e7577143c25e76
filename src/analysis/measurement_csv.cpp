// Measurement CSV writer and reader.
#include "analysis/measurement_csv.h"

#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "analysis/file_text.h"

namespace quelnor::analysis {
namespace {

constexpr const char* header = "frequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,range,pga,flags";

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> split_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(trimmed(std::string_view(line).substr(start, comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return fields;
}

[[noreturn]] void fail(std::size_t line_number, const std::string& what) {
  throw MeasurementFileError("line " + std::to_string(line_number) + ": " + what);
}

double number_field(const std::string& text, std::size_t line_number, const std::string& column) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end) {
    fail(line_number, "\"" + text + "\" in column " + column + " is not a number");
  }
  return value;
}

long long integer_field(const std::string& text, std::size_t line_number, const std::string& column) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end) {
    fail(line_number, "\"" + text + "\" in column " + column + " is not a whole number");
  }
  return value;
}

}  // namespace

void write_measurement_csv(std::ostream& out, const Spectrum& spectrum) {
  for (const auto& [key, value] : spectrum.metadata) {
    if (key.empty()) {
      out << "# " << single_line(value) << '\n';
    } else {
      out << "# " << single_line(key) << ": " << single_line(value) << '\n';
    }
  }
  for (const std::string& warning : spectrum.warnings) out << "# warning: " << single_line(warning) << '\n';
  if (spectrum.partial) out << "# partial: yes\n";
  out << header << '\n';
  for (const SpectrumPoint& p : spectrum.points) {
    const double phase_deg = std::arg(p.impedance_ohm) * 180.0 / std::numbers::pi;
    out << round_trip_text(p.frequency_hz) << ',' << round_trip_text(p.impedance_ohm.real()) << ','
        << round_trip_text(p.impedance_ohm.imag()) << ',' << round_trip_text(std::abs(p.impedance_ohm)) << ','
        << round_trip_text(phase_deg) << ',' << p.range << ',' << p.pga << ',' << p.flags << '\n';
  }
}

Spectrum read_measurement_csv(std::istream& in) {
  Spectrum spectrum;
  std::string line;
  std::size_t line_number = 0;
  std::vector<std::string> columns;
  std::optional<std::size_t> frequency, real, imag, range, pga, flags;
  while (std::getline(in, line)) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (trimmed(line).empty()) continue;
    if (line.front() == '#') {
      const std::string text = trimmed(std::string_view(line).substr(1));
      const std::size_t colon = text.find(": ");
      const std::string key = colon == std::string::npos ? std::string() : trimmed(text.substr(0, colon));
      const std::string value = colon == std::string::npos ? text : trimmed(text.substr(colon + 2));
      if (key == "warning") {
        spectrum.warnings.push_back(value);
      } else if (key == "partial") {
        spectrum.partial = value == "yes";
      } else {
        spectrum.metadata.emplace_back(key, value);
      }
      continue;
    }
    const std::vector<std::string> fields = split_fields(line);
    if (columns.empty()) {
      columns = fields;
      for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::string& name = columns[i];
        if (name == "frequency_hz") frequency = i;
        if (name == "real_ohm") real = i;
        if (name == "imag_ohm") imag = i;
        if (name == "range") range = i;
        if (name == "pga") pga = i;
        if (name == "flags") flags = i;
      }
      if (!frequency || !real || !imag) {
        fail(line_number, "the header needs the columns frequency_hz, real_ohm and imag_ohm");
      }
      continue;
    }
    if (fields.size() != columns.size()) {
      fail(line_number, std::to_string(fields.size()) + " fields where the header has " +
                            std::to_string(columns.size()));
    }
    SpectrumPoint p;
    p.frequency_hz = number_field(fields[*frequency], line_number, "frequency_hz");
    p.impedance_ohm = {number_field(fields[*real], line_number, "real_ohm"),
                       number_field(fields[*imag], line_number, "imag_ohm")};
    if (range) p.range = static_cast<int>(integer_field(fields[*range], line_number, "range"));
    if (pga) p.pga = static_cast<int>(integer_field(fields[*pga], line_number, "pga"));
    if (flags) p.flags = static_cast<std::uint32_t>(integer_field(fields[*flags], line_number, "flags"));
    spectrum.points.push_back(p);
  }
  if (columns.empty()) fail(line_number, "no header line: this is not a measurement file");
  return spectrum;
}

}  // namespace quelnor::analysis
