// The settings of Windows 10 and 11 on the Advanced page: registry values that Microsoft
// documents, each undone by the restore file like any tweak. Most are policies: a value that
// is absent by default, which the restore deletes again. The comment above each row names the
// page that documents its key, value and data; a row whose page names only Windows 10 is not
// offered on Windows 11, and a policy that only Enterprise and Education honour is offered on
// those editions alone.
//
// Settings of a row with several values are in effect only while all of them are.

#include <string>
#include <vector>

#include "tweaks/tweak_actions.h"
#include "tweaks/tweak_catalogue.h"

namespace sw::tweaks {
namespace {

using platform::RootKey;
constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHklm = RootKey::LocalMachine;

// Builds of Windows 10 that introduced what a row needs.
constexpr std::uint32_t k1607 = 14393;
constexpr std::uint32_t k1703 = 15063;
constexpr std::uint32_t k1709 = 16299;
constexpr std::uint32_t k1803 = 17134;
constexpr std::uint32_t k1809 = 17763;
constexpr std::uint32_t k20H2 = 19042;
constexpr std::uint32_t k21H2 = 22000;  // Windows 11's first

struct Setting {
  CatalogueEntry entry;
  std::vector<RegistryChange> writes;
};

RegistryChange Dword(RootKey root, std::string_view key, std::string_view name, std::uint32_t data) {
  return RegistryChange{
      root, "\\" + std::string(key) + "\\", std::string(name), ChangeType::Dword, std::to_string(data), {}, true};
}

constexpr std::string_view kWindowsPolicies = R"(SOFTWARE\Policies\Microsoft\Windows)";
const std::string kCloudContent = std::string(kWindowsPolicies) + R"(\CloudContent)";
const std::string kDataCollection = std::string(kWindowsPolicies) + R"(\DataCollection)";
const std::string kSystemPolicies = std::string(kWindowsPolicies) + R"(\System)";
const std::string kSearchPolicies = std::string(kWindowsPolicies) + R"(\Windows Search)";
constexpr std::string_view kEdgePolicies = R"(SOFTWARE\Policies\Microsoft\Edge)";

std::vector<Setting> BuildSettings() {
  return {
      // Optimization

      // "Policy CSP - NewsAndInterests", AllowNewsAndInterests (Windows 11 only),
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-newsandinterests
      {{"Turn off Widgets", kOptimization, kWin11, kGreen,
        "Removes the Widgets board and its content on the taskbar. News, weather and the other widgets are no "
        "longer shown.",
        k21H2},
       {Dword(kHklm, R"(SOFTWARE\Policies\Microsoft\Dsh)", "AllowNewsAndInterests", 0)}},
      // "Policy CSP - Experience", AllowWindowsConsumerFeatures (Enterprise and Education; machine-wide
      // from 1803 on), https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-experience
      {{"Turn off Microsoft consumer experiences", kOptimization, kWin10And11 | kEnterprise | kEducation, kYellow,
        "Stops suggested apps in Start, membership notifications and apps that install themselves after setup. "
        "Only Enterprise and Education honour it.",
        k1803},
       {Dword(kHklm, kCloudContent, "DisableWindowsConsumerFeatures", 1)}},
      // "Policy CSP - ApplicationManagement", AllowGameDVR,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-applicationmanagement
      {{"Turn off game recording and broadcasting", kOptimization, kWin10And11, kYellow,
        "Turns off Windows Game Recording and Broadcasting, which saves its background work during games. The "
        "Game Bar can no longer record or stream."},
       {Dword(kHklm, std::string(kWindowsPolicies) + R"(\GameDVR)", "AllowGameDVR", 0)}},
      // "Manage connections from Windows operating system components to Microsoft services", 18.17
      // Background apps (Windows 10),
      // https://learn.microsoft.com/en-us/windows/privacy/manage-connections-from-windows-operating-system-components-to-microsoft-services
      {{"Stop Store apps running in the background", kOptimization, kWin10, kRed,
        "Forbids every app from the Microsoft Store to run in the background, which saves memory and processor "
        "time. Their notifications and live updates stop, and Microsoft warns that some apps, Search among them, "
        "may not work as expected.",
        k1703},
       {Dword(kHklm, std::string(kWindowsPolicies) + R"(\AppPrivacy)", "LetAppsRunInBackground", 2)}},
      // "Microsoft Edge Browser Policy Documentation: StartupBoostEnabled",
      // https://learn.microsoft.com/en-us/deployedge/microsoft-edge-policies/startupboostenabled
      {{"Stop Edge preloading at sign-in", kOptimization, kWin10And11, kGreen,
        "Microsoft Edge no longer starts its processes at sign-in and keeps none running once its last window "
        "is closed, which frees memory. Its first start after sign-in takes a little longer."},
       {Dword(kHklm, kEdgePolicies, "StartupBoostEnabled", 0)}},
      // "Microsoft Edge Browser Policy Documentation: BackgroundModeEnabled",
      // https://learn.microsoft.com/en-us/deployedge/microsoft-edge-policies/backgroundmodeenabled
      {{"Stop Edge running after its last window closes", kOptimization, kWin10And11, kGreen,
        "Microsoft Edge no longer keeps its background apps running after its last window is closed. "
        "Extensions and apps that work in the background stop with it."},
       {Dword(kHklm, kEdgePolicies, "BackgroundModeEnabled", 0)}},
      // "Manage connections from Windows operating system components to Microsoft services", 27 Windows
      // Update Delivery Optimization (download mode 1: PCs behind the same NAT only),
      // https://learn.microsoft.com/en-us/windows/privacy/manage-connections-from-windows-operating-system-components-to-microsoft-services
      {{"Share update downloads only with PCs on the local network", kOptimization, kWin10And11, kGreen,
        "Windows exchanges updates and Store apps only with PCs on the same local network, never with PCs on "
        "the Internet. This saves upload bandwidth; downloads from the Internet may take a little longer.",
        k1607},
       {Dword(kHklm, std::string(kWindowsPolicies) + R"(\DeliveryOptimization)", "DODownloadMode", 1)}},

      // Cleaning

      // "Policy CSP - Privacy", EnableActivityFeed, PublishUserActivities, UploadUserActivities,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-privacy
      {{"Do not keep activity history", kCleaning, kWin10And11, kGreen,
        "Windows stops recording what you do in apps and stops uploading it. Timeline and \"continue where you "
        "left off\" on another device no longer work.",
        k1709},
       {Dword(kHklm, kSystemPolicies, "EnableActivityFeed", 0),
        Dword(kHklm, kSystemPolicies, "PublishUserActivities", 0),
        Dword(kHklm, kSystemPolicies, "UploadUserActivities", 0)}},
      // "Policy CSP - Experience", AllowClipboardHistory,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-experience
      {{"Do not keep clipboard history", kCleaning, kWin10And11, kYellow,
        "What you copy is no longer kept in the clipboard history. Windows+V shows no earlier items.", k1809},
       {Dword(kHklm, kSystemPolicies, "AllowClipboardHistory", 0)}},
      // "Policy CSP - ADMX_WindowsExplorer", DisableSearchBoxSuggestions,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-admx-windowsexplorer
      {{"Do not keep File Explorer search box entries", kCleaning, kWin10And11, kGreen,
        "File Explorer no longer stores what you type in its search box and no longer suggests earlier "
        "searches. The list of past searches goes."},
       {Dword(kHkcu, R"(Software\Policies\Microsoft\Windows\Explorer)", "DisableSearchBoxSuggestions", 1)}},
      // "Manage connections from Windows operating system components to Microsoft services", 18.1 General
      // (Windows 10, version 1703 options),
      // https://learn.microsoft.com/en-us/windows/privacy/manage-connections-from-windows-operating-system-components-to-microsoft-services
      {{"Do not track program launches", kCleaning, kWin10, kGreen,
        "Windows stops recording which programs you start. Start's list of most used programs and the order of "
        "search results become less personal.",
        k1703},
       {Dword(kHkcu, R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Advanced)", "Start_TrackProgs", 0)}},
      // "Manage connections from Windows operating system components to Microsoft services", 18.21 Inking &
      // Typing (Windows 10),
      // https://learn.microsoft.com/en-us/windows/privacy/manage-connections-from-windows-operating-system-components-to-microsoft-services
      {{"Do not collect typing and handwriting samples", kCleaning, kWin10, kGreen,
        "Windows stops collecting what you type and write by hand to learn your words. Text suggestions and "
        "handwriting recognition stay generic."},
       {Dword(kHklm, R"(Software\Policies\Microsoft\InputPersonalization)", "RestrictImplicitTextCollection", 1),
        Dword(kHklm, R"(Software\Policies\Microsoft\InputPersonalization)", "RestrictImplicitInkCollection", 1)}},

      // Internet Accelerator

      // "Policy CSP - Search", DoNotUseWebResults (Enterprise and Education), and "Manage connections from
      // Windows operating system components to Microsoft services", 2.1 Cortana and Search Group Policies,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-search
      {{"No web results in Windows Search", kInternetAccelerator, kWin10And11 | kEnterprise | kEducation, kYellow,
        "Search no longer sends what you type to the web and shows no web results or search highlights. Only "
        "Enterprise and Education honour it.",
        k1803},
       {Dword(kHklm, kSearchPolicies, "ConnectedSearchUseWeb", 0),
        Dword(kHklm, kSearchPolicies, "DisableWebSearch", 1)}},
      // "Policy CSP - Search", AllowSearchToUseLocation,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-search
      {{"Search may not use the location", kInternetAccelerator, kWin10And11, kGreen,
        "Search no longer uses the location of this PC, so results that depend on it, such as the local "
        "weather, are not shown."},
       {Dword(kHklm, kSearchPolicies, "AllowSearchToUseLocation", 0)}},
      // "Manage connections from Windows operating system components to Microsoft services", 18.1 General
      // (Windows 10),
      // https://learn.microsoft.com/en-us/windows/privacy/manage-connections-from-windows-operating-system-components-to-microsoft-services
      {{"Websites cannot read the language list", kInternetAccelerator, kWin10, kGreen,
        "Websites no longer learn your list of languages from Windows. They may show their own default "
        "language more often."},
       {Dword(kHkcu, R"(Control Panel\International\User Profile)", "HttpAcceptLanguageOptOut", 1)}},
      // "Manage connections from Windows operating system components to Microsoft services", 18.6 Speech
      // (Windows 10),
      // https://learn.microsoft.com/en-us/windows/privacy/manage-connections-from-windows-operating-system-components-to-microsoft-services
      {{"Turn off online speech recognition", kInternetAccelerator, kWin10, kGreen,
        "Your voice is no longer sent to Microsoft's speech services. Dictation and voice assistants that need "
        "them stop working.",
        k1809},
       {Dword(kHkcu, R"(Software\Microsoft\Speech_OneCore\Settings\OnlineSpeechPrivacy)", "HasAccepted", 0)}},
      // "Policy CSP - DeviceInstallation", PreventDeviceMetadataFromNetwork,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-deviceinstallation
      {{"Do not download device information from the Internet", kInternetAccelerator, kWin10And11, kGreen,
        "Windows no longer fetches pictures and details of your devices from the Internet. Devices and Printers "
        "may show plain icons."},
       {Dword(kHklm, std::string(kWindowsPolicies) + R"(\Device Metadata)", "PreventDeviceMetadataFromNetwork", 1)}},
      // "Policy CSP - Maps", EnableOfflineMapsAutoUpdate, and "Manage connections from Windows operating
      // system components to Microsoft services", 15 Offline maps,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-maps
      {{"Do not update offline maps automatically", kInternetAccelerator, kWin10And11, kGreen,
        "Offline maps are no longer downloaded and updated by themselves, and the Offline Maps settings stop "
        "their own network traffic. Downloaded maps grow old unless you update them.",
        k1607},
       {Dword(kHklm, std::string(kWindowsPolicies) + R"(\Maps)", "AutoDownloadAndUpdateMapData", 0),
        Dword(kHklm, std::string(kWindowsPolicies) + R"(\Maps)", "AllowUntriggeredNetworkTrafficOnSettingsPage", 0)}},
      // "Policy CSP - System", AllowFontProviders,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-system
      {{"Do not download fonts on demand", kInternetAccelerator, kWin10And11, kYellow,
        "Windows no longer downloads fonts it does not have. Apps that use such fonts fall back to the fonts "
        "installed here. It needs rebooting after applying.",
        k1607},
       {Dword(kHklm, kSystemPolicies, "EnableFontProviders", 0)}},
      // "Policy CSP - Speech", AllowSpeechModelUpdate,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-speech
      {{"Do not download speech model updates", kInternetAccelerator, kWin10And11, kGreen,
        "Windows stops downloading newer speech recognition and speech models in the background. Speech "
        "recognition does not get better over time.",
        k1703},
       {Dword(kHklm, R"(Software\Policies\Microsoft\Speech)", "AllowSpeechModelUpdate", 0)}},
      // "Microsoft Edge Browser Policy Documentation: DiagnosticData" (1: required data only),
      // https://learn.microsoft.com/en-us/deployedge/microsoft-edge-policies/diagnosticdata
      {{"Edge: send only required diagnostic data", kInternetAccelerator, kWin10And11, kGreen,
        "Microsoft Edge sends Microsoft only the diagnostic data it requires, not which sites you visit, how "
        "you use it or its crash reports."},
       {Dword(kHklm, kEdgePolicies, "DiagnosticData", 1)}},
      // "Microsoft Edge Browser Policy Documentation: PersonalizationReportingEnabled",
      // https://learn.microsoft.com/en-us/deployedge/microsoft-edge-policies/personalizationreportingenabled
      {{"Edge: no personalization from browsing data", kInternetAccelerator, kWin10And11, kGreen,
        "Microsoft Edge no longer sends your history, favorites and use of the browser to Microsoft to tailor "
        "ads, search and news. The setting can no longer be turned on in Edge."},
       {Dword(kHklm, kEdgePolicies, "PersonalizationReportingEnabled", 0)}},

      // Miscellaneous

      // "Policy CSP - System", AllowTelemetry (1: required diagnostic data),
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-system
      {{"Send only required diagnostic data", kMiscellaneous, kWin10And11, kGreen,
        "Windows sends Microsoft only the diagnostic data it requires to stay secure and up to date; the "
        "choice of optional diagnostic data in Settings is greyed out."},
       {Dword(kHklm, kDataCollection, "AllowTelemetry", 1)}},
      // "Policy CSP - Experience", DoNotShowFeedbackNotifications,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-experience
      {{"No feedback notifications", kMiscellaneous, kWin10And11, kGreen,
        "Windows no longer asks for your feedback. Nothing else changes.", k1607},
       {Dword(kHklm, kDataCollection, "DoNotShowFeedbackNotifications", 1)}},
      // "Manage connections from Windows operating system components to Microsoft services", 18.16
      // Feedback & diagnostics (frequency "Never": both values 0; Windows 10),
      // https://learn.microsoft.com/en-us/windows/privacy/manage-connections-from-windows-operating-system-components-to-microsoft-services
      {{"Feedback frequency: never", kMiscellaneous, kWin10, kGreen,
        "Sets how often Windows asks for your feedback to Never, for you alone, without administrator rights."},
       {Dword(kHkcu, R"(Software\Microsoft\Siuf\Rules)", "PeriodInNanoSeconds", 0),
        Dword(kHkcu, R"(Software\Microsoft\Siuf\Rules)", "NumberOfSIUFInPeriod", 0)}},
      // "Policy CSP - Privacy", DisableAdvertisingId,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-privacy
      {{"Turn off the advertising ID", kMiscellaneous, kWin10And11, kGreen,
        "Turns the advertising ID off for every user, so apps cannot use it to tailor ads across apps. Ads "
        "become less targeted, not fewer.",
        k1607},
       {Dword(kHklm, std::string(kWindowsPolicies) + R"(\AdvertisingInfo)", "DisabledByGroupPolicy", 1)}},
      // "Policy CSP - Experience", AllowTailoredExperiencesWithDiagnosticData (user policy),
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-experience
      {{"No tailored experiences from diagnostic data", kMiscellaneous, kWin10And11, kGreen,
        "Windows no longer uses diagnostic data to tailor tips, lock-screen content and offers for you. You "
        "still see them, but they may be less relevant.",
        k1703},
       {Dword(kHkcu, kCloudContent, "DisableTailoredExperiencesWithDiagnosticData", 1)}},
      // "Policy CSP - Experience", AllowThirdPartySuggestionsInWindowsSpotlight (user policy),
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-experience
      {{"No third-party suggestions in Windows Spotlight", kMiscellaneous, kWin10And11, kGreen,
        "Windows Spotlight no longer suggests apps and content of other publishers. Microsoft's own "
        "suggestions remain.",
        k1607},
       {Dword(kHkcu, kCloudContent, "DisableThirdPartySuggestions", 1)}},
      // "Policy CSP - Experience", AllowWindowsSpotlight (user policy; Enterprise and Education),
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-experience
      {{"Turn off all Windows Spotlight features", kMiscellaneous, kWin10And11 | kEnterprise | kEducation, kYellow,
        "Turns off Windows Spotlight on the lock screen, Windows tips and Microsoft's suggestions at once. The "
        "lock screen keeps one picture. Only Enterprise and Education honour it.",
        k1607},
       {Dword(kHkcu, kCloudContent, "DisableWindowsSpotlightFeatures", 1)}},
      // "Policy CSP - Experience", AllowWindowsTips (Enterprise and Education),
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-experience
      {{"Do not show Windows tips", kMiscellaneous, kWin10And11 | kEnterprise | kEducation, kYellow,
        "Windows no longer shows its tips. New users miss the introductory hints. Only Enterprise and "
        "Education honour it.",
        k1607},
       {Dword(kHklm, kCloudContent, "DisableSoftLanding", 1)}},
      // "Policy CSP - Search", AllowSearchHighlights,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-search
      {{"No search highlights", kMiscellaneous, kWin10And11, kGreen,
        "Removes the pictures and trending content of the day from the search box and the search home. Search "
        "works as before.",
        k20H2},
       {Dword(kHklm, kSearchPolicies, "EnableDynamicContentInWSB", 0)}},
      // "Microsoft Edge Browser Policy Documentation: ShowRecommendationsEnabled",
      // https://learn.microsoft.com/en-us/deployedge/microsoft-edge-policies/showrecommendationsenabled
      {{"Edge: no feature recommendations", kMiscellaneous, kWin10And11, kGreen,
        "Microsoft Edge stops showing recommendations and notifications about its features. You no longer "
        "hear of new features that way."},
       {Dword(kHklm, kEdgePolicies, "ShowRecommendationsEnabled", 0)}},
      // "Policy CSP - Privacy", DisablePrivacyExperience,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-privacy
      {{"No privacy-settings screen after upgrades", kMiscellaneous, kWin10And11, kYellow,
        "Windows no longer shows the screen that asks new users, and every user after an upgrade, to choose "
        "their privacy settings. The settings as they stand simply apply.",
        k1809},
       {Dword(kHklm, std::string(kWindowsPolicies) + R"(\OOBE)", "DisablePrivacyExperience", 1)}},
      // "Manage connections from Windows operating system components to Microsoft services", 24 Windows
      // Defender (MRT reporting; Windows 10),
      // https://learn.microsoft.com/en-us/windows/privacy/manage-connections-from-windows-operating-system-components-to-microsoft-services
      {{"Malicious Software Removal Tool does not report", kMiscellaneous, kWin10, kGreen,
        "The monthly Malicious Software Removal Tool no longer sends its reports of infections to Microsoft. "
        "It removes what it finds as before."},
       {Dword(kHklm, R"(Software\Policies\Microsoft\MRT)", "DontReportInfectionInformation", 1)}},
      // "Policy CSP - ADMX_WindowsExplorer", EnableSmartScreen, and "Manage connections from Windows operating
      // system components to Microsoft services", 24.1 Windows Defender SmartScreen,
      // https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-admx-windowsexplorer
      {{"Turn off SmartScreen for apps and files", kMiscellaneous, kWin10And11, kRed,
        "Turns SmartScreen off for every user: Windows no longer checks programs and files from the Internet "
        "with Microsoft, and nobody is warned before running a suspicious one. Not recommended."},
       {Dword(kHklm, kSystemPolicies, "EnableSmartScreen", 0)}},
      // "Maximum Path Length Limitation" (LongPathsEnabled, Windows 10, version 1607 and later),
      // https://learn.microsoft.com/en-us/windows/win32/fileio/maximum-file-path-limitation
      {{"Allow paths longer than 260 characters", kMiscellaneous, kWin10And11, kGreen,
        "Programs that declare they can handle long paths may use paths longer than 260 characters; other "
        "programs are not affected. Programs already running see it after a restart.",
        k1607},
       {Dword(kHklm, R"(SYSTEM\CurrentControlSet\Control\FileSystem)", "LongPathsEnabled", 1)}},
  };
}

const std::vector<Setting>& Settings() {
  static const std::vector<Setting> settings = BuildSettings();
  return settings;
}

}  // namespace

std::span<const CatalogueEntry> Windows10Catalogue() {
  static const std::vector<CatalogueEntry> entries = [] {
    std::vector<CatalogueEntry> list;
    for (const auto& setting : Settings()) {
      list.push_back(setting.entry);
    }
    return list;
  }();
  return entries;
}

std::span<const TweakAction> Windows10Actions() {
  static const std::vector<TweakAction> actions = [] {
    std::vector<TweakAction> list;
    for (const auto& setting : Settings()) {
      TweakAction action;
      action.title = setting.entry.title;
      action.changes = setting.writes;
      action.stopAtFalse = true;  // in effect only while every value is
      // A setting stays in effect, whatever its tab: Applied Tasks lists it, as it lists the
      // older tweaks of every tab but the one-time clean-ups.
      action.listed = true;
      list.push_back(std::move(action));
    }
    return list;
  }();
  return actions;
}

}  // namespace sw::tweaks
