// The help pages' pictures, made from our own main window: a second window over its own
// virtual board, rendered off screen, programmed, calibrated and swept, then cropped to
// the groups each page explains. They never go stale as the window changes.
#pragma once

#include <QPixmap>
#include <array>
#include <string>

#include "app/help_pages.h"

namespace quelnor::gui {

// One picture per app::HelpPicture, each of the size of its place on its page.
class HelpPictures {
 public:
  QPixmap& operator[](app::HelpPicture which) { return pictures_[static_cast<int>(which)]; }
  const QPixmap& operator[](app::HelpPicture which) const {
    return pictures_[static_cast<int>(which)];
  }

 private:
  std::array<QPixmap, app::help_picture_count> pictures_;
};

// executable_dir holds the virtual board's firmware image. Where the virtual board cannot
// start, the pictures say so in words instead of showing an empty frame.
HelpPictures make_help_pictures(const std::string& executable_dir);

}  // namespace quelnor::gui
