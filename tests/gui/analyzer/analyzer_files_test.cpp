// The analyzer's files: a measurement saved and opened again as a memory trace, a file
// that is not a measurement, Touchstone, and the current view as PNG and SVG.
#include <QFile>
#include <QImage>
#include <QLabel>
#include <fstream>
#include <sstream>

#include "analysis/measurement_file_writer.h"
#include "gui/analyzer/analyzer_fixture.h"

namespace quelnor::gui::analyzer {
namespace {

using test::AnalyzerFixture;

std::string read_all(const QString& path) {
  std::ifstream in(path.toStdString());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(AnalyzerFixture, SavedMeasurementOpensAsAnIdenticalMemoryTrace) {
  ASSERT_TRUE(sweep());
  const QString path = dir.filePath("rc sweep.csv");
  ASSERT_TRUE(window->save_measurement(path));
  const std::string text = read_all(path);
  EXPECT_NE(text.find("# source: demo source, R10k||C1n\n"), std::string::npos);
  EXPECT_NE(text.find("\nfrequency_hz,real_ohm,imag_ohm,magnitude_ohm,phase_deg,range,pga,flags\n1000,"),
            std::string::npos);
  ASSERT_TRUE(window->open_measurement(path));
  ASSERT_EQ(window->traces().memories().size(), 1u);
  const Trace& opened = window->traces().memories()[0];
  EXPECT_EQ(opened.name, "rc sweep");
  const auto& live = window->traces().live().points;
  ASSERT_EQ(opened.spectrum.points.size(), live.size());
  for (std::size_t i = 0; i < live.size(); ++i) {
    EXPECT_EQ(opened.spectrum.points[i].frequency_hz, live[i].frequency_hz);
    EXPECT_EQ(opened.spectrum.points[i].impedance_ohm, live[i].impedance_ohm);
  }
  // The file names the program first; the rest is the live trace's metadata in order.
  ASSERT_FALSE(opened.spectrum.metadata.empty());
  EXPECT_EQ(opened.spectrum.metadata.front().first, "program");
  EXPECT_EQ(std::vector(opened.spectrum.metadata.begin() + 1, opened.spectrum.metadata.end()),
            window->traces().live().metadata);
}

// What quelnor-eval measure --out writes: repeated passes, flag names, a point without signal.
TEST_F(AnalyzerFixture, OpensTheFileTheCommandLineMeasurementWrites) {
  analysis::Spectrum measured;
  measured.metadata = {{"board", "virtual"}};
  measured.warnings = {"no calibration: rows are uncalibrated"};
  for (const double f : {2000.0, 1000.0}) {
    analysis::SpectrumPoint p;
    p.frequency_hz = f;
    p.impedance_ohm = {f, -f};
    p.range = 1;
    p.pga = 5;
    p.flags = analysis::point_flag::uncalibrated | analysis::point_flag::low_signal;
    p.pass = 1;
    p.time_s = f / 1000;
    measured.points.push_back(p);
  }
  const QString path = dir.filePath("cli.csv");
  std::ofstream(path.toStdString()) << analysis::measurement_file_text(measured);
  ASSERT_TRUE(window->open_measurement(path)) << window->error_label()->text().toStdString();
  const Trace& opened = window->traces().memories().at(0);
  ASSERT_EQ(opened.spectrum.points.size(), 2u);
  EXPECT_EQ(opened.spectrum.points[0].frequency_hz, 1000.0);  // in frequency order
  EXPECT_EQ(opened.spectrum.points[0].flags,
            analysis::point_flag::uncalibrated | analysis::point_flag::low_signal);
  EXPECT_EQ(opened.spectrum.warnings, measured.warnings);
}

TEST_F(AnalyzerFixture, AFileThatIsNotAMeasurementIsRefusedInPlainWords) {
  const QString path = dir.filePath("notes.csv");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("frequency_hz,real_ohm,imag_ohm\n1000,12,oops\n");
  file.close();
  EXPECT_FALSE(window->open_measurement(path));
  EXPECT_EQ(window->error_label()->text(),
            "Cannot open the measurement " + path + ": line 2: expected a number for the imaginary part, not 'oops'");
  EXPECT_TRUE(window->traces().memories().empty());
  EXPECT_FALSE(window->open_measurement(dir.filePath("absent.csv")));
  EXPECT_FALSE(window->save_measurement(dir.filePath("nothing.csv")));  // nothing measured yet
}

TEST_F(AnalyzerFixture, TouchstoneAndViewExports) {
  ASSERT_TRUE(sweep());
  const QString s1p = dir.filePath("rc.s1p");
  ASSERT_TRUE(window->export_touchstone(s1p));
  const std::string text = read_all(s1p);
  EXPECT_NE(text.find("\n# Hz Z RI R 1\n1000 "), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n') - std::count(text.begin(), text.end(), '!'), 52);

  window->show_tab(AnalyzerWindow::bode_tab);
  const QString png = dir.filePath("bode.png");
  ASSERT_TRUE(window->export_view(png));
  const QImage image(png);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), window->tabs()->currentWidget()->size().expandedTo(QSize(640, 480)));
  // The live trace's blue is somewhere in the picture.
  bool blue = false;
  for (int y = 0; y < image.height() && !blue; y += 2) {
    for (int x = 0; x < image.width() && !blue; ++x) blue = image.pixelColor(x, y) == QColor(20, 70, 200);
  }
  EXPECT_TRUE(blue);

  window->show_tab(AnalyzerWindow::nyquist_tab);
  const QString svg = dir.filePath("nyquist.svg");
  ASSERT_TRUE(window->export_view(svg));
  const std::string drawing = read_all(svg);
  EXPECT_NE(drawing.find("<svg"), std::string::npos);
  EXPECT_NE(drawing.find("<polyline"), std::string::npos);
  EXPECT_FALSE(window->export_view(dir.filePath("no/such/folder/x.png")));
}

}  // namespace
}  // namespace quelnor::gui::analyzer
