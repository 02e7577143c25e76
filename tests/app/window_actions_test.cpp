// The operator actions by control name: what each kind of control accepts, refusals of
// disabled and unknown controls, and the "show" description of each kind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_fixture.h"

namespace quelnor::test {
namespace {

using app::ActResult;

TEST(WindowActions, TypingCutsToTheMaximumLengthAndQuotesEscapeQuoteAndBackslash) {
  AppUnderTest t;
  // The maximum length counts characters: a two-byte character is one of them and is
  // never cut in half.
  const std::vector<std::pair<const char*, const char*>> cuts = {
      {"12345", "123"}, {"12", "12"}, {"\u00D8\u00D8\u00D8\u00D8", "\u00D8\u00D8\u00D8"},
      {"1\u00D82\u00D8", "1\u00D82"}, {"12\u00D8", "12\u00D8"}};
  for (const auto& [typed, kept] : cuts) {
    ASSERT_EQ(t.act().type_text("Text3", typed), ActResult::done);
    EXPECT_EQ(t.form().Text3.text, kept) << typed;
  }
  ASSERT_EQ(t.act().type_text("Text5", "a\"b\\c d "), ActResult::done);
  EXPECT_EQ(t.act().describe("Text5"), R"(show Text5 text="a\"b\\c d " enabled=1)");
  ASSERT_EQ(t.act().type_text("Form1.Text1", ""), ActResult::done);
  EXPECT_EQ(t.act().describe("Form1.Text1"), R"(show Form1.Text1 text="" enabled=1)");
}

TEST(WindowActions, DescribesEachKindOfControlWithItsFields) {
  AppUnderTest t;
  const std::vector<std::pair<const char*, const char*>> expected = {
      {"Text7", R"(show Text7 text="16000000" enabled=1)"},
      {"Text11", R"(show Text11 text="15E-12" enabled=0)"},
      {"Option1", R"(show Option1 caption="Gain = X1" enabled=1 value=1)"},
      {"Option7", R"(show Option7 caption="Mid-Point Frequency calibration" enabled=0 value=1)"},
      {"Check1", R"(show Check1 caption="View Theoretical calibration profile" enabled=0 value=0)"},
      {"Command2", R"(show Command2 caption="Program Device Registers" enabled=1)"},
      {"Label8", R"(show Label8 caption="25.00000")"},
      {"Frm_choose_impedence_type",
       R"(show Frm_choose_impedence_type caption="Calibration Impedance ")"},
      {"PBar", "show PBar min=0 max=100 value=0"},
      {"SSTab1", R"(show SSTab1 caption="Absolute Impedance | Z |" value=0)"},
      {"Form1", "show Form1 visible=1"},
      {"Form6", "show Form6 visible=0"},
      {"Form5.Command3", R"(show Form5.Command3 caption=" Phase profile  " enabled=1)"},
  };
  for (const auto& [name, line] : expected) EXPECT_EQ(t.act().describe(name), line);
  for (const char* unknown : {"Text99", "Form8", "Form5.Command9", "Form1.Form2", "", "text1"}) {
    EXPECT_EQ(t.act().describe(unknown), "") << unknown;
  }
}

TEST(WindowActions, DescribesAChartPerTraceWithItsFirstAndLastPointAndItsAxes) {
  AppUnderTest t;
  EXPECT_EQ(t.act().describe("Strip2"),
            "show Strip2 trace=0 points=0\nshow Strip2 trace=1 points=0\n"
            "show Strip2 y_caption=\"\" x_caption=\"\" x_lower=0 x_upper=0 x_span=0 y_lower=0 "
            "y_upper=0 points_per_trace=0");
  t.strip1.set_x_axis(30000, 30200, 200);
  t.strip1.set_y_axis(-1.5, 2.5);
  t.strip1.plot(1, {{30000, 1.25}, {30100, 7}, {30200, 1e-5}});
  const std::string shown = t.act().describe("Strip1");
  EXPECT_NE(shown.find("show Strip1 trace=1 points=3 first=(30000,1.25) last=(30200,1E-05)\n"),
            std::string::npos)
      << shown;
  EXPECT_NE(shown.find("x_lower=30000 x_upper=30200 x_span=200 y_lower=-1.5 y_upper=2.5"),
            std::string::npos)
      << shown;
}

TEST(WindowActions, DisabledAndUnsuitableControlsAreRefusedWithoutEffect) {
  AppUnderTest t;
  const std::size_t traffic = t.trace().size();
  EXPECT_EQ(t.act().click("Command6"), ActResult::disabled);
  EXPECT_EQ(t.act().click("Multiply_by_four"), ActResult::disabled);
  EXPECT_EQ(t.act().set_check("Check1", true), ActResult::disabled);
  EXPECT_EQ(t.act().type_text("Text6", "1"), ActResult::disabled);
  EXPECT_EQ(t.act().leave("Text11"), ActResult::disabled);
  EXPECT_FALSE(t.form().Multiply_by_four.value);
  EXPECT_FALSE(t.form().Check1.value);
  EXPECT_EQ(t.form().Text6.text, "200E3");
  EXPECT_EQ(t.trace().size(), traffic);
  // Actions that do not apply to the kind of control, and names that do not exist.
  EXPECT_EQ(t.act().click("Label8"), ActResult::unknown);
  EXPECT_EQ(t.act().click("Text1"), ActResult::unknown);
  EXPECT_EQ(t.act().set_check("Option1", true), ActResult::unknown);
  EXPECT_EQ(t.act().type_text("Command2", "x"), ActResult::unknown);
  EXPECT_EQ(t.act().leave("Check1"), ActResult::unknown);
  EXPECT_EQ(t.act().click("Command99"), ActResult::unknown);
  EXPECT_EQ(t.act().close_window("Form8"), ActResult::unknown);
  EXPECT_TRUE(t.dialogs.boxes.empty());
}

TEST(WindowActions, AnOptionClickSelectsInItsGroupAndRunsItsHandler) {
  AppUnderTest t;
  const std::size_t traffic = t.trace().size();
  ASSERT_EQ(t.act().click("Option6"), ActResult::done);  // range 4: nothing written
  ASSERT_EQ(t.act().click("Option2"), ActResult::done);  // gain X5 with range bits 2
  const std::vector<std::string> trace = t.trace();
  EXPECT_EQ(
      std::vector<std::string>(trace.begin() + traffic, trace.end()),
      (std::vector<std::string>{"W 80 B0", "R 80 B0", "W 80 02", "R 80 02", "W 81 02", "R 81 02"}));
  EXPECT_TRUE(t.form().Option2.value && !t.form().Option1.value);
  EXPECT_TRUE(t.form().Option6.value && !t.form().Option3.value);

  ASSERT_EQ(t.act().type_text("Text7", "123"), ActResult::done);
  ASSERT_EQ(t.act().click("InternalClock"), ActResult::done);
  EXPECT_EQ(t.form().Text7.text, "16776000");
  ASSERT_EQ(t.act().click("Complex"), ActResult::done);
  EXPECT_TRUE(t.form().Text6.enabled && t.form().Text11.enabled);
}

TEST(WindowActions, PressingTheOptionAlreadySelectedRunsNoHandler) {
  AppUnderTest t;
  ASSERT_EQ(t.act().type_text("Text7", "123"), ActResult::done);
  const std::size_t traffic = t.trace().size();
  ASSERT_EQ(t.act().click("Option1"), ActResult::done);        // gain X1 already selected
  ASSERT_EQ(t.act().click("ExternalClock"), ActResult::done);  // would rewrite Text7
  EXPECT_EQ(t.trace().size(), traffic);
  EXPECT_EQ(t.form().Text7.text, "123");
}

TEST(WindowActions, LeavingAFrequencyFieldRunsItsCheckAndACheckBoxClickToggles) {
  AppUnderTest t;
  ASSERT_EQ(t.act().type_text("Text1", "600000"), ActResult::done);
  ASSERT_EQ(t.act().leave("Text1"), ActResult::done);
  EXPECT_EQ(t.form().Text1.text, "499999");
  ASSERT_EQ(t.act().type_text("Text3", "999"), ActResult::done);
  ASSERT_EQ(t.act().leave("Text3"), ActResult::done);  // no check of its own
  EXPECT_EQ(t.form().Text3.text, "999");

  t.act().click("Command2");
  t.act().click("Command6");
  ASSERT_EQ(t.act().click("Check1"), ActResult::done);
  EXPECT_TRUE(t.form().Check1.value);
  ASSERT_EQ(t.act().click("Check1"), ActResult::done);
  EXPECT_FALSE(t.form().Check1.value);
}

TEST(WindowActions, ClosingTheMainWindowHidesIt) {
  AppUnderTest t;
  ASSERT_EQ(t.act().close_window("Form1"), ActResult::done);
  EXPECT_FALSE(t.act().window_visible("Form1"));
}

}  // namespace
}  // namespace quelnor::test
