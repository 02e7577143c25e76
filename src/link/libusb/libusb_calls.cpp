// The USB call table over libusb-1.0. The only file that includes libusb's header, and the
// one place its error codes become UsbStatus.
#include "link/libusb/libusb_calls.h"

#include <libusb.h>

#include <chrono>
#include <memory>
#include <thread>

namespace quelnor::link::libusb {

namespace {

UsbStatus translate(int code) {
  if (code >= 0) return UsbStatus::ok;
  switch (code) {
    case LIBUSB_ERROR_IO:
      return UsbStatus::io;
    case LIBUSB_ERROR_INVALID_PARAM:
      return UsbStatus::invalid_param;
    case LIBUSB_ERROR_ACCESS:
      return UsbStatus::access;
    case LIBUSB_ERROR_NO_DEVICE:
      return UsbStatus::no_device;
    case LIBUSB_ERROR_NOT_FOUND:
      return UsbStatus::not_found;
    case LIBUSB_ERROR_BUSY:
      return UsbStatus::busy;
    case LIBUSB_ERROR_TIMEOUT:
      return UsbStatus::timeout;
    case LIBUSB_ERROR_OVERFLOW:
      return UsbStatus::overflow;
    case LIBUSB_ERROR_PIPE:
      return UsbStatus::pipe;
    case LIBUSB_ERROR_INTERRUPTED:
      return UsbStatus::interrupted;
    case LIBUSB_ERROR_NO_MEM:
      return UsbStatus::no_memory;
    case LIBUSB_ERROR_NOT_SUPPORTED:
      return UsbStatus::not_supported;
    default:
      return UsbStatus::other;
  }
}

libusb_device* device_of(UsbDevice device) {
  return static_cast<libusb_device*>(device.token);
}
libusb_device_handle* handle_of(UsbHandle handle) {
  return static_cast<libusb_device_handle*>(handle.token);
}

// The library context, created on first use and ended when the last copy of the table goes.
struct Context {
  libusb_context* context = nullptr;
  Context() = default;
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;
  ~Context() {
    if (context != nullptr) libusb_exit(context);
  }
};

}  // namespace

UsbCalls real_usb_calls() {
  auto shared = std::make_shared<Context>();
  UsbCalls calls;
  calls.init = [shared] {
    if (shared->context != nullptr) return UsbStatus::ok;
    libusb_context* context = nullptr;
    const int code = libusb_init(&context);
    if (code < 0) return translate(code);
    shared->context = context;
    return UsbStatus::ok;
  };
  calls.get_device_list = [shared](std::vector<UsbDevice>& devices) {
    devices.clear();
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(shared->context, &list);
    if (count < 0) return translate(static_cast<int>(count));
    // Freeing the list without unreferencing leaves each device with the reference the
    // list held; the caller hands it back through unref_device.
    for (ssize_t i = 0; i < count; ++i) devices.push_back(UsbDevice{list[i]});
    libusb_free_device_list(list, 0);
    return UsbStatus::ok;
  };
  calls.unref_device = [shared](UsbDevice device) { libusb_unref_device(device_of(device)); };
  calls.get_device_descriptor = [shared](UsbDevice device, UsbIdentity& identity) {
    libusb_device_descriptor descriptor{};
    const int code = libusb_get_device_descriptor(device_of(device), &descriptor);
    if (code < 0) return translate(code);
    identity.vendor_id = descriptor.idVendor;
    identity.product_id = descriptor.idProduct;
    return UsbStatus::ok;
  };
  calls.get_bus_number = [shared](UsbDevice device) {
    return libusb_get_bus_number(device_of(device));
  };
  calls.get_device_address = [shared](UsbDevice device) {
    return libusb_get_device_address(device_of(device));
  };
  calls.get_port_numbers = [shared](UsbDevice device, std::vector<std::uint8_t>& ports) {
    // USB allows at most seven tiers below the root hub.
    std::uint8_t numbers[7] = {};
    const int count = libusb_get_port_numbers(device_of(device), numbers, 7);
    ports.clear();
    if (count < 0) return translate(count);
    ports.assign(numbers, numbers + count);
    return UsbStatus::ok;
  };
  calls.open = [shared](UsbDevice device, UsbHandle& handle) {
    libusb_device_handle* opened = nullptr;
    const int code = libusb_open(device_of(device), &opened);
    if (code < 0) return translate(code);
    handle.token = opened;
    return UsbStatus::ok;
  };
  calls.close = [shared](UsbHandle handle) { libusb_close(handle_of(handle)); };
  calls.claim_interface = [shared](UsbHandle handle, int interface_number) {
    return translate(libusb_claim_interface(handle_of(handle), interface_number));
  };
  calls.release_interface = [shared](UsbHandle handle, int interface_number) {
    libusb_release_interface(handle_of(handle), interface_number);
  };
  calls.control_transfer = [shared](UsbHandle handle, const ControlSetup& setup, std::uint8_t* data,
                                    unsigned timeout_ms) {
    const int code =
        libusb_control_transfer(handle_of(handle), setup.request_type, setup.request, setup.value,
                                setup.index, data, setup.length, timeout_ms);
    if (code < 0) return TransferResult{translate(code), 0};
    return TransferResult{UsbStatus::ok, code};
  };
  calls.sleep_ms = [](unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  };
  return calls;
}

}  // namespace quelnor::link::libusb
