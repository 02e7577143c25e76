// Tables of SCPI program messages: headers, chaining, parameters of every kind, and the
// command errors the parser reports.
#include "remote/scpi_parser.h"

#include <gtest/gtest.h>

#include "remote/scpi_error.h"

namespace quelnor::remote {
namespace {

// A compact rendering of a parsed message: units as "[:]NODE:NODE[?](params)" joined by
// " ; ", parameters as n:<number><suffix>, c:<word>, s:<text>, b:<bytes>; then "!code".
std::string render(const ParsedMessage& m) {
  std::string out;
  for (const ProgramUnit& u : m.units) {
    if (!out.empty()) out += " ; ";
    if (u.absolute) out += ':';
    for (std::size_t i = 0; i < u.nodes.size(); ++i) out += (i ? ":" : "") + u.nodes[i];
    if (u.query) out += '?';
    if (!u.parameters.empty()) {
      out += '(';
      for (std::size_t i = 0; i < u.parameters.size(); ++i) {
        const Parameter& p = u.parameters[i];
        if (i) out += ',';
        switch (p.kind) {
          case ParameterKind::numeric: {
            char number[32];
            std::snprintf(number, sizeof number, "%.10g", p.number);
            out += "n:" + std::string(number) + p.suffix;
            break;
          }
          case ParameterKind::character:
            out += "c:" + p.text;
            break;
          case ParameterKind::string:
            out += "s:" + p.text;
            break;
          case ParameterKind::block:
            out += "b:" + p.text;
            break;
        }
      }
      out += ')';
    }
  }
  if (m.error) out += (out.empty() ? "!" : " !") + std::to_string(m.error->code);
  return out;
}

struct Case {
  const char* message;
  const char* parsed;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.message;
}

class ParserTable : public ::testing::TestWithParam<Case> {};

TEST_P(ParserTable, ParsesAsExpected) {
  const Case& c = GetParam();
  EXPECT_EQ(render(parse_program_message(c.message)), c.parsed) << c.message;
}

INSTANTIATE_TEST_SUITE_P(
    Headers, ParserTable,
    ::testing::Values(
        Case{"*IDN?", "*IDN?"}, Case{"*idn?", "*IDN?"}, Case{"*RST", "*RST"},
        Case{"SENS:FREQ:STAR 1000", "SENS:FREQ:STAR(n:1000)"},
        Case{"sense:frequency:start 1000", "SENSE:FREQUENCY:START(n:1000)"},
        Case{":FREQ:STAR?", ":FREQ:STAR?"}, Case{"  SYST:ERR?  ", "SYST:ERR?"}, Case{"", ""},
        Case{"   ", ""}, Case{"FREQ:STAR 1;STOP 2", "FREQ:STAR(n:1) ; STOP(n:2)"},
        Case{"FREQ:STAR 1 ; :SWE:POIN 5;*OPC?", "FREQ:STAR(n:1) ; :SWE:POIN(n:5) ; *OPC?"},
        Case{"*IDN?;", "*IDN?"}, Case{"FREQ::STAR 1", "!-101"}, Case{"FREQ:", "!-102"},
        Case{"FREQ:STAR,1", "!-103"}, Case{"*IDN?;FREQ:STAR$", "*IDN? !-103"},
        Case{"ABCDEFGHIJKLMN", "!-112"}, Case{"FREQ:STAR 1;;STOP 2", "FREQ:STAR(n:1) !-101"},
        Case{"FREQ 1 2", "!-103"}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, ParserTable,
    ::testing::Values(
        Case{"X 2.5E3", "X(n:2500)"}, Case{"X -1.5e-3", "X(n:-0.0015)"}, Case{"X +.5", "X(n:0.5)"},
        Case{"X 5.", "X(n:5)"}, Case{"X 1kHz", "X(n:1KHZ)"}, Case{"X 1 MHZ", "X(n:1MHZ)"},
        Case{"X 1EXHZ", "X(n:1EXHZ)"}, Case{"X 2E3KOHM", "X(n:2000KOHM)"},
        Case{"X #H1F", "X(n:31)"}, Case{"X #hff", "X(n:255)"}, Case{"X #Q17", "X(n:15)"},
        Case{"X #B101", "X(n:5)"}, Case{"X #B102", "!-121"}, Case{"X +", "!-121"},
        Case{"X .", "!-121"}, Case{"X 1E999999", "!-123"}, Case{"X 1E400", "!-123"},
        Case{"X 1,-2,3e1", "X(n:1,n:-2,n:30)"}, Case{"X 1,,2", "!-102"}, Case{"X 1,", "!-102"}));

INSTANTIATE_TEST_SUITE_P(
    WordsStringsBlocks, ParserTable,
    ::testing::Values(Case{"X lin", "X(c:LIN)"}, Case{"X REAL,64", "X(c:REAL,n:64)"},
                      Case{"X \"R10k||C1n\"", "X(s:R10k||C1n)"}, Case{"X 'a;b,c'", "X(s:a;b,c)"},
                      Case{"X \"say \"\"hi\"\"\"", "X(s:say \"hi\")"},
                      Case{"X 'it''s'", "X(s:it's)"}, Case{"X \"open", "!-151"},
                      Case{"X #15abcde", "X(b:abcde)"},
                      Case{"X #15a;\n,e;*IDN?", "X(b:a;\n,e) ; *IDN?"}, Case{"X #210abc", "!-161"},
                      Case{"X #3", "!-161"}, Case{"X #2x1", "!-161"},
                      Case{"X #0raw;bytes", "X(b:raw;bytes)"}, Case{"X #", "!-161"},
                      Case{"X @", "!-101"}));

TEST(Mnemonic, ShortAndLongFormsOnly) {
  EXPECT_TRUE(mnemonic_matches("FREQ", "FREQuency"));
  EXPECT_TRUE(mnemonic_matches("FREQUENCY", "FREQuency"));
  EXPECT_FALSE(mnemonic_matches("FREQU", "FREQuency"));
  EXPECT_FALSE(mnemonic_matches("FRE", "FREQuency"));
  EXPECT_TRUE(mnemonic_matches("*IDN", "*IDN"));
  EXPECT_TRUE(mnemonic_matches("NEXT", "NEXT"));
}

TEST(Parser, NumbersKeepTheirExactValue) {
  const ParsedMessage m = parse_program_message("X 0.1,1234.5678901234567,1e-300");
  ASSERT_EQ(m.units.size(), 1u);
  EXPECT_EQ(m.units[0].parameters[0].number, 0.1);
  EXPECT_EQ(m.units[0].parameters[1].number, 1234.5678901234567);
  EXPECT_EQ(m.units[0].parameters[2].number, 1e-300);
}

TEST(Parser, BlockMayHoldAnyByte) {
  const std::string payload("\0\xff\n;\"", 5);
  const ParsedMessage m = parse_program_message("X #15" + payload + ";Y");
  ASSERT_FALSE(m.error);
  ASSERT_EQ(m.units.size(), 2u);
  EXPECT_EQ(m.units[0].parameters[0].text, payload);
}

}  // namespace
}  // namespace quelnor::remote
