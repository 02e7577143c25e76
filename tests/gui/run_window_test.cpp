// The windowed program from start to end: start-up's Retry/Cancel box comes before any
// window and Cancel ends the program; on the virtual board the main window and the
// virtual-board panel appear, and closing the main window ends the program.
#include "gui/run_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/main_window.h"
#include "gui/virtual_board_panel.h"

namespace {

// Watches every top-level window the program shows: message boxes are answered Cancel
// (or OK), and the main window is closed as soon as it appears.
struct Watcher final : QObject {
  std::vector<std::string> shown;  // "box: TEXT" or the window's title
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !widget->isWindow() || event->type() != QEvent::Show) return false;
    if (auto* box = qobject_cast<QMessageBox*>(widget)) {
      shown.push_back("box: " + box->text().toStdString());
      QAbstractButton* answer = box->button(QMessageBox::Cancel);
      if (!answer) answer = box->button(QMessageBox::Ok);
      QTimer::singleShot(0, box, [answer] { answer->click(); });
    } else {
      shown.push_back(widget->windowTitle().toStdString());
      if (dynamic_cast<quelnor::gui::MainWindow*>(widget)) {
        QTimer::singleShot(0, widget, [widget] { widget->close(); });
      }
    }
    return false;
  }
};

Watcher* watcher = nullptr;

void install_watcher() {
  if (watcher) qApp->installEventFilter(watcher);
}
Q_COREAPP_STARTUP_FUNCTION(install_watcher)

int run(const std::string& executable_dir) {
  quelnor::app::ApplicationOptions options;
  options.board = quelnor::app::BoardKind::sim;
  options.executable_dir = executable_dir;
  char name[] = "quelnor-eval";
  char* argv[] = {name, nullptr};
  return quelnor::gui::run_window(options, 1, argv);
}

TEST(RunWindow, CancelAtStartUpEndsWithoutAWindow) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Watcher seen;
  watcher = &seen;
  // A folder without the firmware image: the download fails.
  const std::filesystem::path empty = std::filesystem::temp_directory_path() / "quelnor_no_fw";
  std::filesystem::create_directories(empty);
  EXPECT_EQ(run(empty.string()), 1);
  watcher = nullptr;
  ASSERT_EQ(seen.shown.size(), 1u);
  EXPECT_EQ(seen.shown[0].rfind("box: ", 0), 0u);
}

TEST(RunWindow, VirtualBoardShowsTheWindowAndThePanelAndEndsWhenTheWindowCloses) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Watcher seen;
  watcher = &seen;
  const char* bin = std::getenv("QUELNOR_BIN_DIR");
  EXPECT_EQ(run(bin ? bin : "."), 0);
  watcher = nullptr;
  EXPECT_EQ(seen.shown, (std::vector<std::string>{"Quelnor Beta Version VUD1.0",
                                                  quelnor::gui::VirtualBoardPanel::title}));
}

}  // namespace
