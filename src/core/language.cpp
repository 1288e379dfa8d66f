#include "core/language.h"

#include <atomic>

#include "core/language_table.h"

namespace sw {
namespace {

std::atomic<int> g_currentLanguage{kEnglish};

// The table of a language; null where none exists (Spanish and Polish have none).
const LanguageTable* TableOf(int language) {
  switch (language) {
    case kTurkish: return &TurkishTexts();
    case kEnglish: return &EnglishTexts();
    case kFrench: return &FrenchTexts();
    case kGerman: return &GermanTexts();
    case kDutch: return &DutchTexts();
    case kRomanian: return &RomanianTexts();
    case kCatalan: return &CatalanTexts();
    case kSlovak: return &SlovakTexts();
    default: return nullptr;
  }
}

}  // namespace

std::string_view LanguageText(int language, int n) {
  const LanguageTable* table = TableOf(language);
  if (table == nullptr || n < 0 || n >= kTextCount) {
    return {};
  }
  return (*table)[static_cast<std::size_t>(n)];
}

bool HasLanguageTable(int language) {
  return !LanguageText(language, 15).empty();
}

int CurrentLanguage() {
  return g_currentLanguage.load(std::memory_order_relaxed);
}

void SetCurrentLanguage(int language) {
  g_currentLanguage.store(language, std::memory_order_relaxed);
}

std::string_view Text(int n) {
  return LanguageText(CurrentLanguage(), n);
}

}  // namespace sw
