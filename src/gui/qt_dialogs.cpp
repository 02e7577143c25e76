// Message boxes and the save dialog on Qt.
#include "gui/qt_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace quelnor::gui {
namespace {

// The window the box belongs to: the active one, or none before any window exists.
QWidget* dialog_parent() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

}  // namespace

QString qt_name_filter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList entries;
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QString pattern = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
    if (pattern.isEmpty() || description.contains("(" + pattern + ")")) {
      entries << description;
    } else {
      entries << description + " (" + QString(pattern).replace(';', ' ') + ")";
    }
  }
  return entries.join(";;");
}

QtDialogs::QtDialogs(SavePathProvider save_path_provider)
    : save_path_provider_(std::move(save_path_provider)) {}

util::Answer QtDialogs::show_message(const util::MessageBox& box) {
  if (before_showing_) before_showing_();
  QMessageBox message(box.warning_icon ? QMessageBox::Warning : QMessageBox::NoIcon,
                      QString::fromStdString(box.title), QString::fromStdString(box.text),
                      QMessageBox::NoButton, dialog_parent());
  message.setTextFormat(Qt::PlainText);
  if (box.buttons == util::Buttons::retry_cancel) {
    message.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
    message.setDefaultButton(QMessageBox::Retry);
    message.setEscapeButton(QMessageBox::Cancel);
  } else {
    message.setStandardButtons(QMessageBox::Ok);
    message.setEscapeButton(QMessageBox::Ok);
  }
  message.exec();
  // Closing the box through its frame or Escape clicks the escape button.
  const QAbstractButton* clicked = message.clickedButton();
  if (clicked == message.button(QMessageBox::Retry)) return util::Answer::retry;
  if (clicked == message.button(QMessageBox::Ok)) return util::Answer::ok;
  return box.buttons == util::Buttons::ok ? util::Answer::ok : util::Answer::cancel;
}

std::string QtDialogs::save_file(const util::SaveDialogRequest& request) {
  if (before_showing_) before_showing_();
  if (save_path_provider_) return save_path_provider_(request);
  const QString start = QDir(QString::fromStdString(request.folder))
                            .filePath(QString::fromStdString(request.suggested_name));
  // A null caption gives the platform's standard title for saving; no default suffix is
  // set, so the name is used exactly as typed.
  const QString path = QFileDialog::getSaveFileName(dialog_parent(), QString(), start,
                                                    qt_name_filter(request.filter), nullptr,
                                                    QFileDialog::DontConfirmOverwrite);
  return path.toStdString();
}

}  // namespace quelnor::gui
