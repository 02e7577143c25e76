// The virtual-board panel.
#include "gui/virtual_board_panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <stdexcept>

#include "sim/virtual_board.h"

namespace quelnor::gui {

const std::vector<VirtualBoardPanel::FaultSwitch>& VirtualBoardPanel::fault_switches() {
  static const std::vector<FaultSwitch> switches = {
      {"no-board", "", ""},
      {"firmware-refused", "", ""},
      {"readback", "80", "register (hex)"},
      {"data-never-valid", "", ""},
      {"complete-early", "50", "after K points"},
      {"zero-data", "10", "at point K"},
      {"drop-request", "all", "N-th request, or all"},
  };
  return switches;
}

const std::vector<std::string>& VirtualBoardPanel::presets() {
  static const std::vector<std::string> circuits = {
      "R200k",       "C15p", "R200k+C15p", "R200k||C15p", "(R200k||C15p)+R200k",
      "R100k||C22p", "C10p", "R1M",        "L10m+R1k"};
  return circuits;
}

VirtualBoardPanel::VirtualBoardPanel(sim::VirtualBoard& board, QWidget* parent)
    : QWidget(parent), board_(board) {
  setWindowTitle(title);
  setObjectName("VirtualBoardPanel");
  auto* layout = new QVBoxLayout(this);

  auto* banner = new QLabel(title, this);
  banner->setObjectName("banner");
  banner->setAlignment(Qt::AlignCenter);
  banner->setWordWrap(true);
  banner->setStyleSheet(
      "QLabel { background: #ffd800; color: black; font-weight: bold; font-size: 12pt; "
      "border: 2px solid black; padding: 6px; }");
  layout->addWidget(banner);

  auto* circuit_group = new QGroupBox("Impedance under test", this);
  auto* circuit_layout = new QGridLayout(circuit_group);
  circuit_now_ = new QLabel(circuit_group);
  circuit_layout->addWidget(circuit_now_, 0, 0, 1, 3);
  circuit_edit_ = new QLineEdit(circuit_group);
  circuit_edit_->setPlaceholderText("e.g. (R200k||C15p)+R200k");
  circuit_edit_->setToolTip("R, C and L with p n u m k M G; + series, || parallel, parentheses");
  auto* apply = new QPushButton("Apply", circuit_group);
  circuit_layout->addWidget(circuit_edit_, 1, 0, 1, 2);
  circuit_layout->addWidget(apply, 1, 2);
  connect(apply, &QPushButton::clicked, this,
          [this] { apply_circuit(circuit_edit_->text().toStdString()); });
  connect(circuit_edit_, &QLineEdit::returnPressed, this,
          [this] { apply_circuit(circuit_edit_->text().toStdString()); });
  int index = 0;
  for (const std::string& preset : presets()) {
    auto* button = new QPushButton(QString::fromStdString(preset), circuit_group);
    button->setObjectName(QString::fromStdString("preset " + preset));
    circuit_layout->addWidget(button, 2 + index / 3, index % 3);
    connect(button, &QPushButton::clicked, this, [this, preset] {
      circuit_edit_->setText(QString::fromStdString(preset));
      apply_circuit(preset);
    });
    ++index;
  }
  layout->addWidget(circuit_group);

  auto* fault_group = new QGroupBox("Faults", this);
  auto* fault_layout = new QGridLayout(fault_group);
  int row = 0;
  for (const FaultSwitch& fault : fault_switches()) {
    auto* tick = new QCheckBox(QString::fromStdString(fault.name), fault_group);
    tick->setObjectName(QString::fromStdString("fault " + fault.name));
    fault_layout->addWidget(tick, row, 0);
    QLineEdit* argument = nullptr;
    if (!fault.argument.empty()) {
      argument = new QLineEdit(QString::fromStdString(fault.argument), fault_group);
      argument->setObjectName(QString::fromStdString("argument " + fault.name));
      argument->setMaximumWidth(70);
      argument->setToolTip(QString::fromStdString(fault.argument_meaning));
      fault_layout->addWidget(argument, row, 1);
      fault_layout->addWidget(
          new QLabel(QString::fromStdString(fault.argument_meaning), fault_group), row, 2);
    }
    connect(tick, &QCheckBox::clicked, this, [this, name = fault.name, argument](bool on) {
      apply_fault(on ? name + (argument ? " " + argument->text().toStdString() : std::string())
                     : "off " + name);
    });
    fault_ticks_.push_back({fault.name, tick});
    ++row;
  }
  fault_edit_ = new QLineEdit(fault_group);
  fault_edit_->setPlaceholderText("or type: NAME ARGS, off NAME, off all");
  fault_edit_->setToolTip(QString::fromStdString(sim::VirtualBoard::fault_help()));
  auto* inject = new QPushButton("Apply", fault_group);
  auto* clear = new QPushButton("All off", fault_group);
  fault_layout->addWidget(fault_edit_, row, 0, 1, 2);
  fault_layout->addWidget(inject, row, 2);
  ++row;
  fault_list_ = new QListWidget(fault_group);
  fault_list_->setMaximumHeight(70);
  fault_layout->addWidget(fault_list_, row, 0, 1, 2);
  fault_layout->addWidget(clear, row, 2, Qt::AlignTop);
  connect(inject, &QPushButton::clicked, this,
          [this] { apply_fault(fault_edit_->text().toStdString()); });
  connect(fault_edit_, &QLineEdit::returnPressed, this,
          [this] { apply_fault(fault_edit_->text().toStdString()); });
  connect(clear, &QPushButton::clicked, this, [this] { apply_fault("off all"); });
  layout->addWidget(fault_group);

  message_ = new QLabel(this);
  message_->setObjectName("message");
  message_->setWordWrap(true);
  layout->addWidget(message_);
  layout->addStretch();
  setMinimumWidth(380);
  refresh();
}

void VirtualBoardPanel::show_message(const QString& text, bool error) {
  message_->setStyleSheet(error ? "QLabel { color: #c00000; }" : "QLabel { color: black; }");
  message_->setText(text);
}

bool VirtualBoardPanel::apply_circuit(const std::string& expression) {
  try {
    board_.set_dut(expression);
  } catch (const std::exception& error) {
    show_message(QString::fromStdString(error.what()), true);
    refresh();
    return false;
  }
  circuit_edit_->setText(QString::fromStdString(board_.dut()));
  show_message("The virtual board now measures " + QString::fromStdString(board_.dut()) + ".",
               false);
  refresh();
  return true;
}

bool VirtualBoardPanel::apply_fault(const std::string& command) {
  const QStringList words = QString::fromStdString(command).split(' ', Qt::SkipEmptyParts);
  if (words.isEmpty()) {
    show_message("Type a fault name and its arguments.", true);
    return false;
  }
  std::vector<std::string> args;
  for (qsizetype i = 1; i < words.size(); ++i) args.push_back(words[i].toStdString());
  try {
    board_.fault(words.front().toStdString(), args);
  } catch (const std::exception& error) {
    show_message(QString::fromStdString(error.what()), true);
    refresh();
    return false;
  }
  show_message("Done: " + QString::fromStdString(command), false);
  refresh();
  return true;
}

void VirtualBoardPanel::refresh() {
  circuit_now_->setText("Now measuring: <b>" +
                        QString::fromStdString(board_.dut()).toHtmlEscaped() + "</b>");
  fault_list_->clear();
  const std::vector<std::string> faults = board_.active_faults();
  if (faults.empty()) {
    fault_list_->addItem("(no fault: the board behaves as a healthy one)");
  }
  for (const std::string& fault : faults) fault_list_->addItem(QString::fromStdString(fault));
  for (const auto& [name, tick] : fault_ticks_) {
    bool on = false;
    for (const std::string& fault : faults) {
      on = on || fault == name || fault.rfind(name + " ", 0) == 0;
    }
    tick->setChecked(on);
  }
}

}  // namespace quelnor::gui
