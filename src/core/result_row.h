#pragma once
// One finding of a list page (junk file, invalid registry value, installed program, tweak).
// The window's result list and the CLI's output show the same rows.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sw {

struct ResultRow {
  std::array<std::string, 4> columns;  // column 0 is the caption
  int image = 0;                       // index into the page's image list
  bool checked = true;
  std::string hidden;  // what the engine needs back to act on the row; never shown
  // The columns after the fourth, on a page that shows more (the Software page's publisher,
  // version, size and date); column 4 is the first of them.
  std::vector<std::string> moreColumns;
  // By column index, the number a column sorts by where its text shows a value in a form
  // that does not sort (a size with its unit, a date in the user's format).
  std::map<int, std::uint64_t> sortValues;

  // The text of column `index`: the four columns, then the further ones; empty past the last.
  [[nodiscard]] const std::string& Column(std::size_t index) const;

  friend bool operator==(const ResultRow&, const ResultRow&) = default;
};

// The result list's sort order for a click on column `sortColumn`: negative, zero or
// positive as `a` sorts before, with or after `b`. Columns compare as text, ignoring case
// (column 4 is the type);
// on the Files page the Length column (2) compares as numbers, largest first, with equal
// sizes left as they are for a stable sort; a row holding "-" there compares as text. A
// column whose rows both carry a sort value compares by it, largest (or newest) first.
int ListView1Compare(const ResultRow& a, const ResultRow& b, int sortColumn, bool filesPageCurrent);

}  // namespace sw
