#pragma once
// The journal of writes (changes.csv) as the tests read it: its header
// checked, its rows cut from a given field on.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace orn::test {

// A row from its field n (0-based) on.
inline std::string fields_from(const std::string& row, int n) {
  size_t at = 0;
  for (int i = 0; i < n && at != std::string::npos; ++i) at = row.find(';', at + 1);
  return n == 0 || at == std::string::npos ? row : row.substr(at + 1);
}

// The rows of the journal at path after its header, each from its field n on.
inline std::vector<std::string> journal_rows(const std::string& path, int n = 0) {
  std::vector<std::string> rows;
  std::istringstream in(read_bytes(path));
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "время;оператор;порт;адрес;заводской номер;команда;регистр;было;стало;итог");
  while (std::getline(in, line)) rows.push_back(fields_from(line, n));
  return rows;
}

}  // namespace orn::test
