#pragma once
// The compiled-in text tables, one function per language (defined in language_<name>.cpp).

#include <array>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "core/language.h"

namespace sw {

using LanguageTable = std::array<std::string_view, kTextCount>;

// Builds a table from (number, text) pairs; numbers not listed stay empty.
constexpr LanguageTable MakeLanguageTable(std::initializer_list<std::pair<int, std::string_view>> entries) {
  LanguageTable table{};
  for (const auto& [n, text] : entries) {
    table.at(static_cast<std::size_t>(n)) = text;
  }
  return table;
}

const LanguageTable& TurkishTexts();
const LanguageTable& EnglishTexts();
const LanguageTable& FrenchTexts();
const LanguageTable& GermanTexts();
const LanguageTable& DutchTexts();
const LanguageTable& RomanianTexts();
const LanguageTable& CatalanTexts();
const LanguageTable& SlovakTexts();

}  // namespace sw
