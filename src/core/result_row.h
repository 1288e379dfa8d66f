#pragma once
// One finding of a list page (junk file, invalid registry value, installed program, tweak).
// The window's result list and the CLI's output show the same rows.

#include <array>
#include <string>

namespace sw {

struct ResultRow {
  std::array<std::string, 4> columns;  // column 0 is the caption
  int image = 0;                       // index into the page's image list
  bool checked = true;
  std::string hidden;  // what the engine needs back to act on the row; never shown

  friend bool operator==(const ResultRow&, const ResultRow&) = default;
};

}  // namespace sw
