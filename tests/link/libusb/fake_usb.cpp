// The fake USB bus.
#include "fake_usb.h"

#include <algorithm>
#include <utility>

namespace quelnor::link::libusb::test {

namespace {

FakeDevice* device_of(UsbDevice device) {
  return static_cast<FakeDevice*>(device.token);
}

UsbStatus take(std::deque<UsbStatus>& statuses) {
  if (statuses.empty()) return UsbStatus::ok;
  const UsbStatus status = statuses.front();
  statuses.pop_front();
  return status;
}

}  // namespace

FakeDevice& FakeUsb::add_device(std::uint8_t bus, std::vector<std::uint8_t> ports,
                                std::uint8_t address, std::uint16_t vendor_id,
                                std::uint16_t product_id) {
  FakeDevice device;
  device.vendor_id = vendor_id;
  device.product_id = product_id;
  device.bus = bus;
  device.address = address;
  device.ports = std::move(ports);
  devices.push_back(device);
  return devices.back();
}

int FakeUsb::open_handles() const {
  return static_cast<int>(
      std::count_if(handles_.begin(), handles_.end(), [](const OpenHandle& h) { return h.open; }));
}

int FakeUsb::claimed_interfaces() const {
  return static_cast<int>(std::count_if(handles_.begin(), handles_.end(),
                                        [](const OpenHandle& h) { return h.open && h.claimed; }));
}

int FakeUsb::held_references() const {
  int total = 0;
  for (const FakeDevice& device : devices) total += device.references;
  return total;
}

UsbCalls FakeUsb::calls() {
  UsbCalls calls;
  calls.init = [this] {
    ++init_calls;
    return take(init_statuses);
  };
  calls.get_device_list = [this](std::vector<UsbDevice>& list) {
    list.clear();
    if (list_status != UsbStatus::ok) return list_status;
    for (FakeDevice& device : devices) {
      if (!device.present) continue;
      ++device.references;
      list.push_back(UsbDevice{&device});
    }
    return UsbStatus::ok;
  };
  calls.unref_device = [](UsbDevice device) { --device_of(device)->references; };
  calls.get_device_descriptor = [](UsbDevice device, UsbIdentity& identity) {
    identity.vendor_id = device_of(device)->vendor_id;
    identity.product_id = device_of(device)->product_id;
    return UsbStatus::ok;
  };
  calls.get_bus_number = [](UsbDevice device) { return device_of(device)->bus; };
  calls.get_device_address = [](UsbDevice device) { return device_of(device)->address; };
  calls.get_port_numbers = [](UsbDevice device, std::vector<std::uint8_t>& ports) {
    ports = device_of(device)->ports;
    return UsbStatus::ok;
  };
  calls.open = [this](UsbDevice device, UsbHandle& handle) {
    const UsbStatus status = take(open_statuses);
    if (status != UsbStatus::ok) return status;
    handles_.push_back(OpenHandle{device_of(device)});
    handle.token = &handles_.back();
    return UsbStatus::ok;
  };
  calls.close = [](UsbHandle handle) { static_cast<OpenHandle*>(handle.token)->open = false; };
  calls.claim_interface = [this](UsbHandle handle, int interface_number) {
    const UsbStatus status = take(claim_statuses);
    if (status != UsbStatus::ok) return status;
    if (interface_number != 0) return UsbStatus::not_found;
    static_cast<OpenHandle*>(handle.token)->claimed = true;
    return UsbStatus::ok;
  };
  calls.release_interface = [](UsbHandle handle, int) {
    static_cast<OpenHandle*>(handle.token)->claimed = false;
  };
  calls.control_transfer = [this](UsbHandle handle, const ControlSetup& setup, std::uint8_t* data,
                                  unsigned timeout_ms) {
    const OpenHandle& open = *static_cast<OpenHandle*>(handle.token);
    RecordedTransfer record{open.device, setup, {}, timeout_ms};
    const bool in = (setup.request_type & 0x80) != 0;
    if (!in && setup.length > 0) record.out_data.assign(data, data + setup.length);
    transfers.push_back(record);
    if (!open.open || !open.device->present) return TransferResult{UsbStatus::no_device, 0};
    ScriptedAnswer answer;
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
    if (answer.status != UsbStatus::ok) return TransferResult{answer.status, 0};
    const int moved = answer.transferred < 0 ? setup.length : answer.transferred;
    if (in) {
      for (int i = 0; i < moved; ++i) {
        data[i] = i < static_cast<int>(answer.in_data.size()) ? answer.in_data[i] : 0;
      }
    }
    return TransferResult{UsbStatus::ok, moved};
  };
  calls.sleep_ms = [this](unsigned milliseconds) {
    sleeps.push_back(milliseconds);
    if (on_sleep) on_sleep(static_cast<unsigned>(sleeps.size()));
  };
  return calls;
}

}  // namespace quelnor::link::libusb::test
