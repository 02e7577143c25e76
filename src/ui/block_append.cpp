// All-or-nothing append of a text block to a file.
#include "ui/block_append.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace quelnor::ui {
namespace {

namespace fs = std::filesystem;

std::string errno_reason(int error) {
  return std::strerror(error);
}

// Puts the file back as it was before the append began.
void restore(const fs::path& file, bool existed, std::uintmax_t original_size) {
  std::error_code ignored;
  if (existed) {
    fs::resize_file(file, original_size, ignored);
  } else {
    fs::remove(file, ignored);
  }
}

}  // namespace

std::optional<std::string> append_block(const std::string& path, const std::string& block) {
  const fs::path file(path);
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  const bool existed = fs::exists(status);
  if (existed && fs::is_directory(status)) return std::string("it is a folder");
  std::uintmax_t original_size = 0;
  if (existed) {
    original_size = fs::file_size(file, ec);
    if (ec) return ec.message();
  }

  errno = 0;
  std::FILE* out = std::fopen(path.c_str(), "ab");
  if (out == nullptr) return errno_reason(errno != 0 ? errno : EIO);
  const std::size_t written = std::fwrite(block.data(), 1, block.size(), out);
  int error = written == block.size() ? 0 : (errno != 0 ? errno : EIO);
  if (std::fflush(out) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  if (std::fclose(out) != 0 && error == 0) error = errno != 0 ? errno : EIO;

  if (error == 0) {
    // A short write can go unreported on some file systems: the size tells for certain.
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec) return ec.message();
    if (size == original_size + block.size()) return std::nullopt;
    error = EIO;
  }
  restore(file, existed, original_size);
  return errno_reason(error);
}

}  // namespace quelnor::ui
