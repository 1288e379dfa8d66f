#include "core/result_row.h"

#include <charconv>
#include <optional>

#include "core/text.h"

namespace sw {
namespace {

constexpr int kLengthColumn = 2;
constexpr int kTypeColumn = 4;

std::optional<std::uint64_t> SizeOf(const std::string& text) {
  std::uint64_t size = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return size;
}

}  // namespace

int ListView1Compare(const ResultRow& a, const ResultRow& b, int sortColumn, bool filesPageCurrent) {
  if (sortColumn == kTypeColumn) {
    return CompareNoCase(a.type, b.type);
  }
  if (sortColumn < 0 || sortColumn >= static_cast<int>(a.columns.size())) {
    return 0;
  }
  const auto column = static_cast<std::size_t>(sortColumn);
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
