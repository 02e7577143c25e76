// Assembly of one running program from its backend, seams and handlers.
#include "app/application.h"

#include <fstream>
#include <iostream>
#include <stdexcept>

#include "app/form1.h"
#include "app/help_pages.h"
#include "app/last_resort_guard.h"
#include "app/servicing_pump.h"
#include "app/window_actions.h"
#include "link/register_transport.h"
#include "link/tracing_driver.h"
#include "sim/virtual_board.h"
#include "ui/plot_sweep_results.h"
#ifdef QUELNOR_HAVE_LIBUSB
#include "app/usb_board_driver.h"
#include "link/libusb/libusb_driver.h"
#endif

namespace quelnor::app {

struct Application::Impl {
  Impl(const ApplicationOptions& options_, Seams seams_)
      : options(options_), seams(seams_), pump(seams_.pump) {}

  ApplicationOptions options;
  Seams seams;
  std::unique_ptr<sim::VirtualBoard> virtual_board;
#ifdef QUELNOR_HAVE_LIBUSB
  std::unique_ptr<link::libusb::LibusbDriver> real_board;
#endif
  std::ofstream trace_file;
  std::unique_ptr<link::TracingDriver> tracing;
  std::unique_ptr<link::USB_STUFF> usb;
  std::unique_ptr<link::RegisterTransport> transport;
  ServicingPump pump;
  std::unique_ptr<model::Session> session;
  std::unique_ptr<HelpPages> help;
  std::unique_ptr<Form1> form1;
  std::unique_ptr<WindowActions> actions;
};

Application::Application(const ApplicationOptions& options, Seams seams)
    : impl_(std::make_unique<Impl>(options, seams)) {
  Impl& i = *impl_;
  link::DriverLibrary* driver = nullptr;
  if (options.board == BoardKind::sim) {
    sim::VirtualBoardOptions board_options;
    board_options.real_time = options.virtual_board_real_time;
    i.virtual_board = std::make_unique<sim::VirtualBoard>(seams.clock, board_options);
    driver = i.virtual_board.get();
  } else {
#ifdef QUELNOR_HAVE_LIBUSB
    try {
      i.real_board = usb_board_driver(options.usb_port_path);
    } catch (const std::invalid_argument& e) {
      throw std::runtime_error(e.what());
    }
    driver = i.real_board.get();
#else
    throw std::runtime_error(
        "this build has no real-board backend (libusb); use the virtual board (--board sim)");
#endif
  }
  if (!options.trace_path.empty()) {
    i.trace_file.open(options.trace_path, std::ios::out | std::ios::trunc);
    if (!i.trace_file) {
      throw std::runtime_error("cannot write the register trace file \"" + options.trace_path +
                               "\"");
    }
    // Flushed per line, so the trace is complete up to the last access whatever follows.
    i.tracing = std::make_unique<link::TracingDriver>(
        *driver, [&file = i.trace_file](const std::string& line) { file << line << std::endl; });
    driver = i.tracing.get();
  }
  i.usb = std::make_unique<link::USB_STUFF>(*driver, seams.dialogs, options.executable_dir);
#ifdef QUELNOR_HAVE_LIBUSB
  if (link::libusb::LibusbDriver* libusb = i.real_board.get()) {
    // The box only says the download failed; the terminal gets the reason and the remedy.
    i.usb->on_failed_attempt = [libusb] {
      std::cerr << "quelnor-eval: " << libusb->last_error() << std::endl;
    };
  }
#endif
  i.transport =
      std::make_unique<link::RegisterTransport>(*i.usb, seams.dialogs, model::application_title);
  i.session = std::make_unique<model::Session>(seams.clock, seams.dialogs, i.pump, *i.transport,
                                               seams.strip1, seams.strip2);
  model::Session& session = *i.session;
  session.plot_sweep_results = [&session](bool continuous_pass) {
    ui::plot_sweep_results(session, continuous_pass);
  };
  i.help = std::make_unique<HelpPages>(session.form);
  i.form1 = std::make_unique<Form1>(session, *i.help, options.executable_dir);
  i.pump.set_before_servicing([form1 = i.form1.get()] { form1->before_servicing(); });
  i.actions = std::make_unique<WindowActions>(*i.form1, *i.help);
}

Application::~Application() = default;

bool Application::start_up() {
  return impl_->usb->start_up();
}

void Application::load() {
  run_guarded(impl_->seams.dialogs, [this] { impl_->form1->Form_Load(); });
}

model::Session& Application::session() {
  return *impl_->session;
}
Form1& Application::form1() {
  return *impl_->form1;
}
OperatorActions& Application::actions() {
  return *impl_->actions;
}
const HelpPages& Application::help_pages() const {
  return *impl_->help;
}
sim::VirtualBoard* Application::virtual_board() {
  return impl_->virtual_board.get();
}
const std::string& Application::executable_dir() const {
  return impl_->options.executable_dir;
}

}  // namespace quelnor::app
