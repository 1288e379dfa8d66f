// The tests' Wine prefix is a sandbox: nothing a test does can reach the host's files.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/win_path.h"
#include "platform/win32/file_system.h"

namespace sw::platform {
namespace {

TEST(Sandbox, CIsTheOnlyDrive) {
  EXPECT_EQ(::GetLogicalDrives(), 1U << 2U);
  EXPECT_EQ(::GetDriveTypeW(L"Z:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
  win32::Win32FileSystem files;
  EXPECT_EQ(files.DriveTypeOf("C:\\"), DriveType::Fixed);
}

TEST(Sandbox, NoReparsePointUnderTheUsersFolder) {
  win32::Win32FileSystem files;
  std::vector<std::string> pending{"C:\\users"};
  std::vector<std::string> links;
  int folders = 0;
  while (!pending.empty()) {
    const std::string folder = pending.back();
    pending.pop_back();
    ++folders;
    auto reader = files.ListFolder(folder, platform::FolderDetail::Full);
    ASSERT_TRUE(reader.has_value()) << folder;
    for (FolderEntry entry; (*reader)->Next(entry);) {
      const std::string path = JoinPath(folder, entry.name);
      if (entry.IsReparsePoint()) {
        links.push_back(path);
      } else if (entry.IsFolder()) {
        pending.push_back(path);
      }
    }
  }
  EXPECT_GT(folders, 10);  // the profile folders were walked
  EXPECT_TRUE(links.empty()) << links.front();
}

}  // namespace
}  // namespace sw::platform
