// The result list's sort order.

#include "core/result_row.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace sw {
namespace {

std::vector<ResultRow> Rows(std::initializer_list<std::array<std::string, 4>> columns) {
  std::vector<ResultRow> rows;
  for (const auto& c : columns) {
    ResultRow row;
    row.columns = c;
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> Sorted(std::vector<ResultRow> rows, int column, bool filesPage, std::size_t shown) {
  std::stable_sort(rows.begin(), rows.end(), [&](const ResultRow& a, const ResultRow& b) {
    return ListView1Compare(a, b, column, filesPage) < 0;
  });
  std::vector<std::string> texts;
  for (const auto& row : rows) {
    texts.push_back(row.columns[shown]);
  }
  return texts;
}

TEST(ListView1Compare, LengthSortsAsNumbersLargestFirstOnlyOnTheFilesPage) {
  const auto rows = Rows({{"a.tmp", "C:\\", "25", ""},
                          {"b.tmp", "C:\\", "10000", ""},
                          {"c.tmp", "C:\\", "900", ""},
                          {"d.tmp", "C:\\", "900", ""}});
  EXPECT_EQ(Sorted(rows, 2, true, 0), (std::vector<std::string>{"b.tmp", "c.tmp", "d.tmp", "a.tmp"}));  // stable
  EXPECT_EQ(Sorted(rows, 2, false, 2), (std::vector<std::string>{"10000", "25", "900", "900"}));        // text
  // Sizes beyond 32 bits still compare as numbers.
  EXPECT_EQ(Sorted(Rows({{"x", "", "3221225472", ""}, {"y", "", "4294967296", ""}}), 2, true, 0),
            (std::vector<std::string>{"y", "x"}));
}

TEST(ListView1Compare, ARowWithoutASizeComparesByItsText) {
  // "-" stands where a file's date or size could not be read; it sorts as text, before digits.
  const auto rows = Rows({{"a", "", "900", ""}, {"b", "", "-", ""}, {"c", "", "25", ""}});
  EXPECT_EQ(Sorted(rows, 2, true, 0), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_LT(ListView1Compare(rows[1], rows[0], 2, true), 0);
  EXPECT_GT(ListView1Compare(rows[0], rows[1], 2, true), 0);
}

TEST(ListView1Compare, TextColumnsIgnoreCase) {
  const auto rows = Rows({{"c.TMP", "", "", ""}, {"A.tmp", "", "", ""}, {"b.tmp", "", "", ""}});
  EXPECT_EQ(Sorted(rows, 0, true, 0), (std::vector<std::string>{"A.tmp", "b.tmp", "c.TMP"}));
  EXPECT_EQ(ListView1Compare(rows[0], rows[1], 7, true), 0);  // no such column
}

}  // namespace
}  // namespace sw
