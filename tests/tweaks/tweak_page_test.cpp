// The Advanced page's lists: which tweaks each tab offers on which system, in which order,
// the Applied Tasks list, the mirrored check marks and the description note.

#include <set>

#include "tweaks/tweak_actions.h"
#include "tweaks/tweak_catalogue.h"
#include "tweaks/tweak_test_support.h"
#include "tweaks/tweak_tooltip.h"

namespace sw::tweaks {
namespace {

std::string TitleOf(int number) {
  return std::string(TweakCatalogue()[static_cast<std::size_t>(number - 1)].title);
}

Lines TitlesOf(std::initializer_list<int> numbers) {
  Lines titles;
  for (int number : numbers) {
    titles.push_back(TitleOf(number));
  }
  return titles;
}

using TweakPageTest = TweakTest;

TEST_F(TweakPageTest, EveryTweakHasItsActionUnderTheSameTitle) {
  const auto catalogue = TweakCatalogue();
  const auto actions = TweakActions();
  ASSERT_EQ(catalogue.size(), 50U);
  ASSERT_EQ(actions.size(), 50U);
  std::set<std::string_view> titles;
  for (std::size_t i = 0; i < catalogue.size(); ++i) {
    EXPECT_EQ(actions[i].title, catalogue[i].title) << "tweak " << i + 1;
    EXPECT_FALSE(CategoryName(catalogue[i].category).empty()) << catalogue[i].title;
    // A cleaned history is nothing to list as applied.
    EXPECT_EQ(actions[i].listed, catalogue[i].category != kCleaning && i + 1 != 7) << catalogue[i].title;
    titles.insert(catalogue[i].title);
  }
  EXPECT_EQ(titles.size(), 50U);
  EXPECT_EQ(TitleOf(30), "Clear `Find Files` history");
}

TEST_F(TweakPageTest, OptimizationTabOffersWhatIsNotInEffectGreenFirst) {
  const TweakPage xp = Page(0);
  // Green, yellow, red; the catalogue order within each.
  EXPECT_EQ(Titles(xp.VisibleRows()), TitlesOf({1, 5, 6, 7, 9, 18, 3, 4, 19, 25, 2}));
  ASSERT_EQ(xp.ModelRows().size(), xp.VisibleRows().size());
  for (std::size_t i = 0; i < xp.VisibleRows().size(); ++i) {
    EXPECT_EQ(xp.ModelRows()[i].row, xp.VisibleRows()[i]);
  }
  const ResultRow& cache = xp.VisibleRows()[10];
  EXPECT_EQ(cache.columns[1], "Optimization");
  EXPECT_EQ(cache.columns[2], TweakCatalogue()[1].description);
  EXPECT_EQ(cache.image, kRed);
  EXPECT_FALSE(cache.checked);
  EXPECT_EQ(xp.TitleText(), "Advanced settings for Windows XP");

  SetString(RootKey::CurrentUser, "Control Panel\\Desktop\\MenuShowDelay", "0");
  const auto withMenuDelay = Titles(Page(0).VisibleRows());
  EXPECT_EQ(std::count(withMenuDelay.begin(), withMenuDelay.end(), TitleOf(18)), 0);

  UseSystem("Windows 98");
  EXPECT_EQ(Titles(Page(0).VisibleRows()), TitlesOf({5, 8, 9, 10, 22, 25}));
  // 21 deletes a value: only while the value is there is there something to do.
  SetString(RootKey::LocalMachine, R"(Software\Microsoft\Windows\CurrentVersion\RunServices\SchedulingAgent)", "x");
  EXPECT_EQ(Titles(Page(0).VisibleRows()), TitlesOf({5, 8, 9, 10, 22, 21, 25}));
}

TEST_F(TweakPageTest, SystemsOutsideTheSixAreOfferedNothing) {
  UseSystem("Windows 3.1");
  for (int tab = 0; tab < kTabCount; ++tab) {
    const TweakPage page = Page(tab);
    EXPECT_TRUE(page.VisibleRows().empty()) << tab;
    EXPECT_TRUE(page.AppliedRows().empty()) << tab;
  }
}

TEST_F(TweakPageTest, CleaningTweaksFollowTheirSystemsAndTheirHistory) {
  const std::string findFiles = TitleOf(30);
  ASSERT_TRUE(reg::RegWriteString(registry(), RootKey::CurrentUser,
                                  R"(Software\Microsoft\Windows\CurrentVersion\Explorer\DocFindSpecMRU\a)", "x"));
  for (const char* system : {"Windows 95", "Windows 98", "Windows ME", "Windows NT", "Windows 2000", "Windows XP"}) {
    UseSystem(system);
    const auto titles = Titles(Page(1).VisibleRows());
    const bool offered = std::count(titles.begin(), titles.end(), findFiles) == 1;
    EXPECT_EQ(offered, std::string_view(system) == "Windows 95" || std::string_view(system) == "Windows 98") << system;
  }
  // Without its history key the history is clean: nothing to offer.
  ASSERT_TRUE(reg::RegDeleteKeyAt(registry(), RootKey::CurrentUser,
                                  R"(Software\Microsoft\Windows\CurrentVersion\Explorer\DocFindSpecMRU)", true));
  const auto titles = Titles(Page(1).VisibleRows());
  EXPECT_EQ(std::count(titles.begin(), titles.end(), findFiles), 0);
}

TEST_F(TweakPageTest, AppliedTasksListsTweaksInEffectByCategoryDescending) {
  SetString(RootKey::CurrentUser, "Control Panel\\Desktop\\MenuShowDelay", "0");
  SetString(RootKey::CurrentUser, "Control Panel\\Desktop\\FontSmoothing", "2");
  // The empty registry has no taskbar record and no extra network folder scan, so 11 and 26
  // are in effect too; every history is clean but no Cleaning tweak is listed, nor is 7.
  const TweakPage page = Page(kAppliedTasksTab);
  EXPECT_TRUE(page.ShowsAppliedTasks());
  EXPECT_EQ(Titles(page.AppliedRows()), TitlesOf({18, 11, 14, 26}));
  EXPECT_EQ(&page.TabRows(), &page.AppliedRows());
  for (const auto& row : page.AppliedRows()) {
    EXPECT_EQ(row.columns[1], CategoryName(FindCatalogueEntry(row.columns[0])->category));
    EXPECT_EQ(row.image, 0);
  }
  EXPECT_TRUE(page.VisibleRows().empty());
  EXPECT_TRUE(page.ModelRows().empty());
}

TEST_F(TweakPageTest, ChecksAreMirroredToTheModelAndLostOnATabChange) {
  TweakPage page = Page(0);
  page.CheckRow(2, true);
  EXPECT_TRUE(page.VisibleRows()[2].checked);
  EXPECT_TRUE(page.ModelRows()[2].row.checked);
  // The record of that row is the one the apply pass would carry out, the check pass never.
  std::size_t record = 0;
  while (page.TweakRecords()[record].Item != page.ModelRows()[2].item) {
    ++record;
  }
  EXPECT_EQ(page.TweakRecords()[record].Title, page.VisibleRows()[2].columns[0]);
  EXPECT_TRUE(page.ToBeApplied(record, /*checkOnly=*/false));
  EXPECT_FALSE(page.ToBeApplied(record, /*checkOnly=*/true));

  page.SelectTab(3, sink_);
  page.SelectTab(0, sink_);
  for (const auto& row : page.ModelRows()) {
    EXPECT_FALSE(row.row.checked) << row.row.columns[0];
  }

  // Only a green tweak may start checked; an empty description shows the title.
  page.InsertTweak(kAllSystems, "Safe", "", true, kGreen, kOptimization);
  page.InsertTweak(kAllSystems, "Risky", "Why", true, kYellow, kOptimization);
  const auto& rows = page.ModelRows();
  EXPECT_TRUE(rows[rows.size() - 2].row.checked);
  EXPECT_EQ(rows[rows.size() - 2].row.columns[2], "Safe");
  EXPECT_FALSE(rows.back().row.checked);
  page.InsertTweak(kAllSystems, "Other tab", "", false, kGreen, kCleaning);
  EXPECT_EQ(page.ModelRows().back().row.columns[0], "Risky");
}

TEST_F(TweakPageTest, DescriptionNoteFollowsThePointer) {
  ASSERT_TRUE(reg::RegWriteString(registry(), RootKey::CurrentUser, R"(Network\Recent\a)", "x"));
  // Telnet's and the download folder's histories are values, not there yet: not clean either.
  const TweakPage page = Page(1);
  ASSERT_EQ(Titles(page.VisibleRows()), TitlesOf({44, 50, 42}));
  EXPECT_EQ(page.TooltipText(0), TitleOf(44));  // no description: the title

  const TweakPage optimization = Page(0);
  TweakTooltip tooltip;
  auto action = tooltip.MouseMove(optimization, 0, /*noteShown=*/false);
  EXPECT_EQ(action.kind, NoteAction::Show);
  EXPECT_EQ(action.text, TweakCatalogue()[0].description);
  EXPECT_EQ(tooltip.MouseMove(optimization, 0, true).kind, NoteAction::Move);
  EXPECT_EQ(tooltip.MouseMove(optimization, 0, false).kind, NoteAction::Show);  // hidden meanwhile
  action = tooltip.MouseMove(optimization, 1, true);
  EXPECT_EQ(action.kind, NoteAction::Show);
  EXPECT_EQ(action.text, optimization.TooltipText(1));
  EXPECT_EQ(tooltip.MouseMove(optimization, std::nullopt, true).kind, NoteAction::Hide);
  EXPECT_EQ(tooltip.MouseMove(optimization, 99, true).kind, NoteAction::Hide);
  EXPECT_EQ(tooltip.MouseLeave().kind, NoteAction::Hide);
}

TEST_F(TweakPageTest, FindRefreshesThePage) {
  TweakPage page = Page(0);
  SetString(RootKey::CurrentUser, "Control Panel\\Desktop\\MenuShowDelay", "0");
  sink_.statuses.clear();
  page.Find(sink_);
  EXPECT_EQ(sink_.statuses, (Lines{"Querying the system...", "Done."}));
  EXPECT_EQ(page.VisibleRows().size(), 10U);
  EXPECT_EQ(sink_.progressMax, 100U);
  EXPECT_EQ(sink_.highestProgress, 100U);
  EXPECT_EQ(sink_.progress, 0U);  // the check pass resets the bar at its end
}

}  // namespace
}  // namespace sw::tweaks
