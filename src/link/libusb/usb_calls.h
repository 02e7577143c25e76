// The thin table of USB calls the backend makes, one entry per libusb function it uses, in
// the backend's own types. libusb_calls.cpp fills it from libusb; tests fill it with a fake.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "link/libusb/usb_status.h"

namespace quelnor::link::libusb {

// A device seen on the bus (libusb_device). Valid until released with unref_device.
struct UsbDevice {
  void* token = nullptr;
  friend bool operator==(const UsbDevice&, const UsbDevice&) = default;
};

// An opened device (libusb_device_handle). Valid until close.
struct UsbHandle {
  void* token = nullptr;
  friend bool operator==(const UsbHandle&, const UsbHandle&) = default;
};

// The fields of a device descriptor the backend looks at.
struct UsbIdentity {
  std::uint16_t vendor_id = 0;
  std::uint16_t product_id = 0;
};

// One control transfer's setup packet plus its data stage. bmRequestType bit 7 set means
// device-to-host: `data` then receives up to `length` bytes.
struct ControlSetup {
  std::uint8_t request_type = 0;
  std::uint8_t request = 0;
  std::uint16_t value = 0;
  std::uint16_t index = 0;
  std::uint16_t length = 0;
};

struct TransferResult {
  UsbStatus status = UsbStatus::ok;
  int transferred = 0;  // bytes moved in the data stage when status is ok
};

struct UsbCalls {
  // Sets the library up. Called lazily, on the first operation that needs USB; retried on
  // a later operation when it failed.
  std::function<UsbStatus()> init;
  // Every device on the bus; each one holds a reference the caller releases with
  // unref_device.
  std::function<UsbStatus(std::vector<UsbDevice>&)> get_device_list;
  std::function<void(UsbDevice)> unref_device;
  std::function<UsbStatus(UsbDevice, UsbIdentity&)> get_device_descriptor;
  std::function<std::uint8_t(UsbDevice)> get_bus_number;
  std::function<std::uint8_t(UsbDevice)> get_device_address;
  // The hub port numbers from the root hub down to the device: stable while the device
  // stays in the same socket, unlike its address.
  std::function<UsbStatus(UsbDevice, std::vector<std::uint8_t>&)> get_port_numbers;
  std::function<UsbStatus(UsbDevice, UsbHandle&)> open;
  std::function<void(UsbHandle)> close;
  std::function<UsbStatus(UsbHandle, int interface_number)> claim_interface;
  std::function<void(UsbHandle, int interface_number)> release_interface;
  std::function<TransferResult(UsbHandle, const ControlSetup&, std::uint8_t* data,
                               unsigned timeout_ms)>
      control_transfer;
  // Waits in real time; tests record the request and return at once.
  std::function<void(unsigned milliseconds)> sleep_ms;
};

}  // namespace quelnor::link::libusb
