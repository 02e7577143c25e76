// A spectrum written as a plain frequency,real,imaginary file in a folder of its own that
// is removed with it, for the subcommands that read files.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "analysis/spectrum.h"

namespace quelnor::cli::testing {

class SpectrumFile {
 public:
  SpectrumFile(const analysis::Spectrum& spectrum, const std::string& name) {
    folder_ = std::filesystem::temp_directory_path() /
              ("quelnor_cli_" + std::to_string(::getpid()) + "_" + name);
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / (name + ".csv")).string();
    std::ofstream file(path_);
    file << "# frequency_hz, real_ohm, imag_ohm\n";
    for (const analysis::SpectrumPoint& p : spectrum.points) {
      char line[128];
      std::snprintf(line, sizeof line, "%.17g,%.17g,%.17g\n", p.frequency_hz,
                    p.impedance_ohm.real(), p.impedance_ohm.imag());
      file << line;
    }
  }
  ~SpectrumFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  SpectrumFile(const SpectrumFile&) = delete;
  SpectrumFile& operator=(const SpectrumFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::filesystem::path folder_;
  std::string path_;
};

}  // namespace quelnor::cli::testing
