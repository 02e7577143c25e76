// A fake USB bus behind the backend's call table: devices that come and go, every control
// transfer recorded, scripted answers, and counts of references and handles still held.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "link/libusb/usb_calls.h"

namespace quelnor::link::libusb::test {

struct FakeDevice {
  std::uint16_t vendor_id = 0x0456;
  std::uint16_t product_id = 0xB203;
  std::uint8_t bus = 1;
  std::uint8_t address = 5;
  std::vector<std::uint8_t> ports{2};
  bool present = true;
  int references = 0;
};

struct RecordedTransfer {
  const FakeDevice* device = nullptr;
  ControlSetup setup;
  std::vector<std::uint8_t> out_data;  // the data stage of a host-to-device transfer
  unsigned timeout_ms = 0;
};

// One scripted answer to a control transfer. Without one, a transfer to a present device
// succeeds with every byte moved (IN data then reads as zeros).
struct ScriptedAnswer {
  UsbStatus status = UsbStatus::ok;
  int transferred = -1;  // -1: the whole length
  std::vector<std::uint8_t> in_data;
};

class FakeUsb {
 public:
  FakeDevice& add_device(std::uint8_t bus, std::vector<std::uint8_t> ports, std::uint8_t address,
                         std::uint16_t vendor_id = 0x0456, std::uint16_t product_id = 0xB203);

  UsbCalls calls();

  int open_handles() const;
  int held_references() const;
  int claimed_interfaces() const;

  std::deque<FakeDevice> devices;  // deque: addresses stay valid as devices are added
  std::deque<ScriptedAnswer> answers;
  std::vector<RecordedTransfer> transfers;
  std::vector<unsigned> sleeps;
  // Runs on every sleep, after it is recorded: where a test moves devices about in time.
  std::function<void(unsigned sleep_number)> on_sleep;

  int init_calls = 0;
  std::deque<UsbStatus> init_statuses;  // consumed one per init; empty: ok
  UsbStatus list_status = UsbStatus::ok;
  std::deque<UsbStatus> open_statuses;   // consumed one per open; empty: ok
  std::deque<UsbStatus> claim_statuses;  // consumed one per claim; empty: ok

 private:
  struct OpenHandle {
    FakeDevice* device = nullptr;
    bool open = true;
    bool claimed = false;
  };
  std::deque<OpenHandle> handles_;
};

}  // namespace quelnor::link::libusb::test
