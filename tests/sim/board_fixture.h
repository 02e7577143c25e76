// A virtual board on a virtual clock with firmware loaded, and register access packed the
// way the software packs it (request 0xDE, bus address 13).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim/virtual_board.h"
#include "util/clock.h"

namespace quelnor::sim::testing {

inline std::string firmware_image_path() {
  const char* bin_dir = std::getenv("QUELNOR_BIN_DIR");
  return std::string(bin_dir != nullptr ? bin_dir : ".") + "/Quelnor_FW.hex";
}

// The software's phase of a data pair: angle of R + jI in degrees, 0 up to 360.
inline double data_angle_deg(double real, double imaginary) {
  double angle = std::atan2(imaginary, real) * 180.0 / 3.14159265358979323846;
  if (angle < 0.0) angle += 360.0;
  return angle;
}

struct DataPoint {
  double real = 0.0;
  double imaginary = 0.0;
  double magnitude() const { return std::hypot(real, imaginary); }
  double angle_deg() const { return data_angle_deg(real, imaginary); }
};

class BoardSession {
 public:
  explicit BoardSession(VirtualBoardOptions options = quiet_options()) : board(clock, options) {}

  static VirtualBoardOptions quiet_options() {
    VirtualBoardOptions options;
    options.noise_rms_fraction = 0.0;
    return options;
  }

  // Search, connect and load the shipped image; true when the board is ready.
  bool open() {
    std::int32_t count = 0;
    std::uint8_t ids[128] = {};
    board.Search_For_Boards(0x0456, 0xB203, count, ids);
    board.Connect(0x0456, 0xB203, ids[0], handle);
    const std::string path = firmware_image_path();
    return board.Download_Firmware(handle, reinterpret_cast<const std::uint8_t*>(path.c_str())) >=
           0;
  }

  std::int16_t write(int reg, int data) {
    std::uint8_t buffer[1] = {0};
    return board.Vendor_Request(handle, 0xDE, 13, data * 256 + reg, 0, 0, buffer);
  }

  // The byte read; fails the test when the request fails.
  int read(int reg) {
    std::uint8_t buffer[1] = {0};
    const std::int16_t status = board.Vendor_Request(handle, 0xDE, 13, reg, 1, 1, buffer);
    EXPECT_GE(status, 0) << "read of register " << reg;
    return buffer[0];
  }

  static double signed_value(int high, int low) {
    const int v = high * 256 + low;
    return v > 32767 ? v - 65536 : v;
  }

  DataPoint read_data() {
    DataPoint point;
    const int rh = read(0x94);
    const int rl = read(0x95);
    const int ih = read(0x96);
    const int il = read(0x97);
    point.real = signed_value(rh, rl);
    point.imaginary = signed_value(ih, il);
    return point;
  }

  // Programs a sweep as the software does: start and delta codes, increments, settling
  // cycles, the clock bit, standby, initialise and start. control_bits: range and gain.
  void start_sweep(std::uint32_t start_code, std::uint32_t delta_code, int increments,
                   int settling_cycles = 15, int control_bits = 0x01, bool external = true) {
    write(0x80, 0xB0);
    write(0x84, start_code & 0xFF);
    write(0x83, (start_code >> 8) & 0xFF);
    write(0x82, (start_code >> 16) & 0xFF);
    write(0x89, increments & 0xFF);
    write(0x88, (increments >> 8) & 0x01);
    write(0x87, delta_code & 0xFF);
    write(0x86, (delta_code >> 8) & 0xFF);
    write(0x85, (delta_code >> 16) & 0xFF);
    write(0x8B, settling_cycles & 0xFF);
    write(0x8A, (settling_cycles >> 8) & 0x01);
    write(0x81, external ? 0x08 : 0x00);
    write(0x80, 0x10 + control_bits);
    clock.advance(0.002);
    write(0x80, 0x20 + control_bits);
  }

  // Polls the status for valid data (bounded), then reads the data registers.
  DataPoint wait_and_read_point() {
    for (int polls = 0; polls < 100000; ++polls) {
      if ((read(0x8F) & 0x02) != 0) return read_data();
    }
    ADD_FAILURE() << "data never became valid";
    return {};
  }

  // The software's sweep loop after start_sweep(): per point, repeat when the data is not
  // yet valid, wait, read the data, read the complete bit, then increment. Bounded by
  // max_points so a chip that never completes cannot hang the test.
  std::vector<DataPoint> run_sweep_loop(int max_points, int control_bits = 0x01) {
    std::vector<DataPoint> points;
    int complete = read(0x8F) & 0x04;
    while (complete != 0x04 && static_cast<int>(points.size()) < max_points) {
      if ((read(0x8F) & 0x02) == 0) write(0x80, 0x40 + control_bits);
      points.push_back(wait_and_read_point());
      complete = read(0x8F) & 0x04;
      write(0x80, 0x30 + control_bits);
    }
    return points;
  }

  // One measurement of the current DUT at a start code, range and gain.
  DataPoint measure(std::uint32_t code = 0x0F5C28, int control_bits = 0x01) {
    start_sweep(code, 0, 1, 15, control_bits);
    return wait_and_read_point();
  }

  util::VirtualClock clock;
  VirtualBoard board;
  std::int32_t handle = 0;
};

// A test with an open board session.
class BoardFixture : public ::testing::Test, public BoardSession {
 protected:
  explicit BoardFixture(VirtualBoardOptions options = quiet_options()) : BoardSession(options) {}
  void SetUp() override { ASSERT_TRUE(open()); }
};

}  // namespace quelnor::sim::testing
