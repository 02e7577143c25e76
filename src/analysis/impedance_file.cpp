// Line-by-line reader of the three impedance text formats, with every refusal naming its
// line.
#include "analysis/impedance_file.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <vector>

namespace quelnor::analysis {
namespace {

constexpr const char* classic_header = "Frequency,Impedance,Phase,Real,Imaginary,Magnitude,";
// Far beyond any sweep; keeps a wrong file from being read into memory whole.
constexpr std::uintmax_t largest_file_bytes = 256u << 20;

enum class Format { measurement, classic, plain };

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

// A number that may also be "inf", "-inf" or "nan": the measurement file writes a point
// without signal (infinite impedance) as it is.
double any_number(const LineReader& r, std::string_view field, const char* column) {
  if (field == "inf") return std::numeric_limits<double>::infinity();
  if (field == "-inf") return -std::numeric_limits<double>::infinity();
  if (field == "nan") return std::numeric_limits<double>::quiet_NaN();
  return r.number(field, column);
}

// Where each column of the measurement file's header lies; npos when absent. Columns may
// come in any order and unknown ones are skipped.
struct MeasurementColumns {
  static constexpr std::size_t absent = std::string_view::npos;
  std::size_t count = 0;
  std::size_t pass = absent, time = absent, temperature = absent, frequency = absent, real = absent,
              imag = absent, magnitude = absent, phase = absent, range = absent, pga = absent,
              flags = absent;
};

// The header's columns when it names frequency_hz, real_ohm and imag_ohm; nothing otherwise.
std::optional<MeasurementColumns> measurement_columns(std::string_view line) {
  MeasurementColumns c;
  const std::vector<std::string_view> names = split(line, ',');
  c.count = names.size();
  const std::pair<const char*, std::size_t MeasurementColumns::*> known[] = {
      {"pass", &MeasurementColumns::pass},
      {"time_s", &MeasurementColumns::time},
      {"temperature_c", &MeasurementColumns::temperature},
      {"frequency_hz", &MeasurementColumns::frequency},
      {"real_ohm", &MeasurementColumns::real},
      {"imag_ohm", &MeasurementColumns::imag},
      {"magnitude_ohm", &MeasurementColumns::magnitude},
      {"phase_deg", &MeasurementColumns::phase},
      {"range", &MeasurementColumns::range},
      {"pga", &MeasurementColumns::pga},
      {"flags", &MeasurementColumns::flags}};
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (const auto& [name, member] : known) {
      if (names[i] == name) c.*member = i;
    }
  }
  if (c.frequency == MeasurementColumns::absent || c.real == MeasurementColumns::absent ||
      c.imag == MeasurementColumns::absent) {
    return std::nullopt;
  }
  return c;
}

SpectrumPoint measurement_row(const LineReader& r, std::string_view line, const MeasurementColumns& c) {
  const std::vector<std::string_view> f = split(line, ',');
  r.expect_fields(f, c.count);
  constexpr std::size_t absent = MeasurementColumns::absent;
  SpectrumPoint point;
  if (c.pass != absent) point.pass = r.whole(f[c.pass], "a pass", 0, 1000000000);
  if (c.time != absent) point.time_s = r.number(f[c.time], "the time");
  if (c.temperature != absent && !f[c.temperature].empty())
    point.temperature_c = any_number(r, f[c.temperature], "the temperature");
  point.frequency_hz = r.frequency(f[c.frequency]);
  point.impedance_ohm = {any_number(r, f[c.real], "the real part"),
                         any_number(r, f[c.imag], "the imaginary part")};
  if (c.magnitude != absent) any_number(r, f[c.magnitude], "the magnitude");
  if (c.phase != absent) any_number(r, f[c.phase], "the phase");
  if (c.range != absent) point.range = r.whole(f[c.range], "a range", 0, 4);
  if (c.pga != absent) point.pga = r.whole(f[c.pga], "a PGA gain", 0, 5);
  if (c.flags != absent) point.flags = r.flags(f[c.flags]);
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

// "# key: value" as metadata, "# warning: ..." as a warning, "# partial: yes" as a run cut
// short; other comments are just comments.
void add_metadata(std::string_view comment, Spectrum& spectrum) {
  comment = trim(comment.substr(1));
  const std::size_t colon = comment.find(':');
  if (colon == std::string_view::npos || colon == 0) return;
  const std::string key(trim(comment.substr(0, colon)));
  const std::string value(trim(comment.substr(colon + 1)));
  if (key == "warning") {
    spectrum.warnings.push_back(value);
  } else if (key == "partial") {
    spectrum.partial = value == "yes";
  } else {
    spectrum.metadata.emplace_back(key, value);
  }
}

}  // namespace

Spectrum read_impedance_text(std::string_view text) {
  Spectrum spectrum;
  std::optional<Format> format;
  MeasurementColumns columns;
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
      if (const std::optional<MeasurementColumns> named = measurement_columns(line)) {
        format = Format::measurement;
        columns = *named;
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
        spectrum.points.push_back(measurement_row(reader, line, columns));
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
  if (format != Format::measurement) {
    // Comments in the other formats are only comments, not metadata.
    Spectrum points_only;
    points_only.points = std::move(spectrum.points);
    spectrum = std::move(points_only);
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
