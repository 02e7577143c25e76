// Runs the SCPI server until SIGINT or SIGTERM: says where it listens (and warns when the
// address is reachable from other machines), then serves in the current QCoreApplication.
#pragma once

#include <ostream>

#include "remote/instrument_port.h"
#include "remote/scpi_server.h"

namespace quelnor::remote {

// Returns the exit code: 0 after a signal, 1 when the server cannot listen. A
// QCoreApplication must exist.
int serve_until_signal(Instrument& instrument, const ServerOptions& options, std::ostream& err);

}  // namespace quelnor::remote
