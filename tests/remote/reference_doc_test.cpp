// The checked-in SCPI reference and the SCPI fuzz dictionary are the ones generated from the
// command table, and every command has help and an example that really uses it. With
// QUELNOR_UPDATE_DOCS=1 the tests rewrite docs/scpi.md and tests/fuzz/scpi.dict instead of
// failing.
#include "remote/reference_doc.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "remote/command_table.h"

namespace quelnor::remote {
namespace {

std::string source_dir() {
  const char* dir = std::getenv("QUELNOR_SOURCE_DIR");
  return dir != nullptr ? dir : ".";
}

// Compares a checked-in file under the source folder with its generated text, or rewrites
// it when QUELNOR_UPDATE_DOCS=1.
void expect_current(const std::string& relative_path, const std::string& generated) {
  const std::string path = source_dir() + "/" + relative_path;
  if (const char* update = std::getenv("QUELNOR_UPDATE_DOCS");
      update && std::string(update) == "1") {
    std::ofstream(path, std::ios::binary) << generated;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path << " is missing; run this test with QUELNOR_UPDATE_DOCS=1";
  std::stringstream checked_in;
  checked_in << in.rdbuf();
  EXPECT_EQ(checked_in.str(), generated)
      << relative_path << " is stale: run this test with QUELNOR_UPDATE_DOCS=1 and commit it";
}

TEST(ReferenceDoc, CheckedInReferenceIsCurrent) {
  expect_current("docs/scpi.md", scpi_reference_markdown());
}

// The libFuzzer dictionary of the SCPI parser and session fuzz targets: every header node
// of the table in short and long form, then parameter words, suffixes and syntax.
std::string fuzz_dictionary() {
  std::vector<std::string> words;
  const auto add = [&](const std::string& word) {
    for (const std::string& w : words) {
      if (w == word) return;
    }
    words.push_back(word);
  };
  for (const CommandSpec& spec : command_table()) {
    std::string_view header = spec.header;
    while (!header.empty()) {
      const std::size_t end = header.find_first_of(":[]?");
      const std::string_view node = header.substr(0, end);
      if (!node.empty()) {
        std::string short_form, long_form;
        for (const char c : node) {
          if (std::isupper(static_cast<unsigned char>(c)) || std::isdigit(c) || c == '*' ||
              c == '_') {
            short_form += c;
          }
          long_form += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        add(short_form);
        add(long_form);
      }
      header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
    }
  }
  for (const char* word :
       {"LIN", "LOG", "LINEAR", "LOGARITHMIC", "AUTO", "MIN", "MAX", "DEF", "MINIMUM", "MAXIMUM",
        "DEFAULT", "ON", "OFF", "ASC", "ASCII", "REAL", "NORM", "NORMAL", "SWAP", "SWAPPED", "KHZ",
        "MHZ", "HZ", "OHM", "KOHM", "MOHM", ":", "?", ";", " ", ",", "\\\"", "'", "#", "#H", "#Q",
        "#B", "#0", "#1", "#2", "#3", "E", "e-3", "\\\"R200k\\\"", "\\\"fail-at\\\"", "\\\"off\\\"",
        "\\x0a"}) {
    add(word);
  }
  std::string text =
      "# SCPI words, generated from the command table by the remote tests: every header node in\n"
      "# short and long form, parameter words, unit suffixes and syntax.\n";
  for (const std::string& w : words) text += "\"" + w + "\"\n";
  return text;
}

TEST(ReferenceDoc, FuzzDictionaryIsCurrent) {
  expect_current("tests/fuzz/scpi.dict", fuzz_dictionary());
}

// Each example, read with the path rules, reaches its own row of the table.
TEST(ReferenceDoc, EveryCommandHasHelpAndAnExampleThatUsesIt) {
  for (const CommandSpec& spec : command_table()) {
    EXPECT_FALSE(spec.help.empty()) << spec.header;
    const ParsedMessage parsed = parse_program_message(spec.example);
    EXPECT_FALSE(parsed.error) << spec.example;
    std::vector<std::string> path;
    bool reached = false;
    for (const ProgramUnit& unit : parsed.units) {
      std::vector<std::string> nodes;
      if (!unit.common && !unit.absolute) nodes = path;
      nodes.insert(nodes.end(), unit.nodes.begin(), unit.nodes.end());
      const CommandSpec* found = find_command(nodes, unit.query);
      EXPECT_NE(found, nullptr) << spec.example;
      if (found == &spec) {
        reached = true;
        const int count = static_cast<int>(unit.parameters.size());
        EXPECT_TRUE(count >= spec.min_parameters && count <= spec.max_parameters) << spec.example;
      }
      if (!unit.common) path.assign(nodes.begin(), nodes.end() - 1);
    }
    EXPECT_TRUE(reached) << spec.header << ": example " << spec.example;
  }
}

TEST(ReferenceDoc, HeadersAreUnique) {
  const std::vector<CommandSpec>& table = command_table();
  for (std::size_t i = 0; i < table.size(); ++i) {
    for (std::size_t j = i + 1; j < table.size(); ++j) {
      EXPECT_NE(table[i].header, table[j].header);
    }
  }
}

}  // namespace
}  // namespace quelnor::remote
