#include "core/language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/product.h"

namespace sw {
namespace {

TEST(Language, EnglishTableHoldsTheNumberedTexts) {
  EXPECT_EQ(LanguageText(kEnglish, 0), "About");
  EXPECT_EQ(LanguageText(kEnglish, 15), "Files");
  EXPECT_EQ(LanguageText(kEnglish, 73), "Selected files are to be deleted. Are you sure to delete?");
  EXPECT_EQ(LanguageText(kEnglish, 84), "Processing <FileCount> files...");
  EXPECT_EQ(LanguageText(kEnglish, 96), "Restored Files can be found in C:\\restored_files .");
  EXPECT_EQ(LanguageText(kEnglish, 115), "Scanning drive <drive> ...");
  EXPECT_EQ(LanguageText(kEnglish, 138), "Other files");
  for (int n = 62; n <= 66; ++n) {
    EXPECT_EQ(LanguageText(kEnglish, n), " ") << n;
  }
  EXPECT_TRUE(LanguageText(kEnglish, 98).ends_with(kVendorInfoMail));
  EXPECT_TRUE(LanguageText(kEnglish, 135).ends_with(kSupportPageUrl));
}

// Every table holds the English numbers, and only those, except the texts it is known to lack.
TEST(Language, EveryTableFollowsTheEnglishNumbering) {
  const struct {
    int language;
    std::vector<int> lacks;
  } tables[] = {{kTurkish, {67, 129, 135, 136, 137, 138}},
                {kFrench, {}},
                {kGerman, {137, 138}},
                {kDutch, {}},
                {kRomanian, {}},
                {kCatalan, {}},
                {kSlovak, {}}};
  for (const auto& [language, lacks] : tables) {
    EXPECT_TRUE(HasLanguageTable(language)) << language;
    for (int n = 0; n < kTextCount; ++n) {
      const bool lacked = std::find(lacks.begin(), lacks.end(), n) != lacks.end();
      const bool expected = !LanguageText(kEnglish, n).empty() && !lacked;
      EXPECT_EQ(!LanguageText(language, n).empty(), expected) << "language " << language << ", text " << n;
    }
    // Addresses end their texts in every language, as in English.
    if (!LanguageText(language, 135).empty()) {
      EXPECT_TRUE(LanguageText(language, 135).ends_with(kSupportPageUrl)) << language;
    }
    EXPECT_TRUE(LanguageText(language, 98).ends_with(kVendorInfoMail)) << language;
    EXPECT_NE(LanguageText(language, 115).find("<drive>"), std::string_view::npos) << language;
    EXPECT_NE(LanguageText(language, 26), LanguageText(kEnglish, 26)) << language;  // translated, not copied
  }
}

TEST(Language, MissingTablesAndNumbersReadAsEmpty) {
  EXPECT_TRUE(HasLanguageTable(kEnglish));
  EXPECT_FALSE(HasLanguageTable(kSpanish));
  EXPECT_FALSE(HasLanguageTable(kPolish));
  EXPECT_EQ(LanguageText(kSpanish, 15), "");
  EXPECT_EQ(LanguageText(kEnglish, -1), "");
  EXPECT_EQ(LanguageText(kEnglish, kTextCount), "");
  EXPECT_EQ(LanguageText(42, 15), "");
  EXPECT_EQ(TextResourceId(kDutch, 15), 5015);
}

TEST(Language, TextFollowsTheCurrentLanguage) {
  const int before = CurrentLanguage();
  SetCurrentLanguage(kSpanish);
  EXPECT_EQ(Text(26), "");
  SetCurrentLanguage(kEnglish);
  EXPECT_EQ(Text(26), "Find");
  SetCurrentLanguage(before);
}

}  // namespace
}  // namespace sw
