// Writes PNG screenshots of the main window after a sweep (both chart pages), of every
// help page and of the virtual-board panel into screenshots/ beside the programs, so
// anyone can look at what the windows show. A tool the test build runs, not a test.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <iostream>

#include "app_window_fixture.h"
#include "gui/help_pictures.h"
#include "gui/help_windows.h"
#include "gui/virtual_board_panel.h"
#include "sim/virtual_board.h"

namespace {

bool save(QWidget& widget, const QString& name) {
  const QDir folder(QString::fromStdString(quelnor::test::bin_dir()) + "/screenshots");
  folder.mkpath(".");
  const QString path = folder.filePath(name + ".png");
  if (widget.grab().save(path)) return true;
  std::cerr << "screenshots: cannot write " << path.toStdString() << '\n';
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quelnor;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  test::AppWindow w;
  if (!w.started) {
    std::cerr << "screenshots: the virtual board did not start\n";
    return 1;
  }
  const std::string dir = test::bin_dir();
  w.window.set_help_pictures([dir] { return gui::make_help_pictures(dir); });
  w.window.show();
  w.press("Command2");
  w.press("Command6");
  qobject_cast<QAbstractButton*>(w.window.control("Check1"))->click();
  w.press("Command1");
  w.press("Command5");

  bool all = save(w.window, "main_impedance");
  w.window.tabs()->setCurrentIndex(1);
  all = save(w.window, "main_phase") && all;
  w.window.tabs()->setCurrentIndex(0);

  gui::HelpWindows& help = w.window.help_windows();
  w.press("help");
  const std::pair<const char*, const char*> next[] = {
      {"Form2", "Command1"}, {"Form3", "Continue"}, {"Form4", "Command1"}, {"Form5", "Command3"},
      {"Form6", "Command1"}, {"Form5", "Command2"}, {"Form7", "Command1"}};
  for (const auto& [form, button] : next) {
    QWidget* page = help.page(form);
    if (page == nullptr) {
      std::cerr << "screenshots: " << form << " did not open\n";
      return 1;
    }
    // Form5 is shown twice on the way; one picture of it is enough.
    if (std::string(form) != "Form5" || std::string(button) == "Command3") {
      all = save(*page, QString("help_") + form) && all;
    }
    help.button(form, button)->click();
  }

  gui::VirtualBoardPanel panel(*w.application.virtual_board());
  panel.apply_circuit("(R200k||C15p)+R200k");
  panel.apply_fault("zero-data 10");
  panel.show();
  all = save(panel, "virtual_board_panel") && all;
  return all ? 0 : 1;
}
