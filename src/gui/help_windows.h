// The six help pages Form2 .. Form7: their captions, client sizes, pictures, instruction
// texts and buttons. A page is created the first time the model shows it and afterwards
// only hidden and shown. Buttons and closing through the frame go to the operator actions.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/operator_actions.h"
#include "gui/help_pictures.h"

class QPushButton;

namespace quelnor::gui {

// The picture scaled to fit `size` (aspect kept), centred on a plain background.
QPixmap fit_picture(const QPixmap& picture, QSize size);

class HelpWindows {
 public:
  using Click = std::function<void(std::string_view qualified_name)>;  // "Form5.Command3"
  using Close = std::function<void(std::string_view form_name)>;
  using PictureSource = std::function<HelpPictures()>;

  // The pictures are asked for once, when the first page is created.
  HelpWindows(Click click, Close close, PictureSource pictures);
  ~HelpWindows();

  // Shows exactly the pages the model has visible, creating each on its first showing.
  void render(const app::OperatorActions& actions);

  QWidget* page(std::string_view form) const;  // nullptr until first shown
  QPushButton* button(std::string_view form, std::string_view name) const;

 private:
  QWidget* create(const std::string& form);
  const HelpPictures& pictures();

  Click click_;
  Close close_;
  PictureSource picture_source_;
  std::optional<HelpPictures> pictures_;
  std::map<std::string, std::unique_ptr<QWidget>, std::less<>> pages_;
};

}  // namespace quelnor::gui
