// The help pages' pictures, made from our own main window: a second window over its own
// virtual board, rendered off screen, programmed, calibrated and swept, then cropped to
// the groups each page explains. They never go stale as the window changes.
#pragma once

#include <QPixmap>
#include <string>

namespace quelnor::ui::qt {

struct HelpPictures {
  QPixmap sweep_parameters;  // the "Sweep Parameters" group with its defaults, 195 x 296
  QPixmap settings_groups;   // clock, excitation, gain and calibration circuit, 312 x 332
  QPixmap workflow_column;   // "Program Device Registers" .. "Download Impedance Data", 372 x 330
  QPixmap impedance_chart;   // a 200 kOhm resistor from 30 kHz to 35 kHz, 872 x 331
  QPixmap phase_chart;       // a 15 pF capacitor, flat near -90 degrees, 874 x 330
  QPixmap save_dialog;       // the save dialog with its suggested name and filter, 564 x 416
};

// executable_dir holds the virtual board's firmware image. Where the virtual board cannot
// start, the pictures say so in words instead of showing an empty frame.
HelpPictures make_help_pictures(const std::string& executable_dir);

}  // namespace quelnor::ui::qt
