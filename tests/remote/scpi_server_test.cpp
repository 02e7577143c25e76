// The SCPI server over loopback on a free port: answers, one controlling client, hostile
// input, and a client that vanishes mid-sweep. Every wait is bounded.
#include "remote/scpi_server.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

#include "remote/fake_instrument.h"
#include "remote/scpi_error.h"
#include "support/core_application.h"
#include "support/event_loop_wait.h"

namespace quelnor::remote {
namespace {

QCoreApplication& application() {
  return quelnor::testing::core_application();
}

using quelnor::testing::pump_for;
using quelnor::testing::pump_until;

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    ServerOptions options;
    options.port = 0;
    options.data_dir = std::filesystem::temp_directory_path();
    options.block_grace = std::chrono::milliseconds(100);
    server = std::make_unique<ScpiServer>(fake, options);
    std::string error;
    ASSERT_TRUE(server->listen(error)) << error;
    ASSERT_NE(server->port(), 0);
  }
  void TearDown() override { server.reset(); }

  std::unique_ptr<QTcpSocket> connect_client() {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, server->port());
    EXPECT_TRUE(pump_until([&] { return socket->state() == QAbstractSocket::ConnectedState; }));
    return socket;
  }

  // The next answer line, without its line feed; "<timeout>" when none comes.
  std::string read_line(QTcpSocket& socket) {
    if (!pump_until([&] { return socket.canReadLine(); })) return "<timeout>";
    std::string line = socket.readLine().toStdString();
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
  }

  std::string ask(QTcpSocket& socket, const std::string& query) {
    socket.write((query + "\n").c_str());
    return read_line(socket);
  }

  testing::FakeInstrument fake;
  std::unique_ptr<ScpiServer> server;
};

TEST_F(ServerTest, AnswersQueriesAndNothingToSettings) {
  auto client = connect_client();
  EXPECT_EQ(ask(*client, "*IDN?").rfind("Quelnor,quelnor-eval,fake board,", 0), 0u);
  client->write("FREQ:STAR 2kHz\n");
  EXPECT_EQ(ask(*client, "FREQ:STAR?"), "2000") << "the setting answered nothing";
  client->write("*IDN?\r\n");  // a CR before the LF is tolerated
  EXPECT_EQ(read_line(*client).substr(0, 7), "Quelnor");
}

TEST_F(ServerTest, SecondClientIsToldAndClosed) {
  auto first = connect_client();
  auto second = connect_client();
  ASSERT_TRUE(pump_until([&] { return second->state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_NE(second->readAll().toStdString().find("another client controls this board"),
            std::string::npos);
  EXPECT_EQ(ask(*first, "SYST:ERR?"), "0,\"No error\"");
  first->disconnectFromHost();
  ASSERT_TRUE(pump_until([&] { return !server->has_client(); }));
  auto third = connect_client();
  EXPECT_EQ(ask(*third, "*OPC?"), "1");
}

TEST_F(ServerTest, HostileInputBecomesErrorsAndTheSessionGoesOn) {
  auto client = connect_client();
  client->write((std::string(70 * 1024, 'A') + "\n").c_str());
  EXPECT_EQ(std::stoi(ask(*client, "SYST:ERR?")), scpi_code::too_much_data);
  client->write("SYST:SIM:DUT \"R1\xff\"\n");
  EXPECT_EQ(std::stoi(ask(*client, "SYST:ERR?")), scpi_code::invalid_character);
  // A block announcing 50 bytes that never come, line feed included: after a short grace
  // the server gives up on it rather than swallowing the session.
  client->write("SYST:SIM:DUT #250R1k\n");
  pump_for(300);
  EXPECT_EQ(std::stoi(ask(*client, "SYST:ERR?")), scpi_code::invalid_block_data);
  client->write(QByteArray("\0\0\x01\n", 4));
  EXPECT_NE(std::stoi(ask(*client, "SYST:ERR?")), 0);
  EXPECT_EQ(ask(*client, "SYST:SIM:DUT #13R1k;DUT?"), "\"R1k\"") << "an honest block";
}

TEST_F(ServerTest, AnswersDuringASweepAndAbortsWhenTheClientVanishes) {
  fake.set_point_time(std::chrono::milliseconds(2));
  auto client = connect_client();
  client->write("SWE:POIN 10000;:INIT\n");
  ASSERT_TRUE(pump_until([&] { return fake.points_taken() > 0; }));
  EXPECT_EQ(ask(*client, "STAT:OPER:COND?"), "16");
  EXPECT_EQ(ask(*client, "*IDN?").substr(0, 7), "Quelnor");
  client->abort();  // gone without a word
  ASSERT_TRUE(pump_until([&] { return !server->has_client() && fake.standby_calls() == 1; }));
  const int taken = fake.points_taken();
  EXPECT_LT(taken, 10000);
  pump_for(20);
  EXPECT_EQ(fake.points_taken(), taken) << "the run stopped";
  auto next = connect_client();
  EXPECT_EQ(ask(*next, "STAT:OPER:COND?"), "0");
}

TEST_F(ServerTest, AClientThatDoesNotReadIsHeldBackAndLosesNothing) {
  auto client = connect_client();
  EXPECT_EQ(ask(*client, "SWE:POIN 10000;:SYST:SIM:DUT \"R10k||C1n\";:INIT;*OPC?"), "1");
  client->write("FETC:IMP?\n");
  const std::size_t answer_bytes = read_line(*client).size();
  EXPECT_GT(answer_bytes, 300'000u);
  // More answers asked for at once than the server buffers for a client (16 MB).
  constexpr int queries = 60;
  std::string burst;
  for (int i = 0; i < queries; ++i) burst += "FETC:IMP?\n";
  client->write(burst.c_str());
  pump_for(200);
  int answers = 0;
  ASSERT_TRUE(pump_until(
      [&] {
        while (client->canReadLine()) {
          const QByteArray line = client->readLine();
          EXPECT_EQ(line.count(','), 2 * 10000 - 1);
          ++answers;
        }
        return answers == queries;
      },
      30000));
  EXPECT_EQ(ask(*client, "SYST:ERR?"), "0,\"No error\"");
}

TEST(Server, RefusesAnAddressItCannotUse) {
  application();
  testing::FakeInstrument fake;
  ServerOptions options;
  options.address = QHostAddress("192.0.2.1");  // documentation address, not on this host
  options.port = 0;
  ScpiServer server(fake, options);
  std::string error;
  EXPECT_FALSE(server.listen(error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace quelnor::remote
