#include "core/language.h"

#include <gtest/gtest.h>

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
