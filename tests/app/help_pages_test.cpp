// Help-page navigation through the operator actions: the transitions of every button,
// closing a page through its frame, and opening the help again.
#include "app/help_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_fixture.h"

namespace quelnor::test {
namespace {

using app::ActResult;

const char* const windows[] = {"Form1", "Form2", "Form3", "Form4", "Form5", "Form6", "Form7"};

// The one visible window; "" when none or several are visible.
std::string visible_window(AppUnderTest& t) {
  std::string shown;
  for (const char* w : windows) {
    if (!t.act().window_visible(w)) continue;
    if (!shown.empty()) return "";
    shown = w;
  }
  return shown;
}

struct Step {
  const char* button;   // qualified name
  const char* reaches;  // the only window visible afterwards
};

struct Route {
  const char* what;
  std::vector<Step> steps;
};

class HelpRoute : public testing::TestWithParam<Route> {};

TEST_P(HelpRoute, ShowsExactlyOneWindowAfterEveryStep) {
  AppUnderTest t;
  for (const Step& step : GetParam().steps) {
    ASSERT_EQ(t.act().click(step.button), ActResult::done) << step.button;
    ASSERT_EQ(visible_window(t), step.reaches) << "after " << step.button;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, HelpRoute,
    testing::Values(Route{"through_every_page",
                          {{"help", "Form2"},
                           {"Form2.Command1", "Form3"},
                           {"Form3.Continue", "Form4"},
                           {"Form4.Command1", "Form5"},
                           {"Form5.Command3", "Form6"},
                           {"Form6.Command1", "Form5"},
                           {"Form5.Command2", "Form7"},
                           {"Form7.Command1", "Form1"}}},
                    Route{"return_from_page_1", {{"help", "Form2"}, {"Form2.Command2", "Form1"}}},
                    Route{
                        "return_from_page_2",
                        {{"help", "Form2"}, {"Form2.Command1", "Form3"}, {"Form3.exit", "Form1"}}},
                    Route{"return_from_page_3",
                          {{"help", "Form2"},
                           {"Form2.Command1", "Form3"},
                           {"Form3.Continue", "Form4"},
                           {"Form4.Command2", "Form1"}}},
                    Route{"return_from_page_4",
                          {{"help", "Form2"},
                           {"Form2.Command1", "Form3"},
                           {"Form3.Continue", "Form4"},
                           {"Form4.Command1", "Form5"},
                           {"Form5.Command1", "Form1"}}},
                    Route{"help_again_starts_at_page_1",
                          {{"help", "Form2"},
                           {"Form2.Command1", "Form3"},
                           {"Form3.Continue", "Form4"},
                           {"Form4.Command2", "Form1"},
                           {"help", "Form2"}}}),
    [](const testing::TestParamInfo<Route>& info) { return std::string(info.param.what); });

TEST(HelpFrameClose, ClosingAnyPageThroughItsFrameShowsTheMainWindow) {
  const std::vector<std::vector<const char*>> to_page = {
      {},
      {"Form2.Command1"},
      {"Form2.Command1", "Form3.Continue"},
      {"Form2.Command1", "Form3.Continue", "Form4.Command1"},
      {"Form2.Command1", "Form3.Continue", "Form4.Command1", "Form5.Command3"},
      {"Form2.Command1", "Form3.Continue", "Form4.Command1", "Form5.Command2"}};
  for (std::size_t page = 0; page < to_page.size(); ++page) {
    AppUnderTest t;
    ASSERT_EQ(t.act().click("help"), ActResult::done);
    for (const char* button : to_page[page]) ASSERT_EQ(t.act().click(button), ActResult::done);
    const std::string shown = visible_window(t);
    ASSERT_EQ(shown, windows[page + 1]);
    EXPECT_EQ(t.act().close_window(shown), ActResult::done);
    EXPECT_EQ(visible_window(t), "Form1") << "closing " << shown;
    // Closing a page that is not shown changes nothing.
    EXPECT_EQ(t.act().close_window(shown), ActResult::done);
    EXPECT_EQ(visible_window(t), "Form1");
  }
}

TEST(HelpPages, ReturnLeavesTheMainWindowAsItWasAndHiddenWindowsRefuseActions) {
  AppUnderTest t;
  t.act().click("Command2");
  const std::string before = t.snapshot();
  ASSERT_EQ(t.act().click("help"), ActResult::done);
  // Nothing of a hidden window can be pressed: neither the main window's controls nor the
  // buttons of pages not shown.
  EXPECT_EQ(t.act().click("Command2"), ActResult::disabled);
  EXPECT_EQ(t.act().type_text("Text1", "1"), ActResult::disabled);
  EXPECT_EQ(t.act().click("Form5.Command3"), ActResult::disabled);
  EXPECT_EQ(t.act().click("Form5.Nothing"), ActResult::unknown);
  EXPECT_EQ(t.act().click("Form9.Command1"), ActResult::unknown);
  ASSERT_EQ(t.act().click("Form2.Command2"), ActResult::done);
  EXPECT_EQ(t.snapshot(), before);
}

}  // namespace
}  // namespace quelnor::test
