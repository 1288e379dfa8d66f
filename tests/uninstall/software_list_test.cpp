// The installed software list on the in-memory registry, whose views are those of 64-bit
// Windows: on the systems up to XP one uninstall key as it always was, from Vista on the
// 64-bit view, the 32-bit view and the user's own key, with what the system's list hides left
// out.

#include "uninstall/software_list.h"

#include <gtest/gtest.h>

#include "app/result_list.h"
#include "platform/host/memory_registry.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"
#include "support/recording_sink.h"

namespace sw::uninstall {
namespace {

using platform::RegView;
using platform::RootKey;

constexpr platform::VersionRecord kWindowsXp{platform::kPlatformNt, 5, 1, 2600};

// A key path below the uninstall key.
std::string Key(std::string_view below) {
  return std::string(kUninstallKey) + "\\" + std::string(below);
}

class SoftwareListTest : public ::testing::Test {
 protected:
  // Writes through a view, as an installer of that bitness would.
  void Write(RootKey root, RegView view, std::string_view subKey, std::string_view name, std::string_view text) {
    auto key = host_.registry().OpenRootView(root, view);
    ASSERT_TRUE(key);
    auto entry = (*key)->Create(Key(subKey));
    ASSERT_TRUE(entry);
    const Bytes data = reg::EncodeRegText(text, true);
    ASSERT_TRUE((*entry)->Set(name, platform::kRegSz, data));
  }
  void WriteDword(RootKey root, RegView view, std::string_view subKey, std::string_view name, std::uint32_t number) {
    auto key = host_.registry().OpenRootView(root, view);
    ASSERT_TRUE(key);
    auto entry = (*key)->Create(Key(subKey));
    ASSERT_TRUE(entry);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8U),
                                   static_cast<std::uint8_t>(number >> 16U), static_cast<std::uint8_t>(number >> 24U)};
    ASSERT_TRUE((*entry)->Set(name, platform::kRegDword, bytes));
  }
  void Register(std::string_view subKey, std::string_view name, std::string_view command,
                RootKey root = RootKey::LocalMachine, RegView view = RegView::Own) {
    Write(root, view, subKey, "DisplayName", name);
    if (!command.empty()) {
      Write(root, view, subKey, "UninstallString", command);
    }
  }
  std::vector<ResultRow> Find() {
    test::RecordingSink sink;
    FindSoftware(host_.platform(), sink);
    return sink.rows;
  }
  static std::vector<std::string> Titles(const std::vector<ResultRow>& rows) {
    std::vector<std::string> titles;
    for (const auto& row : rows) {
      titles.push_back(row.columns[0]);
    }
    return titles;
  }

  test::HostPlatform host_;
  test::RecordingSink sink_;
};

TEST_F(SoftwareListTest, UpToXpTheOneKeyListsEachNamedEntryInEnumerationOrder) {
  host_.system().SetVersion(kWindowsXp);
  Register("{B2}", "Beta Tool", "C:\\Beta\\uninst.exe /S");
  Register("{A1}", "Alpha Suite", "\"C:\\Program Files\\Alpha\\remove.exe\"");
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine, Key("{C3}\\UninstallString"), "x.exe"));
  Register("{D4}", "", "empty-name.exe");
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::LocalMachine, Key("{E5}\\DisplayName"), 5));
  Register("{F6}", "Number Command", "");
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::LocalMachine, Key("{F6}\\UninstallString"), 6));
  Register("{G7}", "No Command", "");
  WriteDword(RootKey::LocalMachine, RegView::Own, "{H8}", "SystemComponent", 1);
  Register("{H8}", "A Component", "c.exe");
  Register("{U1}", "User Only", "u.exe", RootKey::CurrentUser);
  Register("{W1}", "Thirty-Two", "w.exe", RootKey::LocalMachine, RegView::Bits32);

  FindSoftware(host_.platform(), sink_);
  // The system's own list of those days showed entries without a command and components:
  // so does this one, and only the one key.
  ASSERT_EQ(Titles(sink_.rows), (std::vector<std::string>{"Alpha Suite", "Beta Tool", "No Command", "A Component"}));
  EXPECT_EQ(sink_.progressMax, 8U);  // every subkey of the one key, listed or not
  const ResultRow& alpha = sink_.rows[0];
  EXPECT_EQ(alpha.columns,
            (std::array<std::string, 4>{"Alpha Suite", "Installed Software", "\"C:\\Program Files\\Alpha\\remove.exe\"",
                                        ""}));
  EXPECT_EQ(alpha.image, 2);
  EXPECT_FALSE(alpha.checked);
  EXPECT_EQ(alpha.hidden, "HKLM\\{A1}");
  EXPECT_EQ(sink_.rows[2].columns[2], "");
}

TEST_F(SoftwareListTest, UpToXpWithoutAdministratorRightsOnlyTheUsersOwnKey) {
  host_.system().SetVersion(kWindowsXp);
  Register("{M1}", "Machine Wide", "m.exe");
  Register("{U1}", "Per User", "u.exe", RootKey::CurrentUser);
  host_.system().SetAdmin(false);
  const auto rows = Find();
  ASSERT_EQ(Titles(rows), (std::vector<std::string>{"Per User"}));
  EXPECT_EQ(rows[0].hidden, "HKCU\\{U1}");
}

TEST_F(SoftwareListTest, FromVistaOnBothViewsAndTheUsersKeyAreListedWhateverTheRights) {
  host_.system().SetAdmin(false);  // reading needs no rights
  Register("{SAME}", "Tool 64", "C:\\Program Files\\Tool\\uninst.exe", RootKey::LocalMachine, RegView::Bits64);
  Register("{SAME}", "Tool 32", "C:\\Program Files (x86)\\Tool\\uninst.exe", RootKey::LocalMachine,
           RegView::Bits32);
  Register("{USER}", "Per User", "C:\\Users\\u\\AppData\\Local\\Programs\\P\\un.exe", RootKey::CurrentUser);
  const auto rows = Find();
  // The same subkey name in both views is two programs.
  ASSERT_EQ(Titles(rows), (std::vector<std::string>{"Tool 64", "Tool 32", "Per User"}));
  EXPECT_EQ(rows[0].hidden, "HKLM64\\{SAME}");
  EXPECT_EQ(rows[1].hidden, "HKLM32\\{SAME}");
  EXPECT_EQ(rows[2].hidden, "HKCU\\{USER}");
  // The 32-bit view's entry is the separate key a 64-bit program sees below Wow6432Node.
  EXPECT_TRUE(reg::RegKeyExists(host_.registry(), RootKey::LocalMachine,
                                "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{SAME}"));
}

TEST_F(SoftwareListTest, OneKeySeenThroughBothViewsIsListedOnce) {
  // 32-bit Windows, where both views are the one registry.
  static_cast<platform::host::MemoryRegistry&>(host_.registry()).SetSplitViews(false);
  Register("{ONE}", "Only Once", "one.exe");
  Register("{USER}", "Per User", "u.exe", RootKey::CurrentUser);
  EXPECT_EQ(Titles(Find()), (std::vector<std::string>{"Only Once", "Per User"}));
  const std::vector<SoftwareSource> all(kModernSources.begin(), kModernSources.end());
  const auto distinct = DistinctSources(host_.registry(), all);
  EXPECT_EQ(distinct.size(), 2U);
}

TEST_F(SoftwareListTest, TheNewColumnsShowPublisherVersionSizeAndDate) {
  Register("{P}", "Program", "p.exe");
  Write(RootKey::LocalMachine, RegView::Own, "{P}", "Publisher", "Maker Ltd");
  Write(RootKey::LocalMachine, RegView::Own, "{P}", "DisplayVersion", "2.10.3");
  WriteDword(RootKey::LocalMachine, RegView::Own, "{P}", "EstimatedSize", 204800);
  Write(RootKey::LocalMachine, RegView::Own, "{P}", "InstallDate", "20260229");  // no such day
  Register("{Q}", "Quiet", "q.exe");
  Write(RootKey::LocalMachine, RegView::Own, "{Q}", "InstallDate", "20240229");
  const auto rows = Find();
  ASSERT_EQ(rows.size(), 2U);
  EXPECT_EQ(rows[0].moreColumns, (std::vector<std::string>{"Maker Ltd", "2.10.3", "204800KB (200MB)", "20260229"}))
      << "a date that is none is shown as written";
  EXPECT_EQ(rows[1].moreColumns, (std::vector<std::string>{"", "", "", "2/29/2024"}));  // the host's M/D/YYYY
  EXPECT_EQ(rows[0].Column(6), "204800KB (200MB)");

  // Sizes and dates sort by value, largest and newest first, where their texts would not.
  Register("{R}", "Big", "r.exe");
  WriteDword(RootKey::LocalMachine, RegView::Own, "{R}", "EstimatedSize", 9000000);
  Write(RootKey::LocalMachine, RegView::Own, "{R}", "InstallDate", "20231105");
  Register("{S}", "Small", "s.exe");
  WriteDword(RootKey::LocalMachine, RegView::Own, "{S}", "EstimatedSize", 512);
  Write(RootKey::LocalMachine, RegView::Own, "{S}", "InstallDate", "20251231");
  auto list = Find();
  app::SortRowsByColumn(list, 6, false);
  EXPECT_EQ(Titles(list), (std::vector<std::string>{"Big", "Program", "Small", "Quiet"}));
  app::SortRowsByColumn(list, 7, false);
  EXPECT_EQ(Titles(list), (std::vector<std::string>{"Small", "Quiet", "Big", "Program"}));
  app::SortRowsByColumn(list, 4, false);  // publishers as text, ignoring case
  EXPECT_EQ(list.back().columns[0], "Program");
}

TEST_F(SoftwareListTest, WhatTheSystemsListHidesIsHiddenAndListedWithItsReasonOnRequest) {
  Register("{SHOWN}", "Shown", "s.exe");
  Register("{COMPONENT}", "Component", "c.exe");
  WriteDword(RootKey::LocalMachine, RegView::Own, "{COMPONENT}", "SystemComponent", 1);
  Register("{NOT-COMPONENT}", "Not A Component", "n.exe");
  WriteDword(RootKey::LocalMachine, RegView::Own, "{NOT-COMPONENT}", "SystemComponent", 0);
  Register("{PATCH}", "Patch", "p.exe");
  Write(RootKey::LocalMachine, RegView::Own, "{PATCH}", "ParentKeyName", "Office");
  Register("{HOTFIX}", "Hotfix", "h.exe", RootKey::LocalMachine, RegView::Bits32);
  Write(RootKey::LocalMachine, RegView::Bits32, "{HOTFIX}", "ReleaseType", "Security Update");
  Register("{FEATURE}", "Feature Pack", "f.exe");
  Write(RootKey::LocalMachine, RegView::Own, "{FEATURE}", "ReleaseType", "Feature Pack");
  Register("{NOCOMMAND}", "No Command", "", RootKey::CurrentUser);

  EXPECT_EQ(Titles(Find()), (std::vector<std::string>{"Feature Pack", "Not A Component", "Shown"}));

  std::vector<std::pair<std::string, std::string>> all;
  ListSoftware(host_.platform(), sink_, ListOptions{true}, [&](const SoftwareEntry& entry, const std::string& reason) {
    all.emplace_back(entry.displayName, reason);
  });
  ASSERT_EQ(all.size(), 7U);
  EXPECT_EQ(all[0], (std::pair<std::string, std::string>{"Component", "a system component (SystemComponent = 1)"}));
  EXPECT_EQ(all[3].second, "an update of Office (ParentKeyName)");
  EXPECT_EQ(all[5].second, "an update (ReleaseType Security Update)");
  EXPECT_EQ(all[6].second, "no uninstall command (UninstallString)");
}

TEST_F(SoftwareListTest, StopEndsTheListingAtTheNextNamedEntry) {
  Register("{1}", "One", "1.exe");
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine, Key("{2}\\UninstallString"), "2.exe"));
  Register("{3}", "Three", "3.exe");
  Register("{4}", "Four", "4.exe");
  sink_.stopAfterChecks = 2;  // asked at One and at Three, not for the nameless {2}
  FindSoftware(host_.platform(), sink_);
  ASSERT_EQ(Titles(sink_.rows), (std::vector<std::string>{"One"}));
  EXPECT_EQ(sink_.stopChecks, 2);
}

TEST(SoftwareSourceId, NamesTheKeyAndReadsBack) {
  for (const SoftwareSource& source : kModernSources) {
    const EntrySource entry{source, "{6F2C1D3A-0000-4000-8000-000000000001}"};
    EXPECT_EQ(ParseSourceId(SourceId(entry)), entry) << SourceId(entry);
  }
  EXPECT_EQ(ParseSourceId("hklm32\\Tool"), (EntrySource{{RootKey::LocalMachine, RegView::Bits32}, "Tool"}));
  for (const char* odd : {"Tool", "HKLM\\", "HKLM\\a\\b", "HKXX\\Tool", "\\Tool"}) {
    EXPECT_FALSE(ParseSourceId(odd)) << odd;
  }
}

TEST(InstallDate, OnlyRealDatesOfEightDigits) {
  EXPECT_EQ(InstallDateOf("20240229"), (CalendarTime{2024, 2, 29}));
  for (const char* odd : {"20230229", "19001301", "2024-02-29", "2024022", "202402291", "", "1600O101", "16000101"}) {
    EXPECT_FALSE(InstallDateOf(odd)) << odd;
  }
  EXPECT_EQ(SizeText(0), "0KB (0MB)");
  EXPECT_EQ(SizeText(4294967295U), "4294967295KB (4194303MB)");  // no overflow of 32 bits
}

}  // namespace
}  // namespace sw::uninstall
