// The Fit and Validity panels in the analyzer window on the demo source: values read back
// after a fit, errors shown in the panel, the Kramers-Kronig verdict, and their pictures.
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QTabWidget>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>

#include "gui/analyzer/analyzer_fixture.h"
#include <fstream>

#include "analysis/measurement_file_writer.h"
#include "gui/analyzer/fit_panel.h"
#include "gui/analyzer/memory_panel.h"
#include "gui/analyzer/plot_widget.h"
#include "gui/analyzer/validity_panel.h"
#include "support/bin_dir.h"

namespace quelnor::gui::analyzer {
namespace {

using test::AnalyzerFixture;

class AnalyzerFitTest : public AnalyzerFixture {
 protected:
  bool fit(const QString& circuit) {
    FitPanel* panel = window->fit_panel();
    panel->set_circuit(circuit);
    QSignalSpy done(panel, &FitPanel::fit_finished);
    if (!panel->start_fit()) return false;
    return (done.wait(30000) || done.count() > 0) && done.takeFirst().at(0).toBool();
  }
  bool kk_test() {
    ValidityPanel* panel = window->validity_panel();
    QSignalSpy done(panel, &ValidityPanel::test_finished);
    if (!panel->start_test()) return false;
    return (done.wait(30000) || done.count() > 0) && done.takeFirst().at(0).toBool();
  }
  int fit_traces() const {
    int n = 0;
    for (const Trace& t : window->traces().memories()) n += t.name.startsWith("Fit ") && !t.model.isEmpty();
    return n;
  }
  QString screenshot_path(const char* name) const {
    const QDir folder(QString::fromStdString(quelnor::test::bin_dir()) + "/screenshots");
    folder.mkpath(".");
    return folder.filePath(name);
  }
};

TEST_F(AnalyzerFitTest, FitsTheMeasuredCircuitAndDrawsItOverTheViews) {
  source.set_circuit("R100+(R1k||C100n)");
  window->plan_panel()->set_plan(test::log_plan(10, 1e6, 61));
  ASSERT_TRUE(sweep());
  // Start well away from the answer.
  ASSERT_TRUE(fit("R0=300+(R1=300||C1=1u)")) << window->fit_panel()->message().toStdString();
  const auto& result = window->fit_panel()->result();
  ASSERT_TRUE(result.has_value());
  const double expected[] = {100.0, 1000.0, 100e-9};
  ASSERT_EQ(result->parameters.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(result->parameters[i].value, expected[i], 1e-4 * expected[i]) << result->parameters[i].name;
  }
  // The table reads the same values in engineering units.
  QTableWidget* table = window->fit_panel()->result_table();
  ASSERT_EQ(table->rowCount(), 3);
  EXPECT_EQ(table->item(1, 0)->text(), "R1");
  EXPECT_TRUE(table->item(1, 1)->text().startsWith("1.0000 kOhm")) << table->item(1, 1)->text().toStdString();
  EXPECT_TRUE(table->item(2, 1)->text().startsWith("100.00 nF")) << table->item(2, 1)->text().toStdString();
  // The fitted curve is a model trace over the data's span; a second fit replaces it.
  ASSERT_EQ(fit_traces(), 1);
  ASSERT_TRUE(fit("R0=100+(R1=1k||C1=100n)"));
  EXPECT_EQ(fit_traces(), 1);
  const Trace& curve = window->traces().memories().back();
  EXPECT_NEAR(curve.spectrum.points.front().frequency_hz, 10.0, 1e-6);
  EXPECT_NEAR(std::abs(curve.spectrum.points.front().impedance_ohm), 1100.0, 1.0);
  EXPECT_FALSE(window->plot(AnalyzerWindow::bode_tab)->panes().front().curves.size() < 2);
  // The residuals are plotted, one curve for each part, a point per measured frequency.
  const auto& panes = window->fit_panel()->residual_plot()->panes();
  ASSERT_EQ(panes.size(), 1u);
  ASSERT_EQ(panes[0].curves.size(), 2u);
  EXPECT_EQ(panes[0].curves[0].x.size(), 61u);
  window->tabs()->setCurrentWidget(window->fit_panel());
  EXPECT_TRUE(window->grab().save(screenshot_path("analyzer_fit.png")));
}

TEST_F(AnalyzerFitTest, EditedStartValuesAreUsedAndASecondPressIsRefused) {
  source.set_circuit("R100+(R1k||C100n)");
  ASSERT_TRUE(sweep());
  FitPanel* panel = window->fit_panel();
  // The listed start values read back as they are, whatever their unit.
  ASSERT_TRUE(fit("R0=100+(R1=1k||Q1=(10u,0.9))")) << panel->message().toStdString();
  EXPECT_NEAR(panel->result()->parameters[3].value, 1.0, 1e-4);  // the CPE is a capacitor here
  panel->set_circuit("R0=100+(R1=1k||C1=100n)");
  ASSERT_EQ(panel->start_table()->rowCount(), 3);
  panel->start_table()->item(1, 1)->setText("not a value");
  EXPECT_FALSE(panel->start_fit());
  EXPECT_TRUE(panel->message().contains("not a positive number"));
  panel->start_table()->item(1, 1)->setText("3.3k");
  QSignalSpy done(panel, &FitPanel::fit_finished);
  ASSERT_TRUE(panel->start_fit());
  EXPECT_TRUE(panel->busy());
  EXPECT_FALSE(panel->start_fit());  // still running: the result has not been taken in yet
  EXPECT_TRUE(panel->message().contains("already running"));
  ASSERT_TRUE(done.wait(30000) || done.count() > 0);
  EXPECT_FALSE(panel->busy());
  ASSERT_TRUE(panel->result().has_value());
  EXPECT_NEAR(panel->result()->parameters[1].value, 1000.0, 0.1);
}

TEST_F(AnalyzerFitTest, BadCircuitsAndMissingDataAreShownInThePanel) {
  FitPanel* panel = window->fit_panel();
  panel->set_circuit("R0=100+(R1=1k||C1=100n)");
  EXPECT_FALSE(panel->start_fit());  // nothing measured yet
  EXPECT_TRUE(panel->message().contains("nothing to fit")) << panel->message().toStdString();
  ASSERT_TRUE(sweep());
  const struct {
    const char* circuit;
    const char* says;
  } cases[] = {
      {"R0=100+(R1=1k||C1=100n", "cannot be read"},
      {"R0=100+X1", "cannot be read"},
      {"R0=-5", "cannot be read"},
      {"", "cannot be read"},
      {"R100+C1n", "no named parameter"},
      {"R1=1k+R1=2k", "cannot be read"},
  };
  for (const auto& c : cases) {
    panel->set_circuit(c.circuit);
    EXPECT_FALSE(panel->start_fit()) << c.circuit;
    EXPECT_TRUE(panel->message().contains(c.says)) << c.circuit << ": " << panel->message().toStdString();
    EXPECT_FALSE(panel->busy());
  }
  EXPECT_EQ(fit_traces(), 0);
}

TEST_F(AnalyzerFitTest, ValidDemoSpectrumPassesTheKramersKronigTest) {
  EXPECT_FALSE(window->validity_panel()->start_test());  // nothing measured yet
  EXPECT_TRUE(window->validity_panel()->verdict_text().contains("nothing to test"));
  source.set_circuit("R100+(R1k||C100n)");
  window->plan_panel()->set_plan(test::log_plan(10, 1e6, 61));
  ASSERT_TRUE(sweep());
  ASSERT_TRUE(kk_test()) << window->validity_panel()->verdict_text().toStdString();
  const auto& result = window->validity_panel()->result();
  ASSERT_TRUE(result.has_value());
  EXPECT_TRUE(result->valid) << result->verdict;
  EXPECT_TRUE(result->failing_frequencies_hz.empty());
  EXPECT_EQ(window->validity_panel()->verdict_text().toStdString(), result->verdict);
  EXPECT_TRUE(window->validity_panel()->details()->text().contains("M = "));
  // Residuals of both parts and the two limit lines, no failing points.
  const auto& panes = window->validity_panel()->residual_plot()->panes();
  ASSERT_EQ(panes.size(), 1u);
  EXPECT_EQ(panes[0].curves.size(), 4u);
  window->tabs()->setCurrentWidget(window->validity_panel());
  EXPECT_TRUE(window->grab().save(screenshot_path("analyzer_validity.png")));
}

TEST_F(AnalyzerFitTest, SelectedMemoryWithADisturbedPointFailsAtThatFrequency) {
  source.set_circuit("R100+(R1k||C100n)");
  window->plan_panel()->set_plan(test::log_plan(10, 1e6, 61));
  ASSERT_TRUE(sweep());
  // The live trace is valid; a file of it with one point 5 % off is not.
  analysis::Spectrum disturbed = window->traces().live();
  disturbed.points[30].impedance_ohm *= 1.05;
  const QString path = dir.filePath("disturbed.csv");
  {
    std::ofstream out(path.toStdString());
    analysis::write_measurement_file(out, disturbed);
  }
  ASSERT_TRUE(window->open_measurement(path));
  window->memory_panel()->list()->setCurrentRow(0);
  ASSERT_TRUE(kk_test());
  const auto& result = window->validity_panel()->result();
  ASSERT_TRUE(result.has_value());
  EXPECT_FALSE(result->valid);
  EXPECT_NE(std::find(result->failing_frequencies_hz.begin(), result->failing_frequencies_hz.end(),
                      disturbed.points[30].frequency_hz),
            result->failing_frequencies_hz.end());
  // The failing points are drawn as a curve of their own after the limits.
  const auto& curves = window->validity_panel()->residual_plot()->panes().at(0).curves;
  ASSERT_EQ(curves.size(), 5u);
  EXPECT_EQ(curves[4].x.size(), result->failing_frequencies_hz.size());
}

}  // namespace
}  // namespace quelnor::gui::analyzer
