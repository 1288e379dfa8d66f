// What the engines rely on below the access layer: error numbers, access rights, handles of
// deleted keys and last-write times, the same on the in-memory store and the real registry.

#include "platform/registry.h"

#include <gtest/gtest.h>

#include "platform/host/memory_registry.h"
#include "registry/registry_data.h"
#include "support/registry_fixture.h"

namespace sw::platform {
namespace {

class PlatformRegistryContract : public test::RegistryContract {
 protected:
  std::unique_ptr<RegKey> CreateBase() {
    auto key = (*registry().OpenRoot(RootKey::CurrentUser))->Create(base_);
    EXPECT_TRUE(key.has_value());
    return key ? std::move(*key) : nullptr;
  }
};

TEST_P(PlatformRegistryContract, ReportsWin32ErrorNumbers) {
  auto key = CreateBase();
  ASSERT_TRUE(key);
  EXPECT_TRUE(key->Open("Missing", RegAccess::Read).error().Is(Errc::FileNotFound));
  EXPECT_TRUE(key->Query("missing").error().Is(Errc::FileNotFound));
  EXPECT_TRUE(key->SubKeyName(0).error().Is(Errc::NoMoreItems));
  EXPECT_TRUE(key->ValueAt(0).error().Is(Errc::NoMoreItems));
  EXPECT_TRUE(key->DeleteValue("missing").error().Is(Errc::FileNotFound));
  ASSERT_TRUE(key->Create("Parent\\Child").has_value());
  EXPECT_TRUE(key->DeleteSubKey("Parent").error().Is(Errc::AccessDenied));  // it has a subkey
}

TEST_P(PlatformRegistryContract, ReadOnlyKeysRefuseWrites) {
  ASSERT_TRUE(CreateBase());
  auto readOnly = (*registry().OpenRoot(RootKey::CurrentUser))->Open(base_, RegAccess::Read);
  ASSERT_TRUE(readOnly.has_value());
  const Bytes data = reg::EncodeRegText("x", true);
  EXPECT_TRUE((*readOnly)->Set("v", kRegSz, data).error().Is(Errc::AccessDenied));
}

TEST_P(PlatformRegistryContract, AKeyDeletedWhileOpenFailsCleanly) {
  auto key = CreateBase();
  ASSERT_TRUE(key);
  auto child = key->Create("Doomed");
  ASSERT_TRUE(child.has_value());
  ASSERT_TRUE(key->DeleteSubKey("Doomed").has_value());
  EXPECT_TRUE((*child)->Query("v").error().Is(Errc::KeyDeleted));
  EXPECT_TRUE((*child)->Set("v", kRegDword, Bytes{1, 0, 0, 0}).error().Is(Errc::KeyDeleted));
}

TEST_P(PlatformRegistryContract, EnumeratesNameTypeAndDataTogether) {
  auto key = CreateBase();
  ASSERT_TRUE(key);
  const Bytes big(5000, 0xAB);  // longer than the first buffer of the enumeration
  ASSERT_TRUE(key->Set(std::string(300, 'n'), kRegBinary, big).has_value());
  const auto value = key->ValueAt(0);
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->name, std::string(300, 'n'));
  EXPECT_EQ(value->value.type, kRegBinary);
  EXPECT_EQ(value->value.data, big);
  EXPECT_EQ(key->ValueName(0).value_or(""), std::string(300, 'n'));
}

TEST_P(PlatformRegistryContract, StampsTheLastWriteTime) {
  const FileTime before{FileTimeNow().ticks - 20'000'000};  // clocks may differ by a little
  auto key = CreateBase();
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->Set("v", kRegDword, Bytes{1, 0, 0, 0}).has_value());
  const auto info = key->Info();
  ASSERT_TRUE(info.has_value());
  EXPECT_GE(info->lastWrite, before);
  EXPECT_LE(info->lastWrite.ticks, FileTimeNow().ticks + 20'000'000);
  EXPECT_EQ(info->valueCount, 1U);
  EXPECT_EQ(info->subKeyCount, 0U);
}

INSTANTIATE_TEST_SUITE_P(Registries, PlatformRegistryContract, ::testing::ValuesIn(test::RegistriesUnderTest()),
                         test::RegistryName);

TEST(MemoryRegistry, StampsTimesFromItsClock) {
  host::MemoryRegistry registry;
  registry.SetClock([] { return FileTime{42}; });
  auto key = (*registry.OpenRoot(RootKey::LocalMachine))->Create("Software\\X");
  ASSERT_TRUE(key.has_value());
  EXPECT_EQ((*key)->Info()->lastWrite, FileTime{42});
  // The roots are separate trees.
  EXPECT_FALSE((*registry.OpenRoot(RootKey::CurrentUser))->Open("Software\\X", RegAccess::Read).has_value());
}

}  // namespace
}  // namespace sw::platform
