#include "app/result_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sw::app {
namespace {

ResultRow Row(std::string caption, std::string folder, std::string length, std::string date = "01.02.2026") {
  ResultRow row;
  row.columns = {std::move(caption), std::move(folder), std::move(length), std::move(date)};
  return row;
}

std::vector<std::string> Column(const std::vector<ResultRow>& rows, std::size_t column) {
  std::vector<std::string> texts;
  for (const ResultRow& row : rows) {
    texts.push_back(row.columns.at(column));
  }
  return texts;
}

TEST(ResultList, TheFilesLengthColumnSortsLargestFirstAndOtherPagesAsText) {
  std::vector<ResultRow> rows{Row("a", "C:\\", "900"), Row("b", "C:\\", "10000"), Row("c", "C:\\", "25")};
  SortRowsByColumn(rows, 2, true);
  EXPECT_EQ(Column(rows, 2), (std::vector<std::string>{"10000", "900", "25"}));
  EXPECT_EQ(SortColumn(), 2);

  std::vector<ResultRow> registry{Row("k", "v", "900"), Row("k", "v", "10000"), Row("k", "v", "25")};
  SortRowsByColumn(registry, 2, false);
  EXPECT_EQ(Column(registry, 2), (std::vector<std::string>{"10000", "25", "900"}));
}

TEST(ResultList, NamesSortIgnoringCaseAndEqualSizesKeepTheirOrder) {
  std::vector<ResultRow> rows{Row("b.tmp", "C:\\", "5"), Row("A.tmp", "C:\\", "5"), Row("c.TMP", "C:\\", "5")};
  SortRowsByColumn(rows, 0, true);
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"A.tmp", "b.tmp", "c.TMP"}));
  SortRowsByColumn(rows, 2, true);
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"A.tmp", "b.tmp", "c.TMP"})) << "a stable sort";
  // SortColumn stays what was clicked last, whatever page comes next.
  EXPECT_EQ(SortColumn(), 2);
}

TEST(ResultList, EnterFlipsTheFirstSelectedRowAndGivesTheOthersItsState) {
  std::vector<ResultRow> rows(5, Row("x", "C:\\", "1"));
  rows[3].checked = false;
  const std::vector<std::size_t> selected{1, 3, 4};
  ApplyEnterKey(rows, selected);
  EXPECT_FALSE(rows[1].checked || rows[3].checked || rows[4].checked);
  EXPECT_TRUE(rows[0].checked && rows[2].checked) << "unselected rows are left alone";
  ApplyEnterKey(rows, selected);
  EXPECT_TRUE(rows[1].checked && rows[3].checked && rows[4].checked);
  const std::vector<ResultRow> before = rows;
  ApplyEnterKey(rows, {});
  EXPECT_EQ(rows, before);
}

TEST(ResultList, APageChangeAsksOnlyForAnotherPagesRows) {
  EXPECT_EQ(DecidePageChange(false, true, false), PageChange::kAsk);
  EXPECT_EQ(DecidePageChange(false, true, true), PageChange::kSwitch) << "the page's own button";
  EXPECT_EQ(DecidePageChange(false, false, false), PageChange::kSwitch) << "an empty list";
  EXPECT_EQ(DecidePageChange(true, true, false), PageChange::kClearAndSwitch) << "files wait for a restart";
  EXPECT_EQ(DecidePageChange(true, true, true), PageChange::kClearAndSwitch);
}

}  // namespace
}  // namespace sw::app
