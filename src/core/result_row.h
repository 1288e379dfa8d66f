#pragma once
// One finding of a list page (junk file, invalid registry value, installed program, tweak).
// The window's result list and the CLI's output show the same rows.

#include <array>
#include <cstdint>
#include <string>

namespace sw {

struct ResultRow {
  std::array<std::string, 4> columns;  // column 0 is the caption
  int image = 0;                       // index into the page's image list
  bool checked = true;
  std::string hidden;  // what the engine needs back to act on the row; never shown
  // The kind of finding, for a page that shows it in a column after the four (the Files
  // page's category).
  std::string type;

  friend bool operator==(const ResultRow&, const ResultRow&) = default;
};

// The result list's sort order for a click on column `sortColumn`: negative, zero or
// positive as `a` sorts before, with or after `b`. Columns compare as text, ignoring case
// (column 4 is the type);
// on the Files page the Length column (2) compares as numbers, largest first, with equal
// sizes left as they are for a stable sort; a row holding "-" there compares as text.
int ListView1Compare(const ResultRow& a, const ResultRow& b, int sortColumn, bool filesPageCurrent);

}  // namespace sw
