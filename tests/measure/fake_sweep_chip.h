// A scripted converter chip for the measurement tests: it follows the sweep commands
// (initialise, start, increment, repeat, temperature), reports data valid and sweep
// complete as a real chip would, and answers each point with chosen real/imaginary data.
// A session over it records every register access as "W 80 B0" / "R 8F 02".
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "converter/register_map.h"
#include "converter/sweep_programming.h"
#include "link/driver_library.h"
#include "link/register_transport.h"
#include "link/tracing_driver.h"
#include "link/usb_stuff.h"
#include "model/session.h"
#include "model/strip_chart.h"
#include "support/lines_starting_with.h"
#include "support/scripted_dialogs.h"
#include "util/clock.h"
#include "util/event_pump.h"

namespace quelnor::test {

class FakeSweepChip final : public link::DriverLibrary {
 public:
  // (R, I) raw counts of point i (i counts from 0 at the initialise command).
  std::function<std::pair<int, int>(int point)> data = [](int) { return std::pair{6000, 8000}; };
  // Status reads answering "not valid" after every increment before data is valid.
  int invalid_reads_per_point = 0;
  // Status reads answering "not valid" from now on, before the next increment.
  int invalid_reads_pending = 0;
  bool never_valid = false;
  // Reports sweep complete once this many increments were made (-1: at the programmed count).
  int complete_after_increments = -1;

  int point = 0;
  int repeat_commands = 0;
  std::uint8_t registers[256] = {};

  int programmed_increments() const {
    return registers[converter::reg::increments_low] |
           ((registers[converter::reg::increments_high] & 1) << 8);
  }
  std::int32_t start_code() const {
    return (registers[0x82] << 16) | (registers[0x83] << 8) | registers[0x84];
  }

  std::int32_t Search_For_Boards(std::int32_t, std::int32_t, std::int32_t& count,
                                 std::uint8_t* ids) override {
    count = 1;
    ids[0] = 1;
    return 0;
  }
  std::int32_t Connect(std::int32_t, std::int32_t, std::uint8_t, std::int32_t& handle) override {
    handle = 1;
    return 0;
  }
  std::int16_t Download_Firmware(std::int32_t, const std::uint8_t*) override { return 0; }

  std::int16_t Vendor_Request(std::int32_t, std::uint8_t, std::int32_t, std::int32_t index,
                              std::uint8_t direction, std::int32_t,
                              std::uint8_t* data_out) override {
    const int reg = index & 0xFF;
    if (direction == 0) {
      const auto byte = static_cast<std::uint8_t>((index >> 8) & 0xFF);
      registers[reg] = byte;
      if (reg == converter::reg::control_high) command(byte & 0xF0);
      return 0;
    }
    data_out[0] = read(reg);
    return 1;
  }

 private:
  void command(int code) {
    switch (code) {
      case converter::command::initialise:
        point = 0;
        break;
      case converter::command::increment:
        ++point;
        invalid_reads_pending = invalid_reads_per_point;
        break;
      case converter::command::repeat:
        ++repeat_commands;
        break;
      case converter::command::measure_temperature:
        temperature_valid_ = true;
        break;
      default:
        break;
    }
  }

  std::uint8_t read(int reg) {
    const auto [real, imaginary] = data(point);
    switch (reg) {
      case converter::reg::status: {
        int status = temperature_valid_ ? converter::status_bit::temperature_valid : 0;
        if (!never_valid) {
          if (invalid_reads_pending > 0) {
            --invalid_reads_pending;
          } else {
            status |= converter::status_bit::data_valid;
          }
        }
        const int limit =
            complete_after_increments >= 0 ? complete_after_increments : programmed_increments();
        if (point >= limit) status |= converter::status_bit::sweep_complete;
        return static_cast<std::uint8_t>(status);
      }
      case converter::reg::real_high:
        return static_cast<std::uint8_t>((real >> 8) & 0xFF);
      case converter::reg::real_low:
        return static_cast<std::uint8_t>(real & 0xFF);
      case converter::reg::imaginary_high:
        return static_cast<std::uint8_t>((imaginary >> 8) & 0xFF);
      case converter::reg::imaginary_low:
        return static_cast<std::uint8_t>(imaginary & 0xFF);
      default:
        return registers[reg];
    }
  }

  bool temperature_valid_ = false;
};

// Runs, at each servicing of pending input, the action queued for it (if any).
class QueuedPump final : public util::EventPump {
 public:
  std::deque<std::function<void()>> actions;
  int servicings = 0;
  std::function<void()> on_service;  // runs at every servicing, before the queue

  void service_pending_input() override {
    ++servicings;
    if (on_service) on_service();
    if (actions.empty()) return;
    auto action = std::move(actions.front());
    actions.pop_front();
    if (action) action();
  }
};

// Members in construction order; `s` is the session under test, loaded as the window's
// load steps leave it (gain x1, range 1, external clock, resistor-only circuit).
struct SweepSession {
  util::VirtualClock clock{8 * 3600.0, 1e-5};
  FakeSweepChip chip;
  std::vector<std::string> traffic;
  link::TracingDriver tracer{chip, [this](const std::string& line) { traffic.push_back(line); }};
  ScriptedDialogs dialogs;
  QueuedPump pump;
  link::USB_STUFF usb{tracer, dialogs, "/board"};
  link::RegisterTransport transport{usb, dialogs, model::application_title};
  model::RecordingStripChart strip1, strip2;
  model::Session s{clock, dialogs, pump, transport, strip1, strip2};

  SweepSession() {
    s.form.select(s.form.ExternalClock);
    s.control_bits.pga_bits = converter::pga_gain_x1;
  }

  // Programs the sweep from the fields as Program Device Registers does, then forgets the
  // traffic and boxes so far.
  void program() {
    converter::program_sweep_registers(s);
    traffic.clear();
    dialogs.boxes.clear();
  }

  std::vector<std::string> box_texts() const { return dialogs.box_texts(); }
  // Lines of the traffic that start with `prefix` ("W 80", "R 8F").
  std::vector<std::string> lines(const std::string& prefix) const {
    return lines_starting_with(traffic, prefix);
  }
};

}  // namespace quelnor::test
