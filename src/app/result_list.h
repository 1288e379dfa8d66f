#pragma once
// What the user does to the rows of ListView1 besides checking them: sorting by a column,
// the Enter key, and the question before a page change discards them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/result_row.h"

namespace sw::app {

// A column of the result list as a page sets it: its heading (language text `text`, or the
// fixed English `fixed` where `text` is -1), and whether the column is hidden (width 0,
// never resized with the list) for data the rows carry but nobody needs to see.
struct ListColumn {
  int text = -1;
  std::string_view fixed;
  bool hidden = false;
};
// A page's columns, from the first; the list's further columns are out of sight on it.
using ListColumns = std::vector<ListColumn>;

// The columns the result list has: the four every page uses, and the further ones of the
// Files page (the category) and the Software page.
inline constexpr int kResultListColumns = 8;

// The Files page's four, then each row's category.
inline const ListColumns kFilesColumns{{28, {}, false}, {29, {}, false}, {30, {}, false}, {31, {}, false},
                                       {-1, "Type", false}};
inline const ListColumns kRegistryColumns{{68, {}, false}, {69, {}, false}, {70, {}, false}, {31, {}, false}};
// "Software Title", "Type", the uninstall command and an empty column (both hidden), then
// "Publisher", "Version", "Size" and "Installed".
[[nodiscard]] ListColumns SoftwareColumns();
// While the Software page lists what uninstalled programs left behind: "Leftover", "Type",
// two empty columns (hidden), then "Certainty", "Reason", "Size" and "Program".
[[nodiscard]] ListColumns LeftoverColumns();

// The heading in the current language.
[[nodiscard]] std::string HeadingText(const ListColumn& column);

// SortColumn: the last clicked column, process-wide, kept across pages and never reset.
[[nodiscard]] int SortColumn();

// ListView1ColumnClick: remembers `column` and sorts the rows present once, stably, with
// ListView1Compare. Rows added later are appended unsorted.
void SortRowsByColumn(std::vector<ResultRow>& rows, int column, bool filesPageCurrent);
// The two steps of that sort, for a caller that runs them on another thread while its own
// shows the rows: the order of the rows as indexes (the rows are only read), then the rows
// moved into that order. Neither remembers the column; `RememberSortColumn` does.
[[nodiscard]] std::vector<std::uint32_t> SortedOrder(const std::vector<ResultRow>& rows, int column,
                                                     bool filesPageCurrent);
[[nodiscard]] std::vector<ResultRow> InOrder(std::vector<ResultRow>&& rows, const std::vector<std::uint32_t>& order);
void RememberSortColumn(int column);

// ListView1KeyPress with Enter: the first selected row (in list order) flips its check and
// every further selected row takes the same state. `selected` lists row indexes in list
// order; nothing happens without a selection.
void ApplyEnterKey(std::vector<ResultRow>& rows, std::span<const std::size_t> selected);

enum class PageChange {
  kSwitch,          // nothing in the way
  kClearAndSwitch,  // the rows wait for a restart after a deletion: drop them without asking
  kAsk,             // "There exists entries from previous query. ..."
};

// Activating a list page: rows of another page are not thrown away without asking, except
// after a deletion that left files for the next start.
[[nodiscard]] PageChange DecidePageChange(bool clearWithoutAsking, bool hasRows, bool senderIsLastPage);

}  // namespace sw::app
