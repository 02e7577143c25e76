// The main window: five columns of groups above the two result charts.
#include "gui/main_window.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>
#include <variant>

#include "gui/captioned_button.h"
#include "gui/help_windows.h"
#include "gui/qt_strip_chart.h"
#include "gui/window_style.h"
#include "model/form1_control_table.h"

namespace quelnor::gui {
namespace {

using model::Form1Controls;

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// The option or check box with its caption label, around the bare button.
CaptionedButton* captioned(QAbstractButton* button) {
  return static_cast<CaptionedButton*>(button->parentWidget());
}

void show_progress(QProgressBar* bar, const model::ProgressBar& progress) {
  // A range of zero width would make Qt animate a busy bar; show an empty bar instead.
  if (progress.max > progress.min) {
    bar->setRange(progress.min, progress.max);
    bar->setValue(std::clamp(progress.value, progress.min, progress.max));
  } else {
    bar->setRange(0, 1);
    bar->setValue(0);
  }
}

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

// Widths of the five columns; together with the gaps they fill the 897-pixel client area.
constexpr int column_widths[5] = {172, 132, 206, 190, 173};
constexpr int top_height = 338;

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
  build();
  help_ = std::make_unique<HelpWindows>(
      [this](std::string_view qualified) {
        act([&](app::OperatorActions& a) { a.click(qualified); });
      },
      [this](std::string_view form) {
        act([&](app::OperatorActions& a) { a.close_window(form); });
      },
      [this] { return picture_source_ ? picture_source_() : HelpPictures{}; });
}

MainWindow::~MainWindow() = default;

void MainWindow::build() {
  setFont(main_window_font());
  setFixedSize(client_width, client_height);
  setStyleSheet(main_window_style_sheet());

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(4, 4, 4, 4);
  root->setSpacing(4);
  auto* columns_row = new QHBoxLayout;
  columns_row->setSpacing(4);
  root->addLayout(columns_row);

  QVBoxLayout* columns[5];
  for (int i = 0; i < 5; ++i) {
    auto* holder = new QWidget(this);
    holder->setFixedSize(column_widths[i], top_height);
    columns[i] = new QVBoxLayout(holder);
    columns[i]->setContentsMargins(0, 0, 0, 0);
    columns[i]->setSpacing(4);
    columns_row->addWidget(holder);
  }
  columns_row->addStretch();

  auto name = [this](QWidget* widget, const std::string& control_name) {
    widget->setObjectName(qs(control_name));
    controls_[control_name] = widget;
    names_[widget] = control_name;
  };
  auto group = [&](const char* frame_name, QVBoxLayout* column) {
    auto* box = new QGroupBox(this);
    name(box, frame_name);
    column->addWidget(box);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(2);
    return std::pair<QGroupBox*, QVBoxLayout*>(box, layout);
  };
  auto push_button = [&](const char* button_name, QLayout* layout) {
    auto* button = new QPushButton(this);
    button->setMinimumHeight(26);
    name(button, button_name);
    layout->addWidget(button);
    connect(button, &QPushButton::clicked, this,
            [this, button_name] { act([&](app::OperatorActions& a) { a.click(button_name); }); });
    return button;
  };
  auto label = [&](const char* label_name, QLayout* layout) {
    auto* text = new QLabel(this);
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    name(text, label_name);
    if (layout) layout->addWidget(text);
    return text;
  };
  auto line_edit = [&](const char* box_name, QLayout* layout) {
    auto* edit = new QLineEdit(this);
    name(edit, box_name);
    if (layout) layout->addWidget(edit);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this, box_name](const QString& text) {
      act([&](app::OperatorActions& a) { a.type_text(box_name, text.toStdString()); });
    });
    return edit;
  };
  std::map<int, QButtonGroup*> button_groups;
  auto option = [&](const char* option_name, int group_number, QLayout* layout) {
    auto* captioned = new CaptionedButton(CaptionedButton::Kind::option, this);
    name(captioned->button(), option_name);
    captioned->caption_label()->setObjectName(qs(std::string(option_name) + "_caption"));
    layout->addWidget(captioned);
    QButtonGroup*& exclusive = button_groups[group_number];
    if (!exclusive) exclusive = new QButtonGroup(this);
    exclusive->addButton(captioned->button());
    captioned->button()->installEventFilter(this);
    connect(captioned->button(), &QAbstractButton::clicked, this,
            [this, option_name] { act([&](app::OperatorActions& a) { a.click(option_name); }); });
  };
  auto check = [&](const char* check_name, QLayout* layout) {
    auto* captioned = new CaptionedButton(CaptionedButton::Kind::check, this);
    name(captioned->button(), check_name);
    captioned->caption_label()->setObjectName(qs(std::string(check_name) + "_caption"));
    captioned->caption_label()->setProperty("blue", true);
    layout->addWidget(captioned);
    captioned->button()->installEventFilter(this);
    connect(captioned->button(), &QAbstractButton::clicked, this, [this, check_name](bool ticked) {
      act([&](app::OperatorActions& a) { a.set_check(check_name, ticked); });
    });
  };

  // Column 1: help and the sweep parameters, each label above its box.
  push_button("help", columns[0]);
  {
    auto [box, layout] = group("sweep_parameters", columns[0]);
    const std::pair<const char*, const char*> rows[] = {{"label_start", "Text1"},
                                                        {"label_delta", "Text2"},
                                                        {"label_increments", "Text3"},
                                                        {"label_settling", "Text4"},
                                                        {"label_mclk", "Text7"}};
    for (const auto& [label_name, box_name] : rows) {
      label(label_name, layout);
      line_edit(box_name, layout);
      layout->addSpacing(3);
    }
    layout->addStretch();
  }
  // Column 2: clock, excitation and gain.
  {
    auto [box, layout] = group("system_clock", columns[1]);
    option("ExternalClock", model::group_clock, layout);
    option("InternalClock", model::group_clock, layout);
  }
  {
    auto [box, layout] = group("output_excitation", columns[1]);
    for (const char* n : {"Option3", "Option4", "Option5", "Option6"}) {
      option(n, model::group_excitation, layout);
    }
  }
  {
    auto [box, layout] = group("pga_control", columns[1]);
    option("Option1", model::group_pga, layout);
    option("Option2", model::group_pga, layout);
  }
  columns[1]->addStretch();
  // Column 3: the calibration circuit, each value label left of its box.
  {
    auto [box, layout] = group("Frm_choose_impedence_type", columns[2]);
    for (const char* n : {"Opt_resistor", "Opt_capacitor", "Optresistorandcapseries",
                          "Optresisandcapparallel", "Complex"}) {
      option(n, model::group_circuit, layout);
    }
    layout->addSpacing(6);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    const std::pair<const char*, const char*> rows[] = {
        {"Label17", "Text10"}, {"Label19", "Text11"}, {"Label5", "Text6"}};
    int row = 0;
    for (const auto& [label_name, box_name] : rows) {
      grid->addWidget(label(label_name, nullptr), row, 0);
      grid->addWidget(line_edit(box_name, nullptr), row, 1);
      ++row;
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addStretch();
  }
  columns[2]->addStretch();
  // Column 4: programming, settling multiplier and the gain factor.
  push_button("Command2", columns[3]);
  {
    auto [box, layout] = group("dds_settling", columns[3]);
    for (const char* n : {"Multiply_by_one", "Multiply_by_two", "Multiply_by_four"}) {
      option(n, model::group_settling, layout);
    }
  }
  {
    auto [box, layout] = group("calibration_gain_factor", columns[3]);
    option("Option7", model::group_calibration, layout);
    option("Option8", model::group_calibration, layout);
    layout->addSpacing(2);
    push_button("Command6", layout);
    label("Label20", layout)->setProperty("blue", true);
    line_edit("Text5", layout);
  }
  columns[3]->addStretch();
  // Column 5: temperature and the sweep.
  {
    auto [box, layout] = group("internal_temperature", columns[4]);
    push_button("Command5", layout);
    label("Label10", layout)->setProperty("blue", true);
    auto* reading = new QHBoxLayout;
    reading->setSpacing(6);
    reading->addWidget(label("Label8", nullptr));
    reading->addWidget(label("Label9", nullptr), 1);
    layout->addLayout(reading);
  }
  {
    auto [box, layout] = group("start_sweep", columns[4]);
    check("Continuous_sweep_text", layout);
    check("Check1", layout);
    push_button("Command1", layout);
    auto* bar = new QProgressBar(this);
    bar->setTextVisible(false);
    bar->setFixedHeight(16);
    name(bar, "PBar");
    layout->addWidget(bar);
    push_button("Download_data", layout);
  }
  columns[4]->addStretch();

  // Below: the two chart pages.
  tabs_ = new QTabWidget(this);
  name(tabs_, "SSTab1");
  strip1_ = new QtStripChart;
  strip1_->setObjectName("Strip1");
  strip2_ = new QtStripChart;
  strip2_->setObjectName("Strip2");
  tabs_->addTab(strip1_, qs(Form1Controls::tab_captions[0]));
  tabs_->addTab(strip2_, qs(Form1Controls::tab_captions[1]));
  controls_["Strip1"] = strip1_;
  controls_["Strip2"] = strip2_;
  root->addWidget(tabs_, 1);
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    // Which page shows is presentation, not a setting: the model keeps it so the view can
    // be rebuilt from it.
    if (!rendering_ && actions_) session_->form.SSTab1 = index;
  });

  // Every control of the table has its widget, and every named widget is in the table
  // (or is the chart page or a chart): a misspelt name stops here, not in a later cast.
  for (const model::ControlEntry& entry : model::form1_control_table) {
    if (controls_.find(entry.name) == controls_.end()) {
      throw std::logic_error("the main window has no widget for " + std::string(entry.name));
    }
  }
  for (const auto& [widget_name, widget] : controls_) {
    const bool extra =
        widget_name == "SSTab1" || widget_name == "Strip1" || widget_name == "Strip2";
    if (!extra && model::find_control_entry(widget_name) == nullptr) {
      throw std::logic_error("the main window names a widget " + widget_name +
                             " that is not a control");
    }
  }

  // Captions before the first render, so the window reads right even unbound.
  Form1Controls defaults;
  for (const model::ControlEntry& entry : model::form1_control_table) {
    const model::ControlPointer pointer = entry.in(defaults);
    if (auto* const* label = std::get_if<model::Label*>(&pointer)) {
      qobject_cast<QLabel*>(control(entry.name))->setText(qs((*label)->caption));
    }
  }

  const std::vector<std::string_view> order = model::tab_order();
  for (std::size_t i = 0; i + 1 < order.size(); ++i) {
    setTabOrder(control(order[i]), control(order[i + 1]));
  }
  for (const auto& [widget_name, widget] : controls_) {
    if (qobject_cast<QPushButton*>(widget)) widget->installEventFilter(this);
  }
}

void MainWindow::bind(model::Session& session, app::OperatorActions& actions) {
  session_ = &session;
  actions_ = &actions;
  // Guarded: a session that outlives its window must not call into the window.
  session.repaint_cues = [window = QPointer<MainWindow>(this)] {
    if (window) window->repaint_cues();
  };
  render();
}

void MainWindow::repaint_cues() {
  if (!actions_) return;
  auto* bar = qobject_cast<QProgressBar*>(control("PBar"));
  show_progress(bar, session_->form.PBar);
  bar->repaint();
  auto* heading = qobject_cast<QLabel*>(control("Label10"));
  const QString caption = qs(session_->form.Label10.caption);
  if (heading->text() != caption) heading->setText(caption);
  heading->repaint();
}

QWidget* MainWindow::control(std::string_view name) const {
  const auto found = controls_.find(name);
  return found == controls_.end() ? nullptr : found->second;
}

QString MainWindow::shown_text(std::string_view name) const {
  QWidget* widget = control(name);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* text = qobject_cast<QLabel*>(widget)) return text->text();
  if (auto* box = qobject_cast<QGroupBox*>(widget)) return box->title();
  if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    if (auto* captioned = dynamic_cast<CaptionedButton*>(button->parentWidget())) {
      return captioned->caption();
    }
  }
  return {};
}

void MainWindow::act(const std::function<void(app::OperatorActions&)>& action) {
  if (!actions_) return;
  ++action_depth_;
  action(*actions_);
  --action_depth_;
  render();
  if (action_depth_ == 0 && close_pending_) {
    close_pending_ = false;
    close();
  }
}

void MainWindow::render() {
  if (!actions_) return;
  render_self();
  help_->render(*actions_);
}

void MainWindow::render_self() {
  rendering_ = true;
  Form1Controls& form = session_->form;
  setWindowTitle(qs(form.caption));

  // Exclusivity is off while the model's choices are copied, so a group with nothing
  // selected shows nothing selected.
  for (QButtonGroup* group : findChildren<QButtonGroup*>()) group->setExclusive(false);
  for (const model::ControlEntry& entry : model::form1_control_table) {
    QWidget* widget = control(entry.name);
    std::visit(Overloaded{
                   [&](model::TextBox* box) {
                     auto* edit = qobject_cast<QLineEdit*>(widget);
                     edit->setMaxLength(box->max_length > 0 ? box->max_length : 32767);
                     if (edit->text() != qs(box->text)) edit->setText(qs(box->text));
                     edit->setEnabled(box->enabled);
                   },
                   [&](model::OptionButton* option) {
                     auto* button = qobject_cast<QAbstractButton*>(widget);
                     captioned(button)->set_caption(qs(option->caption));
                     button->setChecked(option->value);
                     button->parentWidget()->setEnabled(option->enabled);
                   },
                   [&](model::CheckBox* check) {
                     auto* button = qobject_cast<QAbstractButton*>(widget);
                     captioned(button)->set_caption(qs(check->caption));
                     button->setChecked(check->value);
                     button->parentWidget()->setEnabled(check->enabled);
                   },
                   [&](model::CommandButton* command) {
                     auto* button = qobject_cast<QPushButton*>(widget);
                     button->setText(qs(command->caption));
                     button->setEnabled(command->enabled);
                   },
                   [&](model::Label* label) {
                     auto* text = qobject_cast<QLabel*>(widget);
                     if (text->text() != qs(label->caption)) text->setText(qs(label->caption));
                   },
                   [&](model::Frame* frame) {
                     qobject_cast<QGroupBox*>(widget)->setTitle(qs(frame->caption));
                   },
                   [&](model::ProgressBar*) {},
               },
               entry.in(form));
  }
  for (QButtonGroup* group : findChildren<QButtonGroup*>()) group->setExclusive(true);
  show_progress(qobject_cast<QProgressBar*>(control("PBar")), form.PBar);
  if (form.SSTab1 >= 0 && form.SSTab1 < tabs_->count()) tabs_->setCurrentIndex(form.SSTab1);

  const bool visible = actions_->window_visible("Form1");
  if (visible != isVisible()) setVisible(visible);
  apply_model_focus();
  rendering_ = false;
}

void MainWindow::apply_model_focus() {
  // Only a change the model made moves the focus; the operator's own moves are already in
  // the model. A hidden window takes it when it is shown.
  Form1Controls& form = session_->form;
  if (form.focused == last_seen_focus_ || !isVisible()) return;
  last_seen_focus_ = form.focused;
  if (QWidget* widget = control(form.focused)) widget->setFocus(Qt::OtherFocusReason);
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (session_) apply_model_focus();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const auto named = names_.find(watched);
  if (named != names_.end() && actions_ && !rendering_) {
    if (event->type() == QEvent::FocusIn) {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
        session_->form.focused = named->second;
        last_seen_focus_ = named->second;
      }
    } else if (event->type() == QEvent::FocusOut && qobject_cast<QLineEdit*>(watched)) {
      // Losing the focus to a message box or a menu is not leaving the box.
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
        const std::string box_name = named->second;
        act([&](app::OperatorActions& a) { a.leave(box_name); });
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!actions_) {
    event->accept();
    return;
  }
  if (action_depth_ > 0) {
    // A handler is still running below us (a sweep servicing input). Close once it has
    // returned; a continuous run is stopped the way the operator stops it.
    event->ignore();
    close_pending_ = true;
    if (session_->form.Continuous_sweep_text.value) {
      actions_->set_check("Continuous_sweep_text", false);
    }
    return;
  }
  actions_->close_window("Form1");
  event->accept();
  if (on_closed_) on_closed_();
}

}  // namespace quelnor::gui
