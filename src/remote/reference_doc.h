// The SCPI reference (docs/scpi.md) as Markdown, generated from the command table.
#pragma once

#include <string>

namespace quelnor::remote {

std::string scpi_reference_markdown();

}  // namespace quelnor::remote
