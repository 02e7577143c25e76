// A SCPI server over the fake instrument, for the PyVISA client test and the benchmarks:
//   scpi_test_server [--port N] [--point-time-us T] [--data-dir DIR]
// Port 0 (the default) picks a free port; the start-up line on stderr names it. Each point
// of a sweep takes 200 us unless --point-time-us says otherwise.
#include <QCoreApplication>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "remote/fake_instrument.h"
#include "remote/serve_loop.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  quelnor::remote::ServerOptions options;
  options.port = 0;
  options.data_dir = std::filesystem::temp_directory_path() / "quelnor-scpi-test-server";
  quelnor::remote::testing::FakeInstrument instrument;
  instrument.set_point_time(std::chrono::microseconds(200));
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const std::string value = argv[i + 1];
    if (name == "--port")
      options.port = static_cast<quint16>(std::stoi(value));
    else if (name == "--point-time-us")
      instrument.set_point_time(std::chrono::microseconds(std::stoll(value)));
    else if (name == "--data-dir")
      options.data_dir = value;
    else {
      std::cerr << "unknown option " << name << "\n";
      return 2;
    }
  }
  return quelnor::remote::serve_until_signal(instrument, options, std::cerr);
}
