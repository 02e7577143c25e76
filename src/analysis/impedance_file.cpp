// Line-by-line reader of the three impedance text formats, with every refusal naming its
// line.
#include "analysis/impedance_file.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <vector>

namespace quelnor::analysis {
namespace {

constexpr const char* measurement_header =
    "frequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,range,pga,flags";
constexpr const char* repeated_prefix = "pass,time_s,temperature_c,";
constexpr const char* classic_header = "Frequency,Impedance,Phase,Real,Imaginary,Magnitude,";
// Far beyond any sweep; keeps a wrong file from being read into memory whole.
constexpr std::uintmax_t largest_file_bytes = 256u << 20;

enum class Format { measurement, repeated_measurement, classic, plain };

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

std::vector<std::string_view> split(std::string_view line, char separator) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = line.find(separator, start);
    fields.push_back(trim(line.substr(start, end - start)));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

std::vector<std::string_view> split_blanks(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

// A finite decimal number ("1e3", "-0.5", "+2"), or nothing.
bool parse_number(std::string_view text, double& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

class LineReader {
 public:
  explicit LineReader(int line) : line_(line) {}

  [[noreturn]] void fail(const std::string& what) const {
    throw std::invalid_argument("line " + std::to_string(line_) + ": " + what);
  }

  double number(std::string_view field, const char* column) const {
    double value = 0.0;
    if (!parse_number(field, value)) {
      fail("expected a number for " + std::string(column) + ", not '" + std::string(field) + "'");
    }
    return value;
  }

  double frequency(std::string_view field) const {
    const double f = number(field, "the frequency");
    if (f <= 0.0) fail("expected a frequency above 0 Hz, not '" + std::string(field) + "'");
    return f;
  }

  int whole(std::string_view field, const char* column, int low, int high) const {
    int value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size() ||
        value < low || value > high) {
      fail("expected " + std::string(column) + " from " + std::to_string(low) + " to " +
           std::to_string(high) + ", not '" + std::string(field) + "'");
    }
    return value;
  }

  std::uint32_t flags(std::string_view field) const {
    std::uint32_t bits = 0;
    if (field.empty()) return bits;
    for (std::string_view name : split(field, '|')) {
      if (name == "clipped") {
        bits |= point_flag::clipped;
      } else if (name == "low-signal") {
        bits |= point_flag::low_signal;
      } else if (name == "uncalibrated") {
        bits |= point_flag::uncalibrated;
      } else if (name == "extrapolated") {
        bits |= point_flag::extrapolated;
      } else {
        fail("unknown flag '" + std::string(name) +
             "' (expected clipped, low-signal, uncalibrated or extrapolated)");
      }
    }
    return bits;
  }

  void expect_fields(const std::vector<std::string_view>& fields, std::size_t count) const {
    if (fields.size() != count) {
      fail("expected " + std::to_string(count) + " fields, found " + std::to_string(fields.size()));
    }
  }

 private:
  int line_;
};

SpectrumPoint measurement_row(const LineReader& r, std::string_view line, bool repeated) {
  std::vector<std::string_view> f = split(line, ',');
  r.expect_fields(f, repeated ? 11 : 8);
  SpectrumPoint point;
  std::size_t i = 0;
  if (repeated) {
    point.pass = r.whole(f[0], "a pass", 0, 1000000000);
    point.time_s = r.number(f[1], "the time");
    point.temperature_c = f[2].empty() ? std::nan("") : r.number(f[2], "the temperature");
    i = 3;
  }
  point.frequency_hz = r.frequency(f[i]);
  point.impedance_ohm = {r.number(f[i + 1], "the real part"),
                         r.number(f[i + 2], "the imaginary part")};
  // The size of a finite impedance near the double range's end is itself beyond it: the
  // writer then says "inf".
  if (f[i + 3] != "inf") r.number(f[i + 3], "the magnitude");
  r.number(f[i + 4], "the phase");
  point.range = r.whole(f[i + 5], "a range", 0, 4);
  point.pga = r.whole(f[i + 6], "a PGA gain", 0, 5);
  point.flags = r.flags(f[i + 7]);
  return point;
}

SpectrumPoint classic_row(const LineReader& r, std::string_view line) {
  std::vector<std::string_view> f = split(line, ',');
  // Each row ends with a comma, as the header does.
  if (f.size() == 7 && f.back().empty()) f.pop_back();
  r.expect_fields(f, 6);
  SpectrumPoint point;
  point.frequency_hz = r.frequency(f[0]);
  const double magnitude_ohm = r.number(f[1], "the impedance");
  const double phase_deg = r.number(f[2], "the phase");
  for (std::size_t i = 3; i < 6; ++i) r.number(f[i], "a raw count");
  point.impedance_ohm = std::polar(magnitude_ohm, phase_deg * std::numbers::pi / 180.0);
  return point;
}

std::vector<std::string_view> plain_fields(std::string_view line) {
  std::vector<std::string_view> f;
  if (line.find(',') != std::string_view::npos) {
    f = split(line, ',');
  } else if (line.find(';') != std::string_view::npos) {
    f = split(line, ';');
  } else {
    f = split_blanks(line);
  }
  if (f.size() == 4 && f.back().empty()) f.pop_back();  // a trailing separator
  return f;
}

// A header of words: no field reads as a number.
bool is_plain_header(std::string_view line) {
  for (std::string_view field : plain_fields(line)) {
    double value = 0.0;
    if (parse_number(field, value)) return false;
  }
  return true;
}

SpectrumPoint plain_row(const LineReader& r, std::string_view line) {
  const std::vector<std::string_view> f = plain_fields(line);
  r.expect_fields(f, 3);
  SpectrumPoint point;
  point.frequency_hz = r.frequency(f[0]);
  point.impedance_ohm = {r.number(f[1], "the real part"), r.number(f[2], "the imaginary part")};
  return point;
}

// "# key: value" as metadata; other comments are just comments.
void add_metadata(std::string_view comment, Spectrum& spectrum) {
  comment = trim(comment.substr(1));
  const std::size_t colon = comment.find(':');
  if (colon == std::string_view::npos || colon == 0) return;
  spectrum.metadata.emplace_back(std::string(trim(comment.substr(0, colon))),
                                 std::string(trim(comment.substr(colon + 1))));
}

}  // namespace

Spectrum read_impedance_text(std::string_view text) {
  Spectrum spectrum;
  std::optional<Format> format;
  int line_number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = trim(text.substr(start, end - start));
    start = end + 1;
    ++line_number;
    if (line.empty()) continue;
    if (line.front() == '#') {
      add_metadata(line, spectrum);
      continue;
    }
    const LineReader reader(line_number);
    if (!format) {
      if (line == measurement_header) {
        format = Format::measurement;
      } else if (line == std::string(repeated_prefix) + measurement_header) {
        format = Format::repeated_measurement;
      } else if (line == classic_header || line == std::string_view(classic_header, 50)) {
        format = Format::classic;
      } else {
        format = Format::plain;
        if (is_plain_header(line)) continue;
      }
      if (*format != Format::plain) continue;
    }
    switch (*format) {
      case Format::measurement:
      case Format::repeated_measurement:
        spectrum.points.push_back(
            measurement_row(reader, line, *format == Format::repeated_measurement));
        break;
      case Format::classic:
        spectrum.points.push_back(classic_row(reader, line));
        break;
      case Format::plain:
        spectrum.points.push_back(plain_row(reader, line));
        break;
    }
  }
  if (spectrum.points.empty()) {
    throw std::invalid_argument("line " + std::to_string(line_number + 1) +
                                ": expected impedance data, found the end of the file");
  }
  if (format != Format::measurement && format != Format::repeated_measurement) {
    spectrum.metadata.clear();  // comments in other formats are only comments
  }
  return spectrum;
}

Spectrum read_impedance_file(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    throw std::invalid_argument("cannot read '" + path.string() + "': no such file");
  }
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > largest_file_bytes) {
    throw std::invalid_argument("cannot read '" + path.string() +
                                "': " + (error ? error.message() : "larger than 256 MiB"));
  }
  std::ifstream stream(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (!stream && !stream.eof()) {
    throw std::invalid_argument("cannot read '" + path.string() + "'");
  }
  try {
    return read_impedance_text(text);
  } catch (const std::invalid_argument& e) {
    throw std::invalid_argument(path.string() + ": " + e.what());
  }
}

}  // namespace quelnor::analysis
