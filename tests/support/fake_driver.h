// A recording driver library for tests: keeps every call in order, answers search, connect
// and download as scripted, and behaves as a healthy chip register file (a register reads
// back the byte last written) unless a register is scripted to read back something else
// or requests are set to fail.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "link/driver_library.h"

namespace quelnor::test {

struct DriverCall {
  enum class Kind { search, connect, download, vendor };
  Kind kind = Kind::vendor;
  std::int32_t vendor_id = 0;
  std::int32_t product_id = 0;
  std::uint8_t board_id = 0;
  std::int32_t board_handle = 0;
  std::string path;  // download: the bytes up to the NUL
  std::uint8_t request = 0;
  std::int32_t value = 0;
  std::int32_t index = 0;
  std::uint8_t direction = 0;
  std::int32_t length = 0;
};

class FakeDriver final : public link::DriverLibrary {
 public:
  // Identifiers the search reports, first found first.
  std::vector<std::uint8_t> boards{7};
  // Statuses of successive downloads; once used up, downloads answer 0.
  std::deque<std::int16_t> download_statuses;
  // Registers that read back this byte whatever was written (a faulty chip or bus).
  std::map<std::int32_t, std::uint8_t> stuck_registers;
  // Every vendor request from now on fails with a negative status and transfers nothing.
  bool fail_requests = false;
  // Reads that complete without a data byte (status 0, buffer untouched).
  bool empty_reads = false;
  // The chip's register file, indexed by register address.
  std::uint8_t registers[256] = {};
  std::vector<DriverCall> calls;

  // Handle that Connect gives for a board identifier; distinct per board.
  static std::int32_t handle_of(std::uint8_t board_id) { return 1000 + board_id; }

  std::int32_t Search_For_Boards(std::int32_t vendor_id, std::int32_t product_id,
                                 std::int32_t& board_count, std::uint8_t* board_ids) override {
    DriverCall call;
    call.kind = DriverCall::Kind::search;
    call.vendor_id = vendor_id;
    call.product_id = product_id;
    calls.push_back(call);
    board_count = static_cast<std::int32_t>(boards.size());
    for (std::size_t i = 0; i < boards.size() && i < link::board_ids_size; ++i) {
      board_ids[i] = boards[i];
    }
    return 0;
  }

  std::int32_t Connect(std::int32_t vendor_id, std::int32_t product_id, std::uint8_t board_id,
                       std::int32_t& board_handle) override {
    DriverCall call;
    call.kind = DriverCall::Kind::connect;
    call.vendor_id = vendor_id;
    call.product_id = product_id;
    call.board_id = board_id;
    calls.push_back(call);
    board_handle = handle_of(board_id);
    return 0;
  }

  std::int16_t Download_Firmware(std::int32_t board_handle, const std::uint8_t* path) override {
    DriverCall call;
    call.kind = DriverCall::Kind::download;
    call.board_handle = board_handle;
    call.path.assign(reinterpret_cast<const char*>(path),
                     strnlen(reinterpret_cast<const char*>(path), 513));
    calls.push_back(call);
    if (download_statuses.empty()) return 0;
    const std::int16_t status = download_statuses.front();
    download_statuses.pop_front();
    return status;
  }

  std::int16_t Vendor_Request(std::int32_t board_handle, std::uint8_t request, std::int32_t value,
                              std::int32_t index, std::uint8_t direction, std::int32_t length,
                              std::uint8_t* data) override {
    DriverCall call;
    call.kind = DriverCall::Kind::vendor;
    call.board_handle = board_handle;
    call.request = request;
    call.value = value;
    call.index = index;
    call.direction = direction;
    call.length = length;
    calls.push_back(call);
    if (fail_requests) return -1;
    const std::int32_t reg = index & 0xFF;
    if (direction == 0) {
      registers[reg] = static_cast<std::uint8_t>((index >> 8) & 0xFF);
      return 0;
    }
    if (empty_reads) return 0;
    const auto stuck = stuck_registers.find(reg);
    data[0] = stuck != stuck_registers.end() ? stuck->second : registers[reg];
    return 1;
  }

  // The vendor requests alone, in order.
  std::vector<DriverCall> vendor_calls() const {
    std::vector<DriverCall> out;
    for (const DriverCall& call : calls) {
      if (call.kind == DriverCall::Kind::vendor) out.push_back(call);
    }
    return out;
  }
};

}  // namespace quelnor::test
