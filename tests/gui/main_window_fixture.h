#pragma once
// A main window of its own for each window test, in a program folder of its own, with the
// message boxes answered by the test and nothing left behind in the Run key.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/captions.h"
#include "app/win32/main_window.h"
#include "gui/gui_support.h"
#include "support/temp_folder.h"

namespace sw::test {

class MainWindowFixture : public ::testing::Test {
 protected:
  MainWindowFixture() : programDir_(Utf8Of(temp_.path())), gui_(programDir_) {
    AnswerMessageBoxesWithOk();
    ShownMessages().clear();
  }
  ~MainWindowFixture() override {
    window_.reset();
    DrainMessages();
    // No later start of the prefix may run a test's program from the Run key.
    DeleteRegistryValue(HKEY_CURRENT_USER, kRunKeyPath, L"SweepwiseAutoRun");
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, kRunKeyPath, L"SweepwiseAutoRun");
    // Nor the batch of a test's deletion from the RunOnce key.
    DeleteRegistryValue(HKEY_CURRENT_USER, kRunOnceKeyPath, L"Sweepwise");
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, kRunOnceKeyPath, L"Sweepwise");
    SetYesNoAnswer(IDYES);
    SetMessageBoxObserver(nullptr);
  }

  void WriteProgramFile(const char* name, std::string_view contents) {
    WriteFileBytes(temp_.path() / name, contents);
  }
  [[nodiscard]] std::string ProgramFile(const char* name) const {
    return std::filesystem::exists(temp_.path() / name) ? ReadFileBytes(temp_.path() / name) : "<missing>";
  }

  app::win32::MainWindow& Start(std::string firstArgument = {}) {
    app::win32::AppEnvironment environment;
    environment.platform = &gui_.platform;
    environment.programDir = programDir_;
    environment.exePath = programDir_ + "\\sweepwise.exe";
    environment.firstArgument = std::move(firstArgument);
    window_ = std::make_unique<app::win32::MainWindow>(environment);
    EXPECT_TRUE(window_->Create());
    DrainMessages();
    return *window_;
  }

  [[nodiscard]] bool Shown(std::string_view control) const {
    return (GetWindowLongW(window_->Control(control), GWL_STYLE) & WS_VISIBLE) != 0;
  }
  [[nodiscard]] std::string TextOf(std::string_view control) const { return app::win32::GetText(window_->Control(control)); }

  // Every caption and hint of ApplyLanguage shows the text of `language`.
  void ExpectCaptionsOf(int language) const {
    for (const app::CaptionAssignment& assignment : app::CaptionAssignments()) {
      EXPECT_EQ(window_->ReadSlot(assignment), app::CaptionText(assignment, language))
          << assignment.control << " slot " << static_cast<int>(assignment.slot) << " " << assignment.index;
    }
  }

  TempFolder temp_;
  std::string programDir_;
  GuiPlatform gui_;
  std::unique_ptr<app::win32::MainWindow> window_;
};

}  // namespace sw::test
