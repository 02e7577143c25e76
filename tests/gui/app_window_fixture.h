// The main window over a real application on the virtual board and a virtual clock, with
// the real Qt dialogs: a watcher answers each message box as it appears (OK, or Cancel
// where OK is not offered) and records it, and the save dialog's path comes from the test.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "app/application.h"
#include "gui/main_window.h"
#include "gui/qt_dialogs.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_strip_chart.h"
#include "util/clock.h"

namespace quelnor::test {

class MessageBoxWatcher final : public QObject {
 public:
  MessageBoxWatcher() { qApp->installEventFilter(this); }
  ~MessageBoxWatcher() override { qApp->removeEventFilter(this); }

  struct Seen {
    std::string text, title;
    bool retry_cancel = false;
    bool warning = false;
  };
  std::vector<Seen> seen;
  std::deque<QMessageBox::StandardButton> answers;  // then OK, or Cancel

  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const Seen& s : seen) out.push_back(s.text);
    return out;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* box = qobject_cast<QMessageBox*>(watched);
    if (box && event->type() == QEvent::Show) {
      const bool retry_cancel = box->button(QMessageBox::Retry) != nullptr;
      seen.push_back({box->text().toStdString(), box->windowTitle().toStdString(), retry_cancel,
                      box->icon() == QMessageBox::Warning});
      QMessageBox::StandardButton answer = retry_cancel ? QMessageBox::Cancel : QMessageBox::Ok;
      if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
      }
      QTimer::singleShot(0, box, [box, answer] { box->button(answer)->click(); });
    }
    return QObject::eventFilter(watched, event);
  }
};

inline std::string bin_dir() {
  const char* dir = std::getenv("QUELNOR_BIN_DIR");
  return dir ? dir : ".";
}

class AppWindow {
 public:
  explicit AppWindow(gui::QtDialogs::SavePathProvider save_path = {})
      : dialogs(std::move(save_path)),
        application(options(), {clock, dialogs, pump, window.strip1(), window.strip2()}) {
    pump.set_render([this] {
      window.render();
      const auto* bar = qobject_cast<QProgressBar*>(window.control("PBar"));
      bar_values_seen.push_back(bar->value());
    });
    started = application.start_up();
    window.bind(application);
    application.load();
    window.render();
  }

  static app::ApplicationOptions options() {
    app::ApplicationOptions o;
    o.board = app::BoardKind::sim;
    o.executable_dir = bin_dir();
    o.virtual_board_real_time = false;
    return o;
  }

  model::Form1Controls& form() { return application.session().form; }
  void press(const char* name) {
    auto* button = qobject_cast<QPushButton*>(window.control(name));
    ASSERT_NE(button, nullptr) << name;
    ASSERT_TRUE(button->isEnabled()) << name;
    button->click();
  }

  MessageBoxWatcher boxes;
  util::VirtualClock clock;
  gui::QtDialogs dialogs;
  gui::QtEventPump pump;
  gui::MainWindow window;
  app::Application application;
  bool started = false;
  std::vector<int> bar_values_seen;
};

}  // namespace quelnor::test
