// One look at the USB bus.
#include "link/libusb/bus_snapshot.h"

#include <algorithm>

namespace quelnor::link::libusb {

BusSnapshot::BusSnapshot(const UsbCalls& calls) : calls_(calls) {
  status_ = calls_.get_device_list(devices_);
  if (status_ != UsbStatus::ok) {
    for (const UsbDevice device : devices_) calls_.unref_device(device);
    devices_.clear();
  }
}

BusSnapshot::~BusSnapshot() {
  for (const UsbDevice device : devices_) calls_.unref_device(device);
}

std::vector<BoardSighting> BusSnapshot::boards(std::uint16_t vendor_id,
                                               std::uint16_t product_id) const {
  return find(vendor_id, product_id);
}

std::vector<BoardSighting> BusSnapshot::boards(std::uint16_t vendor_id) const {
  return find(vendor_id, std::nullopt);
}

std::vector<BoardSighting> BusSnapshot::find(std::uint16_t vendor_id,
                                             std::optional<std::uint16_t> product_id) const {
  std::vector<BoardSighting> found;
  for (const UsbDevice device : devices_) {
    UsbIdentity identity;
    if (calls_.get_device_descriptor(device, identity) != UsbStatus::ok) continue;
    if (identity.vendor_id != vendor_id) continue;
    if (product_id && identity.product_id != *product_id) continue;
    BoardSighting sighting;
    sighting.device = device;
    sighting.product_id = identity.product_id;
    if (calls_.get_port_numbers(device, sighting.location.ports) != UsbStatus::ok) continue;
    sighting.location.bus = calls_.get_bus_number(device);
    sighting.address = calls_.get_device_address(device);
    found.push_back(std::move(sighting));
  }
  std::stable_sort(found.begin(), found.end(), [](const BoardSighting& a, const BoardSighting& b) {
    return a.location < b.location;
  });
  return found;
}

}  // namespace quelnor::link::libusb
