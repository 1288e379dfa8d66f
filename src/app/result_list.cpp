#include "app/result_list.h"

#include <algorithm>
#include <numeric>

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

void RememberSortColumn(int column) {
  g_sortColumn = column;
}

// Indexes are sorted rather than the rows, so that the rows stay as they are (and readable)
// until the order is known, and each is moved once.
std::vector<std::uint32_t> SortedOrder(const std::vector<ResultRow>& rows, int column, bool filesPageCurrent) {
  std::vector<std::uint32_t> order(rows.size());
  std::iota(order.begin(), order.end(), std::uint32_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return ListView1Compare(rows[a], rows[b], column, filesPageCurrent) < 0;
  });
  return order;
}

std::vector<ResultRow> InOrder(std::vector<ResultRow>&& rows, const std::vector<std::uint32_t>& order) {
  std::vector<ResultRow> sorted;
  sorted.reserve(order.size());
  for (const std::uint32_t index : order) {
    sorted.push_back(std::move(rows[index]));
  }
  return sorted;
}

void SortRowsByColumn(std::vector<ResultRow>& rows, int column, bool filesPageCurrent) {
  RememberSortColumn(column);
  const std::vector<std::uint32_t> order = SortedOrder(rows, column, filesPageCurrent);
  rows = InOrder(std::move(rows), order);
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
