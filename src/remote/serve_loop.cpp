// The server's run loop with its start-up messages and a clean stop on signals.
#include "remote/serve_loop.h"

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <csignal>

namespace quelnor::remote {

namespace {

std::atomic<bool> stop_requested{false};

extern "C" void request_stop(int) {
  stop_requested = true;
}

}  // namespace

int serve_until_signal(Instrument& instrument, const ServerOptions& options, std::ostream& err) {
  ScpiServer server(instrument, options);
  std::string error;
  if (!server.listen(error)) {
    err << "quelnor-eval serve: cannot listen on " << options.address.toString().toStdString()
        << ":" << options.port << ": " << error << "\n";
    return 1;
  }
  const QHostAddress& a = options.address;
  const bool local_only = a.isLoopback();
  err << "quelnor-eval serve: SCPI on " << a.toString().toStdString() << ":" << server.port()
      << " (raw socket, one line per command), board " << instrument.identity() << ", data in "
      << options.data_dir.string() << "\n";
  if (!local_only) {
    err << "warning: anyone who can reach " << a.toString().toStdString() << ":" << server.port()
        << " can drive the board; there is no password. Use a trusted network or a firewall.\n";
  }
  err.flush();

  stop_requested = false;
  std::signal(SIGINT, request_stop);
  std::signal(SIGTERM, request_stop);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [] {
    if (stop_requested) QCoreApplication::quit();
  });
  poll.start(50);
  QCoreApplication::exec();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  err << "quelnor-eval serve: stopped\n";
  return 0;
}

}  // namespace quelnor::remote
