// Screenshots of our own main window for the help pages.
#include "gui/help_pictures.h"

#include <QApplication>
#include <QFileDialog>
#include <QPainter>
#include <QTabWidget>
#include <initializer_list>

#include "app/application.h"
#include "sim/virtual_board.h"
#include "gui/help_windows.h"
#include "gui/main_window.h"
#include "gui/qt_strip_chart.h"
#include "util/clock.h"

namespace quelnor::gui {
namespace {

// Answers every box as its default button would and cancels the save dialog: nothing
// modal appears while the pictures are made.
class SilentDialogs final : public util::OperatorDialogs {
 public:
  util::Answer show_message(const util::MessageBox& box) override {
    return box.buttons == util::Buttons::ok ? util::Answer::ok : util::Answer::cancel;
  }
  std::string save_file(const util::SaveDialogRequest&) override { return {}; }
};

class NoPump final : public util::EventPump {
 public:
  void service_pending_input() override {}
};

// Lets layouts and queued results settle without taking in operator input: the pictures
// are made inside a click on the help button, and nothing else may run in between.
void settle() { QCoreApplication::sendPostedEvents(); }

// The part of the window covering the named controls.
QPixmap grab_region(MainWindow& window, std::initializer_list<const char*> names) {
  QRect region;
  for (const char* name : names) {
    QWidget* widget = window.control(name);
    if (!widget) continue;
    region |= QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
  }
  return window.grab(region.adjusted(-3, -3, 3, 3));
}

QPixmap words(const QString& text, QSize size) {
  QPixmap picture(size);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
  painter.drawText(picture.rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, text);
  return picture;
}

// The size the picture is shown at on its page.
QSize size_of(app::HelpPicture which) {
  const app::PixelRect place = app::help_picture_place(which);
  return {place.width, place.height};
}

QPixmap save_dialog_picture(const std::string& folder) {
  QFileDialog dialog(nullptr, QString(), QString::fromStdString(folder), "Log Files (*.csv)");
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.selectFile("Impedance & Phase Data");
  dialog.setAttribute(Qt::WA_DontShowOnScreen);
  dialog.resize(size_of(app::HelpPicture::save_dialog));
  dialog.show();
  settle();
  QPixmap picture = dialog.grab();
  dialog.hide();
  return picture;
}

}  // namespace

HelpPictures make_help_pictures(const std::string& executable_dir) {
  using P = app::HelpPicture;
  HelpPictures pictures;
  const auto fit = [&](P which, const QPixmap& picture) {
    pictures[which] = fit_picture(picture, size_of(which));
  };
  // Help draws its pictures from a second, hidden application of its own, over its own
  // virtual board and virtual clock: it is programmed, calibrated and swept here, inside
  // the click on the help button, and never touches the operator's board or window.
  util::VirtualClock clock;
  SilentDialogs dialogs;
  NoPump pump;
  MainWindow window;
  window.setAttribute(Qt::WA_DontShowOnScreen);
  app::ApplicationOptions options;
  options.board = app::BoardKind::sim;
  options.executable_dir = executable_dir;
  app::Application application(options, {clock, dialogs, pump, window.strip1(), window.strip2()});
  if (!application.start_up()) {
    const QString missing = "The virtual board did not start, so this picture is missing.";
    for (P which : {P::sweep_parameters, P::settings_groups, P::workflow_column,
                    P::impedance_chart, P::phase_chart}) {
      pictures[which] = words(missing, size_of(which));
    }
    fit(P::save_dialog, save_dialog_picture(executable_dir));
    return pictures;
  }
  window.bind(application);
  application.load();
  window.render();
  window.show();
  settle();
  fit(P::sweep_parameters, grab_region(window, {"sweep_parameters"}));

  // A 200 kOhm resistor from 30 kHz to 35 kHz in 50 Hz steps, calibrated on itself, with
  // the theoretical profile drawn beside the measurement.
  app::OperatorActions& actions = application.actions();
  actions.type_text("Text2", "50");
  actions.leave("Text2");
  actions.click("Command2");
  actions.click("Command6");
  actions.set_check("Check1", true);
  actions.click("Command1");
  window.render();
  settle();
  fit(P::settings_groups, grab_region(window, {"system_clock", "output_excitation",
                                              "pga_control", "Frm_choose_impedence_type"}));
  fit(P::workflow_column, grab_region(window, {"Command2", "dds_settling",
                                              "calibration_gain_factor",
                                              "internal_temperature", "start_sweep"}));
  fit(P::impedance_chart, window.strip1().grab());

  // The same sweep over a capacitor: its phase lies flat near -90 degrees.
  if (sim::VirtualBoard* board = application.virtual_board()) board->set_dut("C15p");
  actions.set_check("Check1", false);
  actions.click("Command1");
  application.session().form.SSTab1 = 1;
  window.render();
  settle();
  fit(P::phase_chart, window.strip2().grab());
  window.hide();

  fit(P::save_dialog, save_dialog_picture(executable_dir));
  return pictures;
}

}  // namespace quelnor::gui
