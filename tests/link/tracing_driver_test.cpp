// The register trace: one line per chip register access, in order.
#include "link/tracing_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/register_transport.h"
#include "support/fake_driver.h"
#include "support/scripted_dialogs.h"
#include "util/run_time_error.h"

namespace quelnor::link {
namespace {

TEST(TracingDriver, WritesOneLinePerRegisterAccess) {
  test::FakeDriver chip;
  chip.registers[0x8F] = 0x02;
  std::vector<std::string> lines;
  TracingDriver tracing{chip, [&](const std::string& line) { lines.push_back(line); }};
  test::ScriptedDialogs dialogs;
  USB_STUFF usb{tracing, dialogs, "/x"};
  RegisterTransport transport{usb, dialogs, "title"};

  ASSERT_TRUE(usb.start_up());  // search, connect and download leave no lines
  transport.write_register_verified(0x80, 0xB0);
  transport.read_register(chip_bus_address, 0x8F);
  std::uint8_t unused = 0;
  tracing.Vendor_Request(usb.board_handle, 0xA0, 0, 0, 0, 0, &unused);  // not a register access
  chip.empty_reads = true;
  EXPECT_THROW(transport.read_register(chip_bus_address, 0x8F), util::RunTimeError);
  chip.empty_reads = false;
  chip.fail_requests = true;
  EXPECT_THROW(transport.read_register(chip_bus_address, 0x8F), util::RunTimeError);

  // Neither the empty read nor the failed one shows the stale byte as the chip's answer.
  EXPECT_EQ(lines, (std::vector<std::string>{"W 80 B0", "R 80 B0", "R 8F 02", "R 8F --",
                                             "R 8F --"}));
}

}  // namespace
}  // namespace quelnor::link
