// The SCPI command tree: the handlers and the one table that names, documents and
// dispatches them.
#include "remote/command_table.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "remote/data_files.h"
#include "remote/scpi_error.h"
#include "remote/scpi_values.h"
#include "remote/session.h"
#include "util/version.h"

namespace quelnor::remote {

namespace {

using analysis::Spectrum;

const Parameter& arg(const ProgramUnit& u, std::size_t i = 0) {
  return u.parameters.at(i);
}

void check_range(double value, double minimum, double maximum, std::string_view what,
                 std::string_view unit) {
  if (!(value >= minimum && value <= maximum)) {
    throw ScpiError(scpi_code::data_out_of_range, std::string(what) + " " + number_response(value) +
                                                      " " + std::string(unit) + " is outside " +
                                                      number_response(minimum) + ".." +
                                                      number_response(maximum));
  }
}

double frequency_arg(Session& s, const Parameter& p, double default_hz) {
  const InstrumentLimits& l = s.limits();
  const double hz = number_or_limit(p, "HZ", {l.min_frequency_hz, l.max_frequency_hz, default_hz});
  check_range(hz, l.min_frequency_hz, l.max_frequency_hz, "frequency", "Hz");
  return hz;
}

int whole_arg(const Parameter& p, const NumericLimits& limits, std::string_view what) {
  const double value = number_or_limit(p, "", limits);
  check_range(value, limits.minimum, limits.maximum, what, "");
  const double rounded = std::round(value);
  if (std::abs(rounded - value) > 1e-9) {
    throw ScpiError(scpi_code::data_out_of_range,
                    std::string(what) + " must be a whole number, not " + number_response(value));
  }
  return static_cast<int>(rounded);
}

int points_arg(Session& s, const Parameter& p) {
  return whole_arg(p,
                   {2, static_cast<double>(s.limits().max_points),
                    static_cast<double>(s.limits().defaults.points)},
                   "points");
}

std::string spacing_name(Spacing spacing) {
  return spacing == Spacing::linear ? "LIN" : "LOG";
}

Spacing spacing_arg(const Parameter& p) {
  return choice_index(p, {"LINear", "LOGarithmic"}) == 0 ? Spacing::linear : Spacing::logarithmic;
}

// "AUTO" as 0, or one of the allowed whole numbers.
int auto_or_choice(const Parameter& p, const std::vector<int>& allowed, int default_value,
                   std::string_view what) {
  if (p.kind == ParameterKind::character) {
    if (mnemonic_matches(p.text, "AUTO")) return 0;
    if (mnemonic_matches(p.text, "DEFault")) return default_value;
    if (mnemonic_matches(p.text, "MINimum")) return allowed.front();
    if (mnemonic_matches(p.text, "MAXimum")) return allowed.back();
  }
  const double value = scaled_number(p, "");
  for (int a : allowed) {
    if (value == a) return a;
  }
  std::string list;
  for (int a : allowed) list += std::to_string(a) + ", ";
  throw ScpiError(
      scpi_code::illegal_parameter_value,
      std::string(what) + " " + number_response(value) + ": expected " + list + "or AUTO");
}

std::string auto_or_number(int value) {
  return value == 0 ? "AUTO" : std::to_string(value);
}

void append_double(std::string& out, double value, ByteOrder order) {
  auto bits = std::bit_cast<std::uint64_t>(value);
  char bytes[8];
  for (int i = 0; i < 8; ++i) {
    const int shift = order == ByteOrder::normal ? 56 - 8 * i : 8 * i;
    bytes[i] = static_cast<char>((bits >> shift) & 0xff);
  }
  out.append(bytes, 8);
}

// Values as the data format asks: comma-separated numbers, or a definite-length block of
// IEEE 754 doubles.
std::string data_response(Session& s, const std::vector<double>& values) {
  if (s.data_format() == DataFormat::ascii) {
    std::string out;
    out.reserve(values.size() * 24);
    for (double v : values) {
      if (!out.empty()) out += ',';
      out += number_response(v);
    }
    return out;
  }
  std::string payload;
  payload.reserve(values.size() * 8);
  for (double v : values) append_double(payload, v, s.byte_order());
  const std::string length = std::to_string(payload.size());
  return "#" + std::to_string(length.size()) + length + payload;
}

template <typename Column>
std::string fetch_column(Session& s, Column column) {
  const Spectrum& spectrum = s.last_spectrum();
  std::vector<double> values;
  values.reserve(spectrum.points.size() * 2);
  for (const analysis::SpectrumPoint& point : spectrum.points) column(point, values);
  return data_response(s, values);
}

void require_simulation(Session& s) {
  if (!s.instrument().simulated()) {
    throw ScpiError(scpi_code::execution_error,
                    "only the virtual board has a simulated DUT and faults");
  }
}

std::string quoted_list(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : ",") + string_response(item);
  return out.empty() ? string_response("") : out;
}

// Handlers, in the order of the table.

std::string identify(Session& s, const ProgramUnit&) {
  std::string identity = s.instrument().identity();
  for (char& c : identity) {
    if (c == ',' || c == ';' || c == '\n') c = ' ';
  }
  return std::string("Quelnor,quelnor-eval,") + identity + "," + util::program_version;
}
std::string reset(Session& s, const ProgramUnit&) {
  s.reset();
  return {};
}
std::string clear_status(Session& s, const ProgramUnit&) {
  s.clear_status();
  return {};
}
std::string operation_complete(Session& s, const ProgramUnit&) {
  s.arm_operation_complete();
  return {};
}
std::string operation_complete_query(Session&, const ProgramUnit&) {
  return "1";
}
std::string wait(Session&, const ProgramUnit&) {
  return {};
}
std::string event_status_query(Session& s, const ProgramUnit&) {
  return std::to_string(s.read_and_clear_esr());
}
std::string status_byte_query(Session& s, const ProgramUnit&) {
  return std::to_string(s.status_byte());
}
std::string event_enable(Session& s, const ProgramUnit& u) {
  s.event_status_enable() = whole_arg(arg(u), {0, 255, 0}, "enable mask");
  return {};
}
std::string event_enable_query(Session& s, const ProgramUnit&) {
  return std::to_string(s.event_status_enable());
}
std::string service_enable(Session& s, const ProgramUnit& u) {
  s.service_request_enable() = whole_arg(arg(u), {0, 255, 0}, "enable mask") & ~(1 << 6);
  return {};
}
std::string service_enable_query(Session& s, const ProgramUnit&) {
  return std::to_string(s.service_request_enable());
}
std::string self_test_query(Session& s, const ProgramUnit&) {
  const std::string failure = s.instrument().self_test();
  if (failure.empty()) return "0";
  s.push_error(scpi_code::self_test_failed, failure);
  return "1";
}
std::string error_next_query(Session& s, const ProgramUnit&) {
  return s.errors().pop();
}
std::string error_count_query(Session& s, const ProgramUnit&) {
  return std::to_string(s.errors().count());
}
std::string version_query(Session&, const ProgramUnit&) {
  return "1999.0";
}
std::string help_headers_query(Session&, const ProgramUnit&) {
  std::string text;
  for (const CommandSpec& spec : command_table()) text += std::string(spec.header) + "\n";
  const std::string length = std::to_string(text.size());
  return "#" + std::to_string(length.size()) + length + text;
}
std::string operation_condition_query(Session& s, const ProgramUnit&) {
  return std::to_string(s.operation_condition());
}
std::string start(Session& s, const ProgramUnit& u) {
  s.plan().start_hz = frequency_arg(s, arg(u), s.limits().defaults.start_hz);
  return {};
}
std::string start_query(Session& s, const ProgramUnit&) {
  return number_response(s.plan().start_hz);
}
std::string stop(Session& s, const ProgramUnit& u) {
  s.plan().stop_hz = frequency_arg(s, arg(u), s.limits().defaults.stop_hz);
  return {};
}
std::string stop_query(Session& s, const ProgramUnit&) {
  return number_response(s.plan().stop_hz);
}
std::string points(Session& s, const ProgramUnit& u) {
  s.plan().points = points_arg(s, arg(u));
  return {};
}
std::string points_query(Session& s, const ProgramUnit&) {
  return std::to_string(s.plan().points);
}
std::string spacing(Session& s, const ProgramUnit& u) {
  s.plan().spacing = spacing_arg(arg(u));
  return {};
}
std::string spacing_query(Session& s, const ProgramUnit&) {
  return spacing_name(s.plan().spacing);
}
std::string segment_add(Session& s, const ProgramUnit& u) {
  SweepSegment segment;
  segment.start_hz = frequency_arg(s, arg(u, 0), s.limits().defaults.start_hz);
  segment.stop_hz = frequency_arg(s, arg(u, 1), s.limits().defaults.stop_hz);
  segment.points = points_arg(s, arg(u, 2));
  if (u.parameters.size() > 3) segment.spacing = spacing_arg(arg(u, 3));
  if (segment.start_hz > segment.stop_hz) {
    throw ScpiError(scpi_code::settings_conflict, "a segment's start is above its stop");
  }
  if (!s.plan().segments.empty() && segment.start_hz < s.plan().segments.back().stop_hz) {
    throw ScpiError(scpi_code::settings_conflict,
                    "segments go up in frequency: this one starts below the previous stop");
  }
  s.plan().segments.push_back(segment);
  return {};
}
std::string segment_clear(Session& s, const ProgramUnit&) {
  s.plan().segments.clear();
  return {};
}
std::string segment_count_query(Session& s, const ProgramUnit&) {
  return std::to_string(s.plan().segments.size());
}
std::string segment_list_query(Session& s, const ProgramUnit&) {
  std::string out;
  for (const SweepSegment& seg : s.plan().segments) {
    if (!out.empty()) out += ',';
    out += number_response(seg.start_hz) + "," + number_response(seg.stop_hz) + "," +
           std::to_string(seg.points) + "," + spacing_name(seg.spacing);
  }
  return out;
}
std::string settling(Session& s, const ProgramUnit& u) {
  s.plan().settling_cycles = whole_arg(arg(u),
                                       {0, static_cast<double>(s.limits().max_settling_cycles),
                                        static_cast<double>(s.limits().defaults.settling_cycles)},
                                       "settling cycles");
  return {};
}
std::string settling_query(Session& s, const ProgramUnit&) {
  return std::to_string(s.plan().settling_cycles);
}
std::string gain(Session& s, const ProgramUnit& u) {
  s.plan().pga = auto_or_choice(arg(u), {1, 5}, s.limits().defaults.pga, "gain");
  return {};
}
std::string gain_query(Session& s, const ProgramUnit&) {
  return auto_or_number(s.plan().pga);
}
std::string range(Session& s, const ProgramUnit& u) {
  s.plan().range = auto_or_choice(arg(u), {1, 2, 3, 4}, s.limits().defaults.range, "range");
  return {};
}
std::string range_query(Session& s, const ProgramUnit&) {
  return auto_or_number(s.plan().range);
}
std::string feedback(Session& s, const ProgramUnit& u) {
  const InstrumentLimits& l = s.limits();
  const double ohm = number_or_limit(
      arg(u), "OHM",
      {l.min_feedback_resistor_ohm, l.max_feedback_resistor_ohm, l.defaults.feedback_resistor_ohm});
  check_range(ohm, l.min_feedback_resistor_ohm, l.max_feedback_resistor_ohm, "feedback resistor",
              "ohm");
  s.plan().feedback_resistor_ohm = ohm;
  return {};
}
std::string feedback_query(Session& s, const ProgramUnit&) {
  return number_response(s.plan().feedback_resistor_ohm);
}
std::string cal_reference(Session& s, const ProgramUnit& u) {
  const std::string reference = text_value(arg(u));
  if (reference.empty()) throw ScpiError(scpi_code::illegal_parameter_value, "an empty reference");
  s.calibration_reference() = reference;
  return {};
}
std::string cal_reference_query(Session& s, const ProgramUnit&) {
  return string_response(s.calibration_reference());
}
std::string cal_measure(Session& s, const ProgramUnit&) {
  s.start_calibration();
  return {};
}
std::string cal_save(Session& s, const ProgramUnit& u) {
  const std::filesystem::path file = data_file(s.data_dir(), text_value(arg(u)));
  std::error_code ec;
  std::filesystem::create_directories(s.data_dir(), ec);
  if (ec) {
    throw ScpiError(scpi_code::file_name_error,
                    "cannot create the data folder " + s.data_dir().string() + ": " + ec.message());
  }
  s.instrument().save_calibration(file);
  return {};
}
std::string cal_load(Session& s, const ProgramUnit& u) {
  const std::filesystem::path file = data_file(s.data_dir(), text_value(arg(u)));
  if (!std::filesystem::is_regular_file(file)) {
    throw ScpiError(scpi_code::file_name_not_found,
                    "no calibration " + file.filename().string() + " in " + s.data_dir().string());
  }
  s.instrument().load_calibration(file);
  return {};
}
std::string cal_state_query(Session& s, const ProgramUnit&) {
  const CalibrationState state = s.instrument().calibration_state(s.plan());
  std::string warnings;
  for (const std::string& w : state.warnings) warnings += (warnings.empty() ? "" : "; ") + w;
  return std::string(state.valid ? "1" : "0") + "," + string_response(state.reference) + "," +
         string_response(warnings);
}
std::string initiate(Session& s, const ProgramUnit&) {
  s.start_measurement();
  return {};
}
std::string continuous(Session& s, const ProgramUnit& u) {
  s.set_continuous(boolean_value(arg(u)));
  return {};
}
std::string continuous_query(Session& s, const ProgramUnit&) {
  return s.continuous() ? "1" : "0";
}
std::string abort(Session& s, const ProgramUnit&) {
  s.abort();
  return {};
}
std::string fetch_frequency(Session& s, const ProgramUnit&) {
  return fetch_column(s, [](const analysis::SpectrumPoint& p, std::vector<double>& v) {
    v.push_back(p.frequency_hz);
  });
}
std::string fetch_impedance(Session& s, const ProgramUnit&) {
  return fetch_column(s, [](const analysis::SpectrumPoint& p, std::vector<double>& v) {
    v.push_back(p.impedance_ohm.real());
    v.push_back(p.impedance_ohm.imag());
  });
}
std::string fetch_flags(Session& s, const ProgramUnit&) {
  return fetch_column(s, [](const analysis::SpectrumPoint& p, std::vector<double>& v) {
    v.push_back(static_cast<double>(p.flags));
  });
}
std::string fetch_range(Session& s, const ProgramUnit&) {
  return fetch_column(
      s, [](const analysis::SpectrumPoint& p, std::vector<double>& v) { v.push_back(p.range); });
}
std::string fetch_gain(Session& s, const ProgramUnit&) {
  return fetch_column(
      s, [](const analysis::SpectrumPoint& p, std::vector<double>& v) { v.push_back(p.pga); });
}
std::string fetch_warnings(Session& s, const ProgramUnit&) {
  const Spectrum& spectrum = s.last_spectrum();
  std::vector<std::string> warnings = spectrum.warnings;
  if (spectrum.partial) warnings.insert(warnings.begin(), "the run ended before its last point");
  return quoted_list(warnings);
}
std::string format(Session& s, const ProgramUnit& u) {
  const std::size_t kind = choice_index(arg(u), {"ASCii", "REAL"});
  if (kind == 0) {
    if (u.parameters.size() > 1) {
      throw ScpiError(scpi_code::parameter_not_allowed, "ASCii takes no length");
    }
    s.data_format() = DataFormat::ascii;
    return {};
  }
  if (u.parameters.size() > 1 && scaled_number(arg(u, 1), "") != 64) {
    throw ScpiError(scpi_code::illegal_parameter_value, "REAL takes 64 bits only");
  }
  s.data_format() = DataFormat::real64;
  return {};
}
std::string format_query(Session& s, const ProgramUnit&) {
  return s.data_format() == DataFormat::ascii ? "ASC" : "REAL,64";
}
std::string border(Session& s, const ProgramUnit& u) {
  s.byte_order() =
      choice_index(arg(u), {"NORMal", "SWAPped"}) == 0 ? ByteOrder::normal : ByteOrder::swapped;
  return {};
}
std::string border_query(Session& s, const ProgramUnit&) {
  return s.byte_order() == ByteOrder::normal ? "NORM" : "SWAP";
}
std::string temperature_query(Session& s, const ProgramUnit&) {
  return number_response(s.instrument().temperature_c());
}
std::string dut(Session& s, const ProgramUnit& u) {
  require_simulation(s);
  s.instrument().set_dut(text_value(arg(u)));
  return {};
}
std::string dut_query(Session& s, const ProgramUnit&) {
  require_simulation(s);
  return string_response(s.instrument().dut());
}
std::string fault(Session& s, const ProgramUnit& u) {
  require_simulation(s);
  std::vector<std::string> args;
  for (std::size_t i = 1; i < u.parameters.size(); ++i) {
    const Parameter& p = u.parameters[i];
    args.push_back(p.kind == ParameterKind::numeric ? p.text + p.suffix : p.text);
  }
  s.instrument().set_fault(text_value(arg(u)), args);
  return {};
}
std::string fault_query(Session& s, const ProgramUnit&) {
  require_simulation(s);
  return quoted_list(s.instrument().active_faults());
}

using enum Sequencing;

const std::vector<CommandSpec> table = {
    {"*IDN?", "", 0, 0, immediate, identify, "Maker, model, board identity and program version.",
     "*IDN?"},
    {"*RST", "", 0, 0, immediate, reset,
     "Stops any run and restores the default plan, reference, data format and byte order.", "*RST"},
    {"*CLS", "", 0, 0, immediate, clear_status,
     "Empties the error queue and clears the event status register.", "*CLS"},
    {"*OPC", "", 0, 0, immediate, operation_complete,
     "Sets the operation-complete bit of *ESR? once the running calibration or sweep ends.",
     "INIT;*OPC"},
    {"*OPC?", "", 0, 0, after_run, operation_complete_query,
     "Answers 1 once the running calibration or sweep has ended.", "INIT;*OPC?"},
    {"*WAI", "", 0, 0, after_run, wait,
     "Holds the commands after it until the running calibration or sweep has ended.",
     "INIT;*WAI;FETC:IMP?"},
    {"*ESR?", "", 0, 0, immediate, event_status_query,
     "Reads and clears the event status register (1 operation complete, 4 query error, 8 "
     "device error, 16 execution error, 32 command error, 128 power on).",
     "*ESR?"},
    {"*STB?", "", 0, 0, immediate, status_byte_query,
     "The status byte: 4 error queue not empty, 32 an enabled event, 64 a service request.",
     "*STB?"},
    {"*ESE", "<mask 0..255>", 1, 1, immediate, event_enable,
     "Which event status bits set the summary bit 32 of the status byte.", "*ESE 60"},
    {"*ESE?", "", 0, 0, immediate, event_enable_query, "The event status enable mask.", "*ESE?"},
    {"*SRE", "<mask 0..255>", 1, 1, immediate, service_enable,
     "Which status byte bits request service (bit 64).", "*SRE 32"},
    {"*SRE?", "", 0, 0, immediate, service_enable_query, "The service request enable mask.",
     "*SRE?"},
    {"*TST?", "", 0, 0, after_run, self_test_query,
     "Self-test of the board: 0 passed, 1 failed (the reason goes in the error queue).", "*TST?"},
    {"SYSTem:ERRor[:NEXT]?", "", 0, 0, immediate, error_next_query,
     "The oldest error as code and text, removed from the queue; 0,\"No error\" when empty.",
     "SYST:ERR?"},
    {"SYSTem:ERRor:COUNt?", "", 0, 0, immediate, error_count_query,
     "The number of errors in the queue.", "SYST:ERR:COUN?"},
    {"SYSTem:VERSion?", "", 0, 0, immediate, version_query, "The SCPI version the commands follow.",
     "SYST:VERS?"},
    {"SYSTem:HELP:HEADers?", "", 0, 0, immediate, help_headers_query,
     "Every header, one per line, in a definite-length block.", "SYST:HELP:HEAD?"},
    {"STATus:OPERation:CONDition?", "", 0, 0, immediate, operation_condition_query,
     "1 while calibrating, 16 while measuring, 0 when idle.", "STAT:OPER:COND?"},
    {"[SENSe:]FREQuency:STARt", "<frequency>|MIN|MAX|DEF", 1, 1, immediate, start,
     "Start frequency of the sweep (Hz unless a unit is given).", "FREQ:STAR 1kHz"},
    {"[SENSe:]FREQuency:STARt?", "", 0, 0, immediate, start_query, "Start frequency in Hz.",
     "FREQ:STAR?"},
    {"[SENSe:]FREQuency:STOP", "<frequency>|MIN|MAX|DEF", 1, 1, immediate, stop,
     "Stop frequency of the sweep.", "SENS:FREQ:STOP 100 KHZ"},
    {"[SENSe:]FREQuency:STOP?", "", 0, 0, immediate, stop_query, "Stop frequency in Hz.",
     "FREQ:STOP?"},
    {"[SENSe:]SWEep:POINts", "<count>|MIN|MAX|DEF", 1, 1, immediate, points,
     "Number of points from start to stop.", "SWE:POIN 201"},
    {"[SENSe:]SWEep:POINts?", "", 0, 0, immediate, points_query, "Number of points.", "SWE:POIN?"},
    {"[SENSe:]SWEep:SPACing", "LINear|LOGarithmic", 1, 1, immediate, spacing,
     "Equal steps in frequency or in its logarithm.", "SWE:SPAC LOG"},
    {"[SENSe:]SWEep:SPACing?", "", 0, 0, immediate, spacing_query, "LIN or LOG.", "SWE:SPAC?"},
    {"[SENSe:]SWEep:SEGMent:ADD", "<start>,<stop>,<count>[,LINear|LOGarithmic]", 3, 4, immediate,
     segment_add,
     "Appends a segment; while any segment is defined the sweep is the segments in order "
     "and start, stop, points and spacing are not used.",
     "SWE:SEGM:ADD 1kHz,10kHz,10,LOG"},
    {"[SENSe:]SWEep:SEGMent:CLEar", "", 0, 0, immediate, segment_clear,
     "Removes every segment: the sweep is start to stop again.", "SWE:SEGM:CLE"},
    {"[SENSe:]SWEep:SEGMent:COUNt?", "", 0, 0, immediate, segment_count_query,
     "Number of segments.", "SWE:SEGM:COUN?"},
    {"[SENSe:]SWEep:SEGMent:LIST?", "", 0, 0, immediate, segment_list_query,
     "Each segment as start,stop,count,spacing.", "SWE:SEGM:LIST?"},
    {"[SENSe:]SWEep:SETTling", "<cycles>|MIN|MAX|DEF", 1, 1, immediate, settling,
     "Excitation cycles to wait at each frequency before measuring.", "SWE:SETT 15"},
    {"[SENSe:]SWEep:SETTling?", "", 0, 0, immediate, settling_query, "Settling cycles.",
     "SWE:SETT?"},
    {"[SENSe:]GAIN", "1|5|AUTO", 1, 1, immediate, gain, "PGA gain, or AUTO to choose it per point.",
     "GAIN AUTO"},
    {"[SENSe:]GAIN?", "", 0, 0, immediate, gain_query, "1, 5 or AUTO.", "GAIN?"},
    {"[SENSe:]FEEDback:RESistance", "<ohms>|MIN|MAX|DEF", 1, 1, immediate, feedback,
     "The feedback resistor fitted on the board (ohm unless a unit is given; MOHM is megohm).",
     "FEED:RES 200 KOHM"},
    {"[SENSe:]FEEDback:RESistance?", "", 0, 0, immediate, feedback_query,
     "Feedback resistor in ohms.", "FEED:RES?"},
    {"SOURce:VOLTage:RANGe", "1|2|3|4|AUTO", 1, 1, immediate, range,
     "Excitation range (1 is the largest output), or AUTO to choose it per point.",
     "SOUR:VOLT:RANG 1"},
    {"SOURce:VOLTage:RANGe?", "", 0, 0, immediate, range_query, "1..4 or AUTO.", "SOUR:VOLT:RANG?"},
    {"CALibration:REFerence", "<circuit string>", 1, 1, immediate, cal_reference,
     "The known impedance on the board for the next calibration, as a circuit expression.",
     "CAL:REF \"R200k\""},
    {"CALibration:REFerence?", "", 0, 0, immediate, cal_reference_query,
     "The calibration reference.", "CAL:REF?"},
    {"CALibration:MEASure", "", 0, 0, immediate, cal_measure,
     "Calibrates over the current plan on the reference (overlapped: use *OPC? or *WAI).",
     "CAL:MEAS;*OPC?"},
    {"CALibration:SAVE", "<name string>", 1, 1, after_run, cal_save,
     "Saves the calibration as a plain name in the data folder.", "CAL:SAVE \"bench-200k\""},
    {"CALibration:LOAD", "<name string>", 1, 1, after_run, cal_load,
     "Loads a calibration saved under that name.", "CAL:LOAD \"bench-200k\""},
    {"CALibration:STATe?", "", 0, 0, after_run, cal_state_query,
     "1 when a calibration covers the plan, else 0; its reference; its warnings.", "CAL:STAT?"},
    {"INITiate[:IMMediate]", "", 0, 0, immediate, initiate,
     "Starts one sweep over the plan (overlapped: use *OPC? or *WAI).", "INIT;*OPC?"},
    {"INITiate:CONTinuous", "ON|OFF|1|0", 1, 1, immediate, continuous,
     "ON repeats sweeps until OFF or ABORt; FETCh? then reads the last finished one.",
     "INIT:CONT ON"},
    {"INITiate:CONTinuous?", "", 0, 0, immediate, continuous_query, "1 while sweeps repeat.",
     "INIT:CONT?"},
    {"ABORt", "", 0, 0, immediate, abort,
     "Ends the running calibration or sweep between two points and stops repeating; a "
     "sweep keeps the points it measured.",
     "ABOR"},
    {"FETCh:FREQuency?", "", 0, 0, fetch, fetch_frequency,
     "Frequencies of the last sweep in Hz, in the data format.", "FETC:FREQ?"},
    {"FETCh:IMPedance?", "", 0, 0, fetch, fetch_impedance,
     "Impedance of the last sweep as real,imaginary pairs in ohms, in the data format.",
     "FETC:IMP?"},
    {"FETCh:FLAGs?", "", 0, 0, fetch, fetch_flags,
     "Per point: 1 clipped, 2 low signal, 4 uncalibrated, 8 outside the calibrated span.",
     "FETC:FLAG?"},
    {"FETCh:RANGe?", "", 0, 0, fetch, fetch_range, "Excitation range used at each point.",
     "FETC:RANG?"},
    {"FETCh:GAIN?", "", 0, 0, fetch, fetch_gain, "PGA gain used at each point.", "FETC:GAIN?"},
    {"FETCh:WARNings?", "", 0, 0, fetch, fetch_warnings,
     "The last sweep's warnings as quoted strings.", "FETC:WARN?"},
    {"FORMat[:DATA]", "ASCii|REAL[,64]", 1, 2, immediate, format,
     "Data answers as comma-separated text or as a definite-length block of 64-bit floats.",
     "FORM REAL,64"},
    {"FORMat[:DATA]?", "", 0, 0, immediate, format_query, "ASC or REAL,64.", "FORM?"},
    {"FORMat:BORDer", "NORMal|SWAPped", 1, 1, immediate, border,
     "Byte order of REAL,64 blocks: NORMal is big-endian, SWAPped little-endian.",
     "FORM:BORD SWAP"},
    {"FORMat:BORDer?", "", 0, 0, immediate, border_query, "NORM or SWAP.", "FORM:BORD?"},
    {"MEASure:TEMPerature?", "", 0, 0, after_run, temperature_query,
     "The chip's die temperature in degrees Celsius.", "MEAS:TEMP?"},
    {"SYSTem:SIMulation:DUT", "<circuit string>", 1, 1, after_run, dut,
     "Virtual board: the impedance under test as a circuit expression.",
     "SYST:SIM:DUT \"R10k||C1n\""},
    {"SYSTem:SIMulation:DUT?", "", 0, 0, after_run, dut_query,
     "Virtual board: the impedance under test.", "SYST:SIM:DUT?"},
    {"SYSTem:SIMulation:FAULt", "<name string>[,<argument>...]", 1, 8, after_run, fault,
     "Virtual board: switches a fault on by name with its arguments; \"off\",\"all\" "
     "clears every fault.",
     "SYST:SIM:FAUL \"zero-data\",3"},
    {"SYSTem:SIMulation:FAULt?", "", 0, 0, after_run, fault_query,
     "Virtual board: the faults switched on.", "SYST:SIM:FAUL?"},
};

struct PatternNode {
  std::string name;
  bool optional;
};

struct Pattern {
  std::vector<PatternNode> nodes;
  bool query;
};

Pattern parse_pattern(std::string_view header) {
  Pattern pattern{{}, false};
  if (!header.empty() && header.back() == '?') {
    pattern.query = true;
    header.remove_suffix(1);
  }
  bool optional = false;
  std::size_t i = 0;
  while (i < header.size()) {
    const char c = header[i];
    if (c == '[') {
      optional = true;
      ++i;
    } else if (c == ':' || c == ']') {
      ++i;
    } else {
      std::size_t end = i;
      while (end < header.size() && header[end] != ':' && header[end] != '[' && header[end] != ']')
        ++end;
      pattern.nodes.push_back({std::string(header.substr(i, end - i)), optional});
      optional = false;
      i = end;
    }
  }
  return pattern;
}

bool matches(const std::vector<std::string>& typed, std::size_t t,
             const std::vector<PatternNode>& nodes, std::size_t n) {
  if (n == nodes.size()) return t == typed.size();
  if (t < typed.size() && mnemonic_matches(typed[t], nodes[n].name) &&
      matches(typed, t + 1, nodes, n + 1)) {
    return true;
  }
  return nodes[n].optional && matches(typed, t, nodes, n + 1);
}

const std::vector<Pattern>& patterns() {
  static const std::vector<Pattern> parsed = [] {
    std::vector<Pattern> out;
    for (const CommandSpec& spec : table) out.push_back(parse_pattern(spec.header));
    return out;
  }();
  return parsed;
}

}  // namespace

const std::vector<CommandSpec>& command_table() {
  return table;
}

const CommandSpec* find_command(const std::vector<std::string>& nodes, bool query) {
  const std::vector<Pattern>& all = patterns();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (all[i].query == query && matches(nodes, 0, all[i].nodes, 0)) return &table[i];
  }
  return nullptr;
}

}  // namespace quelnor::remote
