// The SCPI server on loopback: *IDN? round trips per second, fetching 10,000 points as
// ASCII and as REAL,64, and *IDN? round-trip latency (median, 99th percentile) while a
// sweep runs. The server runs in-process on its own thread over the engine on the virtual
// board, as `quelnor-eval serve --board sim` does; its sweeps keep one core busy.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/engine_instrument.h"
#include "remote/scpi_server.h"

namespace {

using namespace quelnor;

// A server with its own event loop on a thread, for the life of the program.
class ServerThread {
 public:
  ServerThread() {
    std::string error;
    instrument = cli::open_engine_instrument("sim", error);
    if (!instrument) throw std::runtime_error("the virtual board: " + error);
    std::promise<quint16> port;
    auto ready = port.get_future();
    thread_.reset(QThread::create([this, &port] {
      remote::ServerOptions options;
      options.port = 0;
      options.data_dir = "/tmp";
      remote::ScpiServer server(*instrument, options);
      std::string error;
      server.listen(error);
      QEventLoop loop;
      loop_ = &loop;
      port.set_value(server.port());
      loop.exec();
    }));
    thread_->start();
    port_ = ready.get();
  }
  ~ServerThread() {
    QMetaObject::invokeMethod(
        loop_, [this] { loop_->quit(); }, Qt::QueuedConnection);
    thread_->wait();
  }
  quint16 port() const { return port_; }

  std::unique_ptr<remote::Instrument> instrument;

 private:
  std::unique_ptr<QThread> thread_;
  QEventLoop* loop_ = nullptr;
  quint16 port_ = 0;
};

// Made and destroyed by main, inside the life of the QCoreApplication.
ServerThread* the_server = nullptr;

ServerThread& server() {
  return *the_server;
}

// A blocking client socket.
class Client {
 public:
  Client() {
    socket_.connectToHost(QHostAddress::LocalHost, server().port());
    socket_.waitForConnected(5000);
  }
  void send(const std::string& message) {
    socket_.write((message + "\n").c_str());
    socket_.waitForBytesWritten(5000);
  }
  std::string line() {
    while (!socket_.canReadLine()) {
      if (!socket_.waitForReadyRead(10000)) return {};
    }
    return socket_.readLine().toStdString();
  }
  // A definite-length block and its line feed.
  std::size_t block() {
    while (socket_.bytesAvailable() < 2) {
      if (!socket_.waitForReadyRead(10000)) return 0;
    }
    char head[2];
    socket_.read(head, 2);
    const int digits = head[1] - '0';
    while (socket_.bytesAvailable() < digits) {
      if (!socket_.waitForReadyRead(10000)) return 0;
    }
    const std::size_t length = std::stoul(socket_.read(digits).toStdString());
    std::size_t got = 0;
    while (got < length + 1) {
      if (socket_.bytesAvailable() == 0 && !socket_.waitForReadyRead(10000)) break;
      got += static_cast<std::size_t>(socket_.read(static_cast<qint64>(length + 1 - got)).size());
    }
    return length;
  }
  std::string ask(const std::string& query) {
    send(query);
    return line();
  }

 private:
  QTcpSocket socket_;
};

// One controlling client for the whole program (the server takes one at a time), made and
// destroyed by main.
Client* the_client = nullptr;

Client& shared_client() {
  return *the_client;
}

void BM_IdnRoundTrip(benchmark::State& state) {
  Client& client = shared_client();
  for (auto _ : state) benchmark::DoNotOptimize(client.ask("*IDN?"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IdnRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Fetch10000Points(benchmark::State& state) {
  const bool binary = state.range(0) == 1;
  Client& client = shared_client();
  client.ask("*RST;SWE:POIN 10000;:SYST:SIM:DUT \"R10k||C1n\";:INIT;*OPC?");
  client.send(binary ? "FORM REAL,64" : "FORM ASC");
  std::size_t bytes = 0;
  for (auto _ : state) {
    client.send("FETC:IMP?");
    bytes = binary ? client.block() : client.line().size();
  }
  state.SetLabel(binary ? "REAL,64" : "ASCii");
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Fetch10000Points)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// *IDN? answered while continuous sweeps run on the worker thread.
void BM_IdnDuringSweep(benchmark::State& state) {
  Client& client = shared_client();
  client.ask("*RST;SWE:POIN 10000;:INIT:CONT ON;*IDN?");
  std::vector<double> latencies_ms;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(client.ask("*IDN?"));
    latencies_ms.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  const std::string running = client.ask("STAT:OPER:COND?");
  client.ask("INIT:CONT OFF;:ABOR;*OPC?");
  std::sort(latencies_ms.begin(), latencies_ms.end());
  state.counters["median_ms"] = latencies_ms[latencies_ms.size() / 2];
  state.counters["p99_ms"] = latencies_ms[latencies_ms.size() * 99 / 100];
  state.SetLabel(running == "16\n" ? "sweep running" : "sweep NOT running");
}
BENCHMARK(BM_IdnDuringSweep)->Unit(benchmark::kMicrosecond)->Iterations(5000)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  {
    ServerThread server_thread;
    the_server = &server_thread;
    Client client;
    the_client = &client;
    benchmark::RunSpecifiedBenchmarks();
    the_client = nullptr;
    the_server = nullptr;
  }
  benchmark::Shutdown();
  return 0;
}
