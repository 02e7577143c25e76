// The views as functions of the traces: panes, curves, difference against a reference,
// marker positions.
#include "gui/analyzer/view_curves.h"

#include <gtest/gtest.h>

namespace quelnor::gui::analyzer {
namespace {

analysis::Spectrum trace(std::complex<double> scale) {
  analysis::Spectrum s;
  for (double f : {1e3, 1e4, 1e5}) {
    analysis::SpectrumPoint p;
    p.frequency_hz = f;
    p.impedance_ohm = scale * std::complex<double>(100.0, -1e6 / f);
    s.points.push_back(p);
  }
  return s;
}

TEST(ViewCurves, EachViewHasItsPanesAndAxes) {
  TraceSet traces;
  traces.live() = trace(1.0);
  traces.add("hidden", trace(2.0));
  traces.set_visible(0, false);
  const ViewSettings settings;
  const ViewData bode = view_data(ViewKind::bode, settings, traces);
  ASSERT_EQ(bode.panes.size(), 2u);
  EXPECT_TRUE(bode.panes[0].y_log);
  EXPECT_FALSE(bode.panes[1].y_log);
  ASSERT_EQ(bode.panes[0].curves.size(), 1u);  // the hidden memory is not drawn
  EXPECT_DOUBLE_EQ(bode.panes[1].curves[0].y[1], -45.0);  // 100 - j100 ohm at 10 kHz
  const ViewData nyquist = view_data(ViewKind::nyquist, settings, traces);
  EXPECT_TRUE(nyquist.equal_scale);
  EXPECT_FALSE(nyquist.x_is_frequency);
  EXPECT_EQ(nyquist.panes[0].curves[0].y, (std::vector<double>{1000, 100, 10}));  // -X
  EXPECT_EQ(nyquist.panes[0].curves[0].frequency_hz, (std::vector<double>{1e3, 1e4, 1e5}));
  const ViewData gb = view_data(ViewKind::conductance_susceptance, settings, traces);
  EXPECT_EQ(gb.panes[0].y_label, "G (S)");
}

TEST(ViewCurves, DifferenceAgainstTheReferenceOnly) {
  TraceSet traces;
  traces.live() = trace(1.1);
  traces.add("memory", trace(1.0));
  ViewSettings settings;
  EXPECT_TRUE(view_data(ViewKind::difference, settings, traces).panes[0].curves.empty());  // no reference yet
  traces.set_reference(0);
  const ViewData d = view_data(ViewKind::difference, settings, traces);
  ASSERT_EQ(d.panes[0].curves.size(), 1u);  // the reference is not compared with itself
  for (double v : d.panes[0].curves[0].y) EXPECT_NEAR(v, 10.0, 1e-9);
  for (double v : d.panes[1].curves[0].y) EXPECT_NEAR(v, 0.0, 1e-9);
  settings.difference = DifferenceMode::divide;
  const ViewData ratio = view_data(ViewKind::difference, settings, traces);
  for (double v : ratio.panes[0].curves[0].y) EXPECT_NEAR(v, 1.1, 1e-12);
  const auto markers = view_markers(ViewKind::difference, settings, traces, {{1, 1e4, 1.1 * std::complex<double>(100, -100)}});
  ASSERT_EQ(markers.size(), 2u);
  EXPECT_NEAR(markers[0].value.y(), 1.1, 1e-12);
}

TEST(ViewCurves, MarkersSitOnTheirCurves) {
  TraceSet traces;
  traces.live() = trace(1.0);
  const std::vector<MarkerValue> m = {{3, 1e4, {100, -100}}};
  const auto bode = view_markers(ViewKind::bode, ViewSettings{}, traces, m);
  ASSERT_EQ(bode.size(), 2u);
  EXPECT_EQ(bode[0].marker, 3);
  EXPECT_NEAR(bode[0].value.y(), std::sqrt(2.0) * 100, 1e-9);
  EXPECT_NEAR(bode[1].value.y(), -45.0, 1e-9);
  const auto nyquist = view_markers(ViewKind::nyquist, ViewSettings{}, traces, m);
  ASSERT_EQ(nyquist.size(), 1u);
  EXPECT_EQ(nyquist[0].value, QPointF(100, 100));
}

}  // namespace
}  // namespace quelnor::gui::analyzer
