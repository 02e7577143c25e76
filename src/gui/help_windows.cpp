// The help pages and their layout.
#include "gui/help_windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "app/help_pages.h"
#include "gui/window_style.h"

namespace quelnor::gui {
namespace {

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

QRect rect_of(const app::PixelRect& r) {
  return {r.x, r.y, r.width, r.height};
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
  const app::HelpPage* layout = nullptr;
  for (const app::HelpPage& candidate : app::help_page_table()) {
    if (form == candidate.name) layout = &candidate;
  }
  if (!layout) return nullptr;
  auto window = std::make_unique<HelpPage>(form, close_);
  window->setObjectName(QString::fromStdString(form));
  window->setWindowTitle(QString::fromStdString(layout->caption));
  window->setFixedSize(layout->client_width_px, layout->client_height_px);
  window->setAutoFillBackground(true);

  auto* screenshot = new QLabel(window.get());
  screenshot->setObjectName("screenshot");
  const QRect picture_place = rect_of(layout->picture_place);
  screenshot->setGeometry(picture_place);
  screenshot->setPixmap(fit_picture(pictures()[layout->picture], picture_place.size()));
  if (layout->text) {
    auto* text = new QLabel(window.get());
    text->setObjectName("instructions");
    text->setGeometry(rect_of(layout->text->place));
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
  for (const app::HelpButton& place : layout->buttons) {
    auto* button = new QPushButton(QString::fromStdString(place.caption), window.get());
    button->setObjectName(QString::fromStdString(place.name));
    button->setFont(help_button_font());
    button->setGeometry(rect_of(place.place));
    const std::string qualified = form + "." + place.name;
    QObject::connect(button, &QPushButton::clicked, button,
                     [this, qualified] { click_(qualified); });
  }
  QWidget* created = window.get();
  pages_.emplace(form, std::move(window));
  return created;
}

void HelpWindows::render(const app::OperatorActions& actions) {
  for (const app::HelpPage& design : app::help_page_table()) {
    const std::string& form = design.name;
    const bool visible = actions.window_visible(form);
    QWidget* window = page(form);
    if (!window && visible) window = create(form);
    if (window && window->isVisible() != visible) window->setVisible(visible);
  }
}

}  // namespace quelnor::gui
