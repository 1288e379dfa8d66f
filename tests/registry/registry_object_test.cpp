// The registry object's current-path rules and typed access, on both registries.

#include "registry/registry_object.h"

#include <gtest/gtest.h>

#include "support/registry_fixture.h"

namespace sw::reg {
namespace {

using platform::RootKey;

class RegistryObjectContract : public test::RegistryContract {};

TEST_P(RegistryObjectContract, CurrentPathFollowsRelativeAndAbsoluteOpens) {
  RegistryObject object(registry(), RootKey::CurrentUser);
  EXPECT_FALSE(object.HasOpenKey());

  ASSERT_TRUE(object.OpenKey(base_, /*canCreate=*/true));  // relative, nothing open: the name itself
  EXPECT_EQ(object.CurrentPath(), base_);

  ASSERT_TRUE(object.OpenKey("Sub", /*canCreate=*/true));  // relative to the open key
  EXPECT_EQ(object.CurrentPath(), base_ + "\\Sub");

  ASSERT_TRUE(object.OpenKey("\\", /*canCreate=*/false));  // the root itself
  EXPECT_TRUE(object.HasOpenKey());
  EXPECT_EQ(object.CurrentPath(), "");

  ASSERT_TRUE(object.OpenKey("Software", /*canCreate=*/false));  // relative to the open root
  EXPECT_EQ(object.CurrentPath(), "\\Software");

  ASSERT_TRUE(object.OpenKey("\\" + base_ + "\\Sub", /*canCreate=*/false));  // absolute
  EXPECT_EQ(object.CurrentPath(), base_ + "\\Sub");

  EXPECT_FALSE(object.OpenKey("Missing", /*canCreate=*/false));  // a failed open changes nothing
  EXPECT_EQ(object.CurrentPath(), base_ + "\\Sub");

  object.CloseKey();
  EXPECT_FALSE(object.HasOpenKey());
  EXPECT_EQ(object.CurrentPath(), "");
}

TEST_P(RegistryObjectContract, ReadsTypedValuesAndReportsWrongTypes) {
  RegistryObject object(registry());
  ASSERT_TRUE(object.OpenKey(base_, true));
  ASSERT_TRUE(object.WriteString("s", "text"));
  ASSERT_TRUE(object.WriteExpandString("e", "%TEMP%\\x"));
  ASSERT_TRUE(object.WriteInteger("i", -2));
  const std::uint8_t bytes[] = {9, 8, 7};
  ASSERT_TRUE(object.WriteBinary("b", bytes));
  ASSERT_TRUE(object.WriteString("C:\\Gone\\app.exe", "a \"quoted\" name"));  // names may hold backslashes

  EXPECT_EQ(object.ReadString("s").value_or(""), "text");
  EXPECT_EQ(object.ReadString("e").value_or(""), "%TEMP%\\x");
  EXPECT_EQ(object.ReadInteger("i").value_or(0), -2);
  EXPECT_EQ(object.ReadBinary("b").value_or(Bytes{}), Bytes({9, 8, 7}));
  EXPECT_EQ(object.ReadString("C:\\Gone\\app.exe").value_or(""), "a \"quoted\" name");

  EXPECT_FALSE(object.ReadString("i").has_value());
  EXPECT_FALSE(object.ReadInteger("s").has_value());
  EXPECT_FALSE(object.ReadBinary("s").has_value());
  EXPECT_TRUE(object.ReadString("missing").error().Is(Errc::FileNotFound));

  EXPECT_EQ(object.GetDataInfo("s")->type, RegDataType::String);
  EXPECT_EQ(object.GetDataInfo("s")->size, 10U);
  EXPECT_EQ(object.GetDataInfo("e")->type, RegDataType::ExpandString);
  EXPECT_EQ(object.GetDataInfo("i")->type, RegDataType::Integer);
  EXPECT_EQ(object.GetDataInfo("b")->type, RegDataType::Binary);
  EXPECT_FALSE(object.GetDataInfo("missing").has_value());
  EXPECT_TRUE(object.ValueExists("b"));
  EXPECT_TRUE(object.DeleteValue("b"));
  EXPECT_FALSE(object.ValueExists("b"));
}

TEST_P(RegistryObjectContract, ListsAndDeletesKeysWithTheirSubkeys) {
  RegistryObject object(registry());
  ASSERT_TRUE(object.OpenKey(base_ + "\\Tree\\Leaf\\Deeper", true));
  ASSERT_TRUE(object.OpenKey("\\" + base_ + "\\Tree", false));
  ASSERT_TRUE(object.WriteString("v", "x"));
  EXPECT_EQ(object.GetKeyNames(), std::vector<std::string>{"Leaf"});
  EXPECT_EQ(object.GetValueNames(), std::vector<std::string>{"v"});
  const auto info = object.GetKeyInfo();
  ASSERT_TRUE(info.has_value());
  EXPECT_TRUE(info->hasSubKeys);
  EXPECT_GT(info->lastWrite.ticks, 0U);

  EXPECT_TRUE(object.KeyExists("Leaf\\Deeper"));
  EXPECT_TRUE(object.DeleteKey("Leaf"));  // relative, with its subkey
  EXPECT_FALSE(object.KeyExists("Leaf"));
  EXPECT_TRUE(object.DeleteKey("\\" + base_ + "\\Tree"));  // absolute
  EXPECT_FALSE(object.KeyExists("\\" + base_ + "\\Tree"));
}

INSTANTIATE_TEST_SUITE_P(Registries, RegistryObjectContract, ::testing::ValuesIn(test::RegistriesUnderTest()),
                         test::RegistryName);

}  // namespace
}  // namespace sw::reg
