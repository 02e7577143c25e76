// The serve subcommand over the fake instrument: option errors, a board that cannot be
// opened, a busy port, and a start that names its address (warning when it is not loopback)
// and stops cleanly on SIGTERM.
#include "cli/serve_command.h"

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <QTcpServer>
#include <QTimer>
#include <csignal>
#include <sstream>

#include "remote/fake_instrument.h"
#include "support/core_application.h"

namespace quelnor::cli {
namespace {

QCoreApplication& application() {
  return quelnor::testing::core_application();
}

InstrumentFactory fake_factory(std::string* board_seen = nullptr) {
  return
      [board_seen](const std::string& board, std::string&) -> std::unique_ptr<remote::Instrument> {
        if (board_seen) *board_seen = board;
        return std::make_unique<remote::testing::FakeInstrument>();
      };
}

struct Outcome {
  int code;
  std::string err;
};

// Runs serve; if it starts listening, a signal stops it shortly after.
Outcome serve(ServeOptions options, const InstrumentFactory& factory) {
  application();
  QTimer stop;  // destroyed on return, so it never fires outside this call
  stop.setSingleShot(true);
  QObject::connect(&stop, &QTimer::timeout, [] { std::raise(SIGTERM); });
  stop.start(50);
  std::ostringstream out, err;
  const int code = run_serve(options, factory, out, err);
  return {code, err.str()};
}

struct OptionCase {
  const char* board;
  int port;
  const char* listen;
  const char* message;
};

class ServeOptionErrors : public ::testing::TestWithParam<OptionCase> {};

TEST_P(ServeOptionErrors, RefusedWithAReason) {
  const OptionCase& c = GetParam();
  const Outcome o = serve({c.board, c.port, c.listen, ""}, fake_factory());
  EXPECT_EQ(o.code, 2);
  EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
}

INSTANTIATE_TEST_SUITE_P(Table, ServeOptionErrors,
                         ::testing::Values(OptionCase{"pci", 0, "127.0.0.1", "--board pci"},
                                           OptionCase{"usb:", 0, "127.0.0.1", "--board usb:"},
                                           OptionCase{"usb:1-x", 0, "127.0.0.1",
                                                      "--board usb:1-x: a USB port path"},
                                           OptionCase{"sim", 70000, "127.0.0.1", "--port 70000"},
                                           OptionCase{"sim", 0, "lab-pc", "--listen lab-pc"}));

TEST(Serve, BoardThatCannotBeOpened) {
  const Outcome o =
      serve({"usb:1-4", 0, "127.0.0.1", ""},
            [](const std::string&, std::string& error) -> std::unique_ptr<remote::Instrument> {
              error = "no board on port 1-4";
              return nullptr;
            });
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find("cannot open board usb:1-4: no board on port 1-4"), std::string::npos)
      << o.err;
}

TEST(Serve, BusyPort) {
  application();
  QTcpServer other;
  ASSERT_TRUE(other.listen(QHostAddress::LocalHost, 0));
  const Outcome o = serve({"sim", other.serverPort(), "127.0.0.1", ""}, fake_factory());
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find("cannot listen"), std::string::npos) << o.err;
}

TEST(Serve, LoopbackStartSaysWhereWithoutWarning) {
  std::string board;
  const Outcome o = serve({"sim", 0, "127.0.0.1", "/tmp/quelnor-serve-test"}, fake_factory(&board));
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_EQ(board, "sim");
  EXPECT_NE(o.err.find("SCPI on 127.0.0.1:"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("data in /tmp/quelnor-serve-test"), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find("warning"), std::string::npos) << o.err;
}

TEST(Serve, OtherAddressesAreWarnedAbout) {
  const Outcome o = serve({"sim", 0, "0.0.0.0", ""}, fake_factory());
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.err.find("warning: anyone who can reach 0.0.0.0:"), std::string::npos) << o.err;
}

TEST(Serve, SubcommandParsesItsOptions) {
  application();
  CLI::App app;
  int exit_code = -1;
  std::string board;
  add_serve_command(app, exit_code, fake_factory(&board));
  QTimer stop;
  stop.setSingleShot(true);
  QObject::connect(&stop, &QTimer::timeout, [] { std::raise(SIGTERM); });
  stop.start(50);
  app.parse(std::vector<std::string>{"0", "--port", "usb:3-1.2", "--board", "serve"});
  EXPECT_EQ(exit_code, 0);
  EXPECT_EQ(board, "usb:3-1.2");
  EXPECT_THROW(app.parse(std::vector<std::string>{"5025", "--prot", "serve"}), CLI::ParseError);
}

}  // namespace
}  // namespace quelnor::cli
