// Writes PNG screenshots of the main window after a sweep (both chart pages), of every
// help page and of the virtual-board panel into screenshots/ beside the programs, so
// anyone can look at what the windows show.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>

#include "app_window_fixture.h"
#include "sim/virtual_board.h"
#include "ui/qt/help_pictures.h"
#include "ui/qt/help_windows.h"
#include "ui/qt/virtual_board_panel.h"

namespace quelnor::ui::qt {
namespace {

QString save(QWidget& widget, const QString& name) {
  const QDir folder(QString::fromStdString(test::bin_dir()) + "/screenshots");
  folder.mkpath(".");
  const QString path = folder.filePath(name + ".png");
  EXPECT_TRUE(widget.grab().save(path)) << path.toStdString();
  return path;
}

TEST(Screenshots, MainWindowAfterASweepHelpPagesAndPanel) {
  test::AppWindow w;
  ASSERT_TRUE(w.started);
  const std::string dir = test::bin_dir();
  w.window.set_help_pictures([dir] { return make_help_pictures(dir); });
  w.window.show();
  w.press("Command2");
  w.press("Command6");
  qobject_cast<QAbstractButton*>(w.window.control("Check1"))->click();
  w.press("Command1");
  w.press("Command5");

  struct Shot {
    QString name;
    QSize size;
  };
  std::vector<Shot> shots;
  shots.push_back({save(w.window, "main_impedance"), w.window.size()});
  w.window.tabs()->setCurrentIndex(1);
  shots.push_back({save(w.window, "main_phase"), w.window.size()});
  w.window.tabs()->setCurrentIndex(0);

  HelpWindows& help = w.window.help_windows();
  w.press("help");
  const std::pair<const char*, const char*> next[] = {{"Form2", "Command1"}, {"Form3", "Continue"},
                                                      {"Form4", "Command1"}, {"Form5", "Command3"},
                                                      {"Form6", "Command1"}, {"Form5", "Command2"}};
  for (const auto& [form, button] : next) {
    QWidget* page = help.page(form);
    ASSERT_NE(page, nullptr) << form;
    if (std::string(form) != "Form5" || std::string(button) == "Command3") {
      shots.push_back({save(*page, QString("help_") + form), page->size()});
    }
    help.button(form, button)->click();
  }
  shots.push_back({save(*help.page("Form7"), "help_Form7"), help.page("Form7")->size()});
  help.button("Form7", "Command1")->click();

  VirtualBoardPanel panel(*w.application.virtual_board());
  panel.apply_circuit("(R200k||C15p)+R200k");
  panel.apply_fault("zero-data 10");
  panel.show();
  shots.push_back({save(panel, "virtual_board_panel"), panel.size()});

  for (const Shot& shot : shots) {
    const QImage image(shot.name);
    EXPECT_FALSE(image.isNull()) << shot.name.toStdString();
    EXPECT_EQ(image.size(), shot.size) << shot.name.toStdString();
  }
  EXPECT_EQ(shots.size(), 9u);
}

}  // namespace
}  // namespace quelnor::ui::qt

namespace quelnor::ui::qt {
namespace {

// Every picture has the size its page gives it, also when the virtual board cannot start
// (then the pictures say so in words).
TEST(Screenshots, HelpPicturesHaveTheirPageSizesWithOrWithoutTheVirtualBoard) {
  const std::filesystem::path empty = std::filesystem::temp_directory_path() / "quelnor_no_fw";
  std::filesystem::create_directories(empty);
  for (const std::string& dir : {test::bin_dir(), empty.string()}) {
    SCOPED_TRACE(dir);
    const HelpPictures pictures = make_help_pictures(dir);
    const std::pair<const QPixmap*, QSize> expected[] = {
        {&pictures.sweep_parameters, {195, 296}}, {&pictures.settings_groups, {312, 332}},
        {&pictures.workflow_column, {372, 330}},  {&pictures.impedance_chart, {872, 331}},
        {&pictures.phase_chart, {874, 330}},      {&pictures.save_dialog, {564, 416}}};
    for (const auto& [picture, size] : expected) {
      EXPECT_FALSE(picture->isNull());
      EXPECT_EQ(picture->size(), size);
    }
  }
}

}  // namespace
}  // namespace quelnor::ui::qt
