#include "support/file_fixture.h"

#include "core/win_path.h"

#ifdef _WIN32
#include "platform/win32/file_system.h"
#include "platform/win32/system.h"
#else
#include "platform/host/host_file_system.h"
#include "platform/host/host_system.h"
#endif

namespace sw::test {

FileFixture::FileFixture() {
#ifdef _WIN32
  files_ = std::make_unique<platform::win32::Win32FileSystem>();
  system_ = std::make_unique<platform::win32::Win32System>();
  base_ = AddTrailingBackslash(Utf8Of(temp_.path()));
#else
  // The system's temporary folder is a drive of its own, so that the test folder holds only
  // what a test puts there.
  files_ = std::make_unique<platform::host::HostFileSystem>(
      std::vector<platform::host::DriveMapping>{{'C', temp_.path()}, {'T', systemTemp_.path()}}, "T:\\");
  system_ = std::make_unique<platform::host::HostSystem>();
  base_ = "C:\\";
#endif
}

FileFixture::~FileFixture() = default;

std::filesystem::path FileFixture::Host(std::string_view sub) const {
  std::string relative(sub);
  for (char& c : relative) {
    c = c == '\\' ? '/' : c;
  }
  return temp_.path() / PathOfUtf8(relative);
}

std::string FileFixture::MakeFile(std::string_view sub, std::string_view contents) {
  std::filesystem::create_directories(Host(sub).parent_path());
  WriteFileBytes(Host(sub), contents);
  return At(sub);
}

}  // namespace sw::test
