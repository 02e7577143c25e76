// Writes PNG screenshots of the analyzer's views after a sweep of R10k||C1n from 1 kHz to
// 100 kHz, with markers, a memory and a model, into screenshots/ beside the programs.
#include <QDir>
#include <QImage>
#include <QTabWidget>
#include <QTextBrowser>

#include "gui/analyzer/analyzer_fixture.h"
#include "support/bin_dir.h"

namespace quelnor::gui::analyzer {
namespace {

using test::AnalyzerFixture;

TEST_F(AnalyzerFixture, ScreenshotsOfEveryView) {
  ASSERT_TRUE(sweep());
  ASSERT_TRUE(window->store_live("R10k||C1n measured"));
  source.set_circuit("R10k||C1.2n");
  ASSERT_TRUE(sweep());
  ASSERT_TRUE(window->add_model("R10k||C1n"));
  window->set_reference(1);
  window->add_marker(15.9e3);
  window->add_marker(3e3);
  const QDir folder(QString::fromStdString(quelnor::test::bin_dir()) + "/screenshots");
  ASSERT_TRUE(folder.mkpath("."));
  const char* names[] = {"bode", "nyquist", "rx", "gb", "difference", "table"};
  for (int tab = 0; tab < 6; ++tab) {
    window->show_tab(static_cast<AnalyzerWindow::Tab>(tab));
    const QString path = folder.filePath(QString("analyzer_%1.png").arg(names[tab]));
    ASSERT_TRUE(window->grab().save(path)) << path.toStdString();
    EXPECT_EQ(QImage(path).size(), window->size());
  }
  window->show_guide();
  ASSERT_NE(window->guide(), nullptr);
  EXPECT_TRUE(window->guide()->toPlainText().contains("Calibrating"));
  // The pictures just written appear in the guide.
  EXPECT_TRUE(window->guide()->toHtml().contains("analyzer_bode.png"));
  EXPECT_TRUE(window->guide()->window()->grab().save(folder.filePath("analyzer_guide.png")));
}

}  // namespace
}  // namespace quelnor::gui::analyzer
