// A small window beside the main window, only on the virtual board: the impedance under
// test as a circuit expression or a preset, and the faults switched on and off. Marked
// plainly as a simulation so nobody takes its results for a measurement.
#pragma once

#include <QWidget>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace quelnor::sim {
class VirtualBoard;
}

namespace quelnor::gui {

class VirtualBoardPanel final : public QWidget {
 public:
  static constexpr const char* title = "VIRTUAL BOARD \u2014 simulated, not a measurement";

  explicit VirtualBoardPanel(sim::VirtualBoard& board, QWidget* parent = nullptr);

  struct FaultSwitch {
    std::string name;
    std::string argument;  // default argument; empty: the fault takes none
    std::string argument_meaning;
  };
  // The virtual board's faults, each with a tick box and its argument.
  static const std::vector<FaultSwitch>& fault_switches();

  // The five calibration circuits with their default values, then a few unknowns.
  static const std::vector<std::string>& presets();

  // Puts the expression on the board; on a malformed one shows the board's error and the
  // previous circuit stays. Returns whether it was taken.
  bool apply_circuit(const std::string& expression);
  // "NAME ARGS..." as the fault syntax of the virtual board ("off NAME", "off all").
  bool apply_fault(const std::string& command);
  // Shows the circuit and the faults now in force.
  void refresh();

  QLineEdit* circuit_edit() const { return circuit_edit_; }
  QLineEdit* fault_edit() const { return fault_edit_; }
  QLabel* message_label() const { return message_; }
  QLabel* circuit_label() const { return circuit_now_; }
  QListWidget* fault_list() const { return fault_list_; }

 private:
  void show_message(const QString& text, bool error);

  sim::VirtualBoard& board_;
  QLineEdit* circuit_edit_ = nullptr;
  QLineEdit* fault_edit_ = nullptr;
  QLabel* message_ = nullptr;
  QLabel* circuit_now_ = nullptr;
  QListWidget* fault_list_ = nullptr;
  std::vector<std::pair<std::string, QCheckBox*>> fault_ticks_;
};

}  // namespace quelnor::gui
