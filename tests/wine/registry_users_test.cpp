// The registry scan on Wine's real registry, where HKEY_USERS holds the running user's own
// hive under its security identifier: the same keys as HKEY_CURRENT_USER.

#include <gtest/gtest.h>

#include <algorithm>

#include "registry/registry_paths.h"
#include "registry/registry_scan.h"
#include "support/recording_sink.h"
#include "support/registries.h"
#include "support/win32_platform.h"

namespace sw::reg {
namespace {

using platform::RootKey;

TEST(RegistryScanOnWine, AnAdministratorsScanListsACurrentUserValueOnce) {
  // An administrator's scan walks HKEY_USERS too.
  platform::Platform platform = test::Win32TestPlatform("C:\\sweepwise\\bin", /*admin=*/true);

  const auto sid = platform.system->CurrentUserSid();
  ASSERT_TRUE(sid);
  EXPECT_TRUE(sid->starts_with("S-1-5-"));
  const std::string key = test::UniqueTestKeyPath("ScanOnce");
  const std::string valueName = "sweepwise scan-once " + key.substr(key.rfind('\\') + 1);
  ASSERT_TRUE(RegWriteString(*platform.registry, RootKey::CurrentUser, key + "\\" + valueName, R"(C:\Gone\x.dll)"));
  // The same value seen through HKEY_USERS: the hive is one and the same.
  ASSERT_TRUE(RegValueExists(*platform.registry, RootKey::Users, *sid + "\\" + key + "\\" + valueName));

  test::RecordingSink sink;
  ScanRegistry(platform, sink);
  (void)RegDeleteKeyAt(*platform.registry, RootKey::CurrentUser, key, true);
  const auto ours = std::count_if(sink.rows.begin(), sink.rows.end(),
                                  [&](const ResultRow& row) { return row.columns[1] == valueName; });
  EXPECT_EQ(ours, 1);
  for (const auto& row : sink.rows) {
    if (row.columns[1] == valueName) {
      EXPECT_TRUE(row.columns[0].starts_with("HKEY_CURRENT_USER: ")) << row.columns[0];
    }
  }
}

}  // namespace
}  // namespace sw::reg
