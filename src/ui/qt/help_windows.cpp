// The help pages and their layout.
#include "ui/qt/help_windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "ui/qt/window_style.h"

namespace quelnor::ui::qt {
namespace {

constexpr const char* page_caption = "Quelnor Evaluation software ";

// A help page's window: closing it through the frame is reported, never destroys it.
class HelpPage final : public QWidget {
 public:
  HelpPage(std::string form, std::function<void(std::string_view)> on_close)
      : form_(std::move(form)), on_close_(std::move(on_close)) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->accept();
    on_close_(form_);
  }

 private:
  std::string form_;
  std::function<void(std::string_view)> on_close_;
};

enum class Picture {
  sweep_parameters,
  settings_groups,
  workflow_column,
  impedance_chart,
  phase_chart,
  save_dialog
};

struct ScreenshotPlace {
  Picture picture;
  QRect place;
};

struct TextPlace {
  const char* html;
  QRect place;
  double points;
};

struct ButtonPlace {
  const char* name;
  const char* caption;
  QRect place;
};

struct PageLayout {
  const char* form;
  QSize client;
  ScreenshotPlace screenshot;
  std::optional<TextPlace> text;
  std::vector<ButtonPlace> buttons;
};

const char* const sweep_text =
    "<h3>Step 1: the frequency sweep</h3>"
    "<p><b>Start Frequency (Hz)</b>: the first frequency the chip measures.<br>"
    "<b>Delta Frequency (Hz)</b>: the frequency increment from one point to the next.<br>"
    "<b>Number of Increments</b>: how many increments the sweep makes, at most 511.<br>"
    "The sweep stops at <i>start frequency + increment &times; number of increments</i>.</p>"
    "<p><b>Number of Settling Time Cycles</b>: excitation cycles the chip waits at each new "
    "frequency before it measures; the DDS Settling Time Cycles options multiply them by "
    "&times;2 or &times;4.</p>"
    "<p><i>Example:</i> start 30000 Hz, increment 2 Hz, 100 increments, an external 16 MHz "
    "clock and 15 settling cycles sweep from 30 kHz to 30.2 kHz.</p>";

const char* const calibration_text =
    "<h3>Step 2: calibration</h3>"
    "<p>Connect a known impedance between the chip's output and input and enter its values "
    "under Calibration Impedance.</p>"
    "<p>At the calibration frequency the chip returns a real part R and an imaginary part I. "
    "Their magnitude &radic;(R&sup2; + I&sup2;) together with the known impedance gives the "
    "<b>gain factor</b>.</p>"
    "<p>In every later measurement the gain factor turns the magnitude into an admittance; "
    "its inverse is the impedance.</p>"
    "<p>Choose the <b>Output Excitation</b> range and the <b>PGA</b> gain so the signal uses "
    "as much of the converter's input as possible without overdriving it.</p>"
    "<p>The <b>System clock</b> is either an external clock or the internal oscillator of "
    "16776000 Hz.</p>"
    "<p><i>Example:</i> a 200 k&Omega; resistor measured with 2 V peak-to-peak excitation "
    "(Range1) and gain &times;1.</p>";

const char* const workflow_text =
    "<h3>Step 3: measuring</h3>"
    "<ol>"
    "<li>Enter the sweep parameters and press <b>Program Device Registers</b>.</li>"
    "<li>Enter the calibration impedance values and press <b>Calculate Gain Factor</b>.</li>"
    "<li>Press <b>Start Sweep</b>.</li>"
    "<li>Tick <b>View Theoretical calibration profile</b> to see the measured curve in "
    "<b>black</b> and the theoretical one in <b><font color=\"#0000ff\">blue</font></b>.</li>"
    "<li>Then replace the calibration impedance with the impedance under test, untick the "
    "box and press <b>Start Sweep</b> again.</li>"
    "</ol>"
    "<p><b>Mid-Point Frequency calibration</b> finds one gain factor at the middle of the "
    "sweep; <b>Multi-Point Frequency calibration</b> finds one for every point and shows "
    "their average. <b>Enable Continuous sweep</b> repeats the sweep until you untick it. "
    "<b>Measure</b> reads the chip's temperature. <b>Download Impedance Data</b> saves the "
    "last sweep.</p>";

const char* const charts_text =
    "<p><b>Absolute Impedance | Z |</b> shows the impedance magnitude in ohms against "
    "frequency; the page <b>Impedance Phase &Oslash;</b> shows the phase in degrees. The "
    "picture shows a resistor from 30 kHz to 35 kHz. <b>Phase profile</b> shows the phase "
    "page of a capacitor.</p>";

const char* const download_text =
    "<p>Press <b>Download Impedance Data</b>, choose the folder and the file name in the "
    "dialog and save. The file is comma-separated, ready to import into a spreadsheet. "
    "Saving adds the data to the file; <b>Cancel</b> leaves without writing anything.</p>";

const std::vector<PageLayout>& page_layouts() {
  static const std::vector<PageLayout> layouts = {
      {"Form2",
       {808, 311},
       {Picture::sweep_parameters, {8, 8, 195, 296}},
       TextPlace{sweep_text, {215, 8, 583, 214}, 9.5},
       {{"Command2", "Return", {215, 246, 180, 44}},
        {"Command1", "Next Step", {405, 246, 180, 44}}}},
      {"Form3",
       {933, 441},
       {Picture::settings_groups, {8, 8, 312, 332}},
       TextPlace{calibration_text, {334, 8, 588, 380}, 10.0},
       {{"exit", "Return", {334, 394, 180, 40}}, {"Continue", "Next Step", {524, 394, 180, 40}}}},
      {"Form4",
       {721, 643},
       {Picture::workflow_column, {174, 6, 372, 330}},
       TextPlace{workflow_text, {8, 342, 586, 296}, 10.0},
       {{"Command2", "Return", {602, 420, 112, 44}},
        {"Command1", "Next Step", {602, 474, 112, 44}}}},
      {"Form5",
       {911, 480},
       {Picture::impedance_chart, {19, 6, 872, 331}},
       TextPlace{charts_text, {8, 348, 588, 118}, 9.5},
       {{"Command3", " Phase profile  ", {640, 344, 200, 40}},
        {"Command1", "Return", {640, 388, 200, 40}},
        {"Command2", "Next Step", {640, 432, 200, 40}}}},
      {"Form6",
       {897, 374},
       {Picture::phase_chart, {11, 6, 874, 330}},
       std::nullopt,
       {{"Command1", "Back", {767, 339, 120, 32}}}},
      {"Form7",
       {603, 615},
       {Picture::save_dialog, {19, 8, 564, 416}},
       TextPlace{download_text, {5, 430, 592, 118}, 10.0},
       {{"Command1", "Return", {226, 560, 150, 44}}}},
  };
  return layouts;
}

const QPixmap& picture_of(const HelpPictures& pictures, Picture which) {
  switch (which) {
    case Picture::sweep_parameters:
      return pictures.sweep_parameters;
    case Picture::settings_groups:
      return pictures.settings_groups;
    case Picture::workflow_column:
      return pictures.workflow_column;
    case Picture::impedance_chart:
      return pictures.impedance_chart;
    case Picture::phase_chart:
      return pictures.phase_chart;
    case Picture::save_dialog:
      break;
  }
  return pictures.save_dialog;
}

}  // namespace

QPixmap fit_picture(const QPixmap& picture, QSize size) {
  QPixmap fitted(size);
  fitted.fill(QApplication::palette().window().color());
  if (picture.isNull()) return fitted;
  const QPixmap scaled = picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  QPainter painter(&fitted);
  painter.drawPixmap((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2,
                     scaled);
  return fitted;
}

HelpWindows::HelpWindows(Click click, Close close, PictureSource pictures)
    : click_(std::move(click)), close_(std::move(close)), picture_source_(std::move(pictures)) {}

HelpWindows::~HelpWindows() = default;

const std::vector<std::string>& HelpWindows::forms() {
  static const std::vector<std::string> names = {"Form2", "Form3", "Form4",
                                                 "Form5", "Form6", "Form7"};
  return names;
}

QWidget* HelpWindows::page(std::string_view form) const {
  const auto found = pages_.find(form);
  return found == pages_.end() ? nullptr : found->second.get();
}

QPushButton* HelpWindows::button(std::string_view form, std::string_view name) const {
  QWidget* window = page(form);
  return window ? window->findChild<QPushButton*>(
                      QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))
                : nullptr;
}

const HelpPictures& HelpWindows::pictures() {
  if (!pictures_) pictures_ = picture_source_ ? picture_source_() : HelpPictures{};
  return *pictures_;
}

QWidget* HelpWindows::create(const std::string& form) {
  const PageLayout* layout = nullptr;
  for (const PageLayout& candidate : page_layouts()) {
    if (form == candidate.form) layout = &candidate;
  }
  if (!layout) return nullptr;
  auto window = std::make_unique<HelpPage>(form, close_);
  window->setObjectName(QString::fromStdString(form));
  window->setWindowTitle(page_caption);
  window->setFixedSize(layout->client);
  window->setAutoFillBackground(true);

  auto* screenshot = new QLabel(window.get());
  screenshot->setObjectName("screenshot");
  screenshot->setGeometry(layout->screenshot.place);
  screenshot->setPixmap(fit_picture(picture_of(pictures(), layout->screenshot.picture),
                                    layout->screenshot.place.size()));
  if (layout->text) {
    auto* text = new QLabel(window.get());
    text->setObjectName("instructions");
    text->setGeometry(layout->text->place);
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setMargin(8);
    text->setStyleSheet("QLabel { background: white; border: 1px solid #808080; }");
    QFont text_font = window->font();
    text_font.setPointSizeF(layout->text->points);
    text->setFont(text_font);
    text->setText(layout->text->html);
  }
  for (const ButtonPlace& place : layout->buttons) {
    auto* button = new QPushButton(place.caption, window.get());
    button->setObjectName(place.name);
    button->setFont(help_button_font());
    button->setGeometry(place.place);
    const std::string qualified = form + "." + place.name;
    QObject::connect(button, &QPushButton::clicked, button,
                     [this, qualified] { click_(qualified); });
  }
  QWidget* created = window.get();
  pages_.emplace(form, std::move(window));
  return created;
}

void HelpWindows::render(const app::OperatorActions& actions) {
  for (const std::string& form : forms()) {
    const bool visible = actions.window_visible(form);
    QWidget* window = page(form);
    if (!window && visible) window = create(form);
    if (window && window->isVisible() != visible) window->setVisible(visible);
  }
}

}  // namespace quelnor::ui::qt
