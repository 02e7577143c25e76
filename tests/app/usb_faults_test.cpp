// The real-board backend failing under a running program: the board unplugged during a
// sweep, a stalled or timed-out request, a timeout in the middle of the firmware load.
// Each ends in its box at once, says why, and leaves the program working. The board is the
// fake USB bus with the virtual board's chip answering the register requests behind it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converter/sweep_programming.h"
#include "converter/temperature.h"
#include "fake_usb.h"
#include "link/libusb/libusb_driver.h"
#include "link/register_transport.h"
#include "link/usb_stuff.h"
#include "measure/data_valid_wait.h"
#include "measure/continuous_sweep.h"
#include "measure/frequency_sweep.h"
#include "measure/mid_point_calibration.h"
#include "model/application_title.h"
#include "model/session.h"
#include "model/strip_chart.h"
#include "sim/virtual_board.h"
#include "support/bin_dir.h"
#include "support/load_selections.h"
#include "support/nothing_pending.h"
#include "support/scripted_dialogs.h"
#include "ui/plot_sweep_results.h"
#include "util/clock.h"
#include "util/run_time_error.h"

namespace quelnor::app {
namespace {

using link::libusb::ControlSetup;
using link::libusb::TransferResult;
using link::libusb::UsbCalls;
using link::libusb::UsbHandle;
using link::libusb::UsbStatus;
using link::libusb::test::ScriptedAnswer;

constexpr const char* sweep_failed_box = "Error completing sweep check values";
constexpr const char* sweep_done_box = " sweep complete:   Press ok  ";
constexpr const char* download_failed_box = "Firmware failed to download-Check USB connections";

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The bench: a fake bus holding one board whose register requests reach a chip model.
// `fault` runs before the n-th register request (from 1) and may unplug the board or
// script the request's answer.
struct UsbBench {
  util::VirtualClock clock;
  sim::VirtualBoard chip{clock};
  std::int32_t chip_handle = 0;
  link::libusb::test::FakeUsb usb;
  link::libusb::test::FakeDevice& device = usb.add_device(1, {4}, 5);
  int register_requests = 0;
  std::function<void(int n)> fault;

  link::libusb::LibusbDriver driver{bus_calls()};
  test::ScriptedDialogs dialogs;
  test::NothingPending pump;
  link::USB_STUFF board{driver, dialogs, test::bin_dir()};
  link::RegisterTransport transport{board, dialogs, model::application_title};
  model::RecordingStripChart strip1, strip2;
  model::Session s{clock, dialogs, pump, transport, strip1, strip2};
  std::vector<std::string> reasons;  // the driver's reason after each failed start-up attempt

  UsbBench() {
    std::int32_t count = 0;
    std::uint8_t ids[127] = {};
    chip.Search_For_Boards(link::board_vendor_id, link::board_product_id, count, ids);
    chip.Connect(link::board_vendor_id, link::board_product_id, ids[0], chip_handle);
    const std::string image = test::bin_dir() + "/Quelnor_FW.hex";
    chip.Download_Firmware(chip_handle, reinterpret_cast<const std::uint8_t*>(image.c_str()));
    board.on_failed_attempt = [this] { reasons.push_back(driver.last_error()); };
    s.plot_sweep_results = [this](bool continuous) { ui::plot_sweep_results(s, continuous); };
  }

  UsbCalls bus_calls() {
    UsbCalls calls = usb.calls();
    calls.control_transfer = [this, fake = calls.control_transfer](
                                 UsbHandle handle, const ControlSetup& setup, std::uint8_t* data,
                                 unsigned timeout_ms) {
      if (setup.request != link::register_request_code) {
        return fake(handle, setup, data, timeout_ms);  // the firmware load
      }
      if (fault) fault(++register_requests);
      const TransferResult on_bus = fake(handle, setup, data, timeout_ms);
      if (on_bus.status != UsbStatus::ok) return on_bus;
      const std::uint8_t reading = (setup.request_type & 0x80) != 0 ? 1 : 0;
      const std::int16_t moved = chip.Vendor_Request(chip_handle, setup.request, setup.value,
                                                     setup.index, reading, setup.length, data);
      return moved < 0 ? TransferResult{UsbStatus::io, 0} : TransferResult{UsbStatus::ok, moved};
    };
    return calls;
  }

  // Start-up, the main window's load selections, and a mid-point calibration of a
  // 21-point sweep on the 200 kOhm resistor.
  void start_and_calibrate() {
    ASSERT_TRUE(board.start_up());
    test::make_load_selections(s);
    model::Form1Controls& f = s.form;
    f.Text3.text = "20";
    converter::program_sweep_registers(s);
    f.select(f.Option7);
    measure::mid_point_gain_factor(s);
    ASSERT_EQ(dialogs.box_texts().back(), "The mid-point gain factor has been calculated.");
    dialogs.boxes.clear();
  }

  // A single sweep that must succeed and measure the resistor.
  void expect_sweep_measures_the_resistor() {
    dialogs.boxes.clear();
    measure::frequency_sweep(s);
    EXPECT_EQ(dialogs.box_texts(), std::vector<std::string>{sweep_done_box});
    ASSERT_EQ(strip1.trace(0).size(), 21u);
    for (const auto& [frequency_hz, impedance_ohm] : strip1.trace(0)) {
      EXPECT_NEAR(impedance_ohm, 200e3, 2e3) << frequency_hz;
    }
  }
};

TEST(UsbFaults, ABoardUnpluggedDuringASweepEndsItAtOnceAndEveryLaterActionFailsAtOnce) {
  UsbBench b;
  b.start_and_calibrate();
  const int unplug_at = b.register_requests + 40;
  b.fault = [&b, unplug_at](int n) {
    if (n == unplug_at) b.device.present = false;
  };
  const double started_s = b.clock.monotonic_seconds();
  measure::frequency_sweep(b.s);
  EXPECT_EQ(b.dialogs.box_texts(), std::vector<std::string>{sweep_failed_box});
  EXPECT_TRUE(contains(b.driver.last_error(), "left the USB bus")) << b.driver.last_error();
  // No wait for data that cannot come: the sweep ends with the failed request.
  EXPECT_LT(b.clock.monotonic_seconds() - started_s, measure::data_valid_timeout_s);

  // Later actions fail at once with their own boxes; none reaches the bus.
  const std::size_t sent = b.usb.transfers.size();
  b.dialogs.boxes.clear();
  measure::frequency_sweep(b.s);
  b.s.form.Continuous_sweep_text.value = true;
  measure::continuous_sweep(b.s);
  EXPECT_EQ(b.dialogs.box_texts(),
            (std::vector<std::string>{sweep_failed_box, "Error completing Sweep:Check Values"}));
  EXPECT_THROW(converter::measure_temperature(b.s), util::RunTimeError);
  EXPECT_EQ(b.usb.transfers.size(), sent);
  EXPECT_TRUE(contains(b.driver.last_error(), "left the USB bus"));
}

TEST(UsbFaults, ARequestFailingDuringASweepEndsItWithItsReasonAndTheNextSweepWorks) {
  struct Case {
    const char* name;
    UsbStatus status;
    const char* reason;
  };
  for (const Case& c : {Case{"stall", UsbStatus::pipe, "request refused (stall)"},
                        Case{"timeout", UsbStatus::timeout, "did not answer in time"},
                        Case{"wire error", UsbStatus::io, "input/output error"}}) {
    SCOPED_TRACE(c.name);
    UsbBench b;
    b.start_and_calibrate();
    const int fail_at = b.register_requests + 40;
    b.fault = [&b, &c, fail_at](int n) {
      if (n == fail_at) b.usb.answers.push_back(ScriptedAnswer{c.status, 0, {}});
    };
    measure::frequency_sweep(b.s);
    EXPECT_EQ(b.dialogs.box_texts(), std::vector<std::string>{sweep_failed_box});
    EXPECT_TRUE(contains(b.driver.last_error(), c.reason)) << b.driver.last_error();
    b.expect_sweep_measures_the_resistor();
  }
}

TEST(UsbFaults, ATimeoutInTheMiddleOfTheFirmwareLoadAsksRetryOrCancel) {
  // Loading the two-byte image takes three transfers: hold the controller in reset, write
  // the bytes, release it. The write times out.
  const std::vector<ScriptedAnswer> load_times_out = {{}, {UsbStatus::timeout, 0, {}}};
  {
    UsbBench b;
    b.usb.answers.assign(load_times_out.begin(), load_times_out.end());
    b.dialogs.answers = {util::Answer::retry};
    b.start_and_calibrate();
    ASSERT_EQ(b.reasons.size(), 1u);
    EXPECT_TRUE(contains(b.reasons[0], "did not answer in time")) << b.reasons[0];
    EXPECT_TRUE(contains(b.reasons[0], "load the firmware")) << b.reasons[0];
    b.expect_sweep_measures_the_resistor();
  }
  {
    UsbBench b;
    b.usb.answers.assign(load_times_out.begin(), load_times_out.end());
    EXPECT_FALSE(b.board.start_up());  // the box's default answer: Cancel
    EXPECT_EQ(b.dialogs.box_texts(), std::vector<std::string>{download_failed_box});
    EXPECT_EQ(b.dialogs.boxes[0].buttons, util::Buttons::retry_cancel);
    EXPECT_EQ(b.reasons.size(), 1u);
  }
}

}  // namespace
}  // namespace quelnor::app
