// The path operations behave the same on the in-memory store and on the real registry.

#include "registry/registry_paths.h"

#include <gtest/gtest.h>

#include "registry/registry_data.h"
#include "support/registry_fixture.h"
#include "support/registry_spy.h"

namespace sw::reg {
namespace {

using platform::RegAccess;
using platform::RootKey;
using test::RegistryContract;

constexpr RootKey kUser = RootKey::CurrentUser;

// The stored value, read past the access layer.
platform::RegValue RawValue(platform::Registry& registry, const std::string& keyPath, std::string_view name) {
  auto key = (*registry.OpenRoot(kUser))->Open(keyPath, RegAccess::Read);
  EXPECT_TRUE(key.has_value()) << keyPath;
  if (!key) {
    return {};
  }
  auto value = (*key)->Query(name);
  EXPECT_TRUE(value.has_value()) << name;
  return value ? *value : platform::RegValue{};
}

TEST_P(RegistryContract, TrailingBackslashAddressesTheDefaultValue) {
  ASSERT_TRUE(RegWriteString(registry(), kUser, At("Def\\"), "default data"));
  EXPECT_EQ(RegReadString(registry(), kUser, At("Def\\")), "default data");
  EXPECT_TRUE(RegValueExists(registry(), kUser, At("Def\\")));
  EXPECT_EQ(DecodeRegString(RawValue(registry(), At("Def"), "").data), "default data");
  EXPECT_EQ(RegListValueNames(registry(), kUser, At("Def")), "");  // the default value has no name
}

TEST_P(RegistryContract, WritersStoreWindowsLayouts) {
  ASSERT_TRUE(RegWriteString(registry(), kUser, At("T\\text"), "abc"));
  ASSERT_TRUE(RegWriteString(registry(), kUser, At("T\\empty"), ""));
  ASSERT_TRUE(RegWriteDword(registry(), kUser, At("T\\number"), 0x12345678));
  ASSERT_TRUE(RegWriteMultiString(registry(), kUser, At("T\\multi"), std::string_view("a\0bc\0\0", 6)));
  const std::uint8_t bytes[] = {0, 1, 0xFE, 0xFF};
  ASSERT_TRUE(RegWriteBinary(registry(), kUser, At("T\\bytes"), bytes));

  const auto text = RawValue(registry(), At("T"), "text");
  EXPECT_EQ(text.type, platform::kRegSz);
  EXPECT_EQ(text.data.size(), 8U);  // three characters and the terminating zero
  EXPECT_EQ(RawValue(registry(), At("T"), "empty").data.size(), 2U);
  EXPECT_EQ(RawValue(registry(), At("T"), "number").data, (Bytes{0x78, 0x56, 0x34, 0x12}));
  const auto multi = RawValue(registry(), At("T"), "multi");
  EXPECT_EQ(multi.type, platform::kRegMultiSz);
  EXPECT_EQ(multi.data.size(), 12U);  // exactly what was passed
  EXPECT_EQ(RawValue(registry(), At("T"), "bytes").data, Bytes(std::begin(bytes), std::end(bytes)));

  EXPECT_EQ(RegReadString(registry(), kUser, At("T\\text")), "abc");
  EXPECT_EQ(RegReadString(registry(), kUser, At("T\\empty")), "");
  EXPECT_EQ(RegReadMultiString(registry(), kUser, At("T\\multi")), std::string("a\0bc\0", 5));
  EXPECT_EQ(RegReadBinary(registry(), kUser, At("T\\bytes")), Bytes(std::begin(bytes), std::end(bytes)));
}

TEST_P(RegistryContract, AValueOfAnotherTypeCountsAsMissing) {
  ASSERT_TRUE(RegWriteDword(registry(), kUser, At("T\\number"), 7));
  ASSERT_TRUE(RegWriteString(registry(), kUser, At("T\\text"), "7"));
  EXPECT_FALSE(RegReadString(registry(), kUser, At("T\\number")).has_value());
  EXPECT_FALSE(RegReadMultiString(registry(), kUser, At("T\\text")).has_value());
  EXPECT_FALSE(RegReadBinary(registry(), kUser, At("T\\text")).has_value());
  EXPECT_FALSE(RegReadString(registry(), kUser, At("T\\missing")).has_value());
  EXPECT_FALSE(RegReadString(registry(), kUser, At("NoSuchKey\\text")).has_value());
  EXPECT_TRUE(RegValueExists(registry(), kUser, At("T\\number")));
  EXPECT_FALSE(RegValueExists(registry(), kUser, At("T\\missing")));
}

TEST_P(RegistryContract, APathWithoutBackslashIsRefused) {
  EXPECT_FALSE(RegWriteString(registry(), kUser, "SweepwiseNoBackslash", "x"));
  EXPECT_FALSE(RegValueExists(registry(), kUser, "SweepwiseNoBackslash"));
  EXPECT_FALSE(RegDeleteValueAt(registry(), kUser, "SweepwiseNoBackslash"));
  auto root = registry().OpenRoot(kUser);
  EXPECT_FALSE((*root)->Query("SweepwiseNoBackslash").has_value());
}

TEST_P(RegistryContract, LeadingBackslashMeansTheSameKey) {
  ASSERT_TRUE(RegWriteString(registry(), kUser, "\\" + At("K\\v"), "x"));
  EXPECT_EQ(RegReadString(registry(), kUser, At("K\\v")), "x");
  EXPECT_TRUE(RegKeyExists(registry(), kUser, "\\" + At("K")));
}

TEST_P(RegistryContract, UnicodeNamesAndDataSurvive) {
  const std::string key =
      At("\xC3\x9Cn\xC3\xAF"
         "c\xC3\xB6"
         "d\xC3\xA9 \xE2\x82\xAC");                                                                 // Ünïcödé €
  const std::string name = "n\xC3\xA4me \xF0\x9F\x98\x80";                                          // näme 😀
  const std::string data = "d\xC3\xA4t\xC3\xA4 \xD0\x9F\xD1\x80\xD0\xB8 \xE4\xB8\xAD\xE6\x96\x87";  // dätä При 中文
  ASSERT_TRUE(RegWriteString(registry(), kUser, key + "\\" + name, data));
  EXPECT_EQ(RegReadString(registry(), kUser, key + "\\" + name), data);
  EXPECT_EQ(RegListValueNames(registry(), kUser, key), name);
  EXPECT_EQ(RegListKeyNames(registry(), kUser, base_), key.substr(base_.size() + 1));
}

TEST_P(RegistryContract, DeletesValuesAndLeafKeys) {
  ASSERT_TRUE(RegWriteString(registry(), kUser, At("K\\a"), "1"));
  EXPECT_TRUE(RegDeleteValueAt(registry(), kUser, At("K\\a")));
  EXPECT_FALSE(RegValueExists(registry(), kUser, At("K\\a")));
  EXPECT_FALSE(RegDeleteValueAt(registry(), kUser, At("K\\a")));  // already gone
  EXPECT_TRUE(RegDeleteKeyAt(registry(), kUser, At("K"), /*recursive=*/false));
  EXPECT_FALSE(RegKeyExists(registry(), kUser, At("K")));
}

TEST_P(RegistryContract, NonRecursiveDeleteRefusesAKeyWithSubkeys) {
  ASSERT_TRUE(RegWriteString(registry(), kUser, At("K\\Sub\\v"), "1"));
  EXPECT_FALSE(RegDeleteKeyAt(registry(), kUser, At("K"), /*recursive=*/false));
  EXPECT_TRUE(RegKeyExists(registry(), kUser, At("K\\Sub")));
}

TEST_P(RegistryContract, NeverDeletesARootsDirectChild) {
  ASSERT_TRUE(RegWriteString(registry(), kUser, At("v"), "x"));  // makes sure "Software" exists
  for (const char* path : {"Software", "\\Software", "Software\\", "\\Software\\"}) {
    EXPECT_FALSE(RegDeleteKeyAt(registry(), kUser, path, /*recursive=*/true)) << path;
  }
  EXPECT_TRUE(RegKeyExists(registry(), kUser, "Software"));
}

TEST_P(RegistryContract, RecursiveDeleteRemovesTheDeepestKeysFirst) {
  for (const char* value : {"A\\B\\C\\v", "A\\B2\\v", "A\\v"}) {
    ASSERT_TRUE(RegWriteString(registry(), kUser, At(value), "x"));
  }
  test::RegistrySpy spy(registry());
  EXPECT_TRUE(RegDeleteKeyAt(spy, kUser, At("A"), /*recursive=*/true));
  EXPECT_EQ(spy.deletedKeys, (std::vector<std::string>{At("A\\B\\C"), At("A\\B"), At("A\\B2"), At("A")}));
  EXPECT_FALSE(RegKeyExists(registry(), kUser, At("A")));
}

TEST_P(RegistryContract, RecursiveDeleteStopsAtAKeyThatWillNotOpen) {
  ASSERT_TRUE(RegWriteString(registry(), kUser, At("A\\Locked\\v"), "x"));
  ASSERT_TRUE(RegWriteString(registry(), kUser, At("A\\Open\\v"), "x"));
  test::RegistrySpy spy(registry());
  spy.FailOpening(At("A\\Locked"));
  EXPECT_FALSE(RegDeleteKeyAt(spy, kUser, At("A"), /*recursive=*/true));
  EXPECT_TRUE(RegKeyExists(registry(), kUser, At("A\\Locked")));
  EXPECT_TRUE(RegKeyExists(registry(), kUser, At("A")));
}

TEST_P(RegistryContract, ListsSubkeysInCaseInsensitiveOrder) {
  for (const char* name : {"beta", "Alpha", "gamma", "Zulu", "delta"}) {
    ASSERT_TRUE(RegWriteString(registry(), kUser, At(std::string("Keys\\") + name + "\\v"), "x"));
  }
  EXPECT_EQ(RegListKeyNames(registry(), kUser, At("Keys")), "Alpha\r\nbeta\r\ndelta\r\ngamma\r\nZulu");
  EXPECT_FALSE(RegListKeyNames(registry(), kUser, At("Missing")).has_value());
}

TEST_P(RegistryContract, ListsValuesInThePlatformsOrder) {
  for (const char* name : {"zeta", "alpha", "Mid"}) {
    ASSERT_TRUE(RegWriteString(registry(), kUser, At(std::string("Values\\") + name), "x"));
  }
  // Windows and the in-memory store keep creation order; Wine sorts values by name.
  const bool sorted = GetParam().real && test::RunningUnderWine();
  EXPECT_EQ(RegListValueNames(registry(), kUser, At("Values")),
            sorted ? "alpha\r\nMid\r\nzeta" : "zeta\r\nalpha\r\nMid");
}

INSTANTIATE_TEST_SUITE_P(Registries, RegistryContract, ::testing::ValuesIn(test::RegistriesUnderTest()),
                         test::RegistryName);

}  // namespace
}  // namespace sw::reg
