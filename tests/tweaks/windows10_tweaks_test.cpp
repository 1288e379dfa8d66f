// The settings of Windows 10 and 11 on the host stand-ins: which system, edition and build
// is offered which row; what each row writes, checked against the values Microsoft documents
// (as the research notes of the project list them, not as the catalogue holds them); the
// view of a user without administrator rights (the host's IsAdmin answer) and of one whose
// writes the registry refuses (a registry that locks the machine's keys as Windows' own
// permissions do).

#include <map>
#include <set>

#include "platform/error_message.h"
#include "registry/registry_data.h"
#include "registry/registry_object.h"
#include "tweaks/restore.h"
#include "tweaks/tweak_actions.h"
#include "tweaks/tweak_catalogue.h"
#include "tweaks/tweak_test_support.h"

namespace sw::tweaks {
namespace {

using platform::RegAccess;
using platform::RegKey;

constexpr const char* kCurrentVersionKey = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion)";
constexpr const char* kEditionId = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\EditionID)";
constexpr const char* kLongPaths = R"(SYSTEM\CurrentControlSet\Control\FileSystem\LongPathsEnabled)";
constexpr const char* kTrackProgs = R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Advanced\Start_TrackProgs)";

// What Microsoft documents for each setting: "ROOT\key\value" = DWORD data.
using Documented = std::map<std::string, std::uint32_t>;
const std::map<std::string, Documented>& DocumentedWrites() {
  static const std::string p = R"(HKLM\SOFTWARE\Policies\Microsoft\Windows\)";
  static const std::string edge = R"(HKLM\SOFTWARE\Policies\Microsoft\Edge\)";
  static const std::map<std::string, Documented> writes = {
      {"Turn off Widgets", {{R"(HKLM\SOFTWARE\Policies\Microsoft\Dsh\AllowNewsAndInterests)", 0}}},
      {"Turn off Microsoft consumer experiences", {{p + R"(CloudContent\DisableWindowsConsumerFeatures)", 1}}},
      {"Turn off game recording and broadcasting", {{p + R"(GameDVR\AllowGameDVR)", 0}}},
      {"Stop Store apps running in the background", {{p + R"(AppPrivacy\LetAppsRunInBackground)", 2}}},
      {"Stop Edge preloading at sign-in", {{edge + "StartupBoostEnabled", 0}}},
      {"Stop Edge running after its last window closes", {{edge + "BackgroundModeEnabled", 0}}},
      {"Share update downloads only with PCs on the local network",
       {{p + R"(DeliveryOptimization\DODownloadMode)", 1}}},
      {"Do not keep activity history",
       {{p + R"(System\EnableActivityFeed)", 0},
        {p + R"(System\PublishUserActivities)", 0},
        {p + R"(System\UploadUserActivities)", 0}}},
      {"Do not keep clipboard history", {{p + R"(System\AllowClipboardHistory)", 0}}},
      {"Do not keep File Explorer search box entries",
       {{R"(HKCU\Software\Policies\Microsoft\Windows\Explorer\DisableSearchBoxSuggestions)", 1}}},
      {"Do not track program launches", {{std::string("HKCU\\") + kTrackProgs, 0}}},
      {"Do not collect typing and handwriting samples",
       {{R"(HKLM\Software\Policies\Microsoft\InputPersonalization\RestrictImplicitTextCollection)", 1},
        {R"(HKLM\Software\Policies\Microsoft\InputPersonalization\RestrictImplicitInkCollection)", 1}}},
      {"No web results in Windows Search",
       {{p + R"(Windows Search\ConnectedSearchUseWeb)", 0}, {p + R"(Windows Search\DisableWebSearch)", 1}}},
      {"Search may not use the location", {{p + R"(Windows Search\AllowSearchToUseLocation)", 0}}},
      {"Websites cannot read the language list",
       {{R"(HKCU\Control Panel\International\User Profile\HttpAcceptLanguageOptOut)", 1}}},
      {"Turn off online speech recognition",
       {{R"(HKCU\Software\Microsoft\Speech_OneCore\Settings\OnlineSpeechPrivacy\HasAccepted)", 0}}},
      {"Do not download device information from the Internet",
       {{p + R"(Device Metadata\PreventDeviceMetadataFromNetwork)", 1}}},
      {"Do not update offline maps automatically",
       {{p + R"(Maps\AutoDownloadAndUpdateMapData)", 0},
        {p + R"(Maps\AllowUntriggeredNetworkTrafficOnSettingsPage)", 0}}},
      {"Do not download fonts on demand", {{p + R"(System\EnableFontProviders)", 0}}},
      {"Do not download speech model updates",
       {{R"(HKLM\Software\Policies\Microsoft\Speech\AllowSpeechModelUpdate)", 0}}},
      {"Edge: send only required diagnostic data", {{edge + "DiagnosticData", 1}}},
      {"Edge: no personalization from browsing data", {{edge + "PersonalizationReportingEnabled", 0}}},
      {"Send only required diagnostic data", {{p + R"(DataCollection\AllowTelemetry)", 1}}},
      {"No feedback notifications", {{p + R"(DataCollection\DoNotShowFeedbackNotifications)", 1}}},
      {"Feedback frequency: never",
       {{R"(HKCU\Software\Microsoft\Siuf\Rules\PeriodInNanoSeconds)", 0},
        {R"(HKCU\Software\Microsoft\Siuf\Rules\NumberOfSIUFInPeriod)", 0}}},
      {"Turn off the advertising ID", {{p + R"(AdvertisingInfo\DisabledByGroupPolicy)", 1}}},
      {"No tailored experiences from diagnostic data",
       {{R"(HKCU\SOFTWARE\Policies\Microsoft\Windows\CloudContent\DisableTailoredExperiencesWithDiagnosticData)", 1}}},
      {"No third-party suggestions in Windows Spotlight",
       {{R"(HKCU\Software\Policies\Microsoft\Windows\CloudContent\DisableThirdPartySuggestions)", 1}}},
      {"Turn off all Windows Spotlight features",
       {{R"(HKCU\SOFTWARE\Policies\Microsoft\Windows\CloudContent\DisableWindowsSpotlightFeatures)", 1}}},
      {"Do not show Windows tips", {{p + R"(CloudContent\DisableSoftLanding)", 1}}},
      {"No search highlights", {{p + R"(Windows Search\EnableDynamicContentInWSB)", 0}}},
      {"Edge: no feature recommendations", {{edge + "ShowRecommendationsEnabled", 0}}},
      {"No privacy-settings screen after upgrades",
       {{R"(HKLM\Software\Policies\Microsoft\Windows\OOBE\DisablePrivacyExperience)", 1}}},
      {"Malicious Software Removal Tool does not report",
       {{R"(HKLM\Software\Policies\Microsoft\MRT\DontReportInfectionInformation)", 1}}},
      {"Turn off SmartScreen for apps and files", {{p + R"(System\EnableSmartScreen)", 0}}},
      {"Allow paths longer than 260 characters", {{std::string("HKLM\\") + kLongPaths, 1}}},
  };
  return writes;
}

// "HKLM\..." or "HKCU\..." as a root and a value path.
std::pair<RootKey, std::string> Split(const std::string& documented) {
  return {documented.starts_with("HKLM") ? RootKey::LocalMachine : RootKey::CurrentUser, documented.substr(5)};
}

// The registry of a standard user as Windows' permissions make it: the machine's keys, and the
// user's own policy keys, open for reading only; every write there is refused.
class LockedKey final : public RegKey {
 public:
  LockedKey(std::unique_ptr<RegKey> inner, bool locked, std::string path)
      : inner_(std::move(inner)), locked_(locked), path_(std::move(path)) {}

  Result<std::unique_ptr<RegKey>> Open(std::string_view path, RegAccess access) override {
    const bool locked = LockedBelow(path);
    if (locked && access == RegAccess::ReadWrite) {
      return Error(Errc::AccessDenied);
    }
    return Wrap(inner_->Open(path, access), locked, path);
  }
  Result<std::unique_ptr<RegKey>> Create(std::string_view path) override {
    if (LockedBelow(path)) {
      return Error(Errc::AccessDenied);
    }
    return Wrap(inner_->Create(path), false, path);
  }
  Result<std::string> SubKeyName(std::uint32_t index) override { return inner_->SubKeyName(index); }
  Result<std::string> ValueName(std::uint32_t index) override { return inner_->ValueName(index); }
  Result<platform::NamedRegValue> ValueAt(std::uint32_t index) override { return inner_->ValueAt(index); }
  Result<platform::RegValue> Query(std::string_view name) override { return inner_->Query(name); }
  Status Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) override {
    return locked_ ? Status(Error(Errc::AccessDenied)) : inner_->Set(name, type, data);
  }
  Status DeleteValue(std::string_view name) override {
    return locked_ ? Status(Error(Errc::AccessDenied)) : inner_->DeleteValue(name);
  }
  Status DeleteSubKey(std::string_view name) override {
    return locked_ ? Status(Error(Errc::AccessDenied)) : inner_->DeleteSubKey(name);
  }
  Result<platform::RegKeyInfo> Info() override { return inner_->Info(); }

 private:
  [[nodiscard]] bool LockedBelow(std::string_view path) const {
    const std::string full = ToUpperText(path_.empty() ? std::string(path) : path_ + "\\" + std::string(path));
    return locked_ || full.starts_with("SOFTWARE\\POLICIES");
  }
  Result<std::unique_ptr<RegKey>> Wrap(Result<std::unique_ptr<RegKey>> key, bool locked, std::string_view path) {
    if (!key) {
      return key.error();
    }
    return std::unique_ptr<RegKey>(
        std::make_unique<LockedKey>(std::move(*key), locked || LockedBelow(path),
                                    path_.empty() ? std::string(path) : path_ + "\\" + std::string(path)));
  }

  std::unique_ptr<RegKey> inner_;
  bool locked_;
  std::string path_;
};

class LockedRegistry final : public platform::Registry {
 public:
  explicit LockedRegistry(std::unique_ptr<platform::Registry> inner) : inner_(std::move(inner)) {}
  Result<std::unique_ptr<RegKey>> OpenRoot(RootKey root) override {
    auto key = inner_->OpenRoot(root);
    if (!key) {
      return key.error();
    }
    return std::unique_ptr<RegKey>(std::make_unique<LockedKey>(std::move(*key), root != RootKey::CurrentUser, ""));
  }

 private:
  std::unique_ptr<platform::Registry> inner_;
};

class Windows10TweaksTest : public TweakTest {
 protected:
  Windows10TweaksTest() { UseSystem("Windows 10"); }

  void UseEdition(std::string_view edition) { SetString(RootKey::LocalMachine, kEditionId, edition); }

  Lines Offered(int tab) { return Titles(Page(tab).VisibleRows()); }
  bool IsOffered(std::string_view title) {
    for (int tab = 0; tab < kAppliedTasksTab; ++tab) {
      const Lines titles = Offered(tab);
      if (std::find(titles.begin(), titles.end(), title) != titles.end()) {
        return true;
      }
    }
    return false;
  }
  int TabOf(std::string_view title) {
    const std::string_view category = CategoryName(FindCatalogueEntry(title)->category);
    int tab = 0;
    while (TabCaption(tab) != category) {
      ++tab;
    }
    return tab;
  }
  std::optional<std::uint32_t> Dword(const std::string& documented) {
    const auto [root, path] = Split(documented);
    auto key = reg::TRegistryEx(registry(), root);
    const auto at = path.rfind('\\');
    if (!key.OpenKeyReadOnly("\\" + path.substr(0, at))) {
      return std::nullopt;
    }
    const auto value = key.ReadInteger(path.substr(at + 1));
    return value ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*value)) : std::nullopt;
  }
  std::string LastMessage() const { return sink_.messages.empty() ? "" : sink_.messages.back().text; }
};

TEST_F(Windows10TweaksTest, EachTabOffersItsSettingsNotInEffectGreenFirstAndNoneOfTheOldSystems) {
  std::set<std::string> seen;
  for (int tab = 0; tab < kAppliedTasksTab; ++tab) {
    const TweakPage page = Page(tab);
    ASSERT_FALSE(page.VisibleRows().empty()) << TabCaption(tab);
    EXPECT_TRUE(std::is_sorted(page.VisibleRows().begin(), page.VisibleRows().end(),
                               [](const ResultRow& a, const ResultRow& b) { return a.image < b.image; }))
        << "green first";
    for (const auto& row : page.VisibleRows()) {
      EXPECT_EQ(row.columns[1], TabCaption(tab));
      EXPECT_TRUE(DocumentedWrites().contains(row.columns[0])) << row.columns[0] << " is none of the settings";
      EXPECT_FALSE(row.columns[2].ends_with(kNeedsRightsNote)) << "the host runs elevated";
      seen.insert(row.columns[0]);
    }
  }
  EXPECT_EQ(Page(0).TitleText(), "Advanced settings for Windows 10");
  // Nothing of Windows 11 alone, nothing only Enterprise and Education honour; all the rest.
  EXPECT_FALSE(seen.contains("Turn off Widgets"));
  EXPECT_FALSE(seen.contains("Turn off Microsoft consumer experiences"));
  EXPECT_TRUE(seen.contains("Do not track program launches"));
  EXPECT_TRUE(seen.contains("No search highlights"));
  EXPECT_EQ(seen.size(), DocumentedWrites().size() - 5);

  // A setting in effect leaves its tab for Applied Tasks, whatever its tab.
  ASSERT_TRUE(reg::RegWriteDword(registry(), RootKey::LocalMachine, kLongPaths, 1));
  ASSERT_TRUE(reg::RegWriteDword(registry(), RootKey::CurrentUser, kTrackProgs, 0));
  EXPECT_FALSE(IsOffered("Allow paths longer than 260 characters"));
  EXPECT_FALSE(IsOffered("Do not track program launches"));
  EXPECT_EQ(Titles(Page(kAppliedTasksTab).AppliedRows()),
            (Lines{"Allow paths longer than 260 characters", "Do not track program launches"}));
  // A value of another type is no setting in effect.
  ASSERT_TRUE(reg::RegWriteString(registry(), RootKey::LocalMachine, kLongPaths, "1"));
  EXPECT_TRUE(IsOffered("Allow paths longer than 260 characters"));
}

TEST_F(Windows10TweaksTest, SystemEditionAndBuildDecideWhatIsOffered) {
  UseSystem("Windows 11");
  EXPECT_EQ(Page(0).TitleText(), "Advanced settings for Windows 11");
  EXPECT_TRUE(IsOffered("Turn off Widgets"));
  // Documented for Windows 10 alone: not offered on 11.
  EXPECT_FALSE(IsOffered("Do not track program launches"));
  EXPECT_FALSE(IsOffered("Feedback frequency: never"));
  EXPECT_FALSE(IsOffered("Turn off all Windows Spotlight features"));

  for (const char* edition : {"Enterprise", "EnterpriseS", "Education"}) {
    UseEdition(edition);
    EXPECT_TRUE(IsOffered("Turn off all Windows Spotlight features")) << edition;
    EXPECT_TRUE(IsOffered("No web results in Windows Search")) << edition;
  }
  for (const char* edition : {"Professional", "Core", "ProfessionalEducation"}) {
    UseEdition(edition);
    EXPECT_FALSE(IsOffered("Turn off all Windows Spotlight features")) << edition;
    EXPECT_TRUE(IsOffered("Turn off the advertising ID")) << edition;
  }

  // Search highlights came with 20H2 (build 19042).
  host_.system().SetVersion({platform::kPlatformNt, 10, 0, 19041});
  EXPECT_FALSE(IsOffered("No search highlights"));
  EXPECT_TRUE(IsOffered("Allow paths longer than 260 characters"));
  host_.system().SetVersion({platform::kPlatformNt, 10, 0, 19042});
  EXPECT_TRUE(IsOffered("No search highlights"));

  // The old systems see none of them, and Windows 10 none of theirs.
  UseSystem("Windows XP");
  EXPECT_FALSE(IsOffered("Allow paths longer than 260 characters"));
  UseSystem("Windows 10");
  EXPECT_FALSE(IsOffered("Speed up menu display"));
  EXPECT_FALSE(IsOffered("Repair the Taskbar"));
}

// The product name's words vary by build, language and who wrote the registry (Wine writes
// "Microsoft Windows 10"); they are shown in the title, and the version numbers and the
// edition alone decide what is offered.
TEST_F(Windows10TweaksTest, TheProductNameIsShownAndDecidesNothing) {
  const std::string productName = std::string(kCurrentVersionKey) + "\\ProductName";
  const Lines offered = Offered(3);
  ASSERT_FALSE(offered.empty());
  for (const char* name : {"Microsoft Windows 10", "Windows 10 Pro", "Windows 10 Famille", "Windows 10 Pro N",
                           "Microsoft Windows 7", ""}) {
    SetString(RootKey::LocalMachine, productName, name);
    EXPECT_EQ(Offered(3), offered) << name;
  }
  SetString(RootKey::LocalMachine, productName, "Microsoft Windows 10");
  EXPECT_EQ(Page(0).TitleText(), "Advanced settings for Microsoft Windows 10");
  SetString(RootKey::LocalMachine, std::string(kCurrentVersionKey) + "\\CurrentBuildNumber", "22631");
  EXPECT_EQ(Page(0).TitleText(), "Advanced settings for Microsoft Windows 11");
  EXPECT_TRUE(IsOffered("Turn off Widgets"));

  // A server reports the numbers of Windows 10 and 11 and is neither, whatever its name says.
  UseEdition("ServerDatacenter");
  SetString(RootKey::LocalMachine, productName, "Windows Server 2022 Datacenter");
  EXPECT_EQ(Page(0).TitleText(), "Advanced settings for Windows Server 2022 Datacenter");
  for (int tab = 0; tab < kAppliedTasksTab; ++tab) {
    EXPECT_TRUE(Offered(tab).empty()) << TabCaption(tab);
  }
  UseEdition("Professional");
  EXPECT_TRUE(IsOffered("Turn off Widgets"));
}

TEST_F(Windows10TweaksTest, EverySettingWritesWhatMicrosoftDocumentsAndRestoreTakesItBack) {
  // Windows 10 and 11 as Enterprise between them offer every setting.
  ASSERT_TRUE(reg::RegWriteDword(registry(), RootKey::CurrentUser, kTrackProgs, 1));  // as Windows has it
  std::set<std::string> applied;
  for (const char* system : {"Windows 10", "Windows 11"}) {
    UseSystem(system);
    UseEdition("Enterprise");
    for (const auto& [title, writes] : DocumentedWrites()) {
      if (applied.contains(title) || !IsOffered(title)) {
        continue;
      }
      SCOPED_TRACE(title);
      sink_.messages.clear();
      const ApplyOutcome outcome = Apply(TabOf(title), {title});
      EXPECT_TRUE(outcome.notInEffect.empty());
      EXPECT_EQ(LastMessage(), "Selected tasks were applied. Some of them needs rebooting to take effect.");
      for (const auto& [value, data] : writes) {
        EXPECT_EQ(Dword(value), data) << value;
      }
      EXPECT_FALSE(IsOffered(title)) << "in effect once applied";
      applied.insert(title);
    }
  }
  EXPECT_EQ(applied.size(), DocumentedWrites().size());
  // The catalogue holds no setting beyond those documented.
  EXPECT_EQ(Windows10Catalogue().size(), DocumentedWrites().size());

  sink_.messages.clear();
  ASSERT_EQ(RestoreTweaks(host_.platform(), sink_).result, TweakRestore::Restored) << LastMessage();
  for (const auto& [title, writes] : DocumentedWrites()) {
    for (const auto& [value, data] : writes) {
      const auto [root, path] = Split(value);
      if (value.ends_with("Start_TrackProgs")) {
        EXPECT_EQ(Dword(value), 1U) << "the data it had";
      } else {
        EXPECT_FALSE(reg::RegValueExists(registry(), root, path)) << value << " is a policy absent before";
      }
    }
  }
  EXPECT_TRUE(IsOffered("Allow paths longer than 260 characters"));
}

TEST_F(Windows10TweaksTest, WithoutAdministratorRightsMachineWideSettingsAreNotedAndLeftOut) {
  host_.system().SetAdmin(false);
  const TweakPage misc = Page(kMiscellaneousTab);
  const auto description = [&](std::string_view title) {
    for (const auto& row : misc.VisibleRows()) {
      if (row.columns[0] == title) {
        return row.columns[2];
      }
    }
    return std::string("(not listed)");
  };
  EXPECT_TRUE(description("Allow paths longer than 260 characters").ends_with(kNeedsRightsNote));
  EXPECT_TRUE(description("No tailored experiences from diagnostic data").ends_with(kNeedsRightsNote))
      << "the user's own policy keys are the administrators' to write";
  EXPECT_FALSE(description("Feedback frequency: never").ends_with(kNeedsRightsNote));

  const ApplyOutcome outcome = Apply(kMiscellaneousTab, {"Allow paths longer than 260 characters",
                                                         "Feedback frequency: never", "No feedback notifications"});
  EXPECT_EQ(outcome.applied, Lines{"Feedback frequency: never"});
  EXPECT_EQ(outcome.leftOut, (Lines{"No feedback notifications", "Allow paths longer than 260 characters"}));
  EXPECT_EQ(Dword(R"(HKCU\Software\Microsoft\Siuf\Rules\NumberOfSIUFInPeriod)"), 0U);
  EXPECT_FALSE(reg::RegValueExists(registry(), RootKey::LocalMachine, kLongPaths));
  ASSERT_EQ(sink_.messages.size(), 1U) << "one message for all";
  EXPECT_EQ(sink_.messages[0].kind, MessageKind::Warning);
  EXPECT_EQ(LastMessage(),
            "Selected tasks were applied. Some of them needs rebooting to take effect.\n\n"
            "These settings need administrator rights, so they were left out:\n"
            "No feedback notifications\nAllow paths longer than 260 characters\n" +
                std::string(kRestartAsAdministratorAdvice));
  for (const auto& line : RestoreLines()) {
    EXPECT_EQ(line.find("HKEY_LOCAL_MACHINE"), std::string::npos) << "nothing recorded that was not changed";
  }
  EXPECT_TRUE(Page(kMiscellaneousTab).CheckTitle("Allow paths longer than 260 characters")) << "still offered";

  // Only left-out settings checked: no word of anything applied.
  sink_.messages.clear();
  EXPECT_TRUE(Apply(kMiscellaneousTab, {"Allow paths longer than 260 characters"}).applied.empty());
  EXPECT_TRUE(LastMessage().starts_with("These settings need administrator rights")) << LastMessage();

  // Windows XP's rows stay as they always were, whatever the rights.
  UseSystem("Windows XP");
  EXPECT_EQ(Page(kOptimizationTab).VisibleRows()[0].columns[2], TweakCatalogue()[0].description);
}

TEST_F(Windows10TweaksTest, ChecksOnlyReadAndWritesTheRegistryRefusesAreNamedWithTheReason) {
  host_.platform().registry = std::make_unique<LockedRegistry>(std::move(host_.platform().registry));
  // Wrongly told it may write: the registry's own answer is what counts.
  host_.system().SetAdmin(true);
  ASSERT_EQ(registry().OpenRoot(RootKey::LocalMachine).value()->Create("SOFTWARE\\X").error(),
            Error(Errc::AccessDenied));

  const ApplyOutcome outcome = Apply(kMiscellaneousTab, {"Turn off the advertising ID", "Feedback frequency: never"});
  const std::string target =
      R"(HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Microsoft\Windows\AdvertisingInfo\DisabledByGroupPolicy)";
  EXPECT_EQ(outcome.notInEffect, Lines{"Turn off the advertising ID"});
  EXPECT_EQ(outcome.notWritten,
            Lines{"Turn off the advertising ID: " + target + ": " + platform::ErrorMessage(Error(Errc::AccessDenied))});
  EXPECT_NE(LastMessage().find("These values could not be written:\nTurn off the advertising ID: " + target),
            std::string::npos)
      << LastMessage();
  EXPECT_EQ(Dword(R"(HKCU\Software\Microsoft\Siuf\Rules\PeriodInNanoSeconds)"), 0U)
      << "the user's own keys take writes";
}

TEST_F(Windows10TweaksTest, AStandardUsersCheckFindsMachineWideSettingsInEffect) {
  ASSERT_TRUE(reg::RegWriteDword(registry(), RootKey::LocalMachine, kLongPaths, 1));
  ASSERT_TRUE(reg::RegWriteDword(registry(), RootKey::CurrentUser,
                                 R"(SOFTWARE\Policies\Microsoft\Windows\CloudContent\DisableThirdPartySuggestions)",
                                 1));
  host_.platform().registry = std::make_unique<LockedRegistry>(std::move(host_.platform().registry));
  host_.system().SetAdmin(false);
  EXPECT_FALSE(IsOffered("Allow paths longer than 260 characters"));
  EXPECT_FALSE(IsOffered("No third-party suggestions in Windows Spotlight"));
  const Lines applied = Titles(Page(kAppliedTasksTab).AppliedRows());
  EXPECT_NE(std::find(applied.begin(), applied.end(), "Allow paths longer than 260 characters"), applied.end());
  EXPECT_NE(std::find(applied.begin(), applied.end(), "No third-party suggestions in Windows Spotlight"),
            applied.end());
}

}  // namespace
}  // namespace sw::tweaks
