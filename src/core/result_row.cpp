#include "core/result_row.h"

#include <charconv>
#include <optional>

#include "core/text.h"

namespace sw {
namespace {

constexpr int kLengthColumn = 2;

std::optional<std::uint64_t> SizeOf(const std::string& text) {
  std::uint64_t size = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return size;
}

// The sort value of a column, when the row carries one.
std::optional<std::uint64_t> SortValueOf(const ResultRow& row, int column) {
  const auto it = row.sortValues.find(column);
  return it == row.sortValues.end() ? std::nullopt : std::optional(it->second);
}

}  // namespace

const std::string& ResultRow::Column(std::size_t index) const {
  static const std::string kNone;
  if (index < columns.size()) {
    return columns[index];
  }
  index -= columns.size();
  return index < moreColumns.size() ? moreColumns[index] : kNone;
}

int ListView1Compare(const ResultRow& a, const ResultRow& b, int sortColumn, bool filesPageCurrent) {
  if (sortColumn < 0) {
    return 0;
  }
  const auto valueA = SortValueOf(a, sortColumn);
  const auto valueB = SortValueOf(b, sortColumn);
  if (valueA && valueB) {
    return *valueA < *valueB ? 1 : (*valueA > *valueB ? -1 : 0);
  }
  const auto column = static_cast<std::size_t>(sortColumn);
  if (column >= a.columns.size()) {
    return CompareNoCase(a.Column(column), b.Column(column));
  }
  if (filesPageCurrent && sortColumn == kLengthColumn) {
    const auto sizeA = SizeOf(a.columns[column]);
    const auto sizeB = SizeOf(b.columns[column]);
    if (sizeA && sizeB) {
      return *sizeA < *sizeB ? 1 : (*sizeA > *sizeB ? -1 : 0);
    }
    // A "-" (or anything else that is no number) on either side: the texts decide.
  }
  return CompareNoCase(a.columns[column], b.columns[column]);
}

}  // namespace sw
