// The console program's output, written a field and a row at a time so that a million rows
// are never held twice: it must stay the JSON the library writes for the whole object.

#include "cli/output.h"

#include <gtest/gtest.h>

#include <sstream>

namespace sw::cli {
namespace {

using nlohmann::json;

class CommandOutput : public ::testing::Test {
 protected:
  CommandOutput() {
    ResultRow first;
    first.columns = {"a.tmp", "C:\\junk\\", "4", "1/2/2024"};
    first.moreColumns = {"Temporary file"};
    ResultRow second;
    second.columns = {"odd\xff.tmp", "C:\\\"quoted\"\\", "0", "-"};
    second.checked = false;
    second.image = 3;
    result_.rows = {first, second};
    result_.status = "Deleted 1 files";
    // Fields named before "rows" and after "status", so that the rows go between them.
    result_.extra = {{"archive", "C:\\zq1.bck"}, {"deleted", 1}, {"total_kb", 0}, {"browsers_to_close", json::array()}};
    result_.rowFields = {{{"category", "temporary-files"}, {"size", 4}}};
  }

  // The object as design.md's contract describes it, built whole and written by the library.
  std::string WholeObject() const {
    json object = result_.extra;
    json rows = json::array();
    for (std::size_t i = 0; i < result_.rows.size(); ++i) {
      const ResultRow& row = result_.rows[i];
      json columns = row.columns;
      for (const auto& more : row.moreColumns) {
        columns.push_back(more);
      }
      json item = {{"columns", columns}, {"image", row.image}, {"checked", row.checked}};
      if (i < result_.rowFields.size()) {
        item.update(result_.rowFields[i]);
      }
      rows.push_back(item);
    }
    object["rows"] = rows;
    object["status"] = result_.status;
    return object.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
  }

  platform::Platform platform_;
  std::ostringstream out_;
  std::ostringstream err_;
  CliContext context_{platform_, out_, err_};
  CommandResult result_;
};

TEST_F(CommandOutput, RowsWrittenOneByOneAreTheObjectTheLibraryWrites) {
  PrintResult(context_, true, result_);
  EXPECT_EQ(out_.str(), WholeObject());

  // Fields made per row as it is printed give the same bytes as fields made beforehand.
  out_.str("");
  result_.fieldsOf = [](const ResultRow& row) {
    return row.columns[0] == "a.tmp" ? json{{"category", "temporary-files"}, {"size", 4}} : json::object();
  };
  const std::vector<json> before = std::move(result_.rowFields);
  result_.rowFields.clear();
  PrintResult(context_, true, result_);
  result_.rowFields = before;
  EXPECT_EQ(out_.str(), WholeObject());

  // No rows, no fields but the status.
  out_.str("");
  result_ = CommandResult{};
  PrintResult(context_, true, result_);
  EXPECT_EQ(out_.str(), "{\"rows\":[],\"status\":\"\"}\n");
}

// A Find prints its rows as it makes them, before its status and fields are known: the same
// object, "rows" first.
TEST_F(CommandOutput, RowsPrintedAsTheyComeGiveTheSameObject) {
  RowPrinter printer(context_, true, [this](const ResultRow& row) {
    return row.columns[0] == "a.tmp" ? result_.rowFields[0] : json::object();
  });
  for (const ResultRow& row : result_.rows) {
    printer.Print(row);
  }
  printer.Finish(result_.status, result_.extra);
  EXPECT_TRUE(out_.str().starts_with("{\"rows\":[{"));
  EXPECT_EQ(json::parse(out_.str()), json::parse(WholeObject()));

  out_.str("");
  RowPrinter none(context_, true);
  none.Finish("nothing", json::object());
  EXPECT_EQ(json::parse(out_.str()), (json{{"rows", json::array()}, {"status", "nothing"}}));

  // Text: a line per row, its columns between tabs, then the status.
  out_.str("");
  RowPrinter text(context_, false);
  text.Print(result_.rows[0]);
  text.Finish("done", json::object());
  EXPECT_EQ(out_.str(), "a.tmp\tC:\\junk\\\t4\t1/2/2024\tTemporary file\ndone\n");
}

}  // namespace
}  // namespace sw::cli
