// The headless demonstration on the virtual board.
#include "app/demonstration.h"

#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <system_error>

#include "app/script_runner.h"

namespace quelnor::app {

std::string demonstration_script(const std::string& csv_path) {
  return "# Calibrate on the 200 kOhm resistor, sweep it and export the result.\n"
         "dut R200k\n"
         "click Command2\n"
         "click Command6\n"
         "show Text5\n"
         "check Check1\n"
         "click Command1\n"
         "show Strip1\n"
         "show Strip2\n"
         "save " +
         csv_path +
         "\n"
         "click Download_data\n"
         "click Command5\n"
         "show Label8\n";
}

int run_demonstration(const ApplicationOptions& options, std::ostream& out, std::ostream& err) {
  std::error_code ec;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  std::string folder = (ec ? std::filesystem::path("/tmp") : temp) / "quelnor-eval-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) {
    err << "quelnor-eval: cannot create a folder for the demonstration's data in " << temp << '\n';
    return script_error;
  }
  const std::string csv_path = folder + "/impedance.csv";
  ApplicationOptions demo = options;
  demo.board = BoardKind::sim;
  out << "Running the demonstration headless on the virtual board (no hardware).\n"
      << "Program Device Registers, Calculate Gain Factor on R200k, Start Sweep, "
         "Download Impedance Data:\n";
  std::istringstream script(demonstration_script(csv_path));
  const int code = run_script(script, demo, out, err);
  if (code == script_ran_to_end) out << "The impedance data were saved to " << csv_path << '\n';
  return code;
}

}  // namespace quelnor::app
