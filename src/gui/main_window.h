// The main window `Form1` as a view of the application's model: it renders the model's
// controls into widgets, forwards every click, edit, focus loss and close to the operator
// actions by control name, and renders again after each. It holds no setting of its own.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "app/application.h"
#include "gui/help_pictures.h"

class QTabWidget;

namespace quelnor::gui {

class HelpWindows;
class QtStripChart;

class MainWindow final : public QWidget {
 public:
  static constexpr int client_width = 897;
  static constexpr int client_height = 668;

  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // The two charts live in the tab pages from the start, so the application can be
  // built with them as its strip-chart seams before the window is bound to it.
  QtStripChart& strip1() { return *strip1_; }
  QtStripChart& strip2() { return *strip2_; }

  // Attaches the window to its application; until then it renders nothing.
  void bind(app::Application& application) { bind(application.session(), application.actions()); }
  // The same from the parts: the model shown and the actions clicks go to.
  void bind(model::Session& session, app::OperatorActions& actions);
  // Brings every widget, this window's and the help windows', up to date with the model.
  void render();
  // Shows the progress bar and the temperature heading as the model has them, at once.
  void repaint_cues();

  // Called once the operator closed the window and the application was told (the
  // program then ends).
  void set_on_closed(std::function<void()> on_closed) { on_closed_ = std::move(on_closed); }
  // Where the help pages' pictures come from (made once, when the help first opens);
  // without a source the pages show their texts beside empty frames.
  void set_help_pictures(std::function<HelpPictures()> source) {
    picture_source_ = std::move(source);
  }

  // The widget acting as the named control (line edit, radio button, check box, push
  // button, label, group box, progress bar, tab widget), or nullptr.
  QWidget* control(std::string_view name) const;
  // The text the control shows: a text box's text, anything else's caption.
  QString shown_text(std::string_view name) const;
  QTabWidget* tabs() const { return tabs_; }
  HelpWindows& help_windows() { return *help_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build();
  // Runs one operator action, then renders; the closing a busy handler deferred
  // happens once the outermost action has returned.
  void act(const std::function<void(app::OperatorActions&)>& action);
  void render_self();
  void apply_model_focus();

  model::Session* session_ = nullptr;
  app::OperatorActions* actions_ = nullptr;
  QtStripChart* strip1_ = nullptr;
  QtStripChart* strip2_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  std::unique_ptr<HelpWindows> help_;
  std::map<std::string, QWidget*, std::less<>> controls_;
  std::map<QObject*, std::string> names_;
  std::function<void()> on_closed_;
  std::function<HelpPictures()> picture_source_;
  std::string last_seen_focus_;
  bool rendering_ = false;
  int action_depth_ = 0;
  bool close_pending_ = false;
};

}  // namespace quelnor::gui
