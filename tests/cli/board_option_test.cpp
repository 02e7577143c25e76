// The --board option every mode reads: the forms it takes and the one-line refusals.
#include "cli/board_option.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "cli/opened_board.h"

namespace quelnor::cli {
namespace {

struct Accepted {
  const char* text;
  bool usb;
  const char* port_path;
};

class BoardOptionAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(BoardOptionAccepts, ReadsTheBoardAndWritesTheSameText) {
  const BoardChoice choice = parse_board_option(GetParam().text);
  EXPECT_EQ(choice.usb, GetParam().usb);
  EXPECT_EQ(choice.port_path, GetParam().port_path);
  EXPECT_EQ(board_option_text(choice), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, BoardOptionAccepts,
                         ::testing::Values(Accepted{"sim", false, ""}, Accepted{"usb", true, ""},
                                           Accepted{"usb:1-4", true, "1-4"},
                                           Accepted{"usb:3-1.2.7", true, "3-1.2.7"}));

class BoardOptionRefuses : public ::testing::TestWithParam<const char*> {};

TEST_P(BoardOptionRefuses, WithOneLineNamingTheText) {
  try {
    parse_board_option(GetParam());
    FAIL() << GetParam() << " was accepted";
  } catch (const std::invalid_argument& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find(GetParam()), std::string::npos) << what;
    EXPECT_EQ(what.find('\n'), std::string::npos) << what;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, BoardOptionRefuses,
                         ::testing::Values("", "SIM", "pci", "usb:", "usb:1", "usb:1-",
                                           "usb:1-4.", "usb:a-b", "usb:1-300", "usb 1-4",
                                           "usb:1-1.1.1.1.1.1.1.1"));

TEST(BoardRequest, CarriesThePortPathToTheOpenedBoard) {
  const BoardRequest request = board_request("usb:2-1.3");
  EXPECT_EQ(request.kind, "usb");
  EXPECT_EQ(request.usb_port_path, "2-1.3");
  EXPECT_EQ(board_request("sim").kind, "sim");
  EXPECT_THROW(board_request("usb:x"), std::invalid_argument);
}

}  // namespace
}  // namespace quelnor::cli
