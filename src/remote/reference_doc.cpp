// Renders the command table as the Markdown reference.
#include "remote/reference_doc.h"

#include "remote/command_table.h"

namespace quelnor::remote {

namespace {

std::string cell(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '|')
      out += "\\|";
    else
      out += c;
  }
  return out;
}

std::string code_cell(std::string_view text) {
  return text.empty() ? std::string() : "`" + cell(text) + "`";
}

}  // namespace

std::string scpi_reference_markdown() {
  std::string out =
      "# SCPI command reference\n"
      "\n"
      "Generated from the server's command table (`src/remote/command_table.cpp`); do not "
      "edit by hand.\n"
      "\n"
      "`quelnor-eval serve` listens on TCP port 5025 (raw socket). Each program message is "
      "one line ending in a line feed; each answer too. Headers take their short form (the "
      "capitals) or their long form in any case; parts in brackets may be left out; `;` "
      "chains commands, continuing from the last header's node unless the next one starts "
      "with `:`. Numbers take SCPI suffixes with a multiplier: `1kHz`, `2.5 MHZ` (mega), "
      "`200 KOHM`, `1 MOHM` (mega); `M` alone is milli and `MA` mega. Set commands answer "
      "nothing; errors go to the queue read by `SYSTem:ERRor?`. Calibration and sweeps run "
      "in the background: `*OPC?` answers `1` when they are done, `*WAI` holds the commands "
      "after it, and `FETCh?` waits for a running sweep; other queries are answered at "
      "once. An `ABORt` sent while a client waits ends the run at once. While sweeps repeat "
      "(`INITiate:CONTinuous ON`) commands that would wait for the end of a run are refused "
      "with -221, except `FETCh?`, which answers the last finished sweep.\n"
      "\n"
      "| Command | Parameters | What it does | Example |\n"
      "|---|---|---|---|\n";
  for (const CommandSpec& spec : command_table()) {
    out += "| " + code_cell(spec.header) + " | " + code_cell(spec.parameters) + " | " +
           cell(spec.help) + " | " + code_cell(spec.example) + " |\n";
  }
  return out;
}

}  // namespace quelnor::remote
