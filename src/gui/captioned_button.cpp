// The wrapping option button and check box.
#include "gui/captioned_button.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>

namespace quelnor::gui {

CaptionedButton::CaptionedButton(Kind kind, QWidget* parent) : QWidget(parent) {
  if (kind == Kind::option) {
    button_ = new QRadioButton(this);
  } else {
    button_ = new QCheckBox(this);
  }
  label_ = new QLabel(this);
  label_->setWordWrap(true);
  label_->setTextFormat(Qt::PlainText);
  label_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  label_->installEventFilter(this);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 1, 0, 1);
  layout->setSpacing(3);
  layout->addWidget(button_, 0, Qt::AlignTop);
  layout->addWidget(label_, 1);
  // No focus proxy to the button: Tab would then stop at this container as well as at the
  // button, and from the container's place in the focus chain jump back to an earlier
  // group. The button alone takes the focus; a click on the caption gives it the focus.
}

QString CaptionedButton::caption() const {
  return label_->text();
}

void CaptionedButton::set_caption(const QString& caption) {
  if (label_->text() != caption) label_->setText(caption);
}

bool CaptionedButton::eventFilter(QObject* watched, QEvent* event) {
  if (watched == label_ && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && button_->isEnabled() &&
        label_->rect().contains(mouse->position().toPoint())) {
      button_->setFocus(Qt::MouseFocusReason);
      button_->click();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace quelnor::gui
