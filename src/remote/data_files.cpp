// Plain file names inside the data folder.
#include "remote/data_files.h"

#include <cstdlib>

#include "remote/scpi_error.h"

namespace quelnor::remote {

std::filesystem::path data_file(const std::filesystem::path& data_dir, const std::string& name) {
  if (name.empty()) throw ScpiError(scpi_code::file_name_error, "an empty file name");
  if (name.size() > 100)
    throw ScpiError(scpi_code::file_name_error, "a file name over 100 characters");
  if (name.front() == '.') {
    throw ScpiError(scpi_code::file_name_error, "'" + name + "': a name may not begin with '.'");
  }
  for (char c : name) {
    if (c == '/' || c == '\\' || c == ':') {
      throw ScpiError(
          scpi_code::file_name_error,
          "'" + name + "': give a plain name, not a path; files live in the data folder");
    }
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
      throw ScpiError(scpi_code::file_name_error, "a control character in a file name");
    }
  }
  std::filesystem::path file = data_dir / name;
  if (!file.has_extension()) file += ".json";
  return file;
}

std::filesystem::path default_data_dir() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
    return std::filesystem::path(xdg) / "quelnor-eval";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return std::filesystem::path(home) / ".local" / "share" / "quelnor-eval";
  }
  return std::filesystem::current_path() / "quelnor-eval-data";
}

}  // namespace quelnor::remote
