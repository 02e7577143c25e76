// The libusb backend on a fake bus: search, connection, setup packets of register requests,
// the firmware load and re-enumeration wait, and the texts for what goes wrong.
#include "link/libusb/libusb_driver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "board_steps.h"
#include "fake_usb.h"

namespace quelnor::link::libusb {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::connect_first_board;
using test::FakeDevice;
using test::FakeUsb;
using test::RecordedTransfer;
using test::ScriptedAnswer;
using test::small_image;

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::int16_t download_image(LibusbDriver& driver, std::int32_t handle, const std::string& path) {
  return driver.Download_Firmware(handle, reinterpret_cast<const std::uint8_t*>(path.c_str()));
}

// A register write with no data stage, the shortest request a board answers.
std::int16_t write_register_on(LibusbDriver& driver, std::int32_t handle, std::int32_t index) {
  std::uint8_t unused = 0;
  return driver.Vendor_Request(handle, 0xDE, 13, index, 0, 0, &unused);
}

class LibusbDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("quelnor_libusb_test_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    driver_.reset();
    std::filesystem::remove_all(folder_);
  }

  LibusbDriver& driver() {
    if (!driver_) driver_ = std::make_unique<LibusbDriver>(usb.calls());
    return *driver_;
  }

  std::int32_t search(std::array<std::uint8_t, 128>& ids) {
    std::int32_t count = -1;
    driver().Search_For_Boards(0x0456, 0xB203, count, ids.data());
    return count;
  }

  std::int32_t connect_first() { return connect_first_board(driver()); }

  std::string image_file(const std::string& text, const std::string& name = "Quelnor_FW.hex") {
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  std::int16_t download(std::int32_t handle, const std::string& path) {
    return download_image(driver(), handle, path);
  }

  std::int16_t write_register(std::int32_t handle, std::int32_t index) {
    return write_register_on(driver(), handle, index);
  }

  FakeUsb usb;  // declared first: outlives the driver, which closes its handles on the way out

 private:
  std::unique_ptr<LibusbDriver> driver_;
  std::filesystem::path folder_;
};

// --- search and connection -------------------------------------------------------------

TEST_F(LibusbDriverTest, SearchListsEveryBoardInBusOrderWithOneBasedIds) {
  usb.add_device(2, {1}, 4);
  FakeDevice& second = usb.add_device(1, {3, 2}, 7);
  usb.add_device(1, {1}, 2, 0x046D, 0xC52B);  // some other device
  usb.add_device(1, {3, 1}, 9);
  std::array<std::uint8_t, 128> ids;
  ids.fill(0xFF);

  EXPECT_EQ(search(ids), 3);
  EXPECT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], 2);
  EXPECT_EQ(ids[2], 3);
  for (std::size_t i = 3; i < ids.size(); ++i) EXPECT_EQ(ids[i], 0) << i;
  EXPECT_EQ(usb.held_references(), 0);

  // Id 2 is the second in bus order: bus 1, ports 3.2.
  std::int32_t handle = 0;
  EXPECT_EQ(driver().Connect(0x0456, 0xB203, 2, handle), 0);
  EXPECT_GT(handle, 0);
  EXPECT_EQ(write_register(handle, 0x4780), 0);
  ASSERT_EQ(usb.transfers.size(), 1u);
  EXPECT_EQ(usb.transfers[0].device, &second);
  EXPECT_EQ(usb.claimed_interfaces(), 1);
  EXPECT_EQ(usb.held_references(), 0);
}

TEST_F(LibusbDriverTest, WithoutABoardEveryStepFailsAndSaysNoBoardWasFound) {
  usb.add_device(1, {1}, 2, 0x046D, 0xC52B);
  std::array<std::uint8_t, 128> ids{};
  std::int32_t count = -1;
  EXPECT_LT(driver().Search_For_Boards(0x0456, 0xB203, count, ids.data()), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(ids[0], 0);

  std::int32_t handle = 77;
  EXPECT_LT(driver().Connect(0x0456, 0xB203, ids[0], handle), 0);
  EXPECT_EQ(handle, 0);
  EXPECT_LT(download(handle, image_file(small_image)), 0);
  EXPECT_TRUE(contains(driver().last_error(), "No evaluation board (USB 0456:b203) was found"))
      << driver().last_error();
  EXPECT_EQ(usb.open_handles(), 0);
  EXPECT_TRUE(usb.transfers.empty());
}

TEST_F(LibusbDriverTest, UsbIsSetUpOnFirstUseAndRetriedAfterAFailure) {
  usb.add_device(1, {1}, 5);
  driver();
  EXPECT_EQ(usb.init_calls, 0);

  usb.init_statuses = {UsbStatus::other};
  std::array<std::uint8_t, 128> ids{};
  EXPECT_EQ(search(ids), 0);
  EXPECT_TRUE(contains(driver().last_error(), "Could not start USB access"));

  EXPECT_EQ(search(ids), 1);  // the operator's Retry
  EXPECT_EQ(search(ids), 1);
  EXPECT_EQ(usb.init_calls, 2);
}

TEST_F(LibusbDriverTest, AFailedOpenOrClaimLeavesNothingOpenAndSaysWhatToDo) {
  struct Case {
    const char* name;
    UsbStatus open_status;
    UsbStatus claim_status;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"no permission",
       UsbStatus::access,
       UsbStatus::ok,
       {"no permission", "packaging/60-quelnor-eval.rules", "/etc/udev/rules.d/", "replug"}},
      {"no driver bound", UsbStatus::not_supported, UsbStatus::ok, {"WinUSB"}},
      {"claimed elsewhere", UsbStatus::ok, UsbStatus::busy, {"in use by another program"}},
      {"unplugged meanwhile", UsbStatus::no_device, UsbStatus::ok, {"left the USB bus"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeUsb fresh;
    fresh.add_device(1, {4}, 5);
    fresh.open_statuses = {c.open_status};
    fresh.claim_statuses = {c.claim_status};
    LibusbDriver driver(fresh.calls());
    std::array<std::uint8_t, 128> ids{};
    std::int32_t count = 0;
    driver.Search_For_Boards(0x0456, 0xB203, count, ids.data());
    std::int32_t handle = 55;
    EXPECT_LT(driver.Connect(0x0456, 0xB203, ids[0], handle), 0);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(fresh.open_handles(), 0);
    EXPECT_EQ(fresh.held_references(), 0);
    // Start-up then downloads on handle 0: it fails, and the connect's reason stays.
    const std::string path = image_file(small_image);
    EXPECT_LT(download_image(driver, handle, path), 0);
    for (const std::string& part : c.expected) {
      EXPECT_TRUE(contains(driver.last_error(), part)) << driver.last_error();
    }
  }
}

TEST_F(LibusbDriverTest, ARetriedConnectReplacesTheEarlierConnectionToTheSameBoard) {
  usb.add_device(1, {4}, 5);
  const std::int32_t first = connect_first();
  const std::int32_t second = connect_first();
  EXPECT_GT(first, 0);
  EXPECT_GT(second, 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(usb.open_handles(), 1);
  EXPECT_LT(write_register(first, 0x0080), 0);
  EXPECT_EQ(write_register(second, 0x0080), 0);
  EXPECT_EQ(usb.transfers.size(), 1u);
}

TEST_F(LibusbDriverTest, ABoardGoneBetweenSearchAndConnectIsNotOpened) {
  FakeDevice& board = usb.add_device(1, {4}, 5);
  std::array<std::uint8_t, 128> ids{};
  search(ids);
  board.present = false;
  std::int32_t handle = -1;
  EXPECT_LT(driver().Connect(0x0456, 0xB203, ids[0], handle), 0);
  EXPECT_EQ(handle, 0);
  EXPECT_TRUE(contains(driver().last_error(), "left the bus before it could be opened"));
  EXPECT_EQ(usb.open_handles(), 0);
}

// --- register requests -------------------------------------------------------------------

TEST_F(LibusbDriverTest, RegisterRequestsCarryTheirWholeMeaningInTheSetupPacket) {
  struct Case {
    const char* name;
    std::int32_t index;
    std::uint8_t direction;
    std::int32_t length;
    std::uint8_t request_type;
    std::uint16_t wire_index;
  };
  const std::vector<Case> cases = {
      {"write 0x47 to 0x80", 0x4780, 0, 0, 0x40, 0x4780},
      {"read 0x8F", 0x008F, 1, 1, 0xC0, 0x008F},
      {"write of data -1 to 0x8A keeps the low 16 bits", -118, 0, 0, 0x40, 0xFF8A},
      {"index above 16 bits", 0x12345, 0, 0, 0x40, 0x2345},
  };
  usb.add_device(1, {4}, 5);
  const std::int32_t handle = connect_first();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    usb.transfers.clear();
    std::uint8_t data[1] = {0};
    const std::int16_t status =
        driver().Vendor_Request(handle, 0xDE, 13, c.index, c.direction, c.length, data);
    EXPECT_EQ(status, c.length);
    ASSERT_EQ(usb.transfers.size(), 1u);
    const RecordedTransfer& t = usb.transfers[0];
    EXPECT_EQ(t.setup.request_type, c.request_type);
    EXPECT_EQ(t.setup.request, 0xDE);
    EXPECT_EQ(t.setup.value, 13);
    EXPECT_EQ(t.setup.index, c.wire_index);
    EXPECT_EQ(t.setup.length, c.length);
    EXPECT_TRUE(t.out_data.empty());  // a write has no data stage
    EXPECT_EQ(t.timeout_ms, 1000u);
  }
}

TEST_F(LibusbDriverTest, AReadDeliversTheBoardsByte) {
  usb.add_device(1, {4}, 5);
  const std::int32_t handle = connect_first();
  usb.answers = {ScriptedAnswer{UsbStatus::ok, 1, {0xB0}}};
  std::uint8_t buffer[21] = {};
  EXPECT_EQ(driver().Vendor_Request(handle, 0xDE, 13, 0x80, 1, 1, buffer), 1);
  EXPECT_EQ(buffer[0], 0xB0);
}

TEST_F(LibusbDriverTest, AFailedRequestIsNegativeAndTheBoardStaysUsable) {
  struct Case {
    const char* name;
    ScriptedAnswer answer;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"timeout", {UsbStatus::timeout, 0, {}}, "did not answer in time"},
      {"stall", {UsbStatus::pipe, 0, {}}, "request refused (stall)"},
      {"wire error", {UsbStatus::io, 0, {}}, "input/output error"},
      {"short read", {UsbStatus::ok, 0, {}}, "the board moved 0 of 1 bytes"},
  };
  usb.add_device(1, {4}, 5);
  const std::int32_t handle = connect_first();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    usb.answers = {c.answer};
    std::uint8_t buffer[1] = {0x3C};
    EXPECT_LT(driver().Vendor_Request(handle, 0xDE, 13, 0x8F, 1, 1, buffer), 0);
    EXPECT_EQ(buffer[0], 0x3C);  // nothing that could pass for the board's byte
    EXPECT_TRUE(contains(driver().last_error(), c.expected)) << driver().last_error();
    // The next request goes to the board again.
    const std::size_t before = usb.transfers.size();
    EXPECT_EQ(write_register(handle, 0x0080), 0);
    EXPECT_EQ(usb.transfers.size(), before + 1);
  }
}

TEST_F(LibusbDriverTest, AnUnpluggedBoardFailsOnceOnTheBusThenAtOnce) {
  FakeDevice& board = usb.add_device(1, {4}, 5);
  const std::int32_t handle = connect_first();
  EXPECT_EQ(write_register(handle, 0x0080), 0);
  board.present = false;  // unplugged during a sweep

  EXPECT_LT(write_register(handle, 0x0080), 0);
  EXPECT_TRUE(contains(driver().last_error(), "left the USB bus")) << driver().last_error();
  const std::size_t sent = usb.transfers.size();

  // Even if it is plugged back, this handle's device is gone: no request reaches the bus.
  board.present = true;
  std::uint8_t buffer[1] = {};
  EXPECT_LT(driver().Vendor_Request(handle, 0xDE, 13, 0x8F, 1, 1, buffer), 0);
  EXPECT_LT(write_register(handle, 0x0080), 0);
  EXPECT_LT(download(handle, image_file(small_image)), 0);
  EXPECT_EQ(usb.transfers.size(), sent);
  EXPECT_TRUE(contains(driver().last_error(), "left the USB bus"));
}

TEST_F(LibusbDriverTest, MalformedRequestsAndUnknownHandlesNeverReachTheBus) {
  usb.add_device(1, {4}, 5);
  const std::int32_t handle = connect_first();
  std::uint8_t buffer[1] = {};
  EXPECT_LT(driver().Vendor_Request(0, 0xDE, 13, 0x80, 0, 0, buffer), 0);
  EXPECT_LT(driver().Vendor_Request(handle + 1, 0xDE, 13, 0x80, 0, 0, buffer), 0);
  EXPECT_TRUE(contains(driver().last_error(), "No evaluation board is connected"));
  EXPECT_LT(driver().Vendor_Request(handle, 0xDE, 13, 0x80, 2, 0, buffer), 0);
  EXPECT_LT(driver().Vendor_Request(handle, 0xDE, 13, 0x80, 1, -1, buffer), 0);
  EXPECT_LT(driver().Vendor_Request(handle, 0xDE, 13, 0x80, 1, 40000, buffer), 0);
  EXPECT_LT(driver().Vendor_Request(handle, 0xDE, 13, 0x80, 1, 1, nullptr), 0);
  EXPECT_LT(download(handle + 1, image_file(small_image)), 0);
  EXPECT_TRUE(usb.transfers.empty());
}

// --- firmware load ------------------------------------------------------------------------

// Every transfer of a load must be the controller's load request, host to device, index 0.
void expect_load_requests(const std::vector<RecordedTransfer>& transfers) {
  for (const RecordedTransfer& t : transfers) {
    EXPECT_EQ(t.setup.request_type, 0x40);
    EXPECT_EQ(t.setup.request, 0xA0);
    EXPECT_EQ(t.setup.index, 0);
    EXPECT_EQ(t.setup.length, t.out_data.size());
  }
}

std::vector<std::pair<std::uint16_t, Bytes>> address_and_bytes(
    const std::vector<RecordedTransfer>& transfers) {
  std::vector<std::pair<std::uint16_t, Bytes>> seen;
  for (const RecordedTransfer& t : transfers) seen.emplace_back(t.setup.value, t.out_data);
  return seen;
}

const std::vector<std::pair<std::uint16_t, Bytes>> small_image_load = {
    {0xE600, {0x01}},                          // hold the CPU in reset
    {0x0000, {0x02, 0x00, 0x06, 0x80, 0xFE}},  // the two adjacent records, merged
    {0xE000, {0xC0, 0xDE}},
    {0xE600, {0x00}},  // release: the firmware starts
};

TEST_F(LibusbDriverTest, FirmwareLoadFollowsTheBoardThroughReEnumeration) {
  struct Case {
    const char* name;
    std::uint8_t new_address;
  };
  // The new address usually differs; a gap on the bus is enough even when it does not.
  for (const Case c : {Case{"new address", 9}, Case{"same address after a gap", 5}}) {
    SCOPED_TRACE(c.name);
    FakeUsb fresh;
    FakeDevice& before = fresh.add_device(1, {4, 2}, 5);
    fresh.add_device(1, {4, 3}, 6);  // a second board elsewhere is not mistaken for it
    FakeDevice* after = nullptr;
    // Releasing reset: the firmware disconnects at once, so the request ends in an I/O error.
    fresh.answers = {{}, {}, {}, ScriptedAnswer{UsbStatus::io, 0, {}}};
    fresh.on_sleep = [&](unsigned sleep_number) {
      if (sleep_number == 1) before.present = false;
      if (sleep_number == 3) after = &fresh.add_device(1, {4, 2}, c.new_address);
    };
    {
      LibusbDriver driver(fresh.calls());
      const std::int32_t handle = connect_first_board(driver);
      const std::string path = image_file(small_image);

      EXPECT_EQ(download_image(driver, handle, path), 0) << driver.last_error();
      expect_load_requests(fresh.transfers);
      EXPECT_EQ(address_and_bytes(fresh.transfers), small_image_load);
      EXPECT_EQ(fresh.sleeps.front(), 300u);
      ASSERT_NE(after, nullptr);

      // The same handle now reaches the reopened board.
      EXPECT_EQ(write_register_on(driver, handle, 0x4780), 0);
      EXPECT_EQ(fresh.transfers.back().device, after);
      EXPECT_EQ(fresh.open_handles(), 1);
      EXPECT_EQ(fresh.claimed_interfaces(), 1);
      EXPECT_EQ(fresh.held_references(), 0);
    }
    EXPECT_EQ(fresh.open_handles(), 0);  // the driver closes what it holds
  }
}

TEST_F(LibusbDriverTest, ABoardThatDoesNotReEnumerateKeepsItsHandleAfterABoundedWait) {
  struct Case {
    const char* name;
    UsbStatus release_status;  // how the reset-release request ends
  };
  for (const Case c : {Case{"acknowledged", UsbStatus::ok}, Case{"I/O error", UsbStatus::io},
                       Case{"no device", UsbStatus::no_device}}) {
    SCOPED_TRACE(c.name);
    FakeUsb fresh;
    FakeDevice& board = fresh.add_device(1, {4}, 5);
    fresh.answers = {{}, {}, {}, ScriptedAnswer{c.release_status, -1, {}}};
    LibusbDriver driver(fresh.calls());
    const std::int32_t handle = connect_first_board(driver);
    const std::string path = image_file(small_image);

    EXPECT_EQ(download_image(driver, handle, path), 0) << driver.last_error();
    EXPECT_EQ(address_and_bytes(fresh.transfers), small_image_load);
    const unsigned waited = std::accumulate(fresh.sleeps.begin(), fresh.sleeps.end(), 0u);
    EXPECT_GT(waited, 0u);
    EXPECT_LE(waited, 3000u);

    EXPECT_EQ(write_register_on(driver, handle, 0x4780), 0);
    EXPECT_EQ(fresh.transfers.back().device, &board);
    EXPECT_EQ(fresh.open_handles(), 1);
  }
}

TEST_F(LibusbDriverTest, ABoardNotFoundAgainFailsAndLaterRequestsFailAtOnce) {
  struct Case {
    const char* name;
    bool bus_listable;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"unplugged for good", true, "not found on the USB bus again"},
      {"bus cannot be listed", false, "not found on the USB bus again"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeUsb fresh;
    FakeDevice& board = fresh.add_device(1, {4}, 5);
    fresh.on_sleep = [&](unsigned) {
      if (c.bus_listable) board.present = false;
      if (!c.bus_listable) fresh.list_status = UsbStatus::io;
    };
    LibusbDriver driver(fresh.calls());
    const std::int32_t handle = connect_first_board(driver);
    const std::string path = image_file(small_image);

    EXPECT_LT(download_image(driver, handle, path), 0);
    EXPECT_TRUE(contains(driver.last_error(), c.expected)) << driver.last_error();
    const unsigned waited = std::accumulate(fresh.sleeps.begin(), fresh.sleeps.end(), 0u);
    EXPECT_LE(waited, 3000u);

    const std::size_t sent = fresh.transfers.size();
    EXPECT_LT(write_register_on(driver, handle, 0x4780), 0);
    EXPECT_EQ(fresh.transfers.size(), sent);
  }
}

TEST_F(LibusbDriverTest, AReappearedBoardNotYetAccessibleIsTriedAgain) {
  FakeDevice& before = usb.add_device(1, {4}, 5);
  const std::int32_t handle = connect_first();
  FakeDevice* after = nullptr;
  usb.on_sleep = [&](unsigned sleep_number) {
    if (sleep_number == 1) {
      before.present = false;
      after = &usb.add_device(1, {4}, 6);
    }
  };
  // Access is granted a moment after the device appears.
  usb.open_statuses = {UsbStatus::access};

  EXPECT_EQ(download(handle, image_file(small_image)), 0) << driver().last_error();
  EXPECT_EQ(write_register(handle, 0x0080), 0);
  EXPECT_EQ(usb.transfers.back().device, after);
  EXPECT_EQ(usb.open_handles(), 1);
}

TEST_F(LibusbDriverTest, AReappearedBoardThatStaysLockedFailsWithThePermissionText) {
  FakeDevice& before = usb.add_device(1, {4}, 5);
  const std::int32_t handle = connect_first();
  usb.on_sleep = [&](unsigned sleep_number) {
    if (sleep_number == 1) {
      before.present = false;
      usb.add_device(1, {4}, 6);
    }
  };
  usb.open_statuses.assign(100, UsbStatus::access);

  EXPECT_LT(download(handle, image_file(small_image)), 0);
  EXPECT_TRUE(contains(driver().last_error(), "60-quelnor-eval.rules")) << driver().last_error();
  EXPECT_EQ(usb.open_handles(), 1);  // only the pre-load handle, closed with the driver
  EXPECT_LT(write_register(handle, 0x0080), 0);
}

TEST_F(LibusbDriverTest, AnImageThatCannotBeLoadedWholeSendsNothing) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"bad checksum",
       ":03000000020006F5\n:0200030080FE7E\n:00000001FF\n",
       {"not valid Intel HEX", "line 2: checksum mismatch", "Nothing was loaded"}},
      {"missing end record", ":03000000020006F5\n", {"end-of-file record is missing"}},
      {"outside RAM", ":01E600000118\n:00000001FF\n", {"cannot be loaded", "outside"}},
      {"not a HEX file at all",
       "\x7f"
       "ELF\x02\x01\x01",
       {"not valid Intel HEX"}},
  };
  usb.add_device(1, {4}, 5);
  const std::int32_t handle = connect_first();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = image_file(c.text);
    EXPECT_LT(download(handle, path), 0);
    EXPECT_TRUE(contains(driver().last_error(), path));
    for (const std::string& part : c.expected) {
      EXPECT_TRUE(contains(driver().last_error(), part)) << driver().last_error();
    }
  }
  EXPECT_TRUE(usb.transfers.empty());
}

TEST_F(LibusbDriverTest, AMissingImageIsNamedWithItsPath) {
  usb.add_device(1, {4}, 5);
  const std::int32_t handle = connect_first();
  const std::string path = image_file(small_image, "elsewhere.hex");
  const std::string missing =
      std::filesystem::path(path).replace_filename("Quelnor_FW.hex").string();

  EXPECT_LT(download(handle, missing), 0);
  EXPECT_TRUE(contains(driver().last_error(), "\"" + missing + "\" was not found"))
      << driver().last_error();
  EXPECT_TRUE(contains(driver().last_error(), "from its maker"));
  EXPECT_LT(download(handle, std::filesystem::path(path).parent_path().string()), 0);
  EXPECT_TRUE(contains(driver().last_error(), "is not a file"));
  EXPECT_TRUE(usb.transfers.empty());
}

TEST_F(LibusbDriverTest, ALoadThatFailsPartWayNeverStartsTheFirmware) {
  struct Case {
    const char* name;
    std::vector<ScriptedAnswer> answers;
    std::size_t transfers;  // requests sent before giving up
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"reset hold refused", {{UsbStatus::pipe, 0, {}}}, 1, "stop the board's controller"},
      {"chunk times out", {{}, {UsbStatus::timeout, 0, {}}}, 2, "load the firmware at 0x0000"},
      {"chunk taken short", {{}, {}, {UsbStatus::ok, 1, {}}}, 3, "took 1 of 2 bytes"},
      {"release times out", {{}, {}, {}, {UsbStatus::timeout, 0, {}}}, 4, "start the firmware"},
  };
  usb.add_device(1, {4}, 5);
  const std::int32_t handle = connect_first();
  const std::string path = image_file(small_image);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    usb.transfers.clear();
    usb.sleeps.clear();
    usb.answers.assign(c.answers.begin(), c.answers.end());
    EXPECT_LT(download(handle, path), 0);
    EXPECT_EQ(usb.transfers.size(), c.transfers);
    EXPECT_TRUE(usb.sleeps.empty());  // no re-enumeration wait after a failed load
    EXPECT_TRUE(contains(driver().last_error(), c.expected)) << driver().last_error();
    usb.answers.clear();
  }
  // The board is still usable for a retried load.
  usb.transfers.clear();
  EXPECT_EQ(download(handle, path), 0) << driver().last_error();
  EXPECT_EQ(address_and_bytes(usb.transfers), small_image_load);
}

}  // namespace
}  // namespace quelnor::link::libusb
