// One look at the USB bus: the devices present, their identity and where they sit, held
// (referenced) until the snapshot goes.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "link/libusb/usb_calls.h"

namespace quelnor::link::libusb {

// Where a device sits: bus number and hub port path. Survives re-enumeration, which gives
// the device a new address.
struct BoardLocation {
  std::uint8_t bus = 0;
  std::vector<std::uint8_t> ports;
  friend bool operator==(const BoardLocation&, const BoardLocation&) = default;
  friend auto operator<=>(const BoardLocation&, const BoardLocation&) = default;
};

struct BoardSighting {
  UsbDevice device;
  BoardLocation location;
  std::uint16_t product_id = 0;  // firmware may change it when the device enumerates again
  std::uint8_t address = 0;      // bus address, changes when the device enumerates again
};

class BusSnapshot {
 public:
  explicit BusSnapshot(const UsbCalls& calls);
  ~BusSnapshot();
  BusSnapshot(const BusSnapshot&) = delete;
  BusSnapshot& operator=(const BusSnapshot&) = delete;

  // ok, or why the bus could not be listed (the snapshot is then empty).
  UsbStatus status() const { return status_; }

  // Devices with that vendor and product, in bus order: by bus number, then port path.
  // Devices whose descriptor or ports cannot be read are left out.
  std::vector<BoardSighting> boards(std::uint16_t vendor_id, std::uint16_t product_id) const;
  // Devices of that vendor whatever their product, in the same order.
  std::vector<BoardSighting> boards(std::uint16_t vendor_id) const;

 private:
  std::vector<BoardSighting> find(std::uint16_t vendor_id,
                                  std::optional<std::uint16_t> product_id) const;

  const UsbCalls& calls_;
  UsbStatus status_ = UsbStatus::ok;
  std::vector<UsbDevice> devices_;
};

}  // namespace quelnor::link::libusb
