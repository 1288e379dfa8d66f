#include "app/result_list.h"

#include <algorithm>

#include "core/language.h"
#include "uninstall/leftover.h"
#include "uninstall/software_list.h"

namespace sw::app {

static_assert(uninstall::kSoftwareColumns.size() <= kResultListColumns, "the list has a column for each");

ListColumns SoftwareColumns() {
  ListColumns columns;
  for (const uninstall::ColumnLayout& layout : uninstall::kSoftwareColumns) {
    columns.push_back(ListColumn{-1, layout.heading, layout.width == uninstall::ColumnWidth::kHidden});
  }
  return columns;
}

ListColumns LeftoverColumns() {
  ListColumns columns;
  for (const std::string_view heading : uninstall::kLeftoverHeadings) {
    columns.push_back(ListColumn{-1, heading, heading.empty()});
  }
  return columns;
}

std::string HeadingText(const ListColumn& column) {
  return column.text >= 0 ? std::string(Text(column.text)) : std::string(column.fixed);
}

namespace {

int g_sortColumn = 0;

}  // namespace

int SortColumn() {
  return g_sortColumn;
}

void SortRowsByColumn(std::vector<ResultRow>& rows, int column, bool filesPageCurrent) {
  g_sortColumn = column;
  std::stable_sort(rows.begin(), rows.end(), [&](const ResultRow& a, const ResultRow& b) {
    return ListView1Compare(a, b, column, filesPageCurrent) < 0;
  });
}

void ApplyEnterKey(std::vector<ResultRow>& rows, std::span<const std::size_t> selected) {
  if (selected.empty() || selected.front() >= rows.size()) {
    return;
  }
  const bool state = !rows[selected.front()].checked;
  for (const std::size_t index : selected) {
    if (index < rows.size()) {
      rows[index].checked = state;
    }
  }
}

PageChange DecidePageChange(bool clearWithoutAsking, bool hasRows, bool senderIsLastPage) {
  if (clearWithoutAsking) {
    return PageChange::kClearAndSwitch;
  }
  return hasRows && !senderIsLastPage ? PageChange::kAsk : PageChange::kSwitch;
}

}  // namespace sw::app
