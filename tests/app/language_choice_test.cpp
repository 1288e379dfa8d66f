#include "app/language_choice.h"

#include <gtest/gtest.h>

#include <set>

#include "app/captions.h"
#include "core/language.h"

namespace sw::app {
namespace {

TEST(LanguageChoice, MinusOneIsEnglishWithoutANote) {
  LanguageState state;
  state.index = -1;
  EXPECT_FALSE(ResolveLanguage(state));
  EXPECT_EQ(state.index, kEnglish);
  EXPECT_EQ(state.settingText, "1");
}

TEST(LanguageChoice, ALanguageWithATableIsKeptEvenWhenItsMenuItemIsDisabled) {
  LanguageState state;
  state.index = kFrench;
  EXPECT_FALSE(ResolveLanguage(state));
  EXPECT_EQ(state.index, kFrench);
  EXPECT_EQ(state.settingText, "2");
}

TEST(LanguageChoice, SpanishAndPolishFallBackToEnglishWithTheNoteOnce) {
  LanguageState state;
  state.index = kSpanish;
  EXPECT_TRUE(ResolveLanguage(state));
  EXPECT_EQ(state.index, kEnglish);
  EXPECT_EQ(state.settingText, "1");  // what language.txt stores at exit
  state.index = kPolish;
  EXPECT_FALSE(ResolveLanguage(state)) << "the note is shown at most once per run";
  EXPECT_EQ(state.index, kEnglish);
  // Numbers no language has fall back the same way.
  state.index = 17;
  EXPECT_FALSE(ResolveLanguage(state));
  EXPECT_EQ(state.settingText, "1");
  EXPECT_NE(UntranslatedLanguageNote().find("have not been translated yet. Contact "), std::string::npos);
}

TEST(LanguageChoice, TheMenuOffersTenLanguagesOfWhichTwoCanBePicked) {
  std::set<int> numbers;
  std::set<std::string_view> enabled;
  for (const LanguageMenuItem& item : LanguageMenuItems()) {
    numbers.insert(item.language);
    if (item.enabled) {
      enabled.insert(item.caption);
    }
  }
  EXPECT_EQ(numbers, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(enabled, (std::set<std::string_view>{"Turkish", "English"}));
}

// Every numbered caption exists in English, and the languages really differ: a switch from
// Turkish to English changes the captions it should.
TEST(Captions, EveryNumberedCaptionHasAnEnglishTextAndTurkishDiffers) {
  int differing = 0;
  for (const CaptionAssignment& assignment : CaptionAssignments()) {
    if (assignment.text < 0) {
      EXPECT_EQ(CaptionText(assignment, kTurkish), CaptionText(assignment, kEnglish)) << assignment.control;
      continue;
    }
    EXPECT_FALSE(CaptionText(assignment, kEnglish).empty()) << assignment.control << " text " << assignment.text;
    differing += CaptionText(assignment, kTurkish) != CaptionText(assignment, kEnglish) ? 1 : 0;
  }
  EXPECT_GT(differing, 50);
}

}  // namespace
}  // namespace sw::app
