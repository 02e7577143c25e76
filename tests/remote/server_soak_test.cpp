// Many client sessions, one after another, against the SCPI server over loopback: valid
// commands mixed with garbage from a fixed seed, over-long lines, invalid UTF-8, blocks
// that lie about their length, a second client pushing in, and clients that start a sweep
// and vanish in the middle of it. Every session is served or refused cleanly, a vanished
// client's run is cancelled, and the resident memory is printed after warm-up and at the
// end. 100 sessions by default; QUELNOR_SOAK_SESSIONS=1000 for the full run.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "remote/fake_instrument.h"
#include "remote/scpi_server.h"
#include "support/core_application.h"
#include "support/event_loop_wait.h"
#include "support/soak_size.h"

namespace quelnor::remote {
namespace {

constexpr std::chrono::milliseconds block_grace{40};
constexpr int sweep_points = 500;
constexpr const char* refusal = "another client controls this board";
constexpr const char* identity = "Quelnor,quelnor-eval,";

using quelnor::test::resident_kib;

using quelnor::testing::pump_for;
using quelnor::testing::pump_until;

// One message of a client's random mix: its bytes, line feed included, and whether the
// server owes it one answer line.
struct Message {
  std::string bytes;
  bool answered = false;
  bool lying_block = false;  // announces more than it brings: the server waits its grace
};

class ClientMix {
 public:
  explicit ClientMix(std::mt19937& random) : random_(random) {}

  Message next() {
    static const std::vector<std::string> queries = {
        "FREQ:STAR?", "SWE:POIN?", "SYST:ERR?", "*ESR?",        "*STB?",         "CAL:REF?",
        "FORM?",      "GAIN?",     "SYST:ERR?", "SYST:SIM:DUT?", "STAT:OPER:COND?"};
    static const std::vector<std::string> settings = {
        "FREQ:STAR 2kHz",           "SWE:POIN 21;SPAC LOG",  "*CLS", "GAIN AUTO",
        "SYST:SIM:DUT \"R10k||C1n\"", "SWE:SEGM:ADD 1kHz,2kHz,3", "*RST", "FORM REAL,64;FORM ASC"};
    switch (pick(10)) {
      case 0:
      case 1:
      case 2:
        return {queries[pick(queries.size())] + "\n", true};
      case 3:
      case 4:
        return {settings[pick(settings.size())] + "\n"};
      case 5:
      case 6:
        return {garbage() + "\n"};
      case 7:
        return {std::string(70 * 1024 + pick(1000), 'A') + "\n"};  // over the 64 KiB limit
      case 8:
        return {std::string("SYST:SIM:DUT \"R1\xff\xfe\";*IDN?\n")};  // invalid UTF-8: refused whole
      default:
        if (pick(2) == 0) return {"SYST:SIM:DUT #15R1k+R2k\n"};  // brings more than it says
        return {"SYST:SIM:DUT #290R1k\n", false, true};         // says more than it brings
    }
  }

 private:
  std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

  // Printable and control bytes without '#' (a block would swallow what follows) and
  // without line feeds (one message each).
  std::string garbage() {
    std::string text(1 + pick(80), ' ');
    for (char& c : text) {
      do {
        c = static_cast<char>(pick(128));
      } while (c == '#' || c == '\n');
    }
    return text;
  }

  std::mt19937& random_;
};

class ServerSoak : public ::testing::Test {
 protected:
  void SetUp() override {
    quelnor::testing::core_application();
    std::string dir = (std::filesystem::temp_directory_path() / "scpi_soak_XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    data_dir = dir;
    fake.hold_points(true);  // sweeps advance only as the test releases points
    ServerOptions options;
    options.port = 0;
    options.data_dir = data_dir;
    options.block_grace = block_grace;
    server = std::make_unique<ScpiServer>(fake, options);
    std::string error;
    ASSERT_TRUE(server->listen(error)) << error;
  }
  void TearDown() override {
    server.reset();
    std::filesystem::remove_all(data_dir);
  }

  std::unique_ptr<QTcpSocket> connect_client() {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, server->port());
    if (!pump_until([&] { return socket->state() == QAbstractSocket::ConnectedState; })) {
      return nullptr;
    }
    return socket;
  }

  // A second client while one is served: told why and closed, the first one untouched.
  void push_in_second_client() {
    auto second = connect_client();
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(
        pump_until([&] { return second->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_NE(second->readAll().toStdString().find(refusal), std::string::npos);
    ++refused;
  }

  // Sends the client's mix and then *IDN?; every answer owed comes back before the one to
  // *IDN?, each SYST:ERR? answer is a code and a quoted text. A block that says more than
  // it brings ends the mix: the server takes what follows for its bytes until its grace
  // runs out, so *IDN? is sent again until it is answered (on a busy machine the grace
  // may end later than the client's first wait).
  void run_mix(QTcpSocket& client, std::mt19937& random) {
    ClientMix mix(random);
    const int messages = 3 + static_cast<int>(random() % 12);
    int owed = 0;
    std::vector<std::string> sent_queries;
    std::string kinds;
    for (int i = 0; i < messages; ++i) {
      const Message m = mix.next();
      client.write(m.bytes.data(), static_cast<qint64>(m.bytes.size()));
      kinds += m.bytes.substr(0, std::min<std::size_t>(m.bytes.size(), 24)) + " | ";
      if (m.answered) {
        ++owed;
        sent_queries.push_back(m.bytes);
      }
      if (m.lying_block) {
        pump_for(static_cast<int>(3 * block_grace.count()));
        break;
      }
    }
    std::vector<std::string> lines;
    bool served = false;
    QElapsedTimer clock;
    clock.start();
    while (!served && clock.elapsed() < 10000) {
      client.write("*IDN?\n");
      served = pump_until(
          [&] {
            while (client.canReadLine()) {
              std::string line = client.readLine().toStdString();
              line.pop_back();
              if (line.rfind(identity, 0) == 0) return true;
              lines.push_back(line);
            }
            return false;
          },
          500);
    }
    ASSERT_TRUE(served) << "no answer to *IDN? after " << kinds << lines.size() << " lines";
    ASSERT_EQ(static_cast<int>(lines.size()), owed) << kinds;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (sent_queries[i] == "SYST:ERR?\n") {
        const std::size_t comma = lines[i].find(",\"");
        EXPECT_TRUE(comma != std::string::npos && lines[i].back() == '"') << lines[i];
        EXPECT_LE(std::atoi(lines[i].c_str()), 0) << lines[i];
      }
    }
  }

  // The next answer line that is not one to a repeated *IDN?.
  std::string next_answer(QTcpSocket& client) {
    std::string answer = "<timeout>";
    pump_until([&] {
      while (client.canReadLine()) {
        const std::string line = client.readLine().toStdString();
        if (line.rfind(identity, 0) != 0) {
          answer = line;
          return true;
        }
      }
      return false;
    });
    return answer;
  }

  // Starts a long sweep, waits until it has taken a point, then the client vanishes
  // (a reset or a closed socket, sometimes with a query waiting for the run): the server
  // drops it, stops the run between two points and leaves the board in standby.
  void sweep_and_vanish(std::unique_ptr<QTcpSocket> client, std::mt19937& random) {
    const int before = fake.points_taken();
    const int standbys = fake.standby_calls();
    const std::string start =
        "SWE:SEGM:CLE;:SWE:POIN " + std::to_string(sweep_points) + ";:INIT\n";
    client->write(start.c_str());
    ASSERT_TRUE(pump_until([&] {
      fake.release(1);
      return fake.points_taken() > before;
    })) << "the sweep did not start";
    client->write("STAT:OPER:COND?\n");
    ASSERT_EQ(next_answer(*client), "16\n") << "the sweep is not running";
    if (random() % 2 == 0) client->write(random() % 2 == 0 ? "*OPC?\n" : "*WAI;FETC:IMP?\n");
    pump_for(1);
    if (random() % 2 == 0)
      client->abort();
    else
      client->disconnectFromHost();
    client.reset();
    ASSERT_TRUE(pump_until([&] { return !server->has_client(); })) << "the client was kept";
    EXPECT_EQ(fake.standby_calls(), standbys + 1);
    const int taken = fake.points_taken();
    EXPECT_LT(taken - before, sweep_points) << "the run went on to its end";
    fake.release(20);
    pump_for(5);
    EXPECT_EQ(fake.points_taken(), taken) << "the run goes on without its client";
    ++vanished;
  }

  testing::FakeInstrument fake;
  std::filesystem::path data_dir;
  std::unique_ptr<ScpiServer> server;
  int refused = 0;
  int vanished = 0;
};

TEST_F(ServerSoak, SessionsWithGarbageAndVanishingClientsAreServedOrRefusedCleanly) {
  const int sessions = quelnor::test::soak_size("QUELNOR_SOAK_SESSIONS", 100);
  const int warm_up = std::max(1, std::min(50, sessions / 10));
  std::mt19937 random(20151);
  long warm_kib = -1;
  for (int s = 0; s < sessions; ++s) {
    SCOPED_TRACE("session " + std::to_string(s));
    auto client = connect_client();
    ASSERT_NE(client, nullptr);
    ASSERT_TRUE(pump_until([&] { return server->has_client(); }));
    if (random() % 20 == 0) push_in_second_client();
    run_mix(*client, random);
    if (HasFatalFailure()) return;
    if (random() % 3 == 0) {
      sweep_and_vanish(std::move(client), random);
    } else {
      client->disconnectFromHost();
      client.reset();
      ASSERT_TRUE(pump_until([&] { return !server->has_client(); }));
    }
    if (HasFatalFailure()) return;
    if (s + 1 == warm_up) warm_kib = resident_kib();
  }
  const long end_kib = resident_kib();

  // Each served session ended in one standby; the refused clients never had one.
  EXPECT_EQ(fake.standby_calls(), sessions);
  EXPECT_GT(vanished, 0);
  EXPECT_GT(refused, 0);
  // The server still serves afterwards.
  auto last = connect_client();
  ASSERT_NE(last, nullptr);
  last->write("SYST:ERR?\n");
  ASSERT_TRUE(pump_until([&] { return last->canReadLine(); }));
  EXPECT_EQ(last->readLine().toStdString(), "0,\"No error\"\n");

  std::printf(
      "server soak: %d sessions, %d vanished mid-sweep, %d second clients refused; resident "
      "memory %ld KiB after %d sessions, %ld KiB at the end\n",
      sessions, vanished, refused, warm_kib, warm_up, end_kib);
}

}  // namespace
}  // namespace quelnor::remote
