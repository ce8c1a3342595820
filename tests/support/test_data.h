// Helpers for tests that read files from tests/data.

#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tovenrak::testing {

inline std::string ReadTestFile(const std::string& relative) {
  std::ifstream in(std::string(TOVENRAK_TEST_DATA) + "/" + relative,
                   std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace tovenrak::testing
