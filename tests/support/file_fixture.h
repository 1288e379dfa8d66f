#pragma once
// Real files in a fresh temporary folder, reached through the file system of this build:
// the host stand-in with drive C: mapped to the folder on Linux, kernel32 under Wine.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/system.h"
#include "support/temp_folder.h"

namespace sw::test {

class FileFixture : public ::testing::Test {
 protected:
  FileFixture();
  ~FileFixture() override;

  // The Windows path of `sub` below the test folder ("" is the folder, with a backslash).
  [[nodiscard]] std::string At(std::string_view sub) const { return base_ + std::string(sub); }
  // The same place as a path the test can use with std::filesystem.
  [[nodiscard]] std::filesystem::path Host(std::string_view sub) const;

  // Writes a file (creating its folders) and returns its Windows path.
  std::string MakeFile(std::string_view sub, std::string_view contents);

  platform::FileSystem& files() { return *files_; }
  platform::System& system() { return *system_; }

  TempFolder temp_;
  TempFolder systemTemp_;
  std::unique_ptr<platform::FileSystem> files_;
  std::unique_ptr<platform::System> system_;
  std::string base_;
};

}  // namespace sw::test
