// The checked-in SCPI reference is the one generated from the command table, and every
// command has help and an example that really uses it. With QUELNOR_UPDATE_DOCS=1 the test
// rewrites docs/scpi.md instead of failing.
#include "remote/reference_doc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "remote/command_table.h"

namespace quelnor::remote {
namespace {

std::string source_dir() {
  const char* dir = std::getenv("QUELNOR_SOURCE_DIR");
  return dir != nullptr ? dir : ".";
}

TEST(ReferenceDoc, CheckedInReferenceIsCurrent) {
  const std::string path = source_dir() + "/docs/scpi.md";
  const std::string generated = scpi_reference_markdown();
  if (const char* update = std::getenv("QUELNOR_UPDATE_DOCS");
      update && std::string(update) == "1") {
    std::ofstream(path, std::ios::binary) << generated;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path << " is missing; run this test with QUELNOR_UPDATE_DOCS=1";
  std::stringstream checked_in;
  checked_in << in.rdbuf();
  EXPECT_EQ(checked_in.str(), generated)
      << "docs/scpi.md is stale: run this test with QUELNOR_UPDATE_DOCS=1 and commit it";
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
