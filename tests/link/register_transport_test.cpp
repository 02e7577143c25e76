// The register transport: how reads and writes are packed into vendor requests, the three
// verifying writes and their boxes, and failed requests.
#include "link/register_transport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/fake_driver.h"
#include "support/scripted_dialogs.h"
#include "util/run_time_error.h"

namespace quelnor::link {
namespace {

using test::DriverCall;

constexpr const char* box_title = "Quelnor Beta Version VUD1.0";
constexpr const char* verified_text =
    "Error:Invaid data write/readback sequence to part.check power connections: ";

class RegisterTransportTest : public ::testing::Test {
 protected:
  RegisterTransportTest() { usb.board_handle = 77; }

  test::FakeDriver driver;
  test::ScriptedDialogs dialogs;
  USB_STUFF usb{driver, dialogs, "/x"};
  RegisterTransport transport{usb, dialogs, box_title};

  // Raises and returns the kind of the run-time error, or fails the test.
  static util::ErrorKind error_kind_of(const std::function<void()>& op) {
    try {
      op();
    } catch (const util::RunTimeError& e) {
      return e.kind();
    }
    ADD_FAILURE() << "no run-time error";
    return util::ErrorKind::invalid_operation;
  }
};

TEST_F(RegisterTransportTest, OneVendorRequestPerAccessPackedAsTheChipExpects) {
  // A write travels in the setup fields alone (index = data << 8 | register, no data
  // stage); a read names the register in the index and asks for one byte.
  struct Case {
    const char* name;
    std::function<void(RegisterTransport&)> access;
    std::int32_t index;
    std::uint8_t direction;
    std::int32_t length;
  };
  const Case cases[] = {
      {"write 0x47 to 0x80",
       [](RegisterTransport& t) { t.write_register(chip_bus_address, 0x80, 0x47); }, 0x4780, 0, 0},
      {"read 0x8F", [](RegisterTransport& t) { t.read_register(chip_bus_address, 0x8F); }, 0x008F,
       1, 1},
  };
  for (const Case& c : cases) {
    driver.calls.clear();
    c.access(transport);
    ASSERT_EQ(driver.calls.size(), 1u) << c.name;
    const DriverCall& call = driver.calls[0];
    EXPECT_EQ(call.board_handle, 77) << c.name;
    EXPECT_EQ(call.request, 0xDE) << c.name;
    EXPECT_EQ(call.value, 13) << c.name;
    EXPECT_EQ(call.index, c.index) << c.name;
    EXPECT_EQ(call.direction, c.direction) << c.name;
    EXPECT_EQ(call.length, c.length) << c.name;
  }
}

TEST_F(RegisterTransportTest, AReadReturnsTheChipsByte) {
  for (std::uint8_t byte : {0x00, 0x02, 0x7F, 0x80, 0xFF}) {
    driver.registers[0x94] = byte;
    EXPECT_EQ(transport.read_register(chip_bus_address, 0x94), byte);
  }
}

TEST_F(RegisterTransportTest, DataIsPackedUnmaskedInThirtyTwoBits) {
  struct Case {
    std::int32_t reg;
    std::int32_t data;
    std::int32_t index;
  };
  const Case cases[] = {
      {0x80, 0xB0, 0xB080}, {0x8A, -1, -118},       {0x97, 0, 0x0097},
      {0x82, 0xFF, 0xFF82}, {0x84, 0x100, 0x10084},
  };
  for (const Case& c : cases) {
    driver.calls.clear();
    transport.write_register(chip_bus_address, c.reg, c.data);
    ASSERT_EQ(driver.calls.size(), 1u);
    EXPECT_EQ(driver.calls[0].index, c.index) << "data " << c.data;
  }
}

TEST_F(RegisterTransportTest, APackingOverflowIsAnErrorAndSendsNothing) {
  EXPECT_EQ(error_kind_of([&] { transport.write_register(chip_bus_address, 0x80, 0x800000); }),
            util::ErrorKind::overflow);
  EXPECT_TRUE(driver.calls.empty());
}

TEST_F(RegisterTransportTest, AMatchingReadBackShowsNoBox) {
  transport.write_register_verified(0x80, 0xB0);

  ASSERT_EQ(driver.calls.size(), 2u);
  EXPECT_EQ(driver.calls[0].index, 0xB080);
  EXPECT_EQ(driver.calls[0].direction, 0);
  EXPECT_EQ(driver.calls[1].index, 0x80);
  EXPECT_EQ(driver.calls[1].direction, 1);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(RegisterTransportTest, EachVerifyingWriteShowsItsOwnBoxOnceAndTheCallerGoesOn) {
  struct Case {
    const char* name;
    std::function<void(RegisterTransport&)> write;
    const char* text;
  };
  const Case cases[] = {
      {"verified", [](RegisterTransport& t) { t.write_register_verified(0x82, 0x47); },
       verified_text},
      {"checked", [](RegisterTransport& t) { t.write_register_checked(0x82, 0x47); }, "error"},
      {"compared", [](RegisterTransport& t) { t.write_and_compare(0x82, 0x47, "error:"); },
       "error:"},
  };
  for (const Case& c : cases) {
    test::FakeDriver faulty;
    test::ScriptedDialogs boxes;
    faulty.stuck_registers[0x82] = 0x00;
    USB_STUFF board_link{faulty, boxes, "/x"};
    RegisterTransport t{board_link, boxes, box_title};

    c.write(t);
    t.write_register_verified(0x83, 0x11);  // the caller's next step

    ASSERT_EQ(boxes.boxes.size(), 1u) << c.name;
    const util::MessageBox& box = boxes.boxes[0];
    EXPECT_EQ(box.text, c.text) << c.name;
    EXPECT_EQ(box.title, box_title) << c.name;
    EXPECT_EQ(box.buttons, util::Buttons::ok) << c.name;
    EXPECT_FALSE(box.warning_icon) << c.name;
    const auto requests = faulty.vendor_calls();
    ASSERT_EQ(requests.size(), 4u) << c.name;
    EXPECT_EQ(requests[2].index, 0x1183) << c.name;
    EXPECT_EQ(t.mismatches_shown(), 1) << c.name;
  }
}

TEST_F(RegisterTransportTest, AFailedRequestIsAnErrorNeverAStaleByte) {
  driver.registers[0x8F] = 0x05;
  ASSERT_EQ(transport.read_register(chip_bus_address, 0x8F), 0x05);  // fills the buffer
  driver.fail_requests = true;

  const std::function<void()> operations[] = {
      [&] { transport.read_register(chip_bus_address, 0x8F); },
      [&] { transport.write_register(chip_bus_address, 0x80, 0xB0); },
      [&] { transport.write_register_verified(0x80, 0xB0); },
      [&] { transport.write_and_compare(0x80, 0x20, "error:"); },
  };
  for (const auto& op : operations) {
    EXPECT_EQ(error_kind_of(op), util::ErrorKind::board_not_answering);
  }
  EXPECT_TRUE(dialogs.boxes.empty());  // the error goes to the caller, not a mismatch box
}

TEST_F(RegisterTransportTest, AReadThatBringsNoByteBackIsAnErrorNeverAStaleByte) {
  driver.registers[0x8F] = 0x05;
  ASSERT_EQ(transport.read_register(chip_bus_address, 0x8F), 0x05);
  driver.empty_reads = true;
  EXPECT_EQ(error_kind_of([&] { transport.read_register(chip_bus_address, 0x8F); }),
            util::ErrorKind::board_not_answering);
}

TEST_F(RegisterTransportTest, TheFailureTextNamesTheRegister) {
  driver.fail_requests = true;
  try {
    transport.read_register(chip_bus_address, 0x8F);
    FAIL() << "no error";
  } catch (const util::RunTimeError& e) {
    EXPECT_NE(std::string(e.what()).find("0x8F"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace quelnor::link
