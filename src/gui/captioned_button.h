// An option button or check box whose caption wraps onto a second line when the column is
// narrow (the long circuit and calibration captions). A click on the caption acts as a
// click on the button, as with an ordinary caption.
#pragma once

#include <QWidget>

class QAbstractButton;
class QLabel;

namespace quelnor::gui {

class CaptionedButton final : public QWidget {
 public:
  enum class Kind { option, check };
  CaptionedButton(Kind kind, QWidget* parent = nullptr);

  QAbstractButton* button() const { return button_; }
  QLabel* caption_label() const { return label_; }
  QString caption() const;
  void set_caption(const QString& caption);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAbstractButton* button_ = nullptr;
  QLabel* label_ = nullptr;
};

}  // namespace quelnor::gui
