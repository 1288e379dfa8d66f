#pragma once
// Numbered language texts. Every user-visible text that is not fixed English is "text n"
// of the current language, n from 0 to 138; the program's string resources hold text n of
// language L under the identifier 1000 * L + n.

#include <string_view>

namespace sw {

inline constexpr int kTextCount = 139;
inline constexpr int kLanguageCount = 10;

enum Language : int {
  kTurkish = 0,
  kEnglish = 1,
  kFrench = 2,
  kGerman = 3,
  kSpanish = 4,
  kDutch = 5,
  kRomanian = 6,
  kPolish = 7,
  kCatalan = 8,
  kSlovak = 9,
};

// Text n of `language`; empty when the language has no table, its table lacks n, or either
// number is out of range.
std::string_view LanguageText(int language, int n);

// Whether `language` has a table at all; text 15 ("Files") is present in every table.
[[nodiscard]] bool HasLanguageTable(int language);

// The string resource identifier of text n of `language`.
[[nodiscard]] constexpr int TextResourceId(int language, int n) {
  return 1000 * language + n;
}

// The current language, process-wide; English until set.
int CurrentLanguage();
void SetCurrentLanguage(int language);

// Text n of the current language.
std::string_view Text(int n);

}  // namespace sw
