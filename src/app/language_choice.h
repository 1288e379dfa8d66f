#pragma once
// The language the window speaks: the menu of ten languages and the fallback to English of a
// language without a table, with its note shown once per run.

#include <span>
#include <string>
#include <string_view>

namespace sw::app {

struct LanguageMenuItem {
  std::string_view name;  // Turkish1, English1, ...
  std::string_view caption;
  int language;
  bool enabled;  // only Turkish and English can be picked; the rest come from language.txt
};

[[nodiscard]] std::span<const LanguageMenuItem> LanguageMenuItems();

struct LanguageState {
  int index = 1;                  // LanguageIndex; -1 also stands for English
  std::string settingText = "1";  // LanguageText, written to language.txt at exit
  bool noteShown = false;         // the untranslated-language note appears at most once per run
};

// The choosing steps of ApplyLanguage: -1 becomes English, the setting text follows the
// index, and a language without a table falls back to English. Returns whether the
// untranslated-language note is to be shown now.
[[nodiscard]] bool ResolveLanguage(LanguageState& state);

// "Languages marked with (*) have not been translated yet. Contact ... for translation"
[[nodiscard]] std::string UntranslatedLanguageNote();

}  // namespace sw::app
