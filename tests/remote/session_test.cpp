// The SCPI session over the fake instrument: answers, the error queue and the event status
// register, path rules, overlapped runs with *OPC?, *WAI and ABORt, data formats, files.
#include "remote/session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <thread>

#include "remote/scpi_error.h"
#include "remote/session_harness.h"
#include "util/version.h"

namespace quelnor::remote {
namespace {

using testing::SessionHarness;
using Answers = std::vector<std::string>;

std::vector<double> parse_list(const std::string& text) {
  std::vector<double> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find(',', pos);
    if (end == std::string::npos) end = text.size();
    out.push_back(std::stod(text.substr(pos, end - pos)));
    pos = end + 1;
  }
  return out;
}

std::vector<double> decode_block(const std::string& block, bool big_endian) {
  EXPECT_EQ(block.at(0), '#');
  const int digits = block.at(1) - '0';
  const std::size_t length = std::stoul(block.substr(2, digits));
  EXPECT_EQ(block.size(), 2 + digits + length);
  std::vector<double> out;
  for (std::size_t at = 2 + digits; at + 8 <= block.size(); at += 8) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
      const auto byte = static_cast<std::uint8_t>(block[at + (big_endian ? i : 7 - i)]);
      bits = (bits << 8) | byte;
    }
    out.push_back(std::bit_cast<double>(bits));
  }
  return out;
}

TEST(Session, IdentifiesItself) {
  SessionHarness h;
  EXPECT_EQ(h.ask("*IDN?"),
            std::string("Quelnor,quelnor-eval,fake board,") + util::program_version);
}

TEST(Session, SettingsAnswerNothingAndQueriesReadThemBack) {
  SessionHarness h;
  EXPECT_EQ(h.send("FREQ:STAR 2.5kHz"), Answers{});
  EXPECT_EQ(h.send("SENS:FREQ:STOP 0.05 MHZ;:SWE:POIN 11;SPAC LOG"), Answers{});
  EXPECT_EQ(h.ask("FREQ:STAR?;STOP?;:SWE:POIN?;SPAC?"), "2500;50000;11;LOG");
  EXPECT_EQ(h.ask("sense:frequency:start?"), "2500");
  EXPECT_EQ(h.drain_errors(), std::vector<int>{});
}

TEST(Session, PathRulesContinueFromTheLastNode) {
  SessionHarness h;
  // STOP continues under FREQ; a common command does not change the path; ':' goes back
  // to the root; SWE:POIN from under FREQ is an undefined header.
  h.send("FREQ:STAR 2kHz;*CLS;STOP 3kHz;:SWE:POIN 7;FREQ:STAR 4kHz");
  EXPECT_EQ(h.ask(":FREQ:STAR?;STOP?;:SWE:POIN?"), "2000;3000;7");
  EXPECT_EQ(h.drain_errors(), std::vector<int>{scpi_code::undefined_header});
  h.send("FREQ:STAR 1kHz;SWE:POIN 9");
  EXPECT_EQ(h.drain_errors(), std::vector<int>{scpi_code::undefined_header});
}

TEST(Session, OptionalNodesMayBeLeftOut) {
  SessionHarness h;
  EXPECT_EQ(h.ask("SYST:ERR:NEXT?"), "0,\"No error\"");
  EXPECT_EQ(h.ask("SYST:ERR?"), "0,\"No error\"");
  h.send("FORM:DATA REAL,64");
  EXPECT_EQ(h.ask("FORM?"), "REAL,64");
  h.send("INIT:IMM");
  h.settle();
  EXPECT_EQ(h.fake.runs(), 1);
}

struct ErrorCase {
  const char* message;
  int code;
  int esr_bit;
};

class SessionErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SessionErrors, QueueAndEventStatusFollowTheError) {
  const ErrorCase& c = GetParam();
  SessionHarness h;
  h.ask("*ESR?");  // clears power-on
  h.send(c.message);
  h.settle();
  EXPECT_EQ(h.ask("SYST:ERR:COUN?"), "1") << c.message;
  EXPECT_EQ(std::stoi(h.ask("*STB?")) & 4, 4) << "error queue bit";
  const std::string entry = h.ask("SYST:ERR?");
  EXPECT_EQ(std::stoi(entry), c.code) << c.message << " -> " << entry;
  EXPECT_NE(entry.find(std::string(scpi_error_text(c.code))), std::string::npos) << entry;
  EXPECT_EQ(std::stoi(h.ask("*ESR?")), c.esr_bit) << c.message;
  EXPECT_EQ(h.ask("*ESR?"), "0") << "read clears it";
}

INSTANTIATE_TEST_SUITE_P(
    Table, SessionErrors,
    ::testing::Values(
        ErrorCase{"FOO:BAR 1", scpi_code::undefined_header, esr_bit::command_error},
        ErrorCase{"FREQ:STAR", scpi_code::missing_parameter, esr_bit::command_error},
        ErrorCase{"*IDN? 5", scpi_code::parameter_not_allowed, esr_bit::command_error},
        ErrorCase{"FREQ:STAR 1 V", scpi_code::invalid_suffix, esr_bit::command_error},
        ErrorCase{"SWE:POIN 5 HZ", scpi_code::suffix_not_allowed, esr_bit::command_error},
        ErrorCase{"FREQ:STAR \"1\"", scpi_code::string_data_not_allowed, esr_bit::command_error},
        ErrorCase{"FREQ:STAR 1e9", scpi_code::data_out_of_range, esr_bit::execution_error},
        ErrorCase{"SWE:POIN 2.5", scpi_code::data_out_of_range, esr_bit::execution_error},
        ErrorCase{"SWE:POIN 1", scpi_code::data_out_of_range, esr_bit::execution_error},
        ErrorCase{"GAIN 3", scpi_code::illegal_parameter_value, esr_bit::execution_error},
        ErrorCase{"SOUR:VOLT:RANG 5", scpi_code::illegal_parameter_value, esr_bit::execution_error},
        ErrorCase{"FORM REAL,32", scpi_code::illegal_parameter_value, esr_bit::execution_error},
        ErrorCase{"FORM ASC,8", scpi_code::parameter_not_allowed, esr_bit::command_error},
        ErrorCase{"FREQ:STAR 50kHz;STOP 10kHz;:INIT", scpi_code::settings_conflict,
                  esr_bit::execution_error},
        ErrorCase{"SWE:SEGM:ADD 10kHz,1kHz,5", scpi_code::settings_conflict,
                  esr_bit::execution_error},
        ErrorCase{"FETC:IMP?", scpi_code::data_corrupt_or_stale, esr_bit::execution_error},
        ErrorCase{"SYST:SIM:DUT \"R10k||\"", scpi_code::illegal_parameter_value,
                  esr_bit::execution_error},
        ErrorCase{"CAL:REF \"Q\";MEAS", scpi_code::execution_error, esr_bit::execution_error},
        ErrorCase{"SYST:SIM:FAUL \"fail-at\",0;:INIT", scpi_code::execution_error,
                  esr_bit::execution_error},
        ErrorCase{"CAL:LOAD \"absent\"", scpi_code::file_name_not_found, esr_bit::execution_error},
        ErrorCase{"CAL:SAVE \"../x\"", scpi_code::file_name_error, esr_bit::execution_error},
        ErrorCase{"FREQ:STAR 1,2", scpi_code::parameter_not_allowed, esr_bit::command_error},
        ErrorCase{"FREQ:STAR 1;;", scpi_code::invalid_character, esr_bit::command_error}));

TEST(Session, CommandsBeforeASyntaxErrorRunAndTheRestIsDropped) {
  SessionHarness h;
  h.send("SWE:POIN 42;FREQ:STAR #B12;:SWE:POIN 43");
  EXPECT_EQ(h.ask("SWE:POIN?"), "42");
  EXPECT_EQ(h.drain_errors(), std::vector<int>{scpi_code::invalid_character_in_number});
}

TEST(Session, QueueKeepsTheOldestAndMarksOverflow) {
  SessionHarness h;
  for (int i = 0; i < 40; ++i) h.send(i == 0 ? "SWE:POIN 1" : "NOSUCH");
  EXPECT_EQ(h.ask("SYST:ERR:COUN?"), std::to_string(ErrorQueue::capacity));
  const std::vector<int> codes = h.drain_errors();
  ASSERT_EQ(codes.size(), ErrorQueue::capacity);
  EXPECT_EQ(codes.front(), scpi_code::data_out_of_range);
  EXPECT_EQ(codes[1], scpi_code::undefined_header);
  EXPECT_EQ(codes.back(), scpi_code::queue_overflow);
}

TEST(Session, ClearStatusEmptiesQueueAndRegister) {
  SessionHarness h;
  h.send("NOSUCH");
  h.send("*CLS");
  EXPECT_EQ(h.ask("SYST:ERR:COUN?;*ESR?;*STB?"), "0;0;0");
}

TEST(Session, EnabledEventsSummariseInTheStatusByte) {
  SessionHarness h;
  h.send("*CLS;*ESE 32;*SRE 32");
  EXPECT_EQ(h.ask("*ESE?;*SRE?"), "32;32");
  h.send("NOSUCH");
  EXPECT_EQ(h.ask("*STB?"), std::to_string(4 + 32 + 64));
}

TEST(Session, OperationCompleteQueryWaitsForTheSweep) {
  SessionHarness h;
  h.fake.hold_points(true);
  h.send("SWE:POIN 5");
  EXPECT_EQ(h.send("INIT;*OPC?"), Answers{});
  EXPECT_EQ(h.ask("STAT:OPER:COND?"), "<0 answers>") << "queued behind the waiting *OPC?";
  h.fake.release(5);
  EXPECT_EQ(h.finish_operation(), (Answers{"1", "0"}))
      << "*OPC? answers once the run is done, then the query queued behind it";
  EXPECT_EQ(parse_list(h.ask("FETC:FREQ?")).size(), 5u);
}

TEST(Session, QueriesAreAnsweredWhileASweepRuns) {
  SessionHarness h;
  h.fake.hold_points(true);
  h.send("INIT");
  EXPECT_TRUE(h.session.operation_running());
  EXPECT_EQ(h.ask("*IDN?").substr(0, 20), "Quelnor,quelnor-eval");
  EXPECT_EQ(h.ask("STAT:OPER:COND?"), "16");
  EXPECT_EQ(h.send("FREQ:STAR 5kHz"), Answers{});
  EXPECT_EQ(h.ask("SYST:ERR?"), "0,\"No error\"");
  h.send("INIT");
  EXPECT_EQ(h.drain_errors(), std::vector<int>{scpi_code::init_ignored});
  h.fake.hold_points(false);
  h.settle();
  EXPECT_EQ(h.ask("STAT:OPER:COND?"), "0");
}

TEST(Session, OperationCompleteCommandSetsTheEventBit) {
  SessionHarness h;
  h.ask("*ESR?");
  h.fake.hold_points(true);
  h.send("INIT;*OPC");
  EXPECT_EQ(h.ask("*ESR?"), "0");
  h.fake.hold_points(false);
  h.settle();
  EXPECT_EQ(h.ask("*ESR?"), "1");
  h.send("*OPC");
  EXPECT_EQ(h.ask("*ESR?"), "1") << "idle: set at once";
}

TEST(Session, WaitHoldsTheFollowingCommands) {
  SessionHarness h;
  h.fake.hold_points(true);
  h.send("SWE:POIN 3");
  EXPECT_EQ(h.send("INIT;*WAI;FETC:FREQ?"), Answers{});
  EXPECT_EQ(h.send("SWE:POIN?"), Answers{}) << "waits in line";
  h.fake.release(3);
  const Answers answers = h.finish_operation();
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(parse_list(answers[0]).size(), 3u);
  EXPECT_EQ(answers[1], "3");
}

TEST(Session, FetchWaitsForARunningSweep) {
  SessionHarness h;
  h.fake.hold_points(true);
  h.send("SWE:POIN 4;:INIT");
  EXPECT_EQ(h.send("FETC:FREQ?"), Answers{});
  h.fake.release(4);
  const Answers answers = h.finish_operation();
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(parse_list(answers[0]).size(), 4u);
}

TEST(Session, AbortEndsTheRunBetweenPointsAndKeepsWhatWasMeasured) {
  SessionHarness h;
  h.fake.hold_points(true);
  h.send("SWE:POIN 100;:INIT");
  h.fake.release(3);
  while (h.fake.points_taken() < 3) std::this_thread::yield();
  h.send("ABOR");
  EXPECT_EQ(h.send("*OPC?"), Answers{});
  EXPECT_EQ(h.finish_operation(), Answers{"1"});
  EXPECT_EQ(parse_list(h.ask("FETC:FREQ?")).size(), 3u);
  EXPECT_EQ(h.ask("FETC:WARN?"), "\"the run ended before its last point\"");
  EXPECT_EQ(h.drain_errors(), std::vector<int>{});
}

TEST(Session, AbortReachesARunThatAClientIsWaitingFor) {
  SessionHarness h;
  h.fake.hold_points(true);
  h.send("SWE:POIN 100;:INIT");
  EXPECT_EQ(h.send("*OPC?"), Answers{});
  EXPECT_EQ(h.send("SWE:POIN?;:ABOR"), Answers{}) << "in line behind *OPC?";
  EXPECT_EQ(h.finish_operation(), (Answers{"1", "100"})) << "the run ended without a release";
  EXPECT_FALSE(h.session.operation_running());
  h.send("INIT");
  EXPECT_EQ(h.send("*OPC?"), Answers{});
  h.send("SWE:POIN 7;ABOR");  // ABOR under SWE: an undefined header, no abort
  h.fake.release(100);
  EXPECT_EQ(h.finish_operation(), Answers{"1"});
  EXPECT_EQ(h.fake.points_taken(), 100);
  EXPECT_EQ(h.drain_errors(), std::vector<int>{scpi_code::undefined_header});
}

TEST(Session, ContinuousRunsRepeatUntilAborted) {
  SessionHarness h;
  h.send("SWE:POIN 2;:INIT:CONT ON");
  EXPECT_EQ(h.ask("INIT:CONT?"), "1");
  h.finish_operation();
  h.finish_operation();
  EXPECT_GE(h.fake.runs(), 2);
  EXPECT_TRUE(h.session.operation_running()) << "a third run started after two ended";
  EXPECT_EQ(parse_list(h.ask("FETC:FREQ?")).size(), 2u) << "the last finished run at once";
  h.send("MEAS:TEMP?");
  EXPECT_EQ(h.drain_errors(), std::vector<int>{scpi_code::settings_conflict});
  h.send("ABOR");
  h.settle();
  EXPECT_FALSE(h.session.operation_running());
  EXPECT_EQ(h.ask("INIT:CONT?;:MEAS:TEMP?"), "0;27.25");
}

TEST(Session, FailedRunReportsWhyAndPutsTheChipInStandby) {
  SessionHarness h;
  h.send("SYST:SIM:FAUL \"fail-at\",2;:INIT");
  h.settle();
  const std::string entry = h.ask("SYST:ERR?");
  EXPECT_EQ(entry, "-200,\"Execution error; data never became valid at point 2\"");
  EXPECT_EQ(h.fake.standby_calls(), 1);
  EXPECT_EQ(h.ask("SYST:SIM:FAUL?"), "\"fail-at 2\"");
  h.send("SYST:SIM:FAUL \"off\"");
  EXPECT_EQ(h.ask("SYST:SIM:FAUL?"), "\"\"");
}

TEST(Session, ResetStopsTheRunAndRestoresDefaults) {
  SessionHarness h;
  h.fake.hold_points(true);
  h.send("FREQ:STAR 3kHz;:FORM:DATA REAL;BORD SWAP;:INIT");
  EXPECT_EQ(h.ask("FREQ:STAR?;:FORM?;:FORM:BORD?"), "3000;REAL,64;SWAP");
  h.send("*RST");
  EXPECT_FALSE(h.session.operation_running());
  EXPECT_EQ(h.ask("FREQ:STAR?;:FORM?;:FORM:BORD?;:CAL:REF?"), "1000;ASC;NORM;\"R200k\"");
  EXPECT_EQ(h.drain_errors(), std::vector<int>{});
}

TEST(Session, SelfTestFailureGoesToTheQueue) {
  SessionHarness h;
  EXPECT_EQ(h.ask("*TST?"), "0");
  h.fake.fail_self_test("no answer from the chip");
  EXPECT_EQ(h.ask("*TST?"), "1");
  EXPECT_EQ(h.ask("SYST:ERR?"), "-330,\"Self-test failed; no answer from the chip\"");
}

TEST(Session, MeasuresTheDutThroughTheCalibration) {
  SessionHarness h;
  h.send("FREQ:STAR 1kHz;STOP 100kHz;:SWE:POIN 5;SPAC LOG;:SYST:SIM:DUT \"R10k\"");
  h.send("INIT;*WAI");
  h.settle();
  EXPECT_DOUBLE_EQ(parse_list(h.ask("FETC:IMP?"))[0],
                   10e3 * testing::FakeInstrument::uncalibrated_gain_error);
  EXPECT_EQ(h.ask("FETC:FLAG?"), "4,4,4,4,4");
  EXPECT_EQ(h.ask("CAL:STAT?"), "0,\"\",\"\"");
  h.send("CAL:REF \"R200k\";MEAS");
  h.settle();
  EXPECT_EQ(h.ask("CAL:STAT?"), "1,\"R200k\",\"\"");
  h.send("INIT");
  h.settle();
  const std::vector<double> z = parse_list(h.ask("FETC:IMP?"));
  ASSERT_EQ(z.size(), 10u);
  EXPECT_DOUBLE_EQ(z[0], 10e3);
  EXPECT_DOUBLE_EQ(z[1], 0.0);
  const std::vector<double> f = parse_list(h.ask("FETC:FREQ?"));
  ASSERT_EQ(f.size(), 5u);
  for (std::size_t i = 0; i < f.size(); ++i) {
    EXPECT_NEAR(f[i], std::pow(10.0, 3.0 + 0.5 * i), 1e-9 * f[i]) << i;
  }
  h.send("FREQ:STOP 50kHz");
  EXPECT_EQ(h.ask("CAL:STAT?"),
            "1,\"R200k\",\"the plan's frequencies differ from the calibration's\"");
}

TEST(Session, BinaryDataMatchesTheTextInBothByteOrders) {
  SessionHarness h;
  h.send("SWE:POIN 7;:SYST:SIM:DUT \"R1k||C100n\";:INIT;*WAI");
  h.settle();
  const std::vector<double> text = parse_list(h.ask("FETC:IMP?"));
  h.send("FORM REAL,64");
  EXPECT_EQ(decode_block(h.ask("FETC:IMP?"), true), text);
  h.send("FORM:BORD SWAP");
  EXPECT_EQ(decode_block(h.ask("FETC:IMP?"), false), text);
  EXPECT_EQ(decode_block(h.ask("FETC:RANG?"), false), std::vector<double>(7, 1.0));
}

TEST(Session, CalibrationFilesStayInsideTheDataFolder) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("quelnor_session_test_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  SessionHarness h(dir);
  h.send("CAL:SAVE \"nothing\"");
  EXPECT_EQ(h.drain_errors(), std::vector<int>{scpi_code::execution_error})
      << "no calibration taken yet";
  h.send("SWE:POIN 2;:CAL:MEAS;*WAI");
  h.settle();
  for (const char* bad : {"../escape", "/tmp/abs", "sub/name", "..", ".hidden", "", "a\\b"}) {
    h.send(std::string("CAL:SAVE \"") + bad + "\"");
    EXPECT_EQ(h.drain_errors(), std::vector<int>{scpi_code::file_name_error}) << bad;
  }
  h.send("CAL:SAVE \"bench\"");
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "bench.json"));
  h.send("*RST;CAL:LOAD 'bench'");
  EXPECT_EQ(h.drain_errors(), std::vector<int>{});
  std::filesystem::remove_all(dir);
}

TEST(Session, VirtualBoardCommandsNeedTheVirtualBoard) {
  SessionHarness h;
  h.fake.set_simulated(false);
  h.send("SYST:SIM:DUT \"R1k\"");
  EXPECT_EQ(h.drain_errors(), std::vector<int>{scpi_code::execution_error});
}

// Every field of the plan the engine takes can be set over SCPI.
TEST(Session, EverySettingOfThePlanIsReachable) {
  SessionHarness h;
  h.send(
      "FREQ:STAR 2kHz;STOP 20kHz;:SWE:POIN 3;SPAC LOG;SETT 100;:GAIN 5;:FEED:RES 1 MOHM;"
      ":SOUR:VOLT:RANG 3");
  h.send("INIT;*WAI");
  h.settle();
  SweepPlan expected;
  expected.start_hz = 2e3;
  expected.stop_hz = 20e3;
  expected.points = 3;
  expected.spacing = Spacing::logarithmic;
  expected.settling_cycles = 100;
  expected.pga = 5;
  expected.feedback_resistor_ohm = 1e6;
  expected.range = 3;
  EXPECT_EQ(h.fake.last_plan(), expected);
  EXPECT_EQ(h.ask("GAIN?;:SOUR:VOLT:RANG?;:FEED:RES?;:SWE:SETT?"), "5;3;1000000;100");

  h.send("SWE:SEGM:ADD 1kHz,2kHz,3;ADD 2kHz,8kHz,4,LOG;:GAIN AUTO;:SOUR:VOLT:RANG AUTO");
  EXPECT_EQ(h.ask("SWE:SEGM:COUN?;LIST?"), "2;1000,2000,3,LIN,2000,8000,4,LOG");
  h.send("INIT;*WAI");
  h.settle();
  expected.segments = {{1e3, 2e3, 3, Spacing::linear}, {2e3, 8e3, 4, Spacing::logarithmic}};
  expected.pga = 0;
  expected.range = 0;
  EXPECT_EQ(h.fake.last_plan(), expected);
  EXPECT_EQ(parse_list(h.ask("FETC:FREQ?")).size(), 7u);
  h.send("SWE:SEGM:CLE");
  EXPECT_EQ(h.ask("SWE:SEGM:COUN?"), "0");
  h.send("FREQ:STAR MIN;STOP MAX;:SWE:POIN DEF");
  const InstrumentLimits limits;
  EXPECT_EQ(h.ask("FREQ:STAR?;STOP?;:SWE:POIN?"),
            std::to_string(static_cast<int>(limits.min_frequency_hz)) + ";" +
                std::to_string(static_cast<int>(limits.max_frequency_hz)) + ";" +
                std::to_string(limits.defaults.points));
}

TEST(Session, NumbersReadBackToTheSameDouble) {
  SessionHarness h;
  h.send("FREQ:STAR 1234.5678901234567");
  EXPECT_EQ(std::stod(h.ask("FREQ:STAR?")), 1234.5678901234567);
  h.send("FEED:RES 0.1 KOHM");
  EXPECT_EQ(std::stod(h.ask("FEED:RES?")), 100.0);
}

TEST(Session, ShutdownAbortsAndLeavesTheChipInStandby) {
  SessionHarness h;
  h.fake.hold_points(true);
  h.send("INIT");
  h.session.shutdown();
  EXPECT_FALSE(h.session.operation_running());
  EXPECT_EQ(h.fake.standby_calls(), 1);
}

}  // namespace
}  // namespace quelnor::remote
