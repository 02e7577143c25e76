// The board-link module: the order and arguments of one connection attempt, the start-up
// loop with its Retry/Cancel box, and the copy of the firmware path into its buffer.
#include "link/usb_stuff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_driver.h"
#include "support/scripted_dialogs.h"

namespace quelnor::link {
namespace {

using test::DriverCall;
using Kind = DriverCall::Kind;

class UsbStuffTest : public ::testing::Test {
 protected:
  test::FakeDriver driver;
  test::ScriptedDialogs dialogs;
  USB_STUFF usb{driver, dialogs, "/opt/quelnor/bin"};

  std::vector<Kind> call_kinds() const {
    std::vector<Kind> kinds;
    for (const DriverCall& call : driver.calls) kinds.push_back(call.kind);
    return kinds;
  }
};

TEST_F(UsbStuffTest, OpenBoardSearchesConnectsToTheFirstBoardAndDownloads) {
  driver.boards = {3, 9};
  driver.download_statuses = {5};

  EXPECT_EQ(usb.open_board(), 5);  // the download status comes back unchanged

  ASSERT_EQ(call_kinds(), (std::vector<Kind>{Kind::search, Kind::connect, Kind::download}));
  const DriverCall& search = driver.calls[0];
  EXPECT_EQ(search.vendor_id, 0x0456);
  EXPECT_EQ(search.product_id, 0xB203);
  const DriverCall& connect = driver.calls[1];
  EXPECT_EQ(connect.vendor_id, 0x0456);
  EXPECT_EQ(connect.product_id, 0xB203);
  EXPECT_EQ(connect.board_id, 3);
  const DriverCall& download = driver.calls[2];
  EXPECT_EQ(download.board_handle, test::FakeDriver::handle_of(3));
  EXPECT_EQ(usb.board_handle, test::FakeDriver::handle_of(3));
  EXPECT_EQ(download.path, "/opt/quelnor/bin/Quelnor_FW.hex");
  EXPECT_EQ(usb.firmware_path, "/opt/quelnor/bin/Quelnor_FW.hex");
}

TEST_F(UsbStuffTest, StartUpDecidesOnTheDownloadStatusAlone) {
  struct Case {
    std::int16_t status;
    bool ready;
  };
  for (const Case c :
       {Case{0, true}, Case{1, true}, Case{32767, true}, Case{-1, false}, Case{-32768, false}}) {
    test::FakeDriver fresh_driver;
    test::ScriptedDialogs fresh_dialogs;
    fresh_driver.download_statuses = {c.status};
    fresh_dialogs.answers = {util::Answer::cancel};
    USB_STUFF fresh{fresh_driver, fresh_dialogs, "/x"};
    EXPECT_EQ(fresh.start_up(), c.ready) << "status " << c.status;
    EXPECT_EQ(fresh_dialogs.boxes.size(), c.ready ? 0u : 1u) << "status " << c.status;
  }
}

TEST_F(UsbStuffTest, AFailedDownloadAsksRetryOrCancelWithAWarning) {
  driver.download_statuses = {-1};
  dialogs.answers = {util::Answer::cancel};

  EXPECT_FALSE(usb.start_up());

  ASSERT_EQ(dialogs.boxes.size(), 1u);
  const util::MessageBox& box = dialogs.boxes[0];
  EXPECT_EQ(box.text, "Firmware failed to download-Check USB connections");
  EXPECT_EQ(box.title, "Error");
  EXPECT_EQ(box.buttons, util::Buttons::retry_cancel);
  EXPECT_TRUE(box.warning_icon);
  EXPECT_EQ(driver.calls.size(), 3u);  // Cancel ends without a further attempt
}

TEST_F(UsbStuffTest, EachFailedAttemptIsReportedBeforeItsBox) {
  driver.download_statuses = {-1, -1, 0};
  dialogs.answers = {util::Answer::retry, util::Answer::retry};
  std::vector<std::size_t> boxes_seen_at_report;
  usb.on_failed_attempt = [&] { boxes_seen_at_report.push_back(dialogs.boxes.size()); };

  EXPECT_TRUE(usb.start_up());
  EXPECT_EQ(boxes_seen_at_report, (std::vector<std::size_t>{0, 1}));
}

TEST_F(UsbStuffTest, ClosingTheBoxEndsLikeCancel) {
  driver.download_statuses = {-1, 0};
  // No scripted answer: the box is closed.
  EXPECT_FALSE(usb.start_up());
  EXPECT_EQ(driver.calls.size(), 3u);
}

TEST_F(UsbStuffTest, RetryRepeatsTheWholeAttemptIncludingTheSearch) {
  driver.download_statuses = {-1, -1, 0};
  dialogs.answers = {util::Answer::retry, util::Answer::retry};

  EXPECT_TRUE(usb.start_up());

  const std::vector<Kind> one_attempt{Kind::search, Kind::connect, Kind::download};
  std::vector<Kind> expected;
  for (int i = 0; i < 3; ++i)
    expected.insert(expected.end(), one_attempt.begin(), one_attempt.end());
  EXPECT_EQ(call_kinds(), expected);
  EXPECT_EQ(dialogs.boxes.size(), 2u);
}

TEST_F(UsbStuffTest, RetryConnectsToTheBoardFoundByTheNewSearch) {
  driver.boards = {};  // nothing attached on the first attempt
  driver.download_statuses = {-1};
  // The operator plugs a board in before answering Retry.
  struct PlugIn : util::OperatorDialogs {
    test::FakeDriver& driver;
    explicit PlugIn(test::FakeDriver& d) : driver(d) {}
    util::Answer show_message(const util::MessageBox&) override {
      driver.boards = {4};
      return util::Answer::retry;
    }
    std::string save_file(const util::SaveDialogRequest&) override { return {}; }
  } plug_in(driver);
  USB_STUFF board_link{driver, plug_in, "/x"};

  EXPECT_TRUE(board_link.start_up());
  EXPECT_EQ(driver.calls[1].board_id, 0);  // zero-filled identifiers when none was found
  EXPECT_EQ(driver.calls[4].board_id, 4);
  EXPECT_EQ(board_link.board_handle, test::FakeDriver::handle_of(4));
}

TEST_F(UsbStuffTest, PathToBytesFillsUpToFiveHundredTwelveCharactersAndTheNul) {
  const std::string longest(512, 'a');
  ASSERT_TRUE(usb.path_to_bytes(longest));
  for (std::size_t i = 0; i < 512; ++i) ASSERT_EQ(usb.firmware_path_buffer[i], 'a') << i;
  EXPECT_EQ(usb.firmware_path_buffer[512], 0);

  // A shorter path leaves the old bytes beyond its NUL.
  ASSERT_TRUE(usb.path_to_bytes("/b"));
  EXPECT_EQ(usb.firmware_path_buffer[0], '/');
  EXPECT_EQ(usb.firmware_path_buffer[1], 'b');
  EXPECT_EQ(usb.firmware_path_buffer[2], 0);
  EXPECT_EQ(usb.firmware_path_buffer[3], 'a');

  ASSERT_TRUE(usb.path_to_bytes(""));
  EXPECT_EQ(usb.firmware_path_buffer[0], 0);
  EXPECT_EQ(usb.firmware_path_buffer[1], 'b');

  // 8-bit characters pass as their bytes.
  ASSERT_TRUE(usb.path_to_bytes("/caf\xE9"));
  EXPECT_EQ(usb.firmware_path_buffer[4], 0xE9);
}

TEST_F(UsbStuffTest, PathToBytesRefusesWhatDoesNotFitAndLeavesTheBufferAlone) {
  ASSERT_TRUE(usb.path_to_bytes("/keep"));
  const auto before = usb.firmware_path_buffer;
  const std::string refused[] = {std::string(513, 'a'), std::string(4096, 'a'),
                                 std::string("/a\0b", 4)};
  for (const std::string& path : refused) {
    EXPECT_FALSE(usb.path_to_bytes(path)) << "length " << path.size();
    EXPECT_EQ(usb.firmware_path_buffer, before) << "length " << path.size();
  }
}

TEST_F(UsbStuffTest, AnOverlongFirmwarePathIsAFailedDownload) {
  // Folder of 497 characters: the path "/Quelnor_FW.hex" then has 512, one more does not fit.
  struct Case {
    std::size_t folder_length;
    bool fits;
  };
  for (const Case c : {Case{497, true}, Case{498, false}}) {
    test::FakeDriver fresh_driver;
    test::ScriptedDialogs fresh_dialogs;
    fresh_dialogs.answers = {util::Answer::cancel};
    USB_STUFF board_link{fresh_driver, fresh_dialogs, "/" + std::string(c.folder_length - 1, 'd')};

    EXPECT_EQ(board_link.start_up(), c.fits) << c.folder_length;
    EXPECT_EQ(fresh_dialogs.boxes.size(), c.fits ? 0u : 1u) << c.folder_length;
    // The library never sees a path it cannot read in full.
    EXPECT_EQ(fresh_driver.calls.size(), c.fits ? 3u : 2u) << c.folder_length;
    if (c.fits) {
      EXPECT_EQ(fresh_driver.calls[2].path.size(), 512u);
    }
  }
}

}  // namespace
}  // namespace quelnor::link
