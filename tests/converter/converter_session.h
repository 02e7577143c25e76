// A Session over a recording fake chip for the converter tests: every register access is
// traced as "W 80 B0" / "R 8F 02", and reads of a register can be scripted byte by byte.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/forwarding_driver.h"
#include "link/register_transport.h"
#include "link/tracing_driver.h"
#include "link/usb_stuff.h"
#include "model/session.h"
#include "model/strip_chart.h"
#include "support/fake_driver.h"
#include "support/lines_starting_with.h"
#include "support/nothing_pending.h"
#include "support/scripted_dialogs.h"
#include "util/clock.h"

namespace quelnor::test {

// Hands out scripted bytes for reads of chosen registers, one per read, before falling
// back to the fake chip's register file; tells an observer about every read.
class ScriptedReads final : public link::ForwardingDriver {
 public:
  explicit ScriptedReads(FakeDriver& chip) : ForwardingDriver(chip) {}

  std::map<std::int32_t, std::deque<std::uint8_t>> queued;
  std::function<void(std::int32_t reg)> on_read;

  std::int16_t Vendor_Request(std::int32_t board_handle, std::uint8_t request, std::int32_t value,
                              std::int32_t index, std::uint8_t direction, std::int32_t length,
                              std::uint8_t* data) override {
    const std::int16_t status = ForwardingDriver::Vendor_Request(board_handle, request, value,
                                                                 index, direction, length, data);
    if (direction == 1) {
      const std::int32_t reg = index & 0xFF;
      auto queue = queued.find(reg);
      if (queue != queued.end() && !queue->second.empty()) {
        data[0] = queue->second.front();
        queue->second.pop_front();
      }
      if (on_read) on_read(reg);
    }
    return status;
  }
};

// Members in construction order; `s` is the session under test.
struct ConverterSession {
  // The time of day starts at 08:00; each clock reading moves time on by 0.1 ms, so a
  // bounded wait of a second takes ten thousand readings.
  util::VirtualClock clock{8 * 3600.0, 1e-4};
  FakeDriver chip;
  ScriptedReads scripted{chip};
  std::vector<std::string> traffic;
  link::TracingDriver tracer{scripted,
                             [this](const std::string& line) { traffic.push_back(line); }};
  ScriptedDialogs dialogs;
  NothingPending pump;
  link::USB_STUFF usb{tracer, dialogs, "/board"};
  link::RegisterTransport transport{usb, dialogs, model::application_title};
  model::RecordingStripChart strip1, strip2;
  model::Session s{clock, dialogs, pump, transport, strip1, strip2};

  // The write lines of the traffic alone, in order.
  std::vector<std::string> writes() const { return lines_starting_with(traffic, "W "); }

  std::vector<std::string> box_texts() const { return dialogs.box_texts(); }
};

}  // namespace quelnor::test
