// Opening the virtual or the real board for a subcommand, without any dialog.
#include "cli/opened_board.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "cli/board_option.h"
#include "link/register_transport.h"
#include "link/tracing_driver.h"
#include "link/usb_stuff.h"
#include "sim/virtual_board.h"
#include "util/clock.h"
#include "util/operator_dialogs.h"
#ifdef QUELNOR_HAVE_LIBUSB
#include "link/libusb/bus_snapshot.h"
#include "link/libusb/libusb_calls.h"
#include "link/libusb/libusb_driver.h"
#include "app/usb_board_driver.h"
#endif

namespace quelnor::cli {
namespace {

// The transport's verifying writes are not used by the engine; any box is refused quietly
// and its text kept for the error message.
class NoDialogs final : public util::OperatorDialogs {
 public:
  std::string last_text;
  util::Answer show_message(const util::MessageBox& box) override {
    last_text = box.text;
    return box.buttons == util::Buttons::ok ? util::Answer::ok : util::Answer::cancel;
  }
  std::string save_file(const util::SaveDialogRequest&) override { return {}; }
};

#ifdef QUELNOR_HAVE_LIBUSB
// "usb BUS-PORT.PORT..." of the first board in bus order, the one the board link connects
// to; the port path stays when the board enumerates again after its firmware load.
std::string usb_identity() {
  const link::libusb::UsbCalls calls = link::libusb::real_usb_calls();
  const link::libusb::BusSnapshot snapshot(calls);
  const std::vector<link::libusb::BoardSighting> boards =
      snapshot.boards(static_cast<std::uint16_t>(link::board_vendor_id),
                      static_cast<std::uint16_t>(link::board_product_id));
  if (boards.empty()) return "usb";
  std::string path = "usb " + std::to_string(boards.front().location.bus) + "-";
  const std::vector<std::uint8_t>& ports = boards.front().location.ports;
  for (std::size_t k = 0; k < ports.size(); ++k)
    path += (k > 0 ? "." : "") + std::to_string(ports[k]);
  return path;
}
#endif

// The analyzer's virtual board: relative noise plus a floor of 3 LSB per ADC sample.
constexpr double virtual_adc_noise_lsb = 3.0;

}  // namespace

struct OpenedBoard::Impl {
  std::unique_ptr<util::Clock> clock;
  util::VirtualClock* virtual_clock = nullptr;
  std::unique_ptr<sim::VirtualBoard> virtual_board;
  std::unique_ptr<link::DriverLibrary> real_board;
  std::ofstream trace_file;
  std::unique_ptr<link::TracingDriver> tracing;
  NoDialogs dialogs;
  std::unique_ptr<link::USB_STUFF> usb;
  std::unique_ptr<link::RegisterTransport> transport;
  std::unique_ptr<instrument::BoardAccess> access;
};

OpenedBoard::OpenedBoard(const BoardRequest& request) : impl_(std::make_unique<Impl>()) {
  Impl& i = *impl_;
  link::DriverLibrary* driver = nullptr;
  std::string identity;
  if (request.kind == "sim") {
    sim::VirtualBoardOptions options;
    options.adc_noise_lsb_rms = virtual_adc_noise_lsb;
    if (request.real_time) {
      i.clock = std::make_unique<util::SystemClock>();
      options.real_time = true;
    } else {
      auto clock = std::make_unique<util::VirtualClock>();
      i.virtual_clock = clock.get();
      i.clock = std::move(clock);
    }
    i.virtual_board = std::make_unique<sim::VirtualBoard>(*i.clock, options);
    try {
      i.virtual_board->set_feedback_resistance(request.feedback_resistance_ohm);
      if (request.dut) i.virtual_board->set_dut(*request.dut);
    } catch (const std::invalid_argument& e) {
      // An expression of thousands of characters is named by its start, not echoed whole.
      std::string shown = request.dut ? *request.dut : std::string();
      if (shown.size() > 60) shown = shown.substr(0, 60) + "...";
      throw std::runtime_error((request.dut ? "--dut " + shown + ": " : std::string()) + e.what());
    }
    driver = i.virtual_board.get();
    identity = "virtual";
  } else if (request.kind == "usb") {
    if (request.dut) throw std::runtime_error("--dut is for the virtual board (--board sim)");
#ifdef QUELNOR_HAVE_LIBUSB
    i.clock = std::make_unique<util::SystemClock>();
    try {
      i.real_board = app::usb_board_driver(request.usb_port_path);
    } catch (const std::invalid_argument& e) {
      throw std::runtime_error(e.what());
    }
    driver = i.real_board.get();
    identity = "usb";
#else
    throw std::runtime_error("this build has no real-board backend (libusb); use --board sim");
#endif
  } else {
    throw std::runtime_error("--board takes sim or usb, not \"" + request.kind + "\"");
  }
  if (!request.trace_path.empty()) {
    i.trace_file.open(request.trace_path, std::ios::out | std::ios::trunc);
    if (!i.trace_file) {
      throw std::runtime_error("cannot write the register trace file \"" + request.trace_path +
                               "\"");
    }
    i.tracing = std::make_unique<link::TracingDriver>(
        *driver, [&file = i.trace_file](const std::string& line) { file << line << '\n'; });
    driver = i.tracing.get();
  }
  i.usb = std::make_unique<link::USB_STUFF>(*driver, i.dialogs, request.executable_dir);
  if (i.usb->open_board() < 0) {
    std::string reason = "the board was not found or its firmware did not load";
#ifdef QUELNOR_HAVE_LIBUSB
    if (auto* libusb = dynamic_cast<link::libusb::LibusbDriver*>(i.real_board.get())) {
      if (!libusb->last_error().empty()) reason = libusb->last_error();
    }
#endif
    throw std::runtime_error(reason);
  }
  i.transport = std::make_unique<link::RegisterTransport>(*i.usb, i.dialogs, "quelnor-eval");
#ifdef QUELNOR_HAVE_LIBUSB
  if (i.real_board) {
    identity = request.usb_port_path.empty() ? usb_identity() : "usb " + request.usb_port_path;
  }
#endif
  util::VirtualClock* virtual_clock = i.virtual_clock;
  auto sleep = [virtual_clock](double seconds) {
    if (virtual_clock != nullptr) {
      virtual_clock->advance(seconds);
    } else {
      std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }
  };
  i.access = std::make_unique<instrument::BoardAccess>(instrument::BoardAccess{
      *i.transport, *i.clock, sleep, identity, request.feedback_resistance_ohm});
}

OpenedBoard::~OpenedBoard() = default;

instrument::BoardAccess& OpenedBoard::access() {
  return *impl_->access;
}

sim::VirtualBoard* OpenedBoard::virtual_board() {
  return impl_->virtual_board.get();
}

BoardRequest board_request(const std::string& board_option) {
  const BoardChoice choice = parse_board_option(board_option);
  BoardRequest request;
  request.kind = choice.usb ? "usb" : "sim";
  request.usb_port_path = choice.port_path;
  return request;
}

std::string program_dir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path(ec).string();
  return exe.parent_path().string();
}

}  // namespace quelnor::cli
