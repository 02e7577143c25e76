// The comma-separated fields of one CSV line (no quoting), a trailing empty field kept.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace quelnor::test {

inline std::vector<std::string> csv_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, ',')) fields.push_back(field);
  if (!line.empty() && line.back() == ',') fields.push_back("");
  return fields;
}

}  // namespace quelnor::test
