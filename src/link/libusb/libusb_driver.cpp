// The real evaluation board over libusb-1.0.
#include "link/libusb/libusb_driver.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "link/intel_hex.h"
#include "link/libusb/fx2_loader.h"
#include "link/libusb/fx2_ram_image.h"
#include "link/libusb/libusb_calls.h"
#include "link/libusb/port_path.h"

namespace quelnor::link::libusb {

namespace {

// bmRequestType of the board's vendor requests: vendor type, device recipient; bit 7 set
// for device-to-host.
constexpr std::uint8_t vendor_device_out = 0x40;
constexpr std::uint8_t vendor_device_in = 0xC0;

// A firmware image for this controller is some tens of kilobytes of text; anything much
// larger is not one and is not read into memory.
constexpr std::uintmax_t largest_image_file = 1024 * 1024;

std::string usb_identity(std::uint16_t vendor_id, std::uint16_t product_id) {
  char text[16];
  std::snprintf(text, sizeof text, "%04x:%04x", vendor_id, product_id);
  return text;
}

bool fits_16_bits(std::int32_t id) {
  return id >= 0 && id <= 0xFFFF;
}

// Reads the whole image file, or says why not.
std::string read_image(const std::string& path, std::string& text) {
  const std::filesystem::path file(path);
  std::error_code error;
  const auto state = std::filesystem::status(file, error);
  if (!std::filesystem::exists(state)) {
    return "The firmware image \"" + path +
           "\" was not found. It comes with the evaluation board from its maker; copy it "
           "there under that name.";
  }
  if (!std::filesystem::is_regular_file(state)) {
    return "The firmware image \"" + path + "\" is not a file.";
  }
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > largest_image_file) {
    return "The firmware image \"" + path + "\" is too large to be a firmware image.";
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) return "The firmware image \"" + path + "\" could not be read (no permission?).";
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) return "The firmware image \"" + path + "\" could not be read.";
  return {};
}

}  // namespace

LibusbDriver::LibusbDriver() : LibusbDriver(real_usb_calls()) {}

LibusbDriver::LibusbDriver(UsbCalls calls) : calls_(std::move(calls)) {}

LibusbDriver::~LibusbDriver() {
  for (auto& [handle, connection] : connections_) release_and_close(calls_, connection.handle);
}

std::int16_t LibusbDriver::fail(std::string reason) {
  last_error_ = std::move(reason);
  return -1;
}

bool LibusbDriver::ensure_usb() {
  if (usb_ready_) return true;
  const UsbStatus status = calls_.init();
  if (status != UsbStatus::ok) {
    fail(describe_usb_failure(status, "start USB access"));
    return false;
  }
  usb_ready_ = true;
  return true;
}

BoardConnection* LibusbDriver::resolve(std::int32_t board_handle) {
  const auto found = connections_.find(board_handle);
  return found == connections_.end() ? nullptr : &found->second;
}

std::int32_t LibusbDriver::Search_For_Boards(std::int32_t vendor_id, std::int32_t product_id,
                                             std::int32_t& board_count, std::uint8_t* board_ids) {
  board_count = 0;
  search_result_.clear();
  if (board_ids == nullptr) return fail("Board search was given no room for the identifiers.");
  std::fill(board_ids, board_ids + board_ids_size, std::uint8_t{0});
  if (!fits_16_bits(vendor_id) || !fits_16_bits(product_id)) {
    return fail("Board search was given a vendor or product identifier outside 16 bits.");
  }
  if (!ensure_usb()) return -1;
  searched_vendor_id_ = static_cast<std::uint16_t>(vendor_id);
  searched_product_id_ = static_cast<std::uint16_t>(product_id);

  const BusSnapshot snapshot(calls_);
  if (snapshot.status() != UsbStatus::ok) {
    return fail(describe_usb_failure(snapshot.status(), "list the USB devices"));
  }
  for (const BoardSighting& board : snapshot.boards(searched_vendor_id_, searched_product_id_)) {
    if (only_at_ && board.location != *only_at_) continue;
    // Identifiers are 1..128: one byte each, and the caller has room for 128.
    if (search_result_.size() == board_ids_size) break;
    search_result_.push_back(board.location);
    board_ids[search_result_.size() - 1] = static_cast<std::uint8_t>(search_result_.size());
  }
  board_count = static_cast<std::int32_t>(search_result_.size());
  if (search_result_.empty() && only_at_) {
    return fail("No evaluation board (USB " +
                usb_identity(searched_vendor_id_, searched_product_id_) + ") is at USB port " +
                port_path_text(*only_at_) +
                ". Check the cable and the board's power; `quelnor-eval boards` lists the "
                "boards and their ports.");
  }
  if (search_result_.empty()) {
    return fail("No evaluation board (USB " +
                usb_identity(searched_vendor_id_, searched_product_id_) +
                ") was found. Check the USB cable and the board's power.");
  }
  return board_count;
}

bool LibusbDriver::list_boards(std::vector<ListedBoard>& boards) {
  boards.clear();
  if (!ensure_usb()) return false;
  const BusSnapshot snapshot(calls_);
  if (snapshot.status() != UsbStatus::ok) {
    fail(describe_usb_failure(snapshot.status(), "list the USB devices"));
    return false;
  }
  for (const BoardSighting& board : snapshot.boards(static_cast<std::uint16_t>(board_vendor_id))) {
    boards.push_back({board.location, board.product_id});
  }
  return true;
}

std::int32_t LibusbDriver::Connect(std::int32_t vendor_id, std::int32_t product_id,
                                   std::uint8_t board_id, std::int32_t& board_handle) {
  board_handle = 0;
  if (board_id == 0 || board_id > search_result_.size()) {
    // With nothing found, the search's own reason says more than this would.
    if (search_result_.empty() && !last_error_.empty()) return -1;
    return fail("Board " + std::to_string(board_id) + " was not found by the last board search.");
  }
  if (!fits_16_bits(vendor_id) || !fits_16_bits(product_id)) {
    return fail("Connect was given a vendor or product identifier outside 16 bits.");
  }
  if (!ensure_usb()) return -1;
  const BoardLocation& location = search_result_[board_id - 1];

  const BusSnapshot snapshot(calls_);
  if (snapshot.status() != UsbStatus::ok) {
    return fail(describe_usb_failure(snapshot.status(), "list the USB devices"));
  }
  const auto vid = static_cast<std::uint16_t>(vendor_id);
  const auto pid = static_cast<std::uint16_t>(product_id);
  const std::vector<BoardSighting> boards = snapshot.boards(vid, pid);
  const BoardSighting* target = nullptr;
  for (const BoardSighting& board : boards) {
    if (board.location == location) target = &board;
  }
  if (target == nullptr) {
    return fail("The evaluation board (USB " + usb_identity(vid, pid) +
                ") left the bus before it could be opened. Reconnect it and retry.");
  }

  // An earlier connection to the same board would keep its interface claimed: a new attempt
  // replaces it.
  for (auto it = connections_.begin(); it != connections_.end();) {
    if (it->second.location == location) {
      release_and_close(calls_, it->second.handle);
      it = connections_.erase(it);
    } else {
      ++it;
    }
  }

  BoardConnection connection;
  const UsbStatus status = open_and_claim(calls_, target->device, connection.handle);
  if (status != UsbStatus::ok) return fail(describe_usb_failure(status, "open the board"));
  connection.vendor_id = vid;
  connection.product_id = pid;
  connection.location = location;
  connection.address = target->address;
  board_handle = next_handle_++;
  connections_.emplace(board_handle, std::move(connection));
  return 0;
}

std::int16_t LibusbDriver::Download_Firmware(std::int32_t board_handle, const std::uint8_t* path) {
  BoardConnection* connection = resolve(board_handle);
  if (connection == nullptr) {
    // Handle 0 follows a failed search or connect, whose reason is the useful one.
    if (board_handle == 0 && !last_error_.empty()) return -1;
    return fail("No evaluation board is connected (handle " + std::to_string(board_handle) + ").");
  }
  if (connection->gone) {
    return fail(describe_usb_failure(UsbStatus::no_device, "load the firmware"));
  }
  if (path == nullptr) return fail("No firmware image was named.");

  const std::string path_text(reinterpret_cast<const char*>(path));
  std::string text;
  if (std::string problem = read_image(path_text, text); !problem.empty()) {
    return fail(std::move(problem));
  }
  const HexImage image = parse_intel_hex(text);
  if (!image.problem.empty()) {
    return fail("The firmware image \"" + path_text + "\" is not valid Intel HEX (" +
                image.problem + "). Nothing was loaded.");
  }
  const RamLoad load = fx2_ram_load(image.records);
  if (!load.problem.empty()) {
    return fail("The firmware image \"" + path_text + "\" cannot be loaded (" + load.problem +
                "). Nothing was loaded.");
  }
  if (std::string problem = fx2_load_ram(calls_, *connection, load.chunks); !problem.empty()) {
    return fail(std::move(problem));
  }
  return 0;
}

std::int16_t LibusbDriver::Vendor_Request(std::int32_t board_handle, std::uint8_t request,
                                          std::int32_t value, std::int32_t index,
                                          std::uint8_t direction, std::int32_t length,
                                          std::uint8_t* data) {
  BoardConnection* connection = resolve(board_handle);
  if (connection == nullptr) {
    return fail("No evaluation board is connected (handle " + std::to_string(board_handle) + ").");
  }
  const bool reading = direction == 1;
  // A board that has left the bus would only time out again and again: fail at once.
  if (connection->gone) {
    return fail(describe_usb_failure(UsbStatus::no_device,
                                     reading ? "read from the board" : "write to the board"));
  }
  if (direction > 1) return fail("A vendor request was given an unknown direction.");
  // The status reports the bytes moved in 16 bits, so no more than 32767 are asked for.
  if (length < 0 || length > 0x7FFF || (length > 0 && data == nullptr)) {
    return fail("A vendor request was given an invalid data length.");
  }

  ControlSetup setup;
  setup.request_type = reading ? vendor_device_in : vendor_device_out;
  setup.request = request;
  // wValue and wIndex are 16-bit fields: the low 16 bits travel.
  setup.value = static_cast<std::uint16_t>(value);
  setup.index = static_cast<std::uint16_t>(index);
  setup.length = static_cast<std::uint16_t>(length);
  const TransferResult result =
      calls_.control_transfer(connection->handle, setup, data, request_timeout_ms);
  const char* action = reading ? "read from the board" : "write to the board";
  if (result.status != UsbStatus::ok) {
    if (result.status == UsbStatus::no_device) connection->gone = true;
    return fail(describe_usb_failure(result.status, action));
  }
  // A short answer would leave stale bytes in the caller's buffer looking like the board's.
  if (result.transferred != length) {
    return fail(std::string("Could not ") + action + ": the board moved " +
                std::to_string(result.transferred) + " of " + std::to_string(length) + " bytes.");
  }
  return static_cast<std::int16_t>(result.transferred);
}

}  // namespace quelnor::link::libusb
