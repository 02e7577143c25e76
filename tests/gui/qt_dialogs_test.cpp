// Message boxes and the save dialog on Qt: what the operator sees and what each way of
// answering returns. A zero timer answers the modal dialog from inside its own loop, so
// nothing waits for a person.
#include "gui/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace quelnor::gui {
namespace {

// Runs `inspect` on the modal widget once it is up, then makes sure it is gone.
void when_modal(std::function<void(QWidget*)> inspect) {
  QTimer::singleShot(0, [inspect] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    inspect(modal);
    if (modal->isVisible()) modal->close();
  });
}

enum class Gesture { press_ok, press_retry, press_cancel, close_frame, escape };

struct BoxCase {
  util::Buttons buttons;
  bool warning;
  Gesture gesture;
  util::Answer expected;
};

TEST(QtDialogs, MessageBoxShowsTheBoxAndReportsTheAnswer) {
  const BoxCase cases[] = {
      {util::Buttons::ok, false, Gesture::press_ok, util::Answer::ok},
      {util::Buttons::ok, false, Gesture::close_frame, util::Answer::ok},
      {util::Buttons::ok, true, Gesture::escape, util::Answer::ok},
      {util::Buttons::retry_cancel, true, Gesture::press_retry, util::Answer::retry},
      {util::Buttons::retry_cancel, true, Gesture::press_cancel, util::Answer::cancel},
      {util::Buttons::retry_cancel, false, Gesture::close_frame, util::Answer::cancel},
      {util::Buttons::retry_cancel, false, Gesture::escape, util::Answer::cancel},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.gesture));
    QtDialogs dialogs;
    const util::MessageBox box{" sweep complete:   Press ok  ", "Quelnor Beta Version VUD1.0",
                               c.buttons, c.warning};
    when_modal([&](QWidget* modal) {
      auto* message = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(message, nullptr);
      EXPECT_EQ(message->text(), " sweep complete:   Press ok  ");
      EXPECT_EQ(message->windowTitle(), "Quelnor Beta Version VUD1.0");
      EXPECT_EQ(message->icon(), c.warning ? QMessageBox::Warning : QMessageBox::NoIcon);
      const auto expected_buttons = c.buttons == util::Buttons::ok
                                        ? QMessageBox::StandardButtons(QMessageBox::Ok)
                                        : QMessageBox::Retry | QMessageBox::Cancel;
      EXPECT_EQ(message->standardButtons(), expected_buttons);
      switch (c.gesture) {
        case Gesture::press_ok:
          message->button(QMessageBox::Ok)->click();
          break;
        case Gesture::press_retry:
          message->button(QMessageBox::Retry)->click();
          break;
        case Gesture::press_cancel:
          message->button(QMessageBox::Cancel)->click();
          break;
        case Gesture::close_frame:
          message->close();
          break;
        case Gesture::escape: {
          QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
          QApplication::sendEvent(message, &escape);
          break;
        }
      }
    });
    EXPECT_EQ(dialogs.show_message(box), c.expected);
  }
}

TEST(QtDialogs, NameFilterFromDescriptionAndPattern) {
  EXPECT_EQ(qt_name_filter("Log Files (*.csv)|*.csv"), "Log Files (*.csv)");
  EXPECT_EQ(qt_name_filter("Data|*.dat"), "Data (*.dat)");
  EXPECT_EQ(qt_name_filter("Log Files (*.csv)|*.csv|All|*.*"), "Log Files (*.csv);;All (*.*)");
}

const util::SaveDialogRequest export_request{"/tmp", "Impedance & Phase Data",
                                             "Log Files (*.csv)|*.csv"};

TEST(QtDialogs, SaveDialogStartsInTheFolderWithTheSuggestedNameAndNoOverwritePrompt) {
  QtDialogs dialogs;
  when_modal([](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->directory().absolutePath(), "/tmp");
    EXPECT_EQ(dialog->nameFilters(), QStringList{"Log Files (*.csv)"});
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog->defaultSuffix().isEmpty());
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "Impedance & Phase Data");
    QMetaObject::invokeMethod(dialog, "accept");
  });
  // Accepting the suggested name keeps it exactly: no extension is added.
  EXPECT_EQ(dialogs.save_file(export_request), "/tmp/Impedance & Phase Data");
}

TEST(QtDialogs, CancellingTheSaveDialogGivesAnEmptyPath) {
  QtDialogs dialogs;
  when_modal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
  EXPECT_EQ(dialogs.save_file(export_request), "");
}

TEST(QtDialogs, PathProviderTakesThePlaceOfTheDialog) {
  util::SaveDialogRequest seen;
  QtDialogs dialogs([&](const util::SaveDialogRequest& request) {
    seen = request;
    return std::string("/tmp/out.csv");
  });
  EXPECT_EQ(dialogs.save_file(export_request), "/tmp/out.csv");
  EXPECT_EQ(seen.suggested_name, "Impedance & Phase Data");
}

}  // namespace
}  // namespace quelnor::gui
