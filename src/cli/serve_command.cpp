// The serve subcommand.
#include "cli/serve_command.h"

#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <QHostAddress>
#include <iostream>
#include <optional>

#include "cli/board_option.h"
#include "remote/data_files.h"
#include "remote/serve_loop.h"

namespace quelnor::cli {

int run_serve(const ServeOptions& options, const InstrumentFactory& factory, std::ostream& out,
              std::ostream& err) {
  (void)out;  // the server talks on its socket; messages go to err
  try {
    parse_board_option(options.board);
  } catch (const std::invalid_argument& e) {
    err << "serve: " << e.what() << "\n";
    return 2;
  }
  if (options.port < 0 || options.port > 65535) {
    err << "serve: --port " << options.port << ": expected 1..65535 (0 for any free port)\n";
    return 2;
  }
  remote::ServerOptions server;
  server.port = static_cast<quint16>(options.port);
  server.address = QHostAddress(QString::fromStdString(options.listen));
  if (options.listen == "localhost") server.address = QHostAddress(QHostAddress::LocalHost);
  if (server.address.isNull()) {
    err << "serve: --listen " << options.listen
        << ": not an IP address (e.g. 127.0.0.1, 0.0.0.0, ::)\n";
    return 2;
  }
  server.data_dir = options.data_dir.empty() ? remote::default_data_dir()
                                             : std::filesystem::path(options.data_dir);

  std::string error;
  std::unique_ptr<remote::Instrument> instrument = factory(options.board, error);
  if (!instrument) {
    err << "serve: cannot open board " << options.board << ": " << error << "\n";
    return 1;
  }
  // The server needs an event loop; a headless core application, made here unless the
  // caller already has one.
  static int argc = 1;
  static char name[] = "quelnor-eval";
  static char* argv[] = {name, nullptr};
  std::optional<QCoreApplication> app;
  if (QCoreApplication::instance() == nullptr) app.emplace(argc, argv);
  return remote::serve_until_signal(*instrument, server, err);
}

void add_serve_command(CLI::App& app, int& exit_code, InstrumentFactory factory) {
  auto options = std::make_shared<ServeOptions>();
  CLI::App* serve = app.add_subcommand(
      "serve", "SCPI server for lab automation (PyVISA: TCPIP::HOST::PORT::SOCKET)");
  serve->add_option("--board", options->board, "sim, usb (the first board) or usb:PATH")
      ->capture_default_str();
  serve->add_option("--port", options->port, "TCP port (0: any free port)")->capture_default_str();
  serve
      ->add_option(
          "--listen", options->listen,
          "address to listen on; anything but loopback lets other machines drive the board")
      ->capture_default_str();
  serve->add_option("--data-dir", options->data_dir,
                    "folder for CALibration:SAVE and LOAD (default: the user's data folder)");
  serve->callback([options, &exit_code, factory = std::move(factory)] {
    exit_code = run_serve(*options, factory, std::cout, std::cerr);
  });
}

}  // namespace quelnor::cli
