// One running program: the board backend (virtual or real), the board link, the register
// transport, the session with the main window's model, Form1's handlers, the help pages
// and the named operator actions. Views and the script runner drive it through actions().
#pragma once

#include <memory>
#include <string>

#include "app/operator_actions.h"
#include "link/driver_library.h"
#include "link/usb_stuff.h"
#include "model/session.h"

namespace quelnor::sim {
class VirtualBoard;
}

namespace quelnor::app {

class Form1;
class HelpPages;

enum class BoardKind { sim, usb };

struct Seams {
  util::Clock& clock;
  util::OperatorDialogs& dialogs;
  util::EventPump& pump;
  model::StripChart& strip1;
  model::StripChart& strip2;
};

struct ApplicationOptions {
  BoardKind board = BoardKind::usb;
  std::string usb_port_path;             // usb: only the board at this port path; empty: the first
  std::string executable_dir;            // holds Quelnor_FW.hex; the save dialog starts here
  std::string trace_path;                // empty: no register trace
  bool virtual_board_real_time = false;  // the virtual board sleeps its request latency
};

class Application {
 public:
  Application(const ApplicationOptions& options, Seams seams);
  ~Application();

  // Finds the board and loads its firmware, asking Retry/Cancel on failure. False: the
  // operator gave up and the program ends without a window.
  bool start_up();
  // The main window's load steps (after a successful start-up).
  void load();

  model::Session& session();
  Form1& form1();
  OperatorActions& actions();
  // The help windows Form2 .. Form7: captions, sizes, buttons and which one is shown.
  const HelpPages& help_pages() const;
  // The virtual board, or nullptr on the real board.
  sim::VirtualBoard* virtual_board();
  const std::string& executable_dir() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quelnor::app
