#pragma once
// The Advanced page on the host stand-ins: the in-memory registry, a real program folder
// (C:\Program) for default.reg, a version record the test chooses, and started programs
// recorded instead of run.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/host/host_system.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"
#include "tweaks/tweak_page.h"

namespace sw::tweaks {

using platform::RootKey;
using Lines = std::vector<std::string>;

inline constexpr const char* kRestoreFile = "C:\\Program\\default.reg";

// The tabs of the Advanced page, as the catalogue numbers them.
inline constexpr int kOptimizationTab = 0;
inline constexpr int kCleaningTab = 1;
inline constexpr int kInternetTab = 2;
inline constexpr int kMiscellaneousTab = 3;

// Records what the page reports, the busy notes included; every question is answered Yes.
class TweakSink final : public EngineSink {
 public:
  void ShowStatus(std::string_view text) override { statuses.emplace_back(text); }
  void SetProgressMax(std::uint64_t maximum) override { progressMax = maximum; }
  void SetProgress(std::uint64_t position) override {
    progress = position;
    highestProgress = std::max(highestProgress, position);
  }
  void AddRow(const ResultRow&) override {}
  Answer Ask(const Message& message) override {
    messages.push_back(message);
    return message.buttons == MessageButtons::Ok ? Answer::Ok : Answer::Yes;
  }
  void BeginBusy(std::string_view text) override { busy.emplace_back(text); }
  void EndBusy() override { busy.emplace_back("(end)"); }
  bool ShouldStop() override { return false; }

  std::vector<std::string> statuses;
  std::vector<Message> messages;
  std::vector<std::string> busy;
  std::uint64_t progressMax = 0;
  std::uint64_t progress = 0;
  std::uint64_t highestProgress = 0;
};

class TweakTest : public ::testing::Test {
 protected:
  TweakTest() { UseSystem("Windows XP"); }

  // Makes the host report the version that WindowsVersionName calls `name`.
  void UseSystem(std::string_view name) {
    static const std::map<std::string_view, platform::VersionRecord> kVersions = {
        {"Windows 95", {platform::kPlatformWindows, 4, 0, 950}},
        {"Windows 98", {platform::kPlatformWindows, 4, 10, 1998}},
        {"Windows ME", {platform::kPlatformWindows, 4, 90, 3000}},
        {"Windows NT", {platform::kPlatformNt, 4, 0, 1381}},
        {"Windows 2000", {platform::kPlatformNt, 5, 0, 2195}},
        {"Windows XP", {platform::kPlatformNt, 5, 1, 2600}},
        {"Windows 3.1", {platform::kPlatformWin32s, 3, 10, 0}},
        {"Windows 10", {platform::kPlatformNt, 10, 0, 19045}},
        {"Windows 11", {platform::kPlatformNt, 10, 0, 22631}},
    };
    host_.system().SetVersion(kVersions.at(name));
  }

  // A page on `tab` after its check pass.
  TweakPage Page(int tab) {
    TweakPage page(host_.platform());
    page.SelectTab(tab, sink_);
    return page;
  }

  static Lines Titles(const std::vector<ResultRow>& rows) {
    Lines titles;
    for (const auto& row : rows) {
      titles.push_back(row.columns[0]);
    }
    return titles;
  }

  // Checks the named rows of `tab` and presses Apply.
  ApplyOutcome Apply(int tab, const Lines& titles) {
    TweakPage page = Page(tab);
    for (const auto& title : titles) {
      EXPECT_TRUE(page.CheckTitle(title)) << title << " is not offered";
    }
    return page.Apply(sink_);
  }

  Lines RestoreLines() {
    const auto path = host_.Host(kRestoreFile);
    return std::filesystem::exists(path) ? SplitLines(test::ReadFileBytes(path)) : Lines{};
  }

  platform::Registry& registry() { return host_.registry(); }
  platform::host::RecordingProcesses& processes() {
    return static_cast<platform::host::RecordingProcesses&>(*host_.platform().processes);
  }

  void SetString(RootKey root, std::string_view valuePath, std::string_view text) {
    ASSERT_TRUE(reg::RegWriteString(registry(), root, valuePath, text)) << valuePath;
  }
  void SetDword(RootKey root, std::string_view valuePath, std::uint32_t number) {
    ASSERT_TRUE(reg::RegWriteDword(registry(), root, valuePath, number)) << valuePath;
  }
  std::optional<std::string> String(RootKey root, std::string_view valuePath) {
    return reg::RegReadString(registry(), root, valuePath);
  }

  // The texts of the messages shown so far.
  Lines Messages() const {
    Lines texts;
    for (const auto& message : sink_.messages) {
      texts.push_back(message.text);
    }
    return texts;
  }

  test::HostPlatform host_;
  TweakSink sink_;
};

}  // namespace sw::tweaks
